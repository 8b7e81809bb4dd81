#include "config/params_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "base/tavrin_exception.h"

namespace fs = std::filesystem;

namespace {

struct Record {
    std::string type, name, address, module, startPage;
};

Record RecordOf(const CParamsFile& file) {
    return {file.GetConnectionType(), file.GetPrinterName(), file.GetPrinterAddress(),
            file.GetModuleName(), file.GetStartPage()};
}

void ExpectRecord(const CParamsFile& file, const Record& expected) {
    const Record actual = RecordOf(file);
    EXPECT_EQ(actual.type, expected.type);
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.address, expected.address);
    EXPECT_EQ(actual.module, expected.module);
    EXPECT_EQ(actual.startPage, expected.startPage);
}

// What a call raised, as text so that failures read well.
template <typename Call>
std::string Outcome(Call call) {
    try {
        call();
    } catch (CParamsFileBadFormat* e) {
        TakeOwnership(e);
        return "bad format";
    } catch (CParamsFileDoesNotExist* e) {
        TakeOwnership(e);
        return "does not exist";
    } catch (CTavrinException* e) {
        TakeOwnership(e);
        return "other engine exception";
    }
    return "ok";
}

std::string ParseOutcome(const std::string& bytes) {
    CParamsFile file;
    return Outcome([&] { file.Parse(bytes); });
}

CParamsFile Parsed(const std::string& bytes) {
    CParamsFile file;
    EXPECT_EQ(Outcome([&] { file.Parse(bytes); }), "ok") << bytes;
    return file;
}

TEST(ParamsFileParseTest, UsbFileOfThreeLines) {
    ExpectRecord(Parsed("Name: Plotter A\nUSB\nDriver: USB001\n"),
                 {"usb", "Plotter A", "USB001", "", ""});
}

TEST(ParamsFileParseTest, EachConnectionWord) {
    ExpectRecord(Parsed("Name: Net\r\nTCP\r\nIP: 127.0.0.2\r\nPort: 9100\r\n"
                        "Module: Maint\r\nStart-page: status.html\r\n"),
                 {"ip", "Net", "127.0.0.2", "Maint", "status.html"});
    // The value runs to the line end, colons included.
    ExpectRecord(Parsed("Name: Par\nPARALLEL\nPort: LPT1:\nModule: M\n"),
                 {"parallel", "Par", "LPT1:", "M", ""});
    ExpectRecord(Parsed("Name: Apple\nAT\nName: Big Plot\nZone: Floor 2\n"),
                 {"at", "Apple", "Big Plot::Floor 2", "", ""});
}

TEST(ParamsFileParseTest, TcpThirdEntryIsReadAndIgnored) {
    ExpectRecord(Parsed("Name: N\nTCP\nIP: 10.0.0.1\nAnything goes: 1\nModule: M\n"),
                 {"ip", "N", "10.0.0.1", "M", ""});
    // Ending right after the address is valid...
    ExpectRecord(Parsed("Name: N\nTCP\nIP: 10.0.0.1\n"), {"ip", "N", "10.0.0.1", "", ""});
    // ...and then a "Module" entry takes the place of the ignored one.
    ExpectRecord(Parsed("Name: N\nTCP\nIP: 10.0.0.1\nModule: M\n"),
                 {"ip", "N", "10.0.0.1", "", ""});
}

TEST(ParamsFileParseTest, ValuesLoseOnlyLeadingSpaces) {
    ExpectRecord(Parsed("Name:   A  B  \nUSB\nDriver:\tD \n"), {"usb", "A  B  ", "\tD ", "", ""});
    ExpectRecord(Parsed("Name:\n   USB\nDriver:    \n"), {"usb", "", "", "", ""});
    // Trailing blanks stay, so the connection word no longer matches.
    EXPECT_EQ(ParseOutcome("Name: N\nUSB \nDriver: D\n"), "bad format");
}

TEST(ParamsFileParseTest, LineEndsAndEmptyLinesAreSkipped) {
    ExpectRecord(Parsed("Name: N\n\n\r\n\r\rUSB\n\n\nDriver: D\r\r\n\nModule: M\n\nStart-page: p"),
                 {"usb", "N", "D", "M", "p"});
}

TEST(ParamsFileParseTest, ModuleAndStartPageMayBeEmpty) {
    ExpectRecord(Parsed("Name: N\nUSB\nDriver: D\nModule:\n"), {"usb", "N", "D", "", ""});
    ExpectRecord(Parsed("Name: N\nUSB\nDriver: D\nModule:\nStart-page: none\n"),
                 {"usb", "N", "D", "", "none"});
    ExpectRecord(Parsed("Name: N\nUSB\nDriver: D\nModule: M\nStart-page:"),
                 {"usb", "N", "D", "M", ""});
}

TEST(ParamsFileParseTest, WhatFollowsIsIgnored) {
    ExpectRecord(Parsed("Name: N\nUSB\nDriver: D\nModule: M\nStart-page: s\nJunk: 1\nName: 2"),
                 {"usb", "N", "D", "M", "s"});
    // Text without any further colon reads as an empty key, which ends the file.
    ExpectRecord(Parsed("Name: N\nUSB\nDriver: D\ntrailing text\n"), {"usb", "N", "D", "", ""});
}

