// How the engine finds its program name and installation directory.

#include <gtest/gtest.h>

#include "engine/program_entry.h"
#include "platform/program.h"
#include "platform/program_command_line.h"

namespace {

using platform::FirstCommandLineToken;

TEST(FirstCommandLineToken, FollowsTheWindowsRules) {
    EXPECT_EQ(FirstCommandLineToken(R"("C:\Program Files\Orvik\velkor.exe" -x)"),
              R"(C:\Program Files\Orvik\velkor.exe)");
    EXPECT_EQ(FirstCommandLineToken(R"(C:\velkor\velkor.exe arg)"), R"(C:\velkor\velkor.exe)");
    EXPECT_EQ(FirstCommandLineToken("velkor.exe\targ"), "velkor.exe");
    EXPECT_EQ(FirstCommandLineToken(R"(C:\"Program Files"\v.exe more)"),
              R"(C:\Program Files\v.exe)");
    EXPECT_EQ(FirstCommandLineToken(""), "");
    EXPECT_EQ(FirstCommandLineToken(R"("unterminated path\v.exe)"), R"(unterminated path\v.exe)");
}

TEST(InstallationDirectory, IsEverythingBeforeTheLastSeparator) {
    const std::string s(1, platform::PathSeparator());
    EXPECT_EQ(InstallationDirectoryOf("C:" + s + "Orvik" + s + "velkor.exe"), "C:" + s + "Orvik");
    EXPECT_EQ(InstallationDirectoryOf("velkor.exe"), "velkor.exe")
        << "no separator: the whole name";
    EXPECT_EQ(InstallationDirectoryOf(s + "velkor"), "");
}

}  // namespace
