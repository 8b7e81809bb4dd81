#include "pages/page_command.h"

#include "pages/command_run.h"
#include "pages/page_context.h"

void RunPageCommand(CPageContext& context, const CCommand& command, TextMap& requestParameters,
                    TextMap& responseVariables) {
    CCommandRun run(context, context.ModuleConfig(), command, context.PrinterPort(),
                    context.PageVariables(), requestParameters, responseVariables);
    run.Run();
}
