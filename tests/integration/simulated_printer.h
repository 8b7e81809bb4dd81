#pragma once
// The printer simulator started for one test on a loopback address at port 9100: it records
// what it receives and answers as its options say.

#include <string>
#include <vector>

#include "harness/child_process.h"
#include "support/scratch_folder.h"

namespace integration {

class SimulatedPrinter {
public:
    /// Starts the simulator on `address`:9100 with the given options (e.g. "--answer",
    /// trigger, text); false when it did not become reachable.
    bool Start(const std::string& address, const std::vector<std::string>& options = {});
    /// Every byte received so far, over all connections.
    std::string Received() const;
    /// Waits until at least `count` bytes have arrived; false when `guardSeconds` pass first.
    bool WaitUntilReceived(std::size_t count, double guardSeconds = 30) const;

private:
    ScratchFolder m_folder;
    harness::BackgroundChild m_child;
};

}  // namespace integration
