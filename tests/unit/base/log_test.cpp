#include "base/log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/program.h"

namespace fs = std::filesystem;
using engine_log::Line;
using engine_log::Log;

namespace {

// Read while the program starts, before any test has replaced the path.
const std::string g_startPath = engine_log::LogFilePath();

std::string Stamp(const platform::LocalTime& t, const char* format) {
    char text[96];
    std::snprintf(text, sizeof text, format, t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when `text` has the shape of `pattern`, in which each '9' stands for one digit.
bool HasShape(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

constexpr char kStampShape[] = "9999-99-99 99:99:99";
constexpr std::string::size_type kStampSize = sizeof kStampShape - 1;

struct LogLine {
    std::string stamp;
    std::string message;
};

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        m_dir = fs::temp_directory_path() /
                ("velkor_log_test_" + std::to_string(ticks) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir / "log");
        m_file = m_dir / "log" / "engine.log";
        engine_log::SetLogFilePath(m_file.string());
        engine_log::SetLoggingToFile(false);
    }

    void TearDown() override {
        engine_log::SetLoggingToFile(false);
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // Splits the file into lines, checking that every one is a stamp, a TAB, the message and
    // CR LF.
    std::vector<LogLine> Lines() const {
        const std::string bytes = ReadBytes(m_file);
        std::vector<LogLine> lines;
        std::string::size_type from = 0;
        while (from < bytes.size()) {
            const std::string::size_type end = bytes.find("\r\n", from);
            if (end == std::string::npos) {
                ADD_FAILURE() << "unterminated line: " << bytes.substr(from);
                break;
            }
            const std::string line = bytes.substr(from, end - from);
            if (line.size() > kStampSize && HasShape(line.substr(0, kStampSize), kStampShape) &&
                line[kStampSize] == '\t' && line.find('\r') == std::string::npos) {
                lines.push_back({line.substr(0, kStampSize), line.substr(kStampSize + 1)});
            } else {
                ADD_FAILURE() << "malformed line: " << line;
            }
            from = end + 2;
        }
        return lines;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const LogLine& line : Lines()) messages.push_back(line.message);
        return messages;
    }

    fs::path m_dir;
    fs::path m_file;
};

using ::testing::ElementsAre;

TEST(LogPathTest, NamedInLogFolderAfterTheStartTime) {
    const std::string prefix = std::string("log") + platform::PathSeparator();
    ASSERT_EQ(g_startPath.substr(0, prefix.size()), prefix);
    const std::string name = g_startPath.substr(prefix.size());
    ASSERT_TRUE(HasShape(name, "SME99999999_999999.log")) << name;
    const auto field = [&name](std::string::size_type at) { return std::stoi(name.substr(at, 2)); };
    EXPECT_GE(field(7), 1);  // month
    EXPECT_LE(field(7), 12);
    EXPECT_GE(field(9), 1);  // day
    EXPECT_LE(field(9), 31);
    EXPECT_LE(field(12), 23);  // hour
    EXPECT_LE(field(14), 59);
    EXPECT_LE(field(16), 60);
    // The name holds the start time, so it cannot lie after the present moment.
    const std::string now = Stamp(platform::CurrentLocalTime(), "SME%04d%02d%02d_%02d%02d%02d.log");
    EXPECT_LE(name, now);
}

TEST_F(LogTest, LineIsStampTabMessageCrLf) {
    const std::string before = Stamp(platform::CurrentLocalTime(), "%04d-%02d-%02d %02d:%02d:%02d");
    Log(Line::Forced, "Engine started");
    const std::string after = Stamp(platform::CurrentLocalTime(), "%04d-%02d-%02d %02d:%02d:%02d");

    const std::string bytes = ReadBytes(m_file);
    ASSERT_EQ(bytes.size(), kStampSize + 1 + 14 + 2);
    EXPECT_EQ(bytes.substr(kStampSize), "\tEngine started\r\n");
    const std::string stamp = bytes.substr(0, kStampSize);
    EXPECT_TRUE(HasShape(stamp, kStampShape)) << stamp;
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    // The file is not held open between lines (Windows refuses to delete an open file).
    EXPECT_TRUE(fs::remove(m_file));
}

TEST_F(LogTest, AppendsToWhatIsThere) {
    std::ofstream(m_file, std::ios::binary) << "earlier\r\n";
    Log(Line::Forced, "one");
    Log(Line::Forced, "two");
    const std::string bytes = ReadBytes(m_file);
    ASSERT_EQ(bytes.substr(0, 9), "earlier\r\n");
    EXPECT_EQ(bytes.find("\tone\r\n"), 9 + kStampSize);
    EXPECT_EQ(bytes.rfind("\ttwo\r\n"), bytes.size() - 6);
}

TEST_F(LogTest, MessageBytesAreWrittenAsTheyAre) {
    const std::string message("a\0b\xE9\xFF%", 6);
    Log(Line::Forced, message);
    const std::string bytes = ReadBytes(m_file);
    ASSERT_EQ(bytes.size(), kStampSize + 1 + message.size() + 2);
    EXPECT_EQ(bytes.substr(kStampSize + 1, message.size()), message);
}

TEST_F(LogTest, WithoutLogFolderNothingIsCreatedAndNothingFails) {
    const fs::path missing = m_dir / "nolog";
    engine_log::SetLogFilePath((missing / "engine.log").string());
    engine_log::SetLoggingToFile(true);
    EXPECT_NO_THROW({
        Log(Line::Forced, "m");
        Log(Line::Forced, "%1", "a");
        Log(Line::Forced, "%1%2", "a", "b");
        Log(Line::Optional, "%1%2%3", "a", "b", "c");
        Log(Line::Optional, "%1%2%3%4", "a", "b", "c", "d");
    });
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(LogTest, OptionalLinesOnlyWhileSwitchedOn) {
    Log(Line::Optional, "early");
    Log(Line::Optional, "early %1", "a");
    Log(Line::Optional, "early %1 %2", "a", "b");
    Log(Line::Optional, "early %1 %2 %3", "a", "b", "c");
    Log(Line::Optional, "early %1 %2 %3 %4", "a", "b", "c", "d");
    Log(Line::Forced, "forced");
    EXPECT_FALSE(engine_log::LoggingToFile());

    engine_log::SetLoggingToFile(true);
    EXPECT_TRUE(engine_log::LoggingToFile());
    Log(Line::Optional, "late %1", "a");
    engine_log::SetLoggingToFile(false);
    Log(Line::Optional, "off again");

    EXPECT_THAT(Messages(), ElementsAre("forced", "late a"));
}

TEST_F(LogTest, PlaceholdersAreReplacedHighestFirst) {
    Log(Line::Forced, "%1 and %1", "x");
    Log(Line::Forced, "<%1>", "%1%2");
    Log(Line::Forced, "%2|%1", "A", "B%1");
    Log(Line::Forced, "%1|%2", "%2", "B");
    Log(Line::Forced, "%4%3%2%1", "a", "b", "c", "d");
    Log(Line::Forced, "%4.%3", "1", "2", "%1", "%2");
    Log(Line::Forced, "100% sure", "x");
    Log(Line::Forced, "[%1]", "");
    EXPECT_THAT(Messages(), ElementsAre("x and x",  // every occurrence
                                        "<%1%2>",   // the argument is not scanned again
                                        "BA|A",     // "%1" from argument 2 gets argument 1
                                        "%2|B",     // "%2" from argument 1 comes too late
                                        "dcba", "2.1", "100% sure", "[]"));
}

TEST_F(LogTest, ConcurrentLinesStayWhole) {
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    const std::string padding(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &padding] {
            for (int i = 0; i < kLines; ++i) {
                Log(Line::Forced, "thread %1 line %2 " + padding, std::to_string(t),
                    std::to_string(i));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    // Every line must arrive whole and exactly once.
    std::map<std::string, int> seen;
    for (const std::string& message : Messages()) ++seen[message];
    int missing = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i) {
            const std::string message =
                "thread " + std::to_string(t) + " line " + std::to_string(i) + " " + padding;
            const auto found = seen.find(message);
            if (found == seen.end()) {
                ++missing;
                continue;
            }
            EXPECT_EQ(found->second, 1) << "thread " << t << " line " << i;
            seen.erase(found);
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(seen.empty()) << seen.size() << " unexpected lines";
}

TEST(ReplacePlaceholderTest, ScansOnAfterEachInsertion) {
    EXPECT_EQ(engine_log::ReplacePlaceholder("%3%3", 3, "%3"), "%3%3");
    EXPECT_EQ(engine_log::ReplacePlaceholder("a%2b%2c", 2, "-"), "a-b-c");
    EXPECT_EQ(engine_log::ReplacePlaceholder("no placeholder %", 1, "x"), "no placeholder %");
    EXPECT_EQ(engine_log::ReplacePlaceholder("%1", 2, "x"), "%1");
}

}  // namespace
