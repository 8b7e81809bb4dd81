// The printer simulator's own logic: its command line and what it answers to what.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
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

TEST(SimulatorOptionsTest, RefusesWhatCannotWork) {
    EXPECT_NE(ParseError({}).find("--tcp"), std::string::npos);
    EXPECT_NE(ParseError({"--tcp", "127.0.0.30", "--pty"}).find("only one"), std::string::npos);
    EXPECT_NE(ParseError({"--pty", "--drop-after", "5"}).find("cannot hang up"), std::string::npos);
    EXPECT_NE(ParseError({"--tcp", "127.0.0.30", "--link", "x"}).find("--link"), std::string::npos);
    EXPECT_NE(ParseError({"--tcp", "127.0.0.30", "--stall", "-4"}).find("at least 0"),
              std::string::npos);
    EXPECT_NE(ParseError({"--tcp", "127.0.0.30", "--delay", "5x"}).find("5x"), std::string::npos);
    EXPECT_NE(ParseError({"--tcp", "127.0.0.30", "--port", "70000"}).find("65535"),
              std::string::npos);
    EXPECT_NE(ParseError({"--tcp"}).find("needs a value"), std::string::npos);
    EXPECT_NE(ParseError({"--tcp", "127.0.0.30", "--answer", "", "x"}).find("non-empty"),
              std::string::npos);
    EXPECT_NE(ParseError({"--pty", "--loud"}).find("--loud"), std::string::npos);
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
