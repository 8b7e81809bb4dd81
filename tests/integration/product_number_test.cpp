// The product number step of start-up against the printer simulator: what the printer's
// answer sets, and which failures stop start-up and which are only logged.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "integration/http_client.h"
#include "integration/running_engine.h"
#include "integration/simulated_printer.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace integration {
namespace {

const char* const kPrinterAddress = "127.0.0.13";
const char* const kDirectory = "ident module";
const char* const kLongAnswer = "Q6683A PLOTARA MODEL:orvik plotara 530 (A0 roll)\\r\\n\\r\\n";

std::string ModuleXml(const std::string& productFile) {
    return "<module><log-to-file>yes</log-to-file><exit-page>Exit.html</exit-page>"
           "<default-start-page>Main.html</default-start-page><prod-number-file>" +
           productFile +
           "</prod-number-file><product-number-timeout>1</product-number-timeout>"
           "</module>";
}

class ProductNumber : public ::testing::Test {
protected:
    ProductNumber() : install(TargetUnderTest()), engine(install) {}

    void Install(const std::string& supportedProduct, const std::string& productFile = "id.prn") {
        install.WriteRegistry({{{"ident", kDirectory}, {"other", "other module"}},
                               {{supportedProduct, "ident"}, {"Q1000A", "other"}}});
        install.WriteModuleXml(kDirectory, ModuleXml(productFile));
        install.WriteFile(std::string(kDirectory) + "/vw/id.prn", "ID?\r\n");
        install.WriteFile(std::string(kDirectory) + "/www/Main.html",
                          "number=[[display prod-number]];name=[[display prod-name]];"
                          "shown=[[display display-name]]");
        install.WriteFile(std::string(kDirectory) + "/www/Exit.html", "Goodbye");
        install.WriteParams(std::string("Name:x\r\nTCP\r\nIP: ") + kPrinterAddress +
                            "\r\nPort: 9100\r\nModule:ident\r\n");
    }

    /// Runs start-up; true when the engine went on to serve (it is then stopped again).
    bool StartsServing(std::string* mainPage = nullptr) {
        if (!engine.Start()) {
            ChildResult end = engine.WaitForExit();
            EXPECT_FALSE(end.timedOut);
            return false;
        }
        if (mainPage) *mainPage = Exchange(GetRequest("/Main.html")).body;
        EXPECT_FALSE(engine.Stop("Exit.html").timedOut);
        return true;
    }

