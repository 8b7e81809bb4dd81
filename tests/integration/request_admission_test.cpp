// Only this workstation's own browser drives the engine: requests naming another host or sent
// on behalf of another site are refused before anything runs; a request cannot shape the
// status line; a page cannot be fetched under an alias of its file's name.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "integration/http_client.h"
#include "integration/served_engine_fixture.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace integration {
namespace {

class ServedAdmission : public ServedEngineTest {
protected:
    /// The engine's own address, as its pages show it.
    static std::string EngineAddress() {
        std::smatch match;
        const std::string body = Exchange(GetRequest("/Main.html")).body;
        return std::regex_search(body, match, std::regex(R"(ip=(\d+\.\d+\.\d+\.\d+);)"))
                   ? match[1].str()
                   : std::string();
    }

    static std::string ComputerName() {
        char name[256] = {};
        return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
    }
};

std::string Request(const std::string& target, const std::string& headers) {
    return "GET " + target + " HTTP/1.1\r\n" + headers + "\r\n";
}

TEST_F(ServedAdmission, ServesTheLocalNamesAndTheBrowsersOwnNavigation) {
    const std::string address = EngineAddress();
    ASSERT_FALSE(address.empty());
    const std::string computer = ComputerName();
    ASSERT_FALSE(computer.empty());
    const std::vector<std::string> admitted = {
        "",  // a second engine's probe sends no Host
        "Host: 127.0.0.1:8190\r\n",
        "Host: localhost\r\n",
        "Host: " + address + ":8190\r\n",
        "Host: " + computer + "\r\n",
        // A typed address, a bookmark, a browser opened by the engine or the firmware control.
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: none\r\nSec-Fetch-Mode: navigate\r\n",
        // Links between the engine's pages, on 127.0.0.1 and on its own address.
        "Host: 127.0.0.1:8190\r\nReferer: http://127.0.0.1:8190/Main.html\r\n"
        "Sec-Fetch-Site: same-origin\r\n",
        "Host: " + address +
            ":8190\r\nReferer: http://127.0.0.1:8190/\r\n"
            "Sec-Fetch-Site: cross-site\r\n",
        "Host: 127.0.0.1:8190\r\nReferer: http://" + address +
            ":8190/Main.html\r\n"
            "Sec-Fetch-Site: cross-site\r\n",
    };
    for (const std::string& headers : admitted) {
        HttpAnswer answer = Exchange(Request("/Main.html", headers));
        EXPECT_EQ(answer.status, 200) << headers;
        EXPECT_THAT(answer.body, HasSubstr("module=testmod")) << headers;
    }
    // A command page asked from the engine's own page still ends on its error page.
    HttpAnswer own = Exchange(Request(
        "/STATUS.html", "Host: 127.0.0.1:8190\r\nReferer: http://" + address + ":8190/\r\n"));
    EXPECT_THAT(own.body, HasSubstr("io error=20"));
}

TEST_F(ServedAdmission, RefusesOtherHostsAndOtherSitesBeforeAnythingRuns) {
    const std::vector<std::string> refused = {
        "Host: rebound.example\r\n",
        "Host: rebound.example:8190\r\n",
        "Host: 127.0.0.1:8080\r\n",
        "Host: 127.0.0.1:8190\r\nReferer: http://elsewhere.example/attack.html\r\n",
        "Host: 127.0.0.1:8190\r\nReferer: http://127.0.0.1@elsewhere.example/\r\n",
        "Host: 127.0.0.1:8190\r\nOrigin: http://elsewhere.example\r\n",
        "Host: 127.0.0.1:8190\r\nOrigin: null\r\n",
        // A hidden image with its referrer withheld.
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: cross-site\r\nSec-Fetch-Dest: image\r\n",
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: same-site\r\n",
    };
    for (const std::string& headers : refused) {
        for (const char* target : {"/Status.html", "/Main.html?q=%3Cscript%3E", "/Exit.html",
                                   "/image.gif", "/tavrin_module.html?module=testmod"}) {
            HttpAnswer answer = Exchange(Request(target, headers));
            ASSERT_TRUE(answer.complete) << target << "\n" << headers;
            EXPECT_EQ(answer.statusLine, "HTTP/1.1 403") << target << "\n" << headers;
            EXPECT_EQ(answer.body, "") << target << "\n" << headers;
        }
    }
    EXPECT_TRUE(engine.IsRunning()) << "a refused exit page stops nothing";
    ASSERT_TRUE(engine.WaitUntilConnectionsClosed());
    const std::string log = install.LogText();
    EXPECT_THAT(log, Not(HasSubstr("(Command status)"))) << "no command ran";
    EXPECT_THAT(log, HasSubstr("Refused the request for /Exit.html: its Host rebound.example is "
                               "not this computer."));
    EXPECT_THAT(log, HasSubstr("Refused the request for /Status.html sent on behalf of another "
                               "site: http://elsewhere.example/attack.html"));
}

TEST_F(ServedAdmission, FramesBareLineFeedsAndNeverEchoesTheRequestIntoTheStatusLine) {
    HttpConnection connection;
    ASSERT_TRUE(
        connection.Send("GET /Main.html HTTP/1.1\nHost: 127.0.0.1\n"
                        "Connection: keep-alive\n\nGET /script.js HTTP/1.0\n\n"));
    HttpAnswer page = connection.ReadAnswer();
    EXPECT_EQ(page.statusLine, "HTTP/1.1 200");
    EXPECT_EQ(page.Header("Connection"), "Keep-Alive") << "the header lines were read";
    EXPECT_THAT(page.body, HasSubstr("module=testmod"));
    HttpAnswer file = connection.ReadAnswer();
    EXPECT_EQ(file.statusLine, "HTTP/1.0 200");
    EXPECT_EQ(file.body, ScriptFileBytes());

    for (const std::string& request : {std::string("GET /Main.html HTTP/1.1<img src=x>\r\n\r\n"),
                                       std::string("GET /Main.html x\r\nInjected: yes\r\n\r\n"),
                                       std::string("GET /Main.html\r\n\r\n")}) {
        HttpAnswer answer = Exchange(request);
        ASSERT_TRUE(answer.complete) << request;
        EXPECT_TRUE(std::regex_match(answer.statusLine, std::regex("HTTP/1\\.1 (200|404)")))
            << answer.statusLine;
        EXPECT_FALSE(answer.Has("Injected")) << request;
    }
}

TEST_F(ServedAdmission, AnswersAliasesOfAFileNameWith404) {
    // Windows opens these as the file itself; the page rules must never meet it that way.
    for (const char* target : {"/Main.html.", "/Main.html..", "/Main.html. .", "/Status.html.",
                               "/Exit.html.", "/script.js.", "/sub./style.CSS", "/Main.htm%3F"}) {
        HttpAnswer answer = Exchange(GetRequest(target));
        ASSERT_TRUE(answer.complete) << target;
        EXPECT_EQ(answer.status, 404) << target;
        EXPECT_EQ(answer.body, "") << target;
    }
    EXPECT_TRUE(engine.IsRunning());
    EXPECT_EQ(Exchange(GetRequest("/sub/style.CSS")).status, 200);
}

}  // namespace
}  // namespace integration
