#include "integration/foreign_computer.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "harness/child_process.h"

namespace integration {

namespace {

constexpr const char* kPrefixLength = "/24";

/// Runs `ip` in the calling thread's network namespace (a child inherits the thread's);
/// returns what went wrong, or "".
std::string Ip(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"ip"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const harness::ChildResult run = harness::RunChild(argv, "/", {}, 30);
    if (run.exitCode == 0) return "";
    std::string command;
    for (const std::string& part : argv) command += part + " ";
    return command + "-> " + (run.exitCode == 127 ? "no such program" : run.output);
}

}  // namespace

ForeignComputer::ForeignComputer() {
    // The process id keeps the names apart from other test processes on the same host.
    const std::string id = std::to_string(getpid());
    m_thisSideLink = "vkhost" + id;
    const std::string itsLink = "vkpeer" + id;
    const std::string thisThread = std::to_string(gettid());
    // The namespace is made on a thread of its own, so no thread of the test moves.
    std::thread maker([&] {
        if (unshare(CLONE_NEWNET) != 0) {
            m_failure = std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
            return;
        }
        m_namespace = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (m_namespace < 0) {
            m_failure = std::string("cannot hold the namespace: ") + std::strerror(errno);
            return;
        }
        for (const std::vector<std::string>& step :
             {std::vector<std::string>{"link", "add", itsLink, "type", "veth", "peer", "name",
                                       m_thisSideLink, "netns", thisThread},
              {"address", "add", std::string(kItsAddress) + kPrefixLength, "dev", itsLink},
              {"link", "set", itsLink, "up"}}) {
            m_failure = Ip(step);
            if (!m_failure.empty()) return;
        }
    });
    maker.join();
    if (!m_failure.empty()) return;
    for (const std::vector<std::string>& step :
         {std::vector<std::string>{"address", "add", std::string(kThisSide) + kPrefixLength, "dev",
                                   m_thisSideLink},
          {"link", "set", m_thisSideLink, "up"}}) {
        m_failure = Ip(step);
        if (!m_failure.empty()) return;
    }
}

ForeignComputer::~ForeignComputer() {
    // Deleting one end deletes both, at once rather than when the kernel reclaims the
    // namespace.
    if (m_namespace >= 0) {
        Ip({"link", "delete", m_thisSideLink});
        close(m_namespace);
    }
}

bool ForeignComputer::Enter() const {
    return m_namespace >= 0 && m_failure.empty() && setns(m_namespace, CLONE_NEWNET) == 0;
}

}  // namespace integration
