#pragma once
// A CUPS scheduler of the test's own: cupsd started as a child in a scratch folder with its own
// configuration, spool, cache and log, listening on a free loopback port. Queues are added with
// lpadmin; programs reach it through CUPS_SERVER.

#include <string>

#include "harness/child_process.h"
#include "support/scratch_folder.h"

namespace integration {

class CupsServer {
public:
    /// Starts the scheduler and waits until it accepts connections; false with the reason in
    /// Problem() when cupsd is missing or would not run.
    bool Start();
    const std::string& Problem() const { return m_problem; }
    /// "127.0.0.1:<port>", the value of CUPS_SERVER for programs that use this scheduler.
    const std::string& Address() const { return m_address; }

    /// Adds an enabled queue `name` on `deviceUri` whose make and model reads `makeAndModel`
    /// (from a PPD file's NickName); false with lpadmin's output in Problem() on failure.
    bool AddQueue(const std::string& name, const std::string& deviceUri,
                  const std::string& makeAndModel);

private:
    ScratchFolder m_folder;
    harness::BackgroundChild m_child;
    std::string m_address;
    std::string m_problem;
};

}  // namespace integration
