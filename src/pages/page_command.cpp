#include "pages/page_command.h"

#include "base/tavrin_exception.h"

void RunPageCommand(CPageContext& /*context*/, const CCommand& /*command*/,
                    TextMap& /*requestParameters*/, TextMap& /*responseVariables*/) {
    // The engine has no printer port yet, so no command can reach a printer: the page reports
    // the port as one that cannot be opened.
    throw new CCannotOpenPrinterPort;
}
