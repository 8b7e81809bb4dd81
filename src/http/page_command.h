#pragma once
/// The printer command bound to a page, run by the page server before the page is expanded.

#include "engine/command.h"
#include "engine/text_map.h"

class CEngine;
class CModuleConfig;
class CPrinterPort;

/// Runs `command` to its end on the calling thread and fills the response variables (among
/// them "file-to-send"). Returns on success; a failure is thrown as one of
/// `CFileToSendDoesNotExist`, `CCannotOpenPrinterPort`, `CTimeoutSendingFileToPrinter` or
/// `CTimeoutReadingBackchannelFromPrinter`.
void RunPageCommand(CEngine& engine, const CModuleConfig& moduleConfig, const CCommand& command,
                    CPrinterPort* printerPort, TextMap& pageVariables, TextMap& requestParameters,
                    TextMap& responseVariables);
