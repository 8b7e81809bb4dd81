// The selector's log file: line format, appending, and lines that cannot be written.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <regex>

#include "selector/selector_log.h"
#include "selector_test_support.h"

namespace {

std::tm At(int year, int month, int day, int hour, int minute) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = 59;
    return when;
}

TEST(SelectorLog, LineIsDayMonthYearHourMinuteWithoutPadding) {
    const struct {
        std::tm when;
        const char* message;
        const char* line;
    } cases[] = {
        {At(2004, 1, 2, 3, 4), "Going to launch engine",
         "2-1-2004\t3:4\t:: Going to launch engine\n"},
        {At(1999, 12, 31, 23, 59), "x", "31-12-1999\t23:59\t:: x\n"},
        {At(2026, 10, 10, 0, 0), "Failed to create dialog box\n",
         "10-10-2026\t0:0\t:: Failed to create dialog box\n\n"},
        {At(2026, 6, 15, 12, 30), "", "15-6-2026\t12:30\t:: \n"},
    };
    for (const auto& c : cases) EXPECT_EQ(SelectorLog::FormatLine(c.when, c.message), c.line);
}

TEST(SelectorLog, DefaultPathIsTheLogFolderOfTheWorkingDirectory) {
    std::string expected = ".\\Log\\PrinterSelector.log";
    if (SelectorLog::DefaultPath().find('/') != std::string::npos)
        expected = "./Log/PrinterSelector.log";
    EXPECT_EQ(SelectorLog::DefaultPath(), expected);
    EXPECT_EQ(SelectorLog().Path(), expected);
}

TEST(SelectorLog, AppendsEachLineToWhatIsThereAndDropsLinesItCannotWrite) {
    ScratchFolder folder;
    folder.Write("Log/PrinterSelector.log", "earlier line\n");
    SelectorLog log(folder.PathOf("Log/PrinterSelector.log"));
    log.Write("Got USB information on USB selection.");
    log.Write("There are no printers configured on the system");

    std::ifstream file(folder.PathOf("Log/PrinterSelector.log"));
    std::string first, second, third, rest;
    std::getline(file, first);
    std::getline(file, second);
    std::getline(file, third);
    EXPECT_EQ(first, "earlier line");
    const std::regex stamped(R"(\d{1,2}-\d{1,2}-\d{4}\t\d{1,2}:\d{1,2}\t:: (.*)\r?)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(second, match, stamped)) << second;
    EXPECT_EQ(match[1], "Got USB information on USB selection.");
    ASSERT_TRUE(std::regex_match(third, match, stamped)) << third;
    EXPECT_EQ(match[1], "There are no printers configured on the system");
    EXPECT_FALSE(std::getline(file, rest));

    // No folder to write in: nothing is created and nothing is thrown.
    SelectorLog nowhere(folder.PathOf("missing/PrinterSelector.log"));
    nowhere.Write("dropped");
    EXPECT_FALSE(std::ifstream(folder.PathOf("missing/PrinterSelector.log")).good());
}

}  // namespace
