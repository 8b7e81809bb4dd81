// How "module.xml" becomes the module configuration and its command table.

#include <gtest/gtest.h>

#include <memory>

#include "base/log.h"
#include "base/tavrin_exception.h"
#include "config/module_config.h"

namespace {

CModuleConfig Loaded(const std::string& xml) {
    CModuleConfig config("merrow", "merrow dir");
    config.LoadFromBytes(xml);
    return config;
}

TEST(ModuleConfig, DefaultsWithoutAnySetting) {
    CModuleConfig config = Loaded("<module/>");
    EXPECT_EQ(config.GetModuleName(), "merrow");
    EXPECT_EQ(config.GetModuleDirectory(), "merrow dir");
    EXPECT_EQ(config.GetSMMVersion(), "");
    EXPECT_EQ(config.GetExitPage(), "");
    EXPECT_EQ(config.GetDefaultStartPage(), "MainMenu.html");
    EXPECT_EQ(config.GetProductNumberTimeout(), 0);
    EXPECT_FALSE(config.GetLogToFile());
    EXPECT_TRUE(config.GetShowUI()) << "a module without show-ui gets its browser";
    EXPECT_EQ(config.GetCommandCount(), 0u);
}

TEST(ModuleConfig, ReadsEveryTopLevelKey) {
    CModuleConfig config = Loaded(
        "<?xml version='1.0'?><anything>"
        "<SMM-version>3.0.1</SMM-version><exit-page>Bye.HTML</exit-page>"
        "<fmw-location>http://example.invalid/fw</fmw-location>"
        "<troubleshoot-url>http://example.invalid/ts</troubleshoot-url>"
        "<show-ui>no</show-ui><prod-number-file>pn.prn</prod-number-file>"
        "<default-start-page>Start.html</default-start-page>"
        "<product-number-timeout>  +12s</product-number-timeout>"
        "<unknown-key>ignored</unknown-key></anything>");
    EXPECT_EQ(config.GetSMMVersion(), "3.0.1");
    EXPECT_EQ(config.GetExitPage(), "Bye.HTML") << "kept as written";
    EXPECT_EQ(config.GetFirmwareLocation(), "http://example.invalid/fw");
    EXPECT_EQ(config.GetTroubleshootingAddress(), "http://example.invalid/ts");
    EXPECT_FALSE(config.GetShowUI());
    EXPECT_EQ(config.GetProductNumberFile(), "pn.prn");
    EXPECT_EQ(config.GetDefaultStartPage(), "Start.html");
    EXPECT_EQ(config.GetProductNumberTimeout(), 12);
}

TEST(ModuleConfig, EmptyOrSelfClosedSettingsKeepTheirDefaults) {
    CModuleConfig config = Loaded(
        "<m><SMM-version>1</SMM-version><SMM-version/>"
        "<default-start-page></default-start-page><exit-page/></m>");
    EXPECT_EQ(config.GetSMMVersion(), "1") << "an empty later element is skipped as if absent";
    EXPECT_EQ(config.GetDefaultStartPage(), "MainMenu.html");
    EXPECT_EQ(config.GetExitPage(), "");
}

TEST(ModuleConfig, LaterOccurrenceOverwritesEarlier) {
    CModuleConfig config =
        Loaded("<m><exit-page>a.html</exit-page><exit-page>b.html</exit-page></m>");
    EXPECT_EQ(config.GetExitPage(), "b.html");
}

TEST(ModuleConfig, FlagsAreTrueOnlyForLowerCaseYes) {
    EXPECT_FALSE(Loaded("<m><show-ui>Yes</show-ui></m>").GetShowUI());
    EXPECT_FALSE(Loaded("<m><show-ui>yes </show-ui></m>").GetShowUI());
    EXPECT_TRUE(Loaded("<m><show-ui>  yes</show-ui></m>").GetShowUI())
        << "leading white space of a text run is dropped by the reader";
}

TEST(ModuleConfig, NumbersFollowTheCRules) {
    EXPECT_EQ(Loaded("<m><product-number-timeout>abc</product-number-timeout></m>")
                  .GetProductNumberTimeout(),
              0);
    EXPECT_EQ(Loaded("<m><product-number-timeout>-7x</product-number-timeout></m>")
                  .GetProductNumberTimeout(),
              -7);
}

TEST(ModuleConfig, LogToFileIsReadButLeavesTheLogAlone) {
    engine_log::SetLoggingToFile(false);
    EXPECT_TRUE(Loaded("<m><log-to-file>yes</log-to-file></m>").GetLogToFile());
    EXPECT_FALSE(Loaded("<m><log-to-file>YES</log-to-file></m>").GetLogToFile());
    // The engine switches the log once the whole configuration has loaded.
    EXPECT_FALSE(engine_log::LoggingToFile());
}

TEST(ModuleConfig, SettingWhoseFirstChildIsACommentReadsTheCommentText) {
    EXPECT_EQ(Loaded("<m><SMM-version><!--note-->1.0</SMM-version></m>").GetSMMVersion(), "note");
    EXPECT_EQ(Loaded("<m><SMM-version><![CDATA[<2.0>]]></SMM-version></m>").GetSMMVersion(),
              "<2.0>");
}

TEST(ModuleConfig, CommandsReadEveryField) {
    CModuleConfig config = Loaded(
        "<m><commands><command>"
        "<name>status</name><html-page>Status.HTML</html-page>"
        "<file-to-send>status.prn</file-to-send><parse-file>yes</parse-file>"
        "<only-lpt1>yes</only-lpt1><write-timeout>30</write-timeout>"
        "<read-timeout>5</read-timeout><backchannel-length>-1</backchannel-length>"
        "<backchannel-name>answer</backchannel-name><parse-backchannel>yes</parse-backchannel>"
        "<display-progress>yes</display-progress>"
        "<requires-extra-xml-info>yes</requires-extra-xml-info>"
        "</command></commands></m>");
    CCommand command;
    ASSERT_TRUE(config.FindCommand("status.html", &command));
    EXPECT_EQ(command.name, "status");
    EXPECT_EQ(command.htmlPage, "status.html");
    EXPECT_EQ(command.fileToSend, "status.prn");
    EXPECT_TRUE(command.parseFile);
    EXPECT_TRUE(command.onlyLpt1);
    EXPECT_EQ(command.writeTimeout, 30);
    EXPECT_EQ(command.readTimeout, 5);
    EXPECT_EQ(command.backchannelLength, -1);
    EXPECT_EQ(command.backchannelName, "answer");
    EXPECT_TRUE(command.parseBackchannel);
    EXPECT_TRUE(command.displayProgress);
    EXPECT_TRUE(command.requiresExtraXmlInfo);
    EXPECT_FALSE(config.FindCommand("Status.HTML", &command)) << "look-ups are by lower case";
}

TEST(ModuleConfig, CommandFieldsStartEmptyAndFlagsNeedYes) {
    CModuleConfig config = Loaded(
        "<m><commands><command><html-page>a.html</html-page><parse-file>no</parse-file>"
        "<write-timeout/></command></commands></m>");
    CCommand command;
    ASSERT_TRUE(config.FindCommand("a.html", &command));
    EXPECT_EQ(command.name, "");
    EXPECT_FALSE(command.parseFile);
    EXPECT_EQ(command.writeTimeout, 0);
    EXPECT_EQ(command.backchannelLength, 0);
}

TEST(ModuleConfig, FirstCommandOfAPageIsKeptWhateverTheLetterCase) {
    CModuleConfig config = Loaded(
        "<m><commands>"
        "<command><name>first</name><html-page>Print.html</html-page></command>"
        "<other><name>not a command</name><html-page>x.html</html-page></other>"
        "<command><name>second</name><html-page>PRINT.HTML</html-page></command>"
        "</commands></m>");
    CCommand command;
    ASSERT_TRUE(config.FindCommand("print.html", &command));
    EXPECT_EQ(command.name, "first");
    EXPECT_FALSE(config.FindCommand("x.html", &command));
    EXPECT_EQ(config.GetCommandCount(), 1u);
}

TEST(ModuleConfig, OnlyCommandsDirectlyBelowTheRootCount) {
    CModuleConfig config = Loaded(
        "<m><group><commands><command><html-page>deep.html</html-page></command>"
        "</commands></group><commands/></m>");
    EXPECT_EQ(config.GetCommandCount(), 0u);
}

TEST(ModuleConfig, MalformedDocumentRaisesTheModuleError) {
    CModuleConfig config("merrow", "merrow dir");
    try {
        config.LoadFromBytes("<m><exit-page>x</exit-page>");
        FAIL() << "no exception";
    } catch (CModuleXMLNotWellFormed* caught) {
        TakeOwnership(caught);
    }
}

TEST(ModuleConfig, MissingFileRaisesItsOwnError) {
    CModuleConfig config("merrow", "no such module directory");
    try {
        config.Load();
        FAIL() << "no exception";
    } catch (CModuleXMLFileDoesNotExist* caught) {
        TakeOwnership(caught);
    }
}

}  // namespace
