// Printer commands seen from outside: the engine serves pages bound to commands while the
// printer simulator stands in for the printer, and each way a command can end shows in the
// page, the printer's record and the progress page.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "harness/wait.h"
#include "integration/http_client.h"
#include "integration/running_engine.h"
#include "integration/simulated_printer.h"
#include "support/scratch_folder.h"
#include "text/url_coding.h"

using ::testing::HasSubstr;

namespace integration {
namespace {

const char* const kPrinterAddress = "127.0.0.12";
const char* const kModuleDirectory = "relay module";
const char* const kIdRequest = "ID?\r\n";

std::string Command(const std::string& name, const std::string& page, const std::string& file,
                    const std::string& settings) {
    return "<command><name>" + name + "</name><html-page>" + page + "</html-page><file-to-send>" +
           file + "</file-to-send>" + settings + "</command>\n";
}

std::string ModuleXml() {
    return "<?xml version=\"1.0\"?>\n<module>\n<exit-page>Exit.html</exit-page>\n"
           "<log-to-file>yes</log-to-file>\n<default-start-page>Main.html</default-start-page>\n"
           "<prod-number-file>id.prn</prod-number-file>\n"
           "<product-number-timeout>2</product-number-timeout>\n<commands>\n" +
           Command("answer", "Answer.html", "status.prn",
                   "<write-timeout>2</write-timeout><read-timeout>1</read-timeout>"
                   "<backchannel-length>-1</backchannel-length>"
                   "<backchannel-name>printer-answer</backchannel-name>") +
           Command("exact", "Exact.html", "exact.prn",
                   "<write-timeout>2</write-timeout><read-timeout>1</read-timeout>"
                   "<backchannel-length>10</backchannel-length>"
                   "<backchannel-name>exact-answer</backchannel-name>") +
           Command("spoken", "Spoken.html", "spoken.prn",
                   "<write-timeout>2</write-timeout><read-timeout>1</read-timeout>"
                   "<backchannel-length>-1</backchannel-length>"
                   "<backchannel-name>spoken</backchannel-name>"
                   "<parse-backchannel>yes</parse-backchannel>") +
           Command("job", "Job.html", "job.prn",
                   "<parse-file>yes</parse-file><requires-extra-xml-info>yes"
                   "</requires-extra-xml-info><write-timeout>2</write-timeout>") +
           Command("firmware", "Send.html", "small.fw",
                   "<display-progress>yes</display-progress><write-timeout>5</write-timeout>") +
           Command("missing", "Missing.html", "nothing.prn", "<write-timeout>2</write-timeout>") +
           "</commands>\n</module>\n";
}

std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>\n"; }

const char* const kOutcome =
    "error=[[display error]];p1=[[display error-param1]];file=[[display file-to-send]]";

class PrinterCommands : public ::testing::Test {
protected:
    PrinterCommands() : install(TargetUnderTest()), engine(install) {}

    void SetUp() override {
        const std::string dir = kModuleDirectory;
        install.WriteRegistry({{{"relay", dir}}, {{"Q6683A", "relay"}}});
        install.WriteModuleXml(dir, ModuleXml());
        install.WriteFile(dir + "/vw/id.prn", kIdRequest);
        install.WriteFile(dir + "/vw/status.prn", "STATUS?\r\n");
        install.WriteFile(dir + "/vw/exact.prn", "EXACT?\r\n");
        install.WriteFile(dir + "/vw/spoken.prn", "SPEAK?\r\n");
        install.WriteFile(dir + "/vw/job.prn",
                          "JOB for [[display prtname]] q=[[display q]] os=[[display OS-Name]]\n");
        install.WriteFile(dir + "/vw/small.fw", std::string(3000, 'f'));
        const std::string www = dir + "/www/";
        install.WriteFile(www + "Main.html",
                          Page("number=[[display prod-number]];name=[[display prod-name]]"));
        install.WriteFile(www + "Answer.html",
                          Page("answer=[[display printer-answer]];" + std::string(kOutcome)));
        install.WriteFile(www + "Exact.html",
                          Page("exact=[[display exact-answer]];" + std::string(kOutcome)));
        install.WriteFile(www + "Spoken.html",
                          Page("spoken=[[display spoken]];mood=[[display mood]]"));
        install.WriteFile(www + "Later.html", Page("mood=[[display mood]]"));
        install.WriteFile(www + "Job.html", Page(kOutcome));
        install.WriteFile(www + "Send.html", Page(kOutcome));
        install.WriteFile(www + "Missing.html", Page(kOutcome));
        install.WriteFile(www + "Progress.html",
                          Page("[[display data-send-progress]]/[[display data-transfer-status]]"));
        install.WriteFile(www + "Exit.html", Page("Goodbye"));
        // A failed command is answered with these pages instead.
        install.WriteFile(www + "_io.html", Page("io " + std::string(kOutcome)));
        install.WriteFile(www + "_cmd_file_not_found.html",
                          Page("missing " + std::string(kOutcome)));
        install.WriteParams(std::string("Name:Relay plotter\r\nTCP\r\nIP: ") + kPrinterAddress +
                            "\r\nPort: 9100\r\nModule:relay\r\n");
    }

