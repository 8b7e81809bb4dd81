#include <windows.h>

#include "machine_registry_lock.h"

MachineRegistryLock::MachineRegistryLock()
    : m_mutex(CreateMutexA(nullptr, FALSE, "VelkorPortDiscoveryTestRegistry")) {
    if (m_mutex != nullptr) WaitForSingleObject(m_mutex, INFINITE);
}

MachineRegistryLock::~MachineRegistryLock() {
    if (m_mutex == nullptr) return;
    ReleaseMutex(m_mutex);
    CloseHandle(m_mutex);
}
