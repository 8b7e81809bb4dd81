// The rules behind the browser launch, the proxy bypass and the start-up messages, table by
// table; the engines themselves are driven by the integration tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/browser_command.h"
#include "engine/proxy_bypass_list.h"
#include "engine/startup_message.h"

namespace {

TEST(BrowserCommand, ProgramIsTheQuotedPathOrTheTextUpToTheFirstDotAndThreeMore) {
    const struct {
        const char* command;
        const char* program;
    } cases[] = {
        {"\"C:\\Program Files\\Web\\browser.exe\" -nohome \"%1\"",
         "C:\\Program Files\\Web\\browser.exe"},
        {"C:\\Web\\browser.exe -nohome %1", "C:\\Web\\browser.exe"},
        {"C:\\Web.2\\browser.exe %1", "C:\\Web.2\\b"},  // the first dot decides
        {"firefox %u", "fir"},                          // no dot at all: three characters
        {"ab", "ab"},
        {"\"C:\\unclosed\\browser.exe", "C:\\unclosed\\browser.exe"},
        {"\"\" %1", ""},
        {"", ""},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(BrowserProgramOfCommand(row.command), row.program) << row.command;
    }
}

std::string Extended(const std::string& list, const std::string& local, const std::string& printer,
                     std::vector<std::string>* lines = nullptr) {
    const auto additions = MissingProxyBypassEntries(list, local, printer);
    if (lines != nullptr) {
        for (const auto& addition : additions) lines->push_back(addition.logLine);
    }
    return WithProxyBypassEntries(list, additions);
}

TEST(ProxyBypassList, AddsWhatIsMissingInOrderWithSemicolons) {
    const struct {
        const char* list;
        const char* local;
        const char* printer;
        const char* extended;
    } cases[] = {
        {"", "10.0.0.5", "", "10.0.0.5;127.0.0.1;localhost"},
        {"", "10.0.0.5", "10.0.0.9", "10.0.0.5;10.0.0.9;127.0.0.1;localhost"},
        {"*.corp", "10.0.0.5", "", "*.corp;10.0.0.5;127.0.0.1;localhost"},
        // A plain substring search: an address of which ours is a prefix counts as ours.
        {"10.0.0.51", "10.0.0.5", "", "10.0.0.51;127.0.0.1;localhost"},
        // Added entries count for the later tests: 127.0.0.1 is not added twice.
        {"", "127.0.0.1", "127.0.0.1", "127.0.0.1;localhost"},
        {"localhost;127.0.0.1;10.0.0.5", "10.0.0.5", "", "localhost;127.0.0.1;10.0.0.5"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(Extended(row.list, row.local, row.printer), row.extended) << row.list;
        // Running it again on its own result adds nothing.
        EXPECT_EQ(Extended(row.extended, row.local, row.printer), row.extended) << row.list;
    }
}

TEST(ProxyBypassList, EachAdditionHasItsLogLine) {
    std::vector<std::string> lines;
    Extended("", "10.0.0.5", "10.0.0.9", &lines);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Proxy settings have been modified to contain machine's IP Address.",
                         "Proxy settings have been modified to contain printer's IP Address.",
                         "Proxy settings have been modified to contain Virtual Host.",
                         "Proxy settings have been modified to contain localhost."}));
}

TEST(StartupMessage, ModuleNotInstalledNamesTheSeriesOrDropsThePlaceholder) {
    const std::string text = "no support for \"%1\" printers; \"%1\" stays";
    const struct {
        const char* module;
        const char* shown;
    } cases[] = {
        {"quessel GA", "no support for \"Orvik Plotara 620\" printers; \"%1\" stays"},
        {"brenna", "no support for \"Orvik Plotara 310ps 320ps 350ps\" printers; \"%1\" stays"},
        {"quessel CAD Japan",
         "no support for \"Orvik Plotara 610/610plus series\" printers; \"%1\" stays"},
        {"merrow", "no support for \"Orvik Plotara 500/530 series\" printers; \"%1\" stays"},
        {"tolvar CAD", "no support for \"Orvik Plotara 410\" printers; \"%1\" stays"},
        {"Not Supported", "no support for \"\" printers; \"%1\" stays"},
        {"Quessel GA", "no support for \"\" printers; \"%1\" stays"},  // exact names only
    };
    for (const auto& row : cases) {
        EXPECT_EQ(ModuleNotInstalledMessage(text, row.module), row.shown) << row.module;
    }
}

}  // namespace
