#include "http/http_response.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "http/http_socket.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

namespace {

// Takes at most `perCall` bytes a call, and nothing once `capacity` bytes are in.
class RecordingSocket : public CHttpSocket {
public:
    explicit RecordingSocket(int perCall = 1 << 30, int capacity = 1 << 30)
        : m_perCall(perCall), m_capacity(capacity) {}
    std::uint32_t Create() override { return 0; }
    int Connect(std::uint32_t, std::uint16_t) override { return 0; }
    int Bind(std::uint32_t, std::uint16_t) override { return 0; }
    int Listen() override { return 0; }
    bool Accept(CHttpSocket&) override { return false; }
    bool HasData(std::uint32_t) override { return false; }
    int Receive(char*, int) override { return 0; }
    int Close() override { return 0; }
    int Send(const char* buffer, int length) override {
        calls.push_back(length);
        const int taken = std::min({length, m_perCall, m_capacity - static_cast<int>(wire.size())});
        wire.append(buffer, static_cast<std::size_t>(taken));
        return taken;
    }
    std::string wire;
    std::vector<int> calls;

private:
    int m_perCall, m_capacity;
};

std::string Written(CHttpResponse& response) {
    RecordingSocket socket;
    response.Write(socket);
    return socket.wire;
}

TEST(HttpResponseTest, WireFormat) {
    CHttpResponse notFound("HTTP/1.1");
    notFound.GetBody() << "stale";
    notFound.SetStatus(404, "");
    notFound.SetHeader("Server", "tavrin/1.0");
    EXPECT_EQ(Written(notFound), "HTTP/1.1 404\r\nServer: tavrin/1.0\r\nContent-Length: 0\r\n\r\n");

    CHttpResponse conflict("");
    conflict.SetStatus(409, "module");
    EXPECT_EQ(Written(conflict), " 409 module\r\nContent-Length: 0\r\n\r\n");

    CHttpResponse page("HTTP/1.1");
    for (const char* name : {"Server", "Keep-Alive", "Connection", "Cache-control"}) {
        page.SetHeader(name, "old");
        page.SetHeader(name, name);
    }
    page.SetDateHeader("Date", 0);
    page.SetContentType("image/gif");
    const std::string body("GIF\0\r\n\x89", 7);
    page.GetBody().write(body.data(), static_cast<std::streamsize>(body.size()));
    EXPECT_EQ(Written(page),
              "HTTP/1.1 200\r\nCache-control: Cache-control\r\nConnection: Connection\r\n"
              "Date: Thu, 01 Jan 1970 00:00:00 GMT\r\nKeep-Alive: Keep-Alive\r\nServer: Server\r\n"
              "Content-Length: 7\r\nContent-Type: image/gif\r\n\r\n" +
                  body);
}

TEST(HttpResponseTest, ShortWritesAreContinuedAndAStalledSocketEndsTheWrite) {
    CHttpResponse whole("HTTP/1.1"), trickled("HTTP/1.1"), stalled("HTTP/1.1");
    for (CHttpResponse* response : {&whole, &trickled, &stalled}) {
        response->GetBody() << std::string(3000, 'x');
    }
    RecordingSocket oneCall, sevenEach(7), tenInAll(4, 10);
    whole.Write(oneCall);
    trickled.Write(sevenEach);
    stalled.Write(tenInAll);
    EXPECT_EQ(oneCall.calls.size(), 1u);
    EXPECT_EQ(sevenEach.wire, oneCall.wire);
    EXPECT_EQ(sevenEach.calls.size(), (oneCall.wire.size() + 6) / 7);
    EXPECT_EQ(sevenEach.calls[1], static_cast<int>(oneCall.wire.size()) - 7);
    EXPECT_EQ(tenInAll.wire, "HTTP/1.1 2");
    EXPECT_EQ(tenInAll.calls.size(), 4u);
    EXPECT_TRUE(stalled.IsSent());
}

TEST(HttpResponseTest, ResetAndStatusBeforeAndAfterSending) {
    CHttpResponse response("HTTP/1.1");
    response.GetBody() << "kept";
    response.SetStatus(304);
    EXPECT_EQ(response.GetBodyBytes(), "kept");
    response.SetStatus(409, "address");
    EXPECT_THAT(response.GetBodyBytes(), IsEmpty());
    response.SetContentType("text/css");
    response.GetVariables()["error"] = "20";
    response.SetHeader("Date", "x");
    response.GetBody() << "gone";
    response.Reset();
    EXPECT_EQ(response.GetContentLength(), -1);
    EXPECT_EQ(Written(response),
              "HTTP/1.1 200\r\nContent-Length: 0\r\nContent-Type: text/css\r\n\r\n");
    EXPECT_THAT(response.GetVariables(), ElementsAre(Pair("error", "20")));

    // Once sent, reset and status-with-reason do nothing and only the body goes out.
    EXPECT_TRUE(response.IsSent());
    RecordingSocket nothing;
    response.Write(nothing);
    EXPECT_THAT(nothing.calls, IsEmpty());
    response.GetBody() << "late";
    response.SetStatus(409, "module");
    response.SetHeader("X", "1");
    response.Reset();
    EXPECT_EQ(response.GetStatus(), 200);
    EXPECT_THAT(response.GetHeaders(), ElementsAre(Pair("X", "1")));
    EXPECT_EQ(Written(response), "late");
}

TEST(HttpResponseTest, ParsesWhatTheProbeReads) {
    auto parsed = [](const std::string& bytes, int count) {
        std::vector<char> exact(bytes.begin(), bytes.end());
        CHttpResponse response("HTTP/1.0");
        response.Parse(exact.data(), count);
        return response;
    };
    const std::string wire =
        "HTTP/1.1 409 address\r\nConnection: Close\r\nServer: tavrin/1.0\r\n\r\n";
    CHttpResponse probe = parsed(wire, static_cast<int>(wire.size()));
    EXPECT_EQ(probe.GetVersion() + "|" + probe.GetReason(), "HTTP/1.1|address");
    EXPECT_EQ(probe.GetStatus(), 409);
    EXPECT_THAT(probe.GetHeaders(),
                ElementsAre(Pair("Connection", "Close"), Pair("Server", "tavrin/1.0")));
    EXPECT_EQ(parsed(wire, 15).GetReason(), "ad");

    EXPECT_EQ(parsed("HTTP/1.1\r\n", 10).GetVersion(), "HTTP/1.0");
    EXPECT_EQ(parsed(" 404 x", 6).GetStatus(), 200);
    EXPECT_EQ(parsed("HTTP/1.1 abc\r\n", 14).GetStatus(), 0);
    EXPECT_EQ(parsed("HTTP/1.1 304\r\n", 14).GetStatus(), 304);
    EXPECT_EQ(parsed("HTTP/1.1 99999999999 x", 22).GetStatus(), 2147483647);
}

}  // namespace

namespace {

TEST(HttpResponseTest, StatusLineCarriesOnlyAWellFormedVersion) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"HTTP/1.1", "HTTP/1.1"},
        {"HTTP/1.0", "HTTP/1.0"},
        {"HTTP/2.0", "HTTP/2.0"},
        {"", "HTTP/1.1"},
        {"HTTP/1.1\nHost: x\n\n", "HTTP/1.1"},
        {"HTTP/11", "HTTP/1.1"},
        {"http/1.1", "HTTP/1.1"},
        {"HTTP/1.x", "HTTP/1.1"},
        {"HTTP/1.10", "HTTP/1.1"},
        {"<script>", "HTTP/1.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(StatusLineVersion(c.first), c.second) << c.first;
}

}  // namespace
