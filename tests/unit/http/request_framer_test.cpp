// Cutting a connection's bytes into whole requests, and which requests announce a body.

#include "http/request_framer.h"

#include <gtest/gtest.h>

namespace {

void Append(CRequestFramer& framer, const std::string& bytes) {
    framer.Append(bytes.data(), bytes.size());
}

TEST(RequestFramer, WaitsForTheBlankLineAndKeepsWhatFollows) {
    CRequestFramer framer;
    Append(framer, "GET /a.html HTTP/1.1\r\nHost: x\r\n");
    EXPECT_FALSE(framer.HasWholeRequest());
    EXPECT_EQ(framer.TakeRequest(), "");
    Append(framer, "\r\nGET /b.html HTTP/1.1\r\n\r\nGET /c");
    ASSERT_TRUE(framer.HasWholeRequest());
    EXPECT_EQ(framer.TakeRequest(), "GET /a.html HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(framer.TakeRequest(), "GET /b.html HTTP/1.1\r\n\r\n");
    EXPECT_FALSE(framer.HasWholeRequest());
    EXPECT_FALSE(framer.IsEmpty());
    EXPECT_EQ(framer.TakeAll(), "GET /c");
    EXPECT_TRUE(framer.IsEmpty());
}

TEST(RequestFramer, HandsOutLineFeedsAloneAsCrLf) {
    // The parser splits lines at CR LF only: a bare LF block would become one long version.
    CRequestFramer framer;
    Append(framer,
           "GET /a.html HTTP/1.0\nHost: x\r\n\nGET /b.html HTTP/1.1\r\n\r\nGET /c\nX: \r\r\n");
    EXPECT_EQ(framer.TakeRequest(), "GET /a.html HTTP/1.0\r\nHost: x\r\n\r\n");
    EXPECT_EQ(framer.TakeRequest(), "GET /b.html HTTP/1.1\r\n\r\n");
    EXPECT_EQ(framer.TakeAll(), "GET /c\r\nX: \r\r\n");
    EXPECT_TRUE(framer.IsEmpty());
}

TEST(RequestFramer, LimitsTheHeaderBlockTo8KiB) {
    CRequestFramer atLimit;
    std::string head = "GET / HTTP/1.1\r\nX: ";
    head += std::string(CRequestFramer::kMaxHeaderBytes - head.size() - 4, 'x') + "\r\n\r\n";
    ASSERT_EQ(head.size(), CRequestFramer::kMaxHeaderBytes);
    Append(atLimit, head);
    EXPECT_TRUE(atLimit.HasWholeRequest());
    EXPECT_FALSE(atLimit.IsOverlong());

    CRequestFramer over;
    Append(over, "GET / HTTP/1.1\r\nX: " + std::string(CRequestFramer::kMaxHeaderBytes, 'x'));
    EXPECT_EQ(over.RoomLeft(), 1u);
    Append(over, "\r\n\r\n");
    // A blank line past the limit does not make the block acceptable.
    EXPECT_FALSE(over.HasWholeRequest());
    EXPECT_TRUE(over.IsOverlong());
}

TEST(RequestFramer, TellsWhichRequestsAnnounceABody) {
    EXPECT_TRUE(CRequestFramer::AnnouncesBody("POST / HTTP/1.1\r\nContent-Length: 12\r\n\r\n"));
    EXPECT_TRUE(CRequestFramer::AnnouncesBody("POST / HTTP/1.1\r\ncontent-length:3\r\n\r\n"));
    EXPECT_TRUE(
        CRequestFramer::AnnouncesBody("PUT / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"));
    EXPECT_FALSE(CRequestFramer::AnnouncesBody("POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n"));
    EXPECT_FALSE(CRequestFramer::AnnouncesBody("GET / HTTP/1.1\r\nHost: x\r\n\r\n"));
    EXPECT_FALSE(CRequestFramer::AnnouncesBody("GET /Content-Length: 5 HTTP/1.1\r\n\r\n"));
}

}  // namespace