TEST(ParamsFileParseTest, EveryByteIsData) {
    const std::string name("\0\xFF\x1A\x80 x", 6);
    ExpectRecord(Parsed("Name: " + name + "\nUSB\nDriver: \\\\?\\usb#vid_1\n"),
                 {"usb", name, "\\\\?\\usb#vid_1", "", ""});
}

TEST(ParamsFileParseTest, FailedParseKeepsTheEarlierRecord) {
    CParamsFile file;
    file.Parse("Name: N\nUSB\nDriver: D\nModule: M\n");
    EXPECT_EQ(Outcome([&] { file.Parse("Name: X\nTCP\nIP: 1.2.3.4\nPort: 1\nStart-page: s\n"); }),
              "bad format");
    ExpectRecord(file, {"usb", "N", "D", "M", ""});
}

struct BadFile {
    const char* why;
    const char* bytes;
};

void PrintTo(const BadFile& file, std::ostream* out) { *out << file.why; }

class ParamsFileBadFormatTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(ParamsFileBadFormatTest, IsRefused) {
    EXPECT_EQ(ParseOutcome(GetParam().bytes), "bad format");
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParamsFileBadFormatTest,
    ::testing::Values(BadFile{"empty file", ""}, BadFile{"no colon at all", "just some text\n"},
                      BadFile{"first key not Name", "Printer: P\nUSB\nDriver: D\n"},
                      BadFile{"blank before the colon", "Name : P\nUSB\nDriver: D\n"},
                      BadFile{"key case", "name: P\nUSB\nDriver: D\n"},
                      BadFile{"connection word 1394", "Name: P\n1394\nDriver: D\n"},
                      BadFile{"connection word case", "Name: P\nusb\nDriver: D\n"},
                      BadFile{"no connection word", "Name: P\n"},
                      BadFile{"TCP without IP", "Name: P\nTCP\nAddress: 1.2.3.4\n"},
                      BadFile{"USB without Driver", "Name: P\nUSB\nPort: USB001\n"},
                      BadFile{"PARALLEL without Port", "Name: P\nPARALLEL\nDriver: LPT1\n"},
                      BadFile{"AT without Name", "Name: P\nAT\nZone: Z\n"},
                      BadFile{"AT without Zone", "Name: P\nAT\nName: A\n"},
                      BadFile{"AT Zone key wrong", "Name: P\nAT\nName: A\nzone: Z\n"},
                      BadFile{"Start-page without Module",
                              "Name: P\nUSB\nDriver: D\nStart-page: s\n"},
                      BadFile{"fourth key not Module", "Name: P\nPARALLEL\nPort: LPT1\nModul: M\n"},
                      BadFile{"key after Module not Start-page",
                              "Name: P\nUSB\nDriver: D\nModule: M\nStartpage: s\n"}));

class ParamsFileReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        m_dir = fs::temp_directory_path() /
                ("velkor_params_test_" + std::to_string(ticks) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_path = m_dir / "params";
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    void Write(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary) << bytes; }

    std::string Contents() const {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path m_dir;
    fs::path m_path;
};

TEST_F(ParamsFileReadTest, GoodFileIsReadAndDeleted) {
    // CR LF and a Ctrl-Z byte reach the grammar as they are.
    const std::string name("Plot\x1Ater", 8);
    Write("Name: " + name + "\r\nUSB\r\nDriver: USB001\r\n");
    CParamsFile file;
    EXPECT_EQ(Outcome([&] { file.ReadFile(m_path.string()); }), "ok");
    ExpectRecord(file, {"usb", name, "USB001", "", ""});
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(ParamsFileReadTest, BadFileIsClosedAndKept) {
    const std::string bytes = "Name: P\n1394\nDriver: D\n";
    Write(bytes);
    CParamsFile file;
    EXPECT_EQ(Outcome([&] { file.ReadFile(m_path.string()); }), "bad format");
    EXPECT_EQ(Contents(), bytes);
    // A second start reads it again.
    EXPECT_EQ(Outcome([&] { file.ReadFile(m_path.string()); }), "bad format");
    // Windows refuses to delete a file that is still open.
    EXPECT_TRUE(fs::remove(m_path));
}

TEST_F(ParamsFileReadTest, MissingOrUnreadableFile) {
    CParamsFile file;
    EXPECT_EQ(Outcome([&] { file.ReadFile(m_path.string()); }), "does not exist");
    fs::create_directory(m_path);
    EXPECT_EQ(Outcome([&] { file.ReadFile(m_path.string()); }), "does not exist");
    EXPECT_TRUE(fs::is_directory(m_path));
}

TEST_F(ParamsFileReadTest, ReadTakesParamsFromTheCurrentDirectory) {
    Write("Name: P\nAT\nName: A\nZone: Z\nModule: M\nStart-page: s.html\n");
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    CParamsFile file;
    const std::string outcome = Outcome([&] { file.Read(); });
    fs::current_path(previous);
    EXPECT_EQ(outcome, "ok");
    ExpectRecord(file, {"at", "P", "A::Z", "M", "s.html"});
    EXPECT_FALSE(fs::exists(m_path));
}

}  // namespace
