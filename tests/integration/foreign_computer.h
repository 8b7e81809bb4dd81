#pragma once
// Another computer for tests that need a peer which is not this one: a network namespace of
// its own, joined to the test's by a veth pair on the benchmarking range 198.18.0.0/15, which
// no real network routes.

#include <string>

namespace integration {

class ForeignComputer {
public:
    static constexpr const char* kThisSide = "198.18.0.1";
    static constexpr const char* kItsAddress = "198.18.0.2";

    /// Makes the namespace and the link from the calling thread's namespace; Failure() tells
    /// why when that is impossible here (not root, no `ip`, namespaces forbidden).
    ForeignComputer();
    /// Removes the link; the namespace goes with its last handle, so nothing outlives the
    /// process even when it is killed.
    ~ForeignComputer();
    ForeignComputer(const ForeignComputer&) = delete;
    ForeignComputer& operator=(const ForeignComputer&) = delete;

    const std::string& Failure() const { return m_failure; }
    /// Moves the calling thread into the other computer (a network namespace belongs to a
    /// thread); false when it cannot.
    bool Enter() const;

private:
    int m_namespace = -1;
    std::string m_thisSideLink;
    std::string m_failure;
};

}  // namespace integration
