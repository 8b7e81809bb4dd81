// The engine serving its module over real sockets on 127.0.0.1:8190: pages, files, the
// connection rules, the module check and the exit page.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <thread>

#include "integration/http_client.h"
#include "integration/served_engine_fixture.h"

using ::testing::Contains;
using ::testing::HasSubstr;

namespace integration {
namespace {

const char* const kKeepAlive = "Connection: keep-alive\r\n";

using HttpServing = ServedEngineTest;

TEST_F(HttpServing, ExpandsAPageWithEngineVariablesAheadOfTheQuery) {
    HttpAnswer answer = Exchange(GetRequest("/Main.html?module=other&q=a+b%21", kKeepAlive));
    ASSERT_TRUE(answer.complete);
    EXPECT_EQ(answer.statusLine, "HTTP/1.1 200");
    EXPECT_THAT(answer.body, HasSubstr("module=testmod;prtaddr=127.0.0.2;"));
    EXPECT_THAT(answer.body, HasSubstr("q=a b!;link=a+b%21"));
    EXPECT_TRUE(std::regex_search(answer.body, std::regex(R"(date=\d\d/\d\d/\d{4};)")))
        << answer.body;
    EXPECT_TRUE(std::regex_search(answer.body, std::regex(R"(ip=\d+\.\d+\.\d+\.\d+;)")))
        << answer.body;
    // The header map is ordered: this exact sequence, and no Content-Type for pages.
    EXPECT_TRUE(std::regex_match(
        answer.headerBlock,
        std::regex("HTTP/1\\.1 200\r\nCache-control: no-cache\r\nConnection: Keep-Alive\r\n"
                   "Date: [A-Z][a-z]{2}, \\d\\d [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d GMT\r\n"
                   "Keep-Alive: timeout=1, max=100\r\nServer: tavrin/1.0\r\n"
                   "Content-Length: \\d+\r\n\r\n")))
        << answer.headerBlock;
    EXPECT_EQ(std::to_string(answer.body.size()), answer.Header("Content-Length"));
}

TEST_F(HttpServing, KeepsAliveOnlyWhenAskedExactly) {
    HttpConnection kept;
    ASSERT_TRUE(kept.Send(GetRequest("/Main.html", "Connection: KEEP-alive\r\n")));
    EXPECT_EQ(kept.ReadAnswer().Header("Connection"), "Keep-Alive");
    ASSERT_TRUE(kept.Send(GetRequest("/Main.html", kKeepAlive)));
    HttpAnswer second = kept.ReadAnswer();
    EXPECT_TRUE(second.complete);
    EXPECT_EQ(second.Header("Keep-Alive"), "timeout=1, max=100");

    for (const std::string& headers :
         {std::string(), std::string("Connection: keep-alive, Upgrade\r\n")}) {
        HttpConnection closed;
        ASSERT_TRUE(closed.Send(GetRequest("/Main.html", headers)));
        HttpAnswer answer = closed.ReadAnswer();
        EXPECT_EQ(answer.Header("Connection"), "Close") << headers;
        EXPECT_FALSE(answer.Has("Keep-Alive"));
        EXPECT_TRUE(closed.ClosedByPeerWithin(2)) << headers;
    }
}

TEST_F(HttpServing, DropsAnIdleConnectionAfterAboutTwoSeconds) {
    // The behaviour is a time-out: never before the one-second idle allowance, and well
    // before the five seconds a request that has begun gets, so the two stay told apart.
    HttpConnection idle;
    ASSERT_TRUE(idle.IsOpen());
    double seconds = idle.SecondsUntilClosed(30);
    EXPECT_GE(seconds, 0.9);
    EXPECT_LE(seconds, 4.5);

    HttpConnection kept;
    ASSERT_TRUE(kept.Send(GetRequest("/Main.html", kKeepAlive)));
    ASSERT_TRUE(kept.ReadAnswer().complete);
    seconds = kept.SecondsUntilClosed(30);
    EXPECT_GE(seconds, 0.9);
    EXPECT_LE(seconds, 4.5);
}

TEST_F(HttpServing, AnswersOtherMethodsWith501AndNoDate) {
    for (const std::string method : {"HEAD", "OPTIONS", "DELETE", "BREW"}) {
        HttpAnswer answer = Exchange(method + " /Main.html HTTP/1.1\r\n" + kKeepAlive + "\r\n");
        ASSERT_TRUE(answer.complete) << method;
        EXPECT_EQ(answer.headerBlock,
                  "HTTP/1.1 501\r\nConnection: Keep-Alive\r\nKeep-Alive: timeout=1, max=100\r\n"
                  "Server: tavrin/1.0\r\nContent-Length: 0\r\n\r\n")
            << method;
    }
    HttpAnswer lower = Exchange("get /Main.html HTTP/1.1\r\n\r\n");
    EXPECT_EQ(lower.status, 200);
}

TEST_F(HttpServing, ClosesAfterARequestThatAnnouncesABody) {
    HttpConnection connection;
    ASSERT_TRUE(connection.Send("POST /Main.html HTTP/1.1\r\n" + std::string(kKeepAlive) +
                                "Content-Length: 24\r\n\r\nGET /Main.html HTTP/1.1\r\n"));
    HttpAnswer answer = connection.ReadAnswer();
    EXPECT_EQ(answer.status, 501);
    EXPECT_EQ(answer.Header("Connection"), "Close");
    EXPECT_TRUE(connection.ClosedByPeerWithin(2)) << "the body was taken for a request";
}

TEST_F(HttpServing, ServesFilesWithCachingHeadersAnd304) {
    HttpAnswer script = Exchange(GetRequest("/script.js"));
    ASSERT_TRUE(script.complete);
    EXPECT_EQ(script.status, 200);
    EXPECT_EQ(script.body, ScriptFileBytes());
    EXPECT_EQ(script.Header("Content-Type"), "text/javascript");
    ASSERT_TRUE(script.Has("Last-Modified"));
    EXPECT_TRUE(script.Has("Expires"));
    EXPECT_NE(script.Header("Expires"), script.Header("Last-Modified"));
    EXPECT_FALSE(script.Has("Cache-control"));

    HttpAnswer image = Exchange(GetRequest("/image.gif"));
    EXPECT_EQ(image.body, ImageFileBytes());
    EXPECT_EQ(image.Header("Content-Type"), "image/gif");
    EXPECT_EQ(Exchange(GetRequest("/sub/style.CSS")).Header("Content-Type"), "text/css");

    HttpAnswer again = Exchange(GetRequest(
        "/image.gif", "If-Modified-Since: " + image.Header("Last-Modified") + "\r\n" + kKeepAlive));
    ASSERT_TRUE(again.complete);
    EXPECT_EQ(again.status, 304);
    EXPECT_EQ(again.body, "");
    EXPECT_TRUE(std::regex_match(
        again.headerBlock, std::regex("HTTP/1\\.1 304\r\nConnection: Keep-Alive\r\nDate: [^\r]+\r\n"
                                      "Keep-Alive: timeout=1, max=100\r\nServer: tavrin/1.0\r\n"
                                      "Content-Length: 0\r\n\r\n")))
        << again.headerBlock;
    EXPECT_EQ(Exchange(GetRequest("/image.gif", "If-Modified-Since: yesterday\r\n")).status, 200);
}

TEST_F(HttpServing, AnswersMissingPagesAndFilesWith404AndAnEmptyBody) {
    for (const std::string target : {"/Missing.html", "/missing.js", "/", "/sub"}) {
        HttpAnswer answer = Exchange(GetRequest(target));
        ASSERT_TRUE(answer.complete) << target;
        EXPECT_EQ(answer.statusLine, "HTTP/1.1 404") << target;
        EXPECT_EQ(answer.Header("Content-Length"), "0") << target;
    }
}

TEST_F(HttpServing, KeepsRequestsInsideTheModulesPageFolder) {
    // module.xml lies one folder above www: none of these may reach it or anything else.
    for (const std::string target :
         {"/../module.xml", "/%2e%2e/module.xml", "/..%2fmodule.xml", "/sub/../../module.xml",
          "/..\\module.xml", "/C:/Windows/win.ini", "/CON", "/nul.html", "/aux.js",
          "/Main.html%00.js", "/..."}) {
        HttpAnswer answer = Exchange(GetRequest(target));
        ASSERT_TRUE(answer.complete) << target;
        EXPECT_EQ(answer.status, 404) << target;
        EXPECT_EQ(answer.body, "") << target;
    }
    EXPECT_EQ(Exchange(GetRequest("/sub/style.CSS")).status, 200);
}

TEST_F(HttpServing, AnswersTheModuleCheck) {
    auto check = [](const std::string& target) { return Exchange(GetRequest(target)); };
    HttpAnswer same = check("tavrin_module.html?module=testmod&prtaddr=127.0.0.2");
    EXPECT_EQ(same.statusLine, "HTTP/1.1 200");
    EXPECT_EQ(same.Header("Server"), "tavrin/1.0");
    EXPECT_EQ(check("tavrin_module.html?module=other&prtaddr=127.0.0.2").statusLine,
              "HTTP/1.1 409 module");
    EXPECT_EQ(check("tavrin_module.html?module=testmod&prtaddr=127.0.0.3").statusLine,
              "HTTP/1.1 409 address");
    // A browser's leading slash drops the printer address.
    EXPECT_EQ(check("/tavrin_module.html?module=testmod&prtaddr=127.0.0.2").statusLine,
              "HTTP/1.1 409 address");
}

TEST_F(HttpServing, RunsChoicesAndKeepsSetValuesForLaterPages) {
    EXPECT_THAT(Exchange(GetRequest("/Choices.html?colour=blue")).body,
                HasSubstr("cold;now=green"));
    EXPECT_THAT(Exchange(GetRequest("/Choices.html")).body, HasSubstr("none;"));
    EXPECT_THAT(Exchange(GetRequest("/Later.html?favourite=red")).body,
                HasSubstr("favourite=green"));
    HttpAnswer deep = Exchange(GetRequest("/Deep.html"));
    EXPECT_EQ(deep.status, 200);
    EXPECT_THAT(deep.body, HasSubstr("before"));
}

TEST_F(HttpServing, ReportsACommandThatCannotReachThePrinter) {
    HttpAnswer own = Exchange(GetRequest("/STATUS.html", "Referer: http://127.0.0.1:8190/\r\n"));
    EXPECT_EQ(own.status, 200);
    EXPECT_THAT(own.body, HasSubstr("io error=20"));
}

TEST_F(HttpServing, AnswersWholeRequestsThatArriveInPiecesOrTogether) {
    HttpConnection pieces;
    const std::string request = GetRequest("/Main.html?q=pieces", kKeepAlive);
    for (std::size_t at = 0; at < request.size(); at += 10) {
        ASSERT_TRUE(pieces.Send(request.substr(at, 10)));
        // Part of the input, not a wait: a gap lets each piece reach the engine alone.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    HttpAnswer first = pieces.ReadAnswer();
    EXPECT_THAT(first.body, HasSubstr("q=pieces"));

    HttpConnection pipelined;
    ASSERT_TRUE(pipelined.Send(GetRequest("/Main.html?q=one", kKeepAlive) +
                               GetRequest("/script.js", kKeepAlive) +
                               GetRequest("/Main.html?q=three")));
    EXPECT_THAT(pipelined.ReadAnswer().body, HasSubstr("q=one"));
    EXPECT_EQ(pipelined.ReadAnswer().body, ScriptFileBytes());
    HttpAnswer third = pipelined.ReadAnswer();
    EXPECT_THAT(third.body, HasSubstr("q=three"));
    EXPECT_EQ(third.Header("Connection"), "Close");

    const std::string cookie = "Cookie: " + std::string(3000, 'c') + "\r\n";
    HttpAnswer large = Exchange(GetRequest("/Main.html?q=large", cookie));
    EXPECT_THAT(large.body, HasSubstr("q=large"));
}

TEST_F(HttpServing, WaitsForTheRestOfARequestThatHasBegun) {
    // The pause is part of the input: it outlasts the idle allowance and crosses a second
    // boundary whatever the clock shows.
    HttpConnection slow;
    ASSERT_TRUE(slow.Send("GET /Main.html?q=slow HTTP/1.1\r\n"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(slow.Send("\r\n"));
    EXPECT_THAT(slow.ReadAnswer().body, HasSubstr("q=slow"));

    // A time-out again: at least the five seconds a begun request gets; the generous upper
    // bound only says the connection is not held for good.
    HttpConnection stalled;
    ASSERT_TRUE(stalled.Send("GET /Main.html HTTP/1.1\r\n"));
    double seconds = stalled.SecondsUntilClosed(30);
    EXPECT_GE(seconds, 4.0) << "closed before the request had its time, or never";
    EXPECT_LE(seconds, 15.0);
}

TEST_F(HttpServing, RefusesAHeaderBlockOver8KiB) {
    HttpConnection connection;
    ASSERT_TRUE(connection.Send(GetRequest("/Main.html", "Cookie: " + std::string(9000, 'c'))));
    HttpAnswer answer = connection.ReadAnswer();
    EXPECT_EQ(answer.statusLine, "HTTP/1.1 431");
    EXPECT_EQ(answer.Header("Connection"), "Close");
    EXPECT_TRUE(connection.ClosedByPeerWithin(2));
}

TEST_F(HttpServing, SendsEachResponseInOnePiece) {
    // Header lines written one by one would arrive as separate segments on loopback.
    for (int i = 0; i < 5; ++i) {
        HttpConnection connection;
        ASSERT_TRUE(connection.Send(GetRequest("/Main.html")));
        EXPECT_TRUE(connection.FirstReadIsWholeAnswer()) << "request " << i;
    }
}

TEST_F(HttpServing, ServesTheCannotExitPageWhileAnotherConnectionIsOpen) {
    HttpConnection other;
    ASSERT_TRUE(other.Send(GetRequest("/Main.html", kKeepAlive)));
    ASSERT_TRUE(other.ReadAnswer().complete);
    HttpAnswer exit = Exchange(GetRequest("/exit.HTML"));
    EXPECT_THAT(exit.body, HasSubstr("Cannot exit yet"));
    EXPECT_TRUE(engine.IsRunning());
}

TEST_F(HttpServing, StopsAfterServingTheExitPageToTheOnlyConnection) {
    // Browsers open spare connections ahead of need; one that never sent a byte is no user.
    HttpConnection spare;
    ASSERT_TRUE(spare.IsOpen());
    HttpAnswer exit = Exchange(GetRequest("/Exit.html", kKeepAlive));
    EXPECT_THAT(exit.body, HasSubstr("Goodbye"));
    EXPECT_EQ(exit.Header("Connection"), "Close");
    ChildResult end = engine.WaitForExit();
    EXPECT_FALSE(end.timedOut);
    EXPECT_EQ(end.exitCode, 0);
    const std::vector<std::string> log = install.LogMessages();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return std::regex_match(line, std::regex(R"(http://[0-9.]+:8190/Exit\.html)"));
    }));
    EXPECT_THAT(log, Contains("Thread for CConnectionHandler started"));
    EXPECT_THAT(log, Contains("Thread for CConnectionHandler finished"));
}

}  // namespace
}  // namespace integration
