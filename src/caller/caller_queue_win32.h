#pragma once
/// What the spooler knows of one print queue.

#include <string>

/// The port and driver names of queue `queueName` (printer information level 2); false when
/// the queue cannot be opened or read, with the reason left as the thread's last error.
bool ReadQueuePortAndDriver(const std::string& queueName, std::string* portName,
                            std::string* driverName);