    Installation install;
    RunningEngine engine;
    SimulatedPrinter printer;
};

TEST_F(ProductNumber, LongAnswerNamesTheModelAndShowsTheFamilyCapitalised) {
    Install("orvik plotara 530");
    ASSERT_TRUE(printer.Start(kPrinterAddress, {"--answer", "ID?", kLongAnswer}));
    std::string page;
    ASSERT_TRUE(StartsServing(&page));
    EXPECT_EQ(page, "number=Q6683A;name=orvik plotara 530;shown=Orvik Plotara 530");
    EXPECT_EQ(printer.Received(), "ID?\r\n");
}

TEST_F(ProductNumber, ShortAnswerIsBothNumberAndKey) {
    Install("Q6683A");
    ASSERT_TRUE(printer.Start(kPrinterAddress, {"--answer", "ID?", "Q6683A\\r\\n"}));
    std::string page;
    ASSERT_TRUE(StartsServing(&page));
    EXPECT_EQ(page, "number=Q6683A;name=Q6683A;shown=");
}

class UnsupportedProduct : public ProductNumber,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(UnsupportedProduct, StopsStartUpNamingTheProductNumber) {
    Install("Q6683A");
    ASSERT_TRUE(printer.Start(kPrinterAddress, {"--answer", "ID?", GetParam()}));
    EXPECT_FALSE(StartsServing());
    EXPECT_THAT(install.LogMessages(),
                Contains("The printer with product number " + std::string(GetParam(), 6) +
                         " is not supported by module 'ident'."));
    EXPECT_THAT(install.OpenedAddresses(1),
                ElementsAre(install.EnginePathOf("ident module\\www\\_prt_unsupported.html")));
}

// A product of another module, and one no module supports.
INSTANTIATE_TEST_SUITE_P(OtherModuleOrNone, UnsupportedProduct,
                         ::testing::Values("Q1000A\\r\\n", "Q9999A"));

TEST_F(ProductNumber, MissingProductNumberFileStopsStartUp) {
    Install("Q6683A", "absent.prn");
    EXPECT_FALSE(StartsServing());
    EXPECT_THAT(install.LogMessages(),
                Contains("The ident module\\vw\\absent.prn file has not been found."));
}

TEST_F(ProductNumber, SilentNetworkPrinterStopsStartUp) {
    Install("Q6683A");
    ASSERT_TRUE(printer.Start(kPrinterAddress, {"--silent"}));
    EXPECT_FALSE(StartsServing());
    EXPECT_THAT(install.LogMessages(),
                Contains(std::string("The ip channel ") + kPrinterAddress +
                         " used cannot be opened while retrieving the product number."));
    EXPECT_EQ(printer.Received(), "ID?\r\n");
    EXPECT_THAT(install.OpenedAddresses(1),
                ElementsAre(install.EnginePathOf("ident module\\www\\_io_startup.html")));
}

// Once the module's configuration says so, not even an error page opens a browser.
TEST_F(ProductNumber, ModuleWithoutUserInterfaceOpensNoErrorPage) {
    Install("Q6683A");
    install.WriteModuleXml(kDirectory,
                           "<module><log-to-file>yes</log-to-file><show-ui>no"
                           "</show-ui><prod-number-file>id.prn</prod-number-file>"
                           "<product-number-timeout>1</product-number-timeout>"
                           "</module>");
    ASSERT_TRUE(printer.Start(kPrinterAddress, {"--silent"}));
    EXPECT_FALSE(StartsServing());
    EXPECT_THAT(install.LogMessages(),
                Contains("No browser launched because show_ui is set to no in module.xmnl."));
    EXPECT_THAT(install.OpenedAddresses(), IsEmpty());
}

TEST_F(ProductNumber, ParallelPrinterThatDoesNotAnswerIsOnlyLogged) {
    Install("Q6683A");
    // Wine reaches the pty through the prefix's LPT1, whose entry comes back afterwards; the
    // native engine opens the pty itself.
    const ProgramTarget& target = TargetUnderTest();
    const std::string link = target.IsWine() ? target.WinePrefix() + "/dosdevices/lpt1" : "";
    std::error_code none;
    const std::filesystem::path before = std::filesystem::read_symlink(link, none);
    const std::string pty = printer.StartOnPty(link, {"--silent"});
    ASSERT_FALSE(pty.empty()) << "the pty printer did not start";
    const std::string port = target.IsWine() ? "LPT1" : pty;
    install.WriteParams("Name:x\r\nPARALLEL\r\nPort:" + port + "\r\nModule:ident\r\n");
    EXPECT_TRUE(StartsServing());
    EXPECT_THAT(install.LogMessages(),
                Contains("Ignoring that the parallel channel " + port +
                         " used cannot be used while retrieving the product number."));
    EXPECT_EQ(printer.Received(), "ID?\r\n");
    if (!link.empty()) {
        std::filesystem::remove(link, none);
        if (!before.empty()) std::filesystem::create_symlink(before, link, none);
    }
}

TEST_F(ProductNumber, UnreachablePrinterIsOnlyLogged) {
    Install("Q6683A");
    std::string page;
    ASSERT_TRUE(StartsServing(&page));
    EXPECT_EQ(page, "number=;name=;shown=");
    EXPECT_THAT(install.LogMessages(),
                Contains(std::string("Ignoring that the ip channel ") + kPrinterAddress +
                         " used cannot be opened while retrieving the product number."));
}

}  // namespace
}  // namespace integration
