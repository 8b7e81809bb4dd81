#pragma once
/// The three groups the selector shows, and how the user's last choice of one is saved.

#include <string>

enum class PrinterGroup { Usb, Parallel, Network };

/// "USB", "LPT" or "NETWORK": the "Domain" preference of the group.
std::string DomainOfGroup(PrinterGroup group);
/// The group a saved "Domain" names. A value the selector never writes shows the USB group,
/// as a fresh installation does.
PrinterGroup GroupOfDomain(const std::string& domain);
