// The ".fmw" open command and the firmware page address the control builds.

#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "firmware_page_url.h"
#include "open_command.h"

namespace {

/// A short-path function that answers `length` with the text `shortForm` (copied only when it
/// fits, as GetShortPathNameA does) and records the path it was asked about.
ShortPathFunction Answering(DWORD length, const std::string& shortForm, std::string* asked) {
    return [=](const char* path, char* buffer, DWORD size) -> DWORD {
        *asked = path;
        if (length < size) std::memcpy(buffer, shortForm.c_str(), shortForm.size() + 1);
        return length;
    };
}

TEST(OpenCommand, NamesTheExeBesideTheModuleInShortForm) {
    const std::string exactFit(259, 'x');
    struct Case {
        const char* name;
        DWORD length;
        std::string shortForm;
        HRESULT result;
        std::string command;
    } cases[] = {
        {"short form", 24, "C:\\PROGRA~1\\velkorfw.exe", S_OK, "C:\\PROGRA~1\\velkorfw.exe %1"},
        {"no short form: the long one", 0, "", S_OK, "C:\\Program Files\\Orvik\\velkorfw.exe %1"},
        {"short form of 259 characters fits", 259, exactFit, S_OK, exactFit + " %1"},
        {"short form needing the whole buffer", 260, "", E_OUTOFMEMORY, "unchanged"},
        {"short form needing more", 300, "", E_OUTOFMEMORY, "unchanged"},
    };
    for (auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string asked;
        std::string command = "unchanged";
        EXPECT_EQ(MakeOpenCommand("C:\\Program Files\\Orvik\\velkorfw.dll",
                                  Answering(test.length, test.shortForm, &asked), &command),
                  test.result);
        EXPECT_EQ(asked, "C:\\Program Files\\Orvik\\velkorfw.exe");
        EXPECT_EQ(command, test.command);
    }
}

TEST(OpenCommand, ReplacesExactlyTheLastThreeCharacters) {
    std::string asked, command;
    ASSERT_EQ(MakeOpenCommand("D:\\a.b\\FW.OCX", Answering(0, "", &asked), &command), S_OK);
    EXPECT_EQ(command, "D:\\a.b\\FW.exe %1");
}

TEST(FirmwarePageUrl, EscapesOnlyWhatTheEnginesQueryReadingWouldChange) {
    EXPECT_EQ(FirmwarePageUrl("10.1.2.3", "C:\\Temp Files\\a&b+c%41#d=e[1].fmw"),
              "http://10.1.2.3:8190/FwDownload.html?nextpage=FwEnd.html&abs=1&file-to-send="
              "C:\\Temp%20Files\\a%26b%2Bc%2541%23d%3De[1].fmw");
    EXPECT_EQ(FirmwarePageUrl("127.0.0.1", "C:\\users\\x\\INetCache\\IE\\a[0].fmw"),
              "http://127.0.0.1:8190/FwDownload.html?nextpage=FwEnd.html&abs=1&file-to-send="
              "C:\\users\\x\\INetCache\\IE\\a[0].fmw");
}

TEST(FirmwarePageUrl, WorkstationAddressIsDottedDecimal) {
    std::smatch parts;
    const std::string address = WorkstationAddress();
    ASSERT_TRUE(
        std::regex_match(address, parts, std::regex("([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)")))
        << address;
    for (int i = 1; i <= 4; ++i) EXPECT_LE(std::stoi(parts[i].str()), 255);
}

}  // namespace
