// Windows' own aliases of a stored name: the 8.3 short name and doubled separators.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/stored_name.h"
#include "support/scratch_folder.h"

namespace {

/// The last segment of the short form of `path`; empty when the system gives none.
std::string ShortNameOf(const std::string& path) {
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) return std::string();
    const std::string whole(shortPath, length);
    return whole.substr(whole.find_last_of('\\') + 1);
}

TEST(StoredNameWin32, ShortNamesAndEmptySegmentsAreNotStoredNames) {
    ScratchFolder folder;
    folder.Write("MainMenuPage.html", "page");
    folder.Write("Long Folder Name\\Page.html", "page");

    const std::string shortFile = ShortNameOf(folder.PathOf("MainMenuPage.html"));
    ASSERT_FALSE(shortFile.empty());
    ASSERT_NE(shortFile, "MainMenuPage.html") << "the system made no short name to test with";
    EXPECT_TRUE(std::ifstream(folder.PathOf(shortFile)).is_open()) << shortFile;
    EXPECT_FALSE(platform::IsStoredName(folder.Path(), shortFile)) << shortFile;

    const std::string shortFolder = ShortNameOf(folder.PathOf("Long Folder Name"));
    ASSERT_FALSE(shortFolder.empty());
    EXPECT_FALSE(platform::IsStoredName(folder.Path(), shortFolder + "\\Page.html")) << shortFolder;

    EXPECT_TRUE(platform::IsStoredName(folder.Path(), "Long Folder Name\\Page.html"));
    EXPECT_FALSE(platform::IsStoredName(folder.Path(), "Long Folder Name\\\\Page.html"));
    EXPECT_FALSE(platform::IsStoredName(folder.Path(), "Missing.html"));
}

}  // namespace
