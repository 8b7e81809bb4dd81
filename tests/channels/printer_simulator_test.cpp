// The printer simulator's own logic: its command line and what it answers to what.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "byte_record.h"
#include "printer_behaviour.h"
#include "simulator_options.h"

namespace fs = std::filesystem;

namespace {

SimulatorOptions Parsed(const std::vector<std::string>& arguments) {
    SimulatorOptions options;
    std::string error;
    EXPECT_TRUE(ParseSimulatorOptions(arguments, options, error)) << error;
    return options;
}

std::string ParseError(const std::vector<std::string>& arguments) {
    SimulatorOptions options;
    std::string error;
    EXPECT_FALSE(ParseSimulatorOptions(arguments, options, error));
    return error;
}

TEST(SimulatorOptionsTest, ReadsATcpPrinterWithItsAnswers) {
    const SimulatorOptions options =
        Parsed({"--tcp", "127.0.0.30", "--answer", "ID\\r\\n", "\\x01P\\\\", "--answer", "ST", "OK",
                "--short", "3", "--delay", "250", "--drop-after", "0", "--record", "r"});
    EXPECT_EQ(options.transport, SimulatorTransport::kTcp);
    EXPECT_EQ(options.address, "127.0.0.30");
    EXPECT_EQ(options.port, 9100);
    ASSERT_EQ(options.answers.size(), 2u);
    EXPECT_EQ(options.answers[0].first, "ID\r\n");
    EXPECT_EQ(options.answers[0].second, std::string("\x01P\\"));
    EXPECT_EQ(options.answers[1].first, "ST");
    EXPECT_EQ(options.shortAnswer, 3);
    EXPECT_EQ(options.answerDelayMs, 250);
    EXPECT_EQ(options.dropAfter, 0);
    EXPECT_EQ(options.stallMs, -1);
    EXPECT_EQ(options.recordPath, "r");
}

TEST(SimulatorOptionsTest, ReadsThePrinterFamilysAnswersAfterTheOthers) {
    const SimulatorOptions options = Parsed(
        {"--pty", "--status", "READY\\tONLINE", "--answer", "X", "x", "--product", "Q1251A",
         "orvik plotara 530", "--product-trigger", "ID\\r\\n", "--echo", "--read-rate", "65536"});
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"X", "x"},
        {"ID\r\n", "Q1251A PLOTARA MODEL:orvik plotara 530 (A0)\r\n"},
        {"@PJL INFO STATUS", "READY\tONLINE\r\n"},
    };
    EXPECT_EQ(options.answers, expected);
    EXPECT_TRUE(options.echo);
    EXPECT_EQ(options.readRate, 65536);

    // The demo module's requests are the default triggers; an empty status is still an answer.
    const SimulatorOptions defaults =
        Parsed({"--pty", "--product", "Q1252A", "orvik plotara 500n", "--status", ""});
    ASSERT_EQ(defaults.answers.size(), 2u);
    EXPECT_EQ(defaults.answers[0].first, "@PJL INFO ID");
    EXPECT_EQ(defaults.answers[1],
              std::make_pair(std::string("@PJL INFO STATUS"), std::string("\r\n")));
    EXPECT_FALSE(defaults.echo);
    EXPECT_EQ(defaults.readRate, 0);
}

