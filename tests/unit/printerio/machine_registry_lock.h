#pragma once
// Serialises the tests that write fixed keys of the machine's registry: under Wine every
// test process of a run shares one registry. The POSIX store is per test, so no lock.

class MachineRegistryLock {
public:
    MachineRegistryLock();
    ~MachineRegistryLock();
    MachineRegistryLock(const MachineRegistryLock&) = delete;
    MachineRegistryLock& operator=(const MachineRegistryLock&) = delete;

private:
    void* m_mutex = nullptr;
};
