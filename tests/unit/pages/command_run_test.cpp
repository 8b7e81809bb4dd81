// The command run and the printer port through a scripted channel: the three ways of
// sending, the answer rules, the progress a second page sees, and every failure.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/tavrin_exception.h"
#include "pages/command_run.h"
#include "pages/printer_port.h"
#include "support/fixed_page_context.h"
#include "support/scratch_folder.h"

namespace {

/// What the scripted channel was given and what it hands back.
struct ChannelScript {
    std::uint32_t chunkSize = 4;
    bool opens = true;
    /// Writes fail once this many bytes have been accepted; negative never.
    long failAfter = -1;
    std::vector<std::string> answers;  // one per Read, then nothing
    std::string written;
    std::vector<std::uint32_t> timeouts;
    int made = 0;
    int open = 0;  // channels alive
};

class ScriptedChannel : public CIOChannel {
public:
    explicit ScriptedChannel(ChannelScript& script) : m_script(script) { ++m_script.open; }
    ~ScriptedChannel() override { --m_script.open; }
    std::uint32_t GetLastErrorCode() override { return 0; }
    std::uint32_t GetMaxChunkSize() override { return m_script.chunkSize; }
    bool Open(std::int32_t) override { return m_script.opens; }
    bool Read(char* buffer, std::uint32_t& size) override {
        if (m_next >= m_script.answers.size()) {
            size = 0;
            return false;
        }
        const std::string& answer = m_script.answers[m_next++];
        size = static_cast<std::uint32_t>(std::min<std::size_t>(size, answer.size()));
        answer.copy(buffer, size);
        return true;
    }
    bool Write(const char* buffer, std::uint32_t length) override {
        EXPECT_LE(length, m_script.chunkSize) << "a write larger than the channel's largest";
        if (m_script.failAfter >= 0 &&
            m_script.written.size() + length > static_cast<std::size_t>(m_script.failAfter)) {
            return false;
        }
        m_script.written.append(buffer, length);
        return true;
    }
    std::uint32_t GetSize() override { return 0; }
    bool SetTimeout(std::uint32_t milliseconds) override {
        m_script.timeouts.push_back(milliseconds);
        return true;
    }
    bool IsNetworkChannel() override { return true; }
    bool DeleteTarget() override { return false; }
    bool CreateTarget() override { return false; }

private:
    ChannelScript& m_script;
    std::size_t m_next = 0;
};

class CommandRunTest : public ::testing::Test {
protected:
    CommandRunTest()
        : context(CModuleConfig("relay", folder.PathOf("relay module"))),
          port([this](const CChannelAddress&) {
              ++script.made;
              return std::make_unique<ScriptedChannel>(script);
          }) {
        port.SetUpFrom("ip", "plotter", "127.0.0.9");
        context.printerPort = &port;
        context.installationDirectory = folder.Path();
        folder.Write("relay module/vw/job.prn", "JOB 12345\n");
        command.fileToSend = "job.prn";
        command.writeTimeout = 3;
        command.readTimeout = 2;
    }

    /// Runs the command; the name of the exception it threw, or "" on success.
    std::string Run() {
        CCommandRun run(context, context.moduleConfig, command, context.printerPort,
                        context.pageVariables, parameters, response);
        try {
            run.Run();
        } catch (CTavrinException* caught) {
            auto failure = TakeOwnership(caught);
            if (dynamic_cast<CFileToSendDoesNotExist*>(failure.get())) return "file";
            if (dynamic_cast<CCannotOpenPrinterPort*>(failure.get())) return "port";
            if (dynamic_cast<CTimeoutSendingFileToPrinter*>(failure.get())) return "send";
            if (dynamic_cast<CTimeoutReadingBackchannelFromPrinter*>(failure.get())) return "read";
            return "other";
        }
        return "";
    }

    std::string Progress() {
        return context.GetPageVariable("data-send-progress") + "/" +
               context.GetPageVariable("data-transfer-status");
    }

