// A file is met by the server only under the name the file system stores.

#include "platform/stored_name.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/program.h"
#include "support/scratch_folder.h"

namespace {

bool Opens(const std::string& path) { return std::ifstream(path, std::ios::binary).is_open(); }

TEST(StoredName, StoredNamesPassAndNoAliasBothOpensAndPasses) {
    ScratchFolder folder;
    folder.Write("MainMenu.html", "page");
    folder.Write("sub dir/Page.html", "page");
    const std::string separator(1, platform::PathSeparator());
    EXPECT_TRUE(platform::IsStoredName(folder.Path(), "MainMenu.html"));
    EXPECT_TRUE(platform::IsStoredName(folder.Path(), "MAINMENU.html")) << "letter case aside";
    EXPECT_TRUE(platform::IsStoredName(folder.Path(), "sub dir" + separator + "Page.html"));

    // Windows opens each of these as one of the files above; POSIX opens none of them.
    for (const std::string& alias : std::vector<std::string>{
             "MainMenu.html.", "MainMenu.html ", "MainMenu.html. . ", "Main*.html", "MainMenu.htm?",
             "sub dir." + separator + "Page.html", "sub dir" + separator + "Page.html.."}) {
        const bool opens = Opens(folder.Path() + separator + alias);
        EXPECT_FALSE(opens && platform::IsStoredName(folder.Path(), alias)) << "'" << alias << "'";
    }
}

}  // namespace
