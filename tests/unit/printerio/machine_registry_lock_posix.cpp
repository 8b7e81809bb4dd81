#include "machine_registry_lock.h"

MachineRegistryLock::MachineRegistryLock() = default;
MachineRegistryLock::~MachineRegistryLock() = default;