    void TearDown() override {
        if (!engine.IsRunning()) return;
        ChildResult end = engine.Stop("Exit.html");
        EXPECT_FALSE(end.timedOut) << "the engine did not stop on its exit page";
    }

    /// Starts the printer (answering the product number request and `options`) and the
    /// engine.
    void StartWith(const std::vector<std::string>& options) {
        std::vector<std::string> all = {"--answer", "ID?", "Q6683A\\r\\n"};
        all.insert(all.end(), options.begin(), options.end());
        ASSERT_TRUE(printer->Start(kPrinterAddress, all)) << "the printer simulator did not start";
        ASSERT_TRUE(engine.Start()) << "the engine did not serve";
    }

    /// Puts another printer at the same address once the engine has started.
    void ReplacePrinter(const std::vector<std::string>& options) {
        printer.reset();
        printer = std::make_unique<SimulatedPrinter>();
        ASSERT_TRUE(printer->Start(kPrinterAddress, options)) << "the printer did not restart";
    }

    std::string Body(const std::string& target, double timeoutSeconds = 30) {
        HttpAnswer answer = Exchange(GetRequest(target), timeoutSeconds);
        EXPECT_TRUE(answer.complete) << target;
        return answer.body;
    }

    /// A file of `size` bytes outside the installation, named as the engine sees it.
    std::string LocalFile(const std::string& name, std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 23);
        outside.Write(name, bytes);
        return TargetUnderTest().PathAsSeen(outside.PathOf(name));
    }

