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
    /// Starts it on a pty instead, a parallel port, made reachable at `link` when that is not
    /// empty; returns the pty's path, or "" when it did not start.
    std::string StartOnPty(const std::string& link, const std::vector<std::string>& options = {});
    /// Every byte received so far, over all connections.
    std::string Received() const;
    /// Waits until at least `count` bytes have arrived; false when `guardSeconds` pass first.
    bool WaitUntilReceived(std::size_t count, double guardSeconds = 30) const;

private:
    bool Run(std::vector<std::string> argv, const std::vector<std::string>& options);

    ScratchFolder m_folder;
    harness::BackgroundChild m_child;
};

}  // namespace integration