TEST(SimulatorOptionsTest, RefusesWhatCannotWork) {
    const struct {
        std::vector<std::string> arguments;
        const char* explanation;
    } cases[] = {
        {{}, "--tcp"},
        {{"--tcp", "127.0.0.30", "--pty"}, "only one"},
        {{"--pty", "--drop-after", "5"}, "cannot hang up"},
        {{"--tcp", "127.0.0.30", "--link", "x"}, "--link"},
        {{"--tcp", "127.0.0.30", "--stall", "-4"}, "at least 0"},
        {{"--tcp", "127.0.0.30", "--delay", "5x"}, "5x"},
        {{"--tcp", "127.0.0.30", "--port", "70000"}, "65535"},
        {{"--tcp"}, "needs a value"},
        {{"--tcp", "127.0.0.30", "--answer", "", "x"}, "non-empty"},
        {{"--pty", "--loud"}, "--loud"},
        // The engine would read another number or model than the one given.
        {{"--pty", "--product", "Q1251", "orvik plotara 530"}, "six characters"},
        {{"--pty", "--product", "Q1 51A", "orvik plotara 530"}, "without blanks"},
        {{"--pty", "--product", "Q1251A", "orvik (530)"}, "\"(\""},
        {{"--pty", "--product", "Q1251A", ""}, "model name"},
        {{"--pty", "--product", "Q1251A"}, "needs a value"},
        {{"--pty", "--product-trigger", "ID"}, "--product-trigger needs --product"},
        {{"--pty", "--status", "OK", "--status-trigger", ""}, "non-empty"},
        {{"--pty", "--status-trigger", "ST"}, "--status-trigger needs --status"},
        {{"--pty", "--status", "bad\\q"}, "bad\\q"},
        {{"--pty", "--read-rate", "0"}, "at least 1"},
    };
    for (const auto& refused : cases) {
        const std::string error = ParseError(refused.arguments);
        EXPECT_NE(error.find(refused.explanation), std::string::npos)
            << "\"" << error << "\" lacks \"" << refused.explanation << "\"";
    }
}

TEST(SimulatorOptionsTest, ResolvesEscapesAndRejectsBrokenOnes) {
    std::string bytes;
    ASSERT_TRUE(ResolveEscapes("a\\tb\\x7Ec\\xff", bytes));
    EXPECT_EQ(bytes, std::string("a\tb~c\xff"));
    EXPECT_FALSE(ResolveEscapes("end\\", bytes));
    EXPECT_FALSE(ResolveEscapes("\\x4", bytes));
    EXPECT_FALSE(ResolveEscapes("\\xg0", bytes));
    EXPECT_FALSE(ResolveEscapes("\\q", bytes));
}

class PrinterBehaviourTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_recordPath =
            (fs::temp_directory_path() /
             ("printer_behaviour_" +
              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
              ".bin"))
                .string();
        fs::remove(m_recordPath);
    }
    void TearDown() override { fs::remove(m_recordPath); }

    std::string Recorded() const {
        std::ifstream file(m_recordPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    std::string m_recordPath;
};

TEST_F(PrinterBehaviourTest, AnswersATriggerSplitAcrossReadsOnceAndRecordsEverything) {
    const SimulatorOptions options = Parsed({"--pty", "--answer", "INFO ID", "PLOTARA"});
    CByteRecord record(m_recordPath);
    CPrinterBehaviour printer(options, record);
    printer.BeginConnection();
    EXPECT_EQ(printer.Receive("xx INF", 6), "");
    EXPECT_EQ(printer.Receive("O I", 3), "");
    EXPECT_EQ(printer.Receive("D yy", 4), "PLOTARA");
    // The trigger's end stays in the search window but is not answered twice.
    EXPECT_EQ(printer.Receive("z", 1), "");
    EXPECT_EQ(Recorded(), "xx INFO ID yyz");
}

TEST_F(PrinterBehaviourTest, AnswersInTheOrderTheTriggersArrive) {
    const SimulatorOptions options =
        Parsed({"--pty", "--answer", "ST", "s;", "--answer", "ID", "i;"});
    CByteRecord record(m_recordPath);
    CPrinterBehaviour printer(options, record);
    EXPECT_EQ(printer.Receive("ID ST ID", 8), "i;s;i;");
}

TEST_F(PrinterBehaviourTest, AShortPrinterCutsEachAnswerAndASilentOneSaysNothing) {
    const SimulatorOptions shortOptions =
        Parsed({"--pty", "--answer", "Q", "ANSWER", "--short", "2"});
    CByteRecord record(m_recordPath);
    CPrinterBehaviour shortPrinter(shortOptions, record);
    EXPECT_EQ(shortPrinter.Receive("QQ", 2), "ANAN");

    const SimulatorOptions silentOptions = Parsed({"--pty", "--answer", "Q", "ANSWER", "--silent"});
    CPrinterBehaviour silentPrinter(silentOptions, record);
    EXPECT_EQ(silentPrinter.Receive("Q", 1), "");
    EXPECT_EQ(Recorded(), "QQQ");
}

TEST_F(PrinterBehaviourTest, EchoesWholeEchoLinesInTurnWithTheOtherAnswers) {
    const SimulatorOptions options = Parsed({"--pty", "--echo", "--status", "READY"});
    CByteRecord record(m_recordPath);
    CPrinterBehaviour printer(options, record);
    printer.BeginConnection();
    const struct {
        const char* received;
        const char* answer;
    } exchanges[] = {
        {"@PJL ECHO OS-Name=x\r\n@PJL INFO STA", "@PJL ECHO OS-Name=x\r\n"},
        {"TUS\r\n@PJL EC", "READY\r\n"},
        {"HO a b\n", "@PJL ECHO a b\n"},
        // Only a line that begins with the echo command is echoed.
        {"\x1b%-12345X@PJL ECHO first\r\nxx @PJL ECHO y\r\n", ""},
        {"@PJL ECHO c\r\n@PJL INFO STATUS", "@PJL ECHO c\r\nREADY\r\n"},
        {"@PJL ECHO unfinished", ""},
    };
    std::string sent;
    for (const auto& exchange : exchanges) {
        sent += exchange.received;
        EXPECT_EQ(printer.Receive(exchange.received, std::strlen(exchange.received)),
                  exchange.answer)
            << exchange.received;
    }
    // A new connection does not finish the line the last one left open.
    printer.BeginConnection();
    EXPECT_EQ(printer.Receive("\r\n", 2), "");
    EXPECT_EQ(Recorded(), sent + "\r\n");

    const SimulatorOptions shortOptions = Parsed({"--pty", "--echo", "--short", "6"});
    CPrinterBehaviour shortPrinter(shortOptions, record);
    EXPECT_EQ(shortPrinter.Receive("@PJL ECHO z\r\n", 13), "@PJL E");
}

TEST_F(PrinterBehaviourTest, APacedPrinterTakesATwentiethOfItsRateAtATime) {
    CByteRecord record(m_recordPath);
    const struct {
        std::vector<std::string> arguments;
        std::size_t buffer;
        std::size_t allowance;
    } cases[] = {
        {{"--pty", "--read-rate", "100000"}, 65536, 5000},
        {{"--pty", "--read-rate", "100000"}, 4096, 4096},
        {{"--pty", "--read-rate", "10"}, 65536, 1},
        {{"--tcp", "127.0.0.30", "--read-rate", "100000", "--drop-after", "300"}, 65536, 300},
        {{"--pty"}, 65536, 65536},
    };
    for (const auto& paced : cases) {
        const SimulatorOptions options = Parsed(paced.arguments);
        const CPrinterBehaviour printer(options, record);
        EXPECT_EQ(printer.ReadAllowance(paced.buffer), paced.allowance) << paced.arguments.back();
        EXPECT_EQ(printer.TakesSlowly(), options.readRate > 0) << paced.arguments.back();
    }
}

TEST_F(PrinterBehaviourTest, HangsUpAfterItsByteCountInEveryConnection) {
    const SimulatorOptions options = Parsed({"--tcp", "127.0.0.30", "--drop-after", "10"});
    CByteRecord record(m_recordPath);
    CPrinterBehaviour printer(options, record);
    printer.BeginConnection();
    EXPECT_EQ(printer.ReadAllowance(64), 10u);
    printer.Receive("1234567", 7);
    EXPECT_EQ(printer.ReadAllowance(64), 3u);
    EXPECT_EQ(printer.ReadAllowance(2), 2u);
    printer.Receive("890", 3);
    EXPECT_EQ(printer.ReadAllowance(64), 0u);
    printer.BeginConnection();
    EXPECT_EQ(printer.ReadAllowance(64), 10u);

    const SimulatorOptions endless = Parsed({"--tcp", "127.0.0.30"});
    CPrinterBehaviour patient(endless, record);
    patient.Receive("1234567890", 10);
    EXPECT_EQ(patient.ReadAllowance(64), 64u);
}

}  // namespace