    Installation install;
    RunningEngine engine;
    std::unique_ptr<SimulatedPrinter> printer = std::make_unique<SimulatedPrinter>();
    ScratchFolder outside;
};

TEST_F(PrinterCommands, AnswersComeBackTrimmedExactOrShortAndTemplatesInThemAct) {
    StartWith({"--answer", "STATUS?", "OK\\r\\n\\r\\n", "--answer", "EXACT?", "123456789",
               "--answer", "SPEAK?", "[[set mood]][[value calm]]I am [[display mood]]\\r\\n"});
    EXPECT_THAT(Body("/Main.html"), HasSubstr("number=Q6683A;name=Q6683A"));

    EXPECT_THAT(Body("/Answer.html"),
                HasSubstr("answer=OK;error=0;p1=;file=relay module\\vw\\status.prn"));
    // Nine bytes where ten were expected.
    EXPECT_THAT(Body("/Exact.html"), HasSubstr("io error=30"));
    EXPECT_THAT(Body("/Spoken.html"), HasSubstr("spoken=I am calm;mood=calm"));
    EXPECT_THAT(Body("/Later.html"), HasSubstr("mood=calm")) << "a set in an answer stays";

    const std::string received = printer->Received();
    EXPECT_THAT(received, HasSubstr(std::string(kIdRequest) + "STATUS?\r\nEXACT?\r\nSPEAK?\r\n"));
}

TEST_F(PrinterCommands, ParsedJobIsSentExpandedWithRequestAndSystemValues) {
    StartWith({});
    EXPECT_THAT(Body("/Job.html?q=first%20run"), HasSubstr("error=0"));
    ASSERT_TRUE(printer->WaitUntilReceived(std::string(kIdRequest).size() + 10));
    EXPECT_THAT(printer->Received(), HasSubstr("JOB for Relay plotter q=first run os="));
}

TEST_F(PrinterCommands, FilesToSendAreTheModulesOrLocalRegularFilesOnly) {
    StartWith({});
    EXPECT_THAT(Body("/Missing.html"),
                HasSubstr("missing error=10;p1=OS;file=relay module\\vw\\nothing.prn"));
    EXPECT_THAT(Body("/Missing.html?file-to-send=status.prn"), HasSubstr("error=0"));

    const std::string local = LocalFile("fw.bin", 5000);
    EXPECT_THAT(Body("/Send.html?abs=1&file-to-send=" + UrlEncode(local)),
                HasSubstr("error=0;p1=;file=" + local));
    // abs without a name falls back to the command's own file.
    EXPECT_THAT(Body("/Send.html?abs=1"), HasSubstr("error=0;p1=;file=relay module\\vw\\small.fw"));

    for (const std::string& refused :
         {std::string("\\\\127.0.0.1\\share\\fw.bin"), std::string("//127.0.0.1/share/fw.bin"),
          std::string("\\\\.\\PhysicalDrive0"), std::string("\\\\?\\") + local,
          TargetUnderTest().PathAsSeen(outside.Path()), std::string("/dev/zero")}) {
        EXPECT_THAT(Body("/Send.html?abs=1&file-to-send=" + UrlEncode(refused)),
                    HasSubstr("missing error=10;p1=OS;file=" + refused))
            << refused;
    }
    const std::size_t expected = std::string(kIdRequest).size() + 9 + 5000 + 3000;
    ASSERT_TRUE(printer->WaitUntilReceived(expected));
    EXPECT_EQ(printer->Received().size(), expected) << "a refused file was sent";
}

TEST_F(PrinterCommands, ProgressIsPublishedWhileSendingAndEndsDoneWhileTheSecondCommandWaits) {
    // The printer reads nothing for a while after the connection opens, so the send is seen
    // half way.
    StartWith({});
    ReplacePrinter({"--stall", "1500"});
    const std::string big = LocalFile("big.fw", 24u << 20);
    auto send = std::async(std::launch::async, [&] {
        return Body("/Send.html?abs=1&file-to-send=" + UrlEncode(big), 120);
    });

    std::string seen;
    const bool halfWay = harness::WaitUntil(
        [&] {
            seen = Body("/Progress.html");
            const std::size_t at = seen.find("<body>");
            const int progress = std::atoi(seen.c_str() + at + 6);
            return seen.find("/sending") != std::string::npos && progress > 0 && progress < 100;
        },
        30, 20);
    EXPECT_TRUE(halfWay) << "never saw the send half way; last: " << seen;
    // The port is held by the send: a second command cannot open it.
    EXPECT_THAT(Body("/Answer.html"), HasSubstr("io error=20"));

    EXPECT_THAT(send.get(), HasSubstr("error=0"));
    EXPECT_THAT(Body("/Progress.html"), HasSubstr("100/done"));
    ASSERT_TRUE(printer->WaitUntilReceived(24u << 20, 60));
    EXPECT_EQ(printer->Received().size(), 24u << 20);
}

TEST_F(PrinterCommands, FailedSendIsReportedSoonAfterItsTimeLimit) {
    // A printer that never reads: the write fails once its 5 s limit has passed.
    StartWith({});
    ReplacePrinter({"--stall", "0"});
    const std::string big = LocalFile("big.fw", 24u << 20);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT(Body("/Send.html?abs=1&file-to-send=" + UrlEncode(big), 120),
                HasSubstr("io error=10;p1=TIMEOUT"));
    EXPECT_LT(harness::SecondsSince(start), 5 + 5.0) << "the failed send was not reported soon";
    EXPECT_THAT(Body("/Progress.html"), HasSubstr("-1/error"));
}

}  // namespace
}  // namespace integration
