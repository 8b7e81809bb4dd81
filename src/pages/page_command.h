#pragma once
/// The printer command bound to a page, run by the page server before the page is expanded.

#include "config/command.h"
#include "text/text_map.h"

class CPageContext;

/// Runs `command` to its end on the calling thread and fills the response variables (among
/// them "file-to-send"). Returns on success; a failure is thrown as one of
/// `CFileToSendDoesNotExist`, `CCannotOpenPrinterPort`, `CTimeoutSendingFileToPrinter` or
/// `CTimeoutReadingBackchannelFromPrinter`.
void RunPageCommand(CPageContext& context, const CCommand& command, TextMap& requestParameters,
                    TextMap& responseVariables);
