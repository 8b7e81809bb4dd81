#pragma once
/// The spooler's printer and port lists at level 2, each fetched with a buffer that grows
/// to what the spooler reports.

#include <cstdint>
#include <vector>

#include "platform/installed_printers.h"

/// Asks with a buffer for one record, then for as many records as the reported size needs
/// plus one, until the list fits. False on any other failure, with the system's error in
/// `*error`; `*error` is 0 on success.
bool ListPrinters(platform::InstalledPrinters& spooler,
                  std::vector<platform::InstalledPrinter>* printers, std::uint32_t* error);
bool ListPorts(platform::InstalledPrinters& spooler, std::vector<platform::InstalledPort>* ports,
               std::uint32_t* error);
