#include "http/content_type.h"

#include <gtest/gtest.h>

TEST(ContentTypeTest, ByLastExtensionInAnyCase) {
    EXPECT_EQ(ContentTypeOf("logo.gif"), "image/gif");
    EXPECT_EQ(ContentTypeOf("/js/menu.Js"), "text/javascript");
    EXPECT_EQ(ContentTypeOf("style.CSS"), "text/css");
    EXPECT_EQ(ContentTypeOf("a.b/data.xml"), "text/xml");
    for (const char* none : {"archive.tar.gz", "page.html", "gif", "name.", "dir.gif/file"}) {
        EXPECT_EQ(ContentTypeOf(none), "") << none;
    }
}

TEST(ContentTypeTest, HtmlPages) {
    for (const char* page : {"page.HTM", "/MainMenu.HTML", ".htm"}) EXPECT_TRUE(IsHtmlPage(page));
    for (const char* other : {"data.xml", "page.html5", "htm", "", "page.html "}) {
        EXPECT_FALSE(IsHtmlPage(other)) << other;
    }
}
