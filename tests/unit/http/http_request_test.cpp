#include "http/http_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

namespace {

// An exactly sized heap block: a read past its end shows up under AddressSanitizer.
CHttpRequest Parsed(const std::string& bytes, int count = -1) {
    std::vector<char> exact(bytes.begin(), bytes.end());
    CHttpRequest request;
    request.Parse(exact.data(), count < 0 ? static_cast<int>(exact.size()) : count);
    return request;
}

TEST(HttpRequestTest, RequestLineAndDecodedParameters) {
    CHttpRequest request = Parsed("get /a.html?x=1&y=&z=a+b%21 HTTP/1.1\r\nHost: h\r\n\r\n");
    EXPECT_EQ(request.GetMethod() + "|" + request.GetPath() + "|" + request.GetQuery() + "|" +
                  request.GetVersion(),
              "get|/a.html|x=1&y=&z=a+b%21|HTTP/1.1");
    EXPECT_THAT(request.GetParameters(), ElementsAre(Pair("x", "1"), Pair("z", "a b!")));
    request.SetPath("/_io.html");
    EXPECT_EQ(request.GetPath(), "/_io.html");
    EXPECT_EQ(Parsed("GET ?a=1 HTTP/1.1").GetPath(), "?a=1");
}

TEST(HttpRequestTest, MissingPartsStayEmptyAndCountIsRespected) {
    for (const auto& [bytes, method] :
         std::vector<std::pair<std::string, std::string>>{{"GET /x", "GET"},
                                                          {"GET /x\r\nHost:h\r\n", "GET"},
                                                          {"GET", ""},
                                                          {" GET / HTTP/1.1\r\n", ""},
                                                          {"", ""}}) {
        CHttpRequest request = Parsed(bytes);
        EXPECT_EQ(request.GetMethod(), method) << bytes;
        EXPECT_EQ(request.GetPath() + request.GetQuery() + request.GetVersion(), "") << bytes;
        EXPECT_THAT(request.GetHeaders(), IsEmpty()) << bytes;
    }
    const std::string bytes = "GET /a.html HTTP/1.1\r\nReferer: x\r\n";
    EXPECT_EQ(Parsed(bytes, 17).GetVersion(), "HTTP/");
    EXPECT_THAT(Parsed(bytes, 11).GetPath(), IsEmpty());
    EXPECT_THAT(Parsed(bytes, static_cast<int>(bytes.size()) - 1).GetHeaders(), IsEmpty());
}

TEST(HttpRequestTest, QueryPairsFollowTheEqualsSigns) {
    auto parameters = [](const std::string& query) {
        return Parsed("GET /p.html?" + query + " HTTP/1.1\r\n").GetParameters();
    };
    EXPECT_THAT(parameters("a=b=c"), ElementsAre(Pair("a", "b=c"), Pair("a=b", "c")));
    EXPECT_THAT(parameters("a=b=c&d=e"),
                ElementsAre(Pair("", "c"), Pair("a", "b=c"), Pair("d", "e")));
    EXPECT_THAT(parameters("a=1&a=2"), ElementsAre(Pair("a", "2")));
    EXPECT_THAT(parameters("=x&b=1"), IsEmpty());
    EXPECT_THAT(parameters("flag&n%41=%41&v=%4"),
                ElementsAre(Pair("flag&n%41", "A"), Pair("v", "\x04")));
}

TEST(HttpRequestTest, PrinterIdentityOnlyForTheProbesPage) {
    const std::string query = "?prtaddr=1&prttype=ip&prtname=P&module=M HTTP/1.1\r\n";
    EXPECT_THAT(Parsed("GET /p.html" + query).GetParameters(), ElementsAre(Pair("module", "M")));
    EXPECT_THAT(Parsed("GET /tavrin_module.html" + query).GetParameters(),
                ElementsAre(Pair("module", "M")));
    EXPECT_THAT(Parsed("GET tavrin_module.html" + query).GetParameters(),
                ElementsAre(Pair("module", "M"), Pair("prtaddr", "1"), Pair("prtname", "P"),
                            Pair("prttype", "ip")));
}

TEST(HttpRequestTest, HeadersFromEveryTerminatedLine) {
    CHttpRequest request = Parsed(
        "GET / HTTP/1.1\r\nConnection:keep-alive\r\nreferer: http://h/\r\n: none\r\nX:\r\n"
        "\r\nAfter-Blank: yes\r\nUnterminated: no");
    EXPECT_THAT(request.GetHeaders(),
                ElementsAre(Pair("After-Blank", "yes"), Pair("Connection", "eep-alive"),
                            Pair("X", ""), Pair("referer", "http://h/")));
    EXPECT_THAT(request.GetHeader("Referer"), IsEmpty());
}

}  // namespace
