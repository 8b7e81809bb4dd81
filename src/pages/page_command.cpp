#include "http/page_command.h"

#include "engine/tavrin_exception.h"

void RunPageCommand(CEngine& /*engine*/, const CModuleConfig& /*moduleConfig*/,
                    const CCommand& /*command*/, CPrinterPort* /*printerPort*/,
                    TextMap& /*pageVariables*/, TextMap& /*requestParameters*/,
                    TextMap& /*responseVariables*/) {
    // The engine has no printer port yet, so no command can reach a printer: the page reports
    // the port as one that cannot be opened.
    throw new CCannotOpenPrinterPort;
}
