// The engine in-process: every way start-up can fail, the line it logs and how the user is
// told; and what its connections see of it through the page context.

#include "engine/engine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/stop_flag.h"
#include "base/tavrin_exception.h"
#include "support/scratch_folder.h"

namespace {

/// An engine whose first start-up step fails as told, and that records how it would tell the
/// user instead of showing anything.
class FailingEngine : public CEngine {
public:
    explicit FailingEngine(std::function<void()> fail) : m_fail(std::move(fail)) {}

    void FindInstalledModules() override { m_fail(); }
    void LaunchBrowser() override { notices.push_back("browser " + GetStartAddress()); }
    void ShowStartupMessage(int kind) override {
        notices.push_back("message " + std::to_string(kind));
    }
    std::string GetLocalAddress() override { return "127.0.0.1"; }

    std::vector<std::string> notices;

private:
    std::function<void()> m_fail;
};

std::vector<std::string> LogMessages(const std::string& file) {
    std::vector<std::string> messages;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        if (!line.empty() && line.back() == '\r') line.pop_back();
        messages.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    return messages;
}

template <typename Failure>
std::function<void()> Throws() {
    return [] { throw new Failure; };
}

TEST(EngineStartup, EachFailureLogsItsLineAndTellsTheUserItsWay) {
    ScratchFolder folder;
    // No installation or module folder is known here: a local page's path is the separators
    // around them (compared with '/' for either system's separator).
    const std::string sep = "/";
    struct Case {
        const char* name;
        std::function<void()> fail;
        std::vector<std::string> lines;
        std::string notice;
    };
    const std::vector<Case> cases = {
        {"no module",
         Throws<CNoSMMInstalled>(),
         {"There is no SMM installed on the computer."},
         "message 1"},
        {"no product",
         Throws<CNoProductSupported>(),
         {"None of the SMM installed has support for any printer."},
         "message 2"},
        {"no params",
         Throws<CParamsFileDoesNotExist>(),
         {"The params file has not been found."},
         "message 3"},
        {"bad params",
         Throws<CParamsFileBadFormat>(),
         {"The params file is not correctly formatted."},
         "message 4"},
        {"module not installed",
         Throws<CModuleNotInstalled>(),
         {"The module  requested in the params file is not installed."},
         "message 5"},
        {"no module.xml",
         Throws<CModuleXMLFileDoesNotExist>(),
         {"The <unknown>\\module.xml file has not been found."},
         "message 6"},
        {"bad module.xml",
         Throws<CModuleXMLNotWellFormed>(),
         {"The <unknown>\\module.xml file is not correctly formatted."},
         "message 7"},
        {"no product number file",
         Throws<CProdNumberFileDoesNotExist>(),
         {"The <unknown>\\vw\\<unknown> file has not been found."},
         "message 8"},
        {"printer unreachable",
         Throws<CPrinterIOError>(),
         {"The  channel  used cannot be opened while retrieving the product number."},
         "browser " + sep + sep + "www" + sep + "_io_startup.html"},
        {"printer not supported",
         Throws<CPrinterNotSupported>(),
         {"The printer with product number  is not supported by module '<unknown>'."},
         "browser " + sep + sep + "www" + sep + "_prt_unsupported.html"},
        {"port taken",
         Throws<CTavrinPortInUse>(),
         {"The port 8190 is being used by other application that is not a sme."},
         "browser http://127.0.0.1:8190/_port_used.html"},
        {"other module",
         Throws<CTavrinEngineInUse>(),
         {"The port 8190 is being used by other sme with a different module"},
         "browser http://127.0.0.1:8190/_smu_used.html"},
        {"other printer",
         Throws<CTavrinModuleInUse>(),
         {"The port 8190 is being used by other sme with the same module but different printer"},
         "browser http://127.0.0.1:8190/_smu_used.html"},
        {"proxy",
         Throws<CIncorrectProxySettings>(),
         {},
         "browser " + sep + sep + "www" + sep + "_win_proxy.html"},
        {"another of the family", Throws<CPortBusy>(), {"Caught unknown exception!"}, ""},
        {"standard exception",
         [] { throw std::runtime_error("disk on fire"); },
         {"Caught exception: disk on fire", "Caught unknown exception!"},
         ""},
        {"anything else",
         [] { throw 42; },
         {"Caught unknown exception!", "Caught unknown exception!"},
         ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string log = folder.PathOf("case" + std::to_string(index++) + ".log");
        engine_log::SetLogFilePath(log);
        FailingEngine engine(c.fail);
        EXPECT_FALSE(engine.Initialize()) << c.name;
        EXPECT_EQ(LogMessages(log), c.lines) << c.name;
        const std::vector<std::string> expected =
            c.notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.notice};
        std::vector<std::string> seen = engine.notices;
        for (std::string& notice : seen) {
            for (char& byte : notice) {
                if (byte == '\\') byte = '/';
            }
        }
        EXPECT_EQ(seen, expected) << c.name;
    }
}

TEST(EngineStartup, UnknownKindIsAPanic) {
    ScratchFolder folder;
    engine_log::SetLogFilePath(folder.PathOf("panic.log"));
    FailingEngine engine([] {});
    engine.ReportStartupFailure(15);
    engine.ReportStartupFailure(-1);
    EXPECT_EQ(LogMessages(folder.PathOf("panic.log")),
              (std::vector<std::string>{"Found an unknown panic situation.",
                                        "Found an unknown panic situation."}));
    EXPECT_TRUE(engine.notices.empty());
}

TEST(EnginePageContext, IsTheEnginesOwnState) {
    CEngine engine;
    CPageContext& context = engine.PageContext();
    context.SetPageVariable("prtname", "Plotter 9");
    EXPECT_EQ(engine.GetPageVariable("prtname"), "Plotter 9");
    engine.SetPageVariable("prtaddr", "127.0.0.2");
    EXPECT_EQ(context.GetPageVariable("prtaddr"), "127.0.0.2");

    context.Lock();
    context.Lock();  // re-entrant
    EXPECT_EQ(context.PageVariables().at("prtname"), "Plotter 9");
    context.Unlock();
    context.Unlock();

    EXPECT_FALSE(context.StopFlag().IsSet());
    context.StopFlag().Set();
    EXPECT_TRUE(engine.StopFlag().IsSet());
    EXPECT_EQ(context.LiveConnectionCount(), 0);
    EXPECT_EQ(context.PrinterPort(), nullptr);
}

}  // namespace
