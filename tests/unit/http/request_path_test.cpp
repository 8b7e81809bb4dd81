// Which request paths may name a file below the module's page folder.

#include "http/request_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RequestPath, AcceptsPlainPathsBelowTheFolder) {
    for (const std::string path : {"/MainMenu.html", "/sub/style.css", "image.gif", "/a.b.c.js",
                                   "/COM10.html", "/my%20page.html"}) {
        EXPECT_TRUE(IsConfinedRequestPath(path)) << path;
    }
}

TEST(RequestPath, RefusesPathsThatLeaveTheFolder) {
    using namespace std::string_literals;
    for (const std::string& path : std::vector<std::string>{
             "/../module.xml", "..", "/a/../../b", "/%2e%2e/module.xml", "/%2E%2e/x",
             "/..%2fmodule.xml", "/...", "/.. /x", "/a\\..\\b", "/%5c..%5cb", "/C:/x.ini", "/c:x",
             "/file.txt:stream", "/%00.html", "/a\0b.html"s}) {
        EXPECT_FALSE(IsConfinedRequestPath(path)) << path;
    }
}

TEST(RequestPath, RefusesDeviceNamesWhateverTheirExtension) {
    for (const std::string path : {"/CON", "/nul.html", "/sub/aux.js", "/prn.", "/LPT1.txt",
                                   "/com9", "/conin$", "/Con .html"}) {
        EXPECT_FALSE(IsConfinedRequestPath(path)) << path;
    }
}

}  // namespace