    ScratchFolder folder;
    CFixedPageContext context;
    ChannelScript script;
    CPrinterPort port;
    CCommand command;
    TextMap parameters;
    TextMap response;
};

TEST(PrinterPortSetUp, AddressRecordFollowsTheConnectionWord) {
    struct Row {
        const char* word;
        const char* address;
        bool made;
        int kind;
        const char* object;
        const char* zone;
    };
    const Row rows[] = {
        {"parallel", "LPT1", true, 4, "LPT1", ""},
        {"usb", "USB001", true, 6, "USB001", ""},
        {"ip", "10.0.0.7", true, 0, "10.0.0.7", ""},
        {"at", "Plotter 7::Floor 2", true, 3, "Plotter 7", "Floor 2"},
        {"at", "Plotter 7", true, 3, "Plotter 7", ""},
        {"at", "a::b::c", true, 3, "a", "b::c"},
        {"ipx", "00000000:00AA00BB00CC", false, 0, "", ""},
        {"", "10.0.0.7", false, 0, "", ""},
        {"ip", "", false, 0, "", ""},
    };
    for (const Row& row : rows) {
        CPrinterPort port;
        port.SetUpFrom(row.word, "name", row.address);
        ASSERT_EQ(port.HasAddressRecord(), row.made) << row.word << " " << row.address;
        if (!row.made) {
            try {
                port.Open();
                ADD_FAILURE() << "a port without an address record opened";
            } catch (CCannotOpenPrinterPort* caught) {
                TakeOwnership(caught);
            }
            continue;
        }
        const CChannelAddress& record = *port.AddressRecord();
        EXPECT_EQ(record.GetKind(), row.kind) << row.word;
        EXPECT_STREQ(record.GetAddress(), row.object) << row.word;
        EXPECT_STREQ(record.GetZone(), row.zone) << row.word;
        EXPECT_EQ(record.GetMode(), CChannelAddress::kModeNotSet);
    }
}

TEST_F(CommandRunTest, PlainSendGoesInChunksWithTheWriteTimeAndClosesThePort) {
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(script.written, "JOB 12345\n");
    EXPECT_EQ(script.timeouts, std::vector<std::uint32_t>{3000});
    EXPECT_EQ(script.open, 0) << "the port was left open";
    EXPECT_EQ(response["file-to-send"], folder.PathOf("relay module") + "\\vw\\job.prn");
    EXPECT_EQ(Progress(), "/") << "a send without display-progress publishes nothing";
}

TEST_F(CommandRunTest, AnswerIsTrimmedCutAtNulAndItsTemplateTagsAct) {
    command.backchannelLength = -1;
    command.backchannelName = "said";
    script.chunkSize = 64;
    struct Row {
        std::vector<std::string> answers;
        bool parse;
        const char* stored;
    };
    const Row rows[] = {
        {{"OK", "\r\n"}, false, "OK"},
        {{"two\r\n\r\n\n"}, false, "two"},
        {{"cut", std::string("\0rest\r\n", 7)}, false, "cut"},
        {{"in\r\nside\r"}, false, "in\r\nside"},
        {{"[[set mood]][[value calm]]I am [[display mood]]\r\n"}, true, "I am calm"},
    };
    for (const Row& row : rows) {
        script.answers = row.answers;
        command.parseBackchannel = row.parse;
        ASSERT_EQ(Run(), "");
        EXPECT_EQ(response["said"], row.stored);
    }
    EXPECT_EQ(context.GetPageVariable("mood"), "calm") << "a set in the answer reaches the table";
    EXPECT_EQ(script.timeouts.back(), 2000u) << "the read runs with the read time-out";
    EXPECT_EQ(script.open, 0);
}

TEST_F(CommandRunTest, ExactLengthAnswersMustBeWhole) {
    command.backchannelLength = 10;
    command.backchannelName = "said";
    script.chunkSize = 64;
    script.answers = {"12345", "6789"};
    EXPECT_EQ(Run(), "read");
    script.answers = {"12345", "67890"};
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(response["said"], "1234567890");
    script.answers = {};
    command.backchannelLength = -1;
    EXPECT_EQ(Run(), "read") << "silence is no answer";
    EXPECT_EQ(script.open, 0) << "a failed read closes the port";
}

TEST_F(CommandRunTest, FailuresBeforeAnythingIsSent) {
    command.fileToSend = "absent.prn";
    EXPECT_EQ(Run(), "file");
    EXPECT_EQ(response["file-to-send"], folder.PathOf("relay module") + "\\vw\\absent.prn");
    EXPECT_EQ(script.made, 0) << "no port is opened for a missing file";

    command.fileToSend = "job.prn";
    port.Open();
    EXPECT_EQ(Run(), "port") << "a port that another command holds";
    port.Close();

    script.opens = false;
    EXPECT_EQ(Run(), "port");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(script.written.empty());
}

TEST_F(CommandRunTest, ProgressEndsDoneAfterAGoodSendAndErrorAfterAFailedOne) {
    command.displayProgress = true;
    folder.Write("relay module/vw/job.prn", std::string(4000, 'x'));
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(Progress(), "100/done");
    EXPECT_EQ(script.written.size(), 4000u);

    script.written.clear();
    script.failAfter = 1000;
    EXPECT_EQ(Run(), "send");
    EXPECT_EQ(Progress(), "-1/error");
    EXPECT_EQ(port.GetProgress(CPrinterPort::kSendDirection), 0) << "reset for the next send";
    EXPECT_EQ(script.open, 0);

    // The next send starts from 0 again, whatever an unwatched failed send left behind.
    port.SetProgress(CPrinterPort::kSendDirection, -1);
    script.failAfter = -1;
    script.written.clear();
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(Progress(), "100/done");
    EXPECT_EQ(script.written.size(), 4000u);
}

TEST_F(CommandRunTest, ProgressOfAnExpansionIsCountedAgainstTheFileOnDisk) {
    command.displayProgress = true;
    command.parseFile = true;
    struct Row {
        std::string value;
        const char* why;
    };
    const Row rows[] = {{std::string(20000, 'y'), "longer than the file: past 100"},
                        {"", "shorter than the file: never 100"}};
    for (const Row& row : rows) {
        folder.Write("relay module/vw/job.prn", "head [[display fill]] tail");
        parameters["fill"] = row.value;
        script.written.clear();
        EXPECT_EQ(Run(), "") << row.why;
        EXPECT_EQ(script.written, "head " + row.value + " tail") << row.why;
        EXPECT_EQ(Progress(), "100/done") << row.why;
    }
}

TEST_F(CommandRunTest, ExtraInformationIsCollectedOnlyWhenAskedAndFeedsTheExpansion) {
    command.parseFile = true;
    context.systemInformation["OS-Name"] = "Microsoft Windows";
    folder.Write("relay module/vw/job.prn", "os=[[display OS-Name]] q=[[display q]]");
    parameters["q"] = "asked";
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(script.written, "os= q=asked");
    EXPECT_EQ(context.systemInfoCollections, 0);

    command.requiresExtraXmlInfo = true;
    script.written.clear();
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(script.written, "os=Microsoft Windows q=asked");
    EXPECT_EQ(context.systemInfoCollections, 1);
}

TEST_F(CommandRunTest, AbsoluteNamesMustBeLocalRegularFiles) {
    folder.Write("outside.bin", "OUTSIDE");
    parameters["abs"] = "1";
    parameters["file-to-send"] = folder.PathOf("outside.bin");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(script.written, "OUTSIDE");
    EXPECT_EQ(response["file-to-send"], folder.PathOf("outside.bin"));

    for (const std::string& refused :
         {std::string("\\\\server\\share\\outside.bin"), std::string("//server/share/x"),
          std::string("\\\\.\\PhysicalDrive0"), "\\\\?\\" + folder.PathOf("outside.bin"),
          "\\??\\" + folder.PathOf("outside.bin"), folder.Path()}) {
        parameters["file-to-send"] = refused;
        EXPECT_EQ(Run(), "file") << refused;
    }
    EXPECT_EQ(script.made, 1) << "a refused file opened a port";
}

}  // namespace
