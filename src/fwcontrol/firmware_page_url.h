#pragma once
// Where the control sends the browser once the firmware file is in the cache: the engine's
// firmware page on this workstation, with the cached file to send.

#include <string>

/// "http://<address>:8190/FwDownload.html?nextpage=FwEnd.html&abs=1&file-to-send=<path>";
/// the path goes in as it is but for the bytes the engine's query reading would change
/// (blank, "%", "&", "+", "#", "="), which are written "%xx".
std::string FirmwarePageUrl(const std::string& address, const std::string& cachedPath);

/// The workstation's first IP address ("%u.%u.%u.%u"), or "127.0.0.1" when the host name
/// cannot be had or resolved.
std::string WorkstationAddress();
