// The page server in-process, on a page context without an engine: which page a request gets,
// what a failed printer command turns it into, and the exit page's hold on the stop flag.

#include "http/page_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/log.h"
#include "http/http_request.h"
#include "http/http_response.h"
#include "support/fixed_page_context.h"
#include "support/scratch_folder.h"

namespace {

const char* const kModuleXml =
    "<module><exit-page>Exit.html</exit-page><commands><command>"
    "<name>printer status</name><html-page>Status.html</html-page>"
    "<file-to-send>status.prn</file-to-send></command></commands></module>";

class PageServerTest : public ::testing::Test {
protected:
    PageServerTest() : m_context(LoadedModule(m_folder.PathOf("module"))) {
        m_folder.Write("module/www/MainMenu.html", "printer [[display prtname]]");
        m_folder.Write("module/www/Status.html", "status error=[[display error]]");
        m_folder.Write("module/www/_io.html", "io page error=[[display error]]");
        m_folder.Write("module/vw/status.prn", "STATUS\r\n");
        m_folder.Write("module/www/Exit.html", "bye");
        m_folder.Write("module/www/_cannot_exit.html", "still in use");
        m_folder.Write("module/www/logo.gif", std::string("GIF89a\0\1", 8));
        m_folder.Write("secret.html", "outside www");
        m_context.pageVariables = {{"prtname", "Plotter 9"},
                                   {"prtaddr", "127.0.0.2"},
                                   {"prttype", "ip"},
                                   {"ip-address", "10.1.2.3"}};
        engine_log::SetLogFilePath(m_folder.PathOf("test.log"));
    }

    static CModuleConfig LoadedModule(const std::string& directory) {
        CModuleConfig config("brenna", directory);
        config.LoadFromBytes(kModuleXml);
        return config;
    }

    /// Serves one request text; returns the response after the server is done with it.
    CHttpResponse& Serve(const std::string& requestText) {
        m_request = CHttpRequest();
        m_request.Parse(requestText.data(), static_cast<int>(requestText.size()));
        m_response = std::make_unique<CHttpResponse>(m_request.GetVersion());
        CPageServer server(m_context);
        server.Get(m_request, *m_response);
        return *m_response;
    }

    ScratchFolder m_folder;
    CFixedPageContext m_context;
    CHttpRequest m_request;
    std::unique_ptr<CHttpResponse> m_response;
};

TEST_F(PageServerTest, AnswersEachKindOfPage) {
    struct Case {
        std::string request;
        int status;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"GET /MainMenu.html HTTP/1.1\r\n\r\n", 200, "printer Plotter 9"},
        {"GET /MainMenu.html?prtname=query HTTP/1.1\r\n\r\n", 200, "printer Plotter 9"},
        {"GET /logo.gif HTTP/1.1\r\n\r\n", 200, std::string("GIF89a\0\1", 8)},
        {"GET /Missing.html HTTP/1.1\r\n\r\n", 404, ""},
        {"GET /../secret.html HTTP/1.1\r\n\r\n", 404, ""},
        {"GET /%2e%2e/secret.html HTTP/1.1\r\n\r\n", 404, ""},
    };
    for (const Case& c : cases) {
        CHttpResponse& response = Serve(c.request);
        EXPECT_EQ(response.GetStatus(), c.status) << c.request;
        EXPECT_EQ(response.GetBodyBytes(), c.body) << c.request;
    }
}

TEST_F(PageServerTest, ModuleCheckNamesWhatDiffers) {
    struct Case {
        const char* query;
        int status;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"module=brenna&prtaddr=127.0.0.2", 200, ""},
        {"module=merrow&prtaddr=127.0.0.2", 409, "module"},
        {"module=brenna&prtaddr=127.0.0.3", 409, "address"},
        {"", 409, "module"},
    };
    for (const Case& c : cases) {
        CHttpResponse& response =
            Serve(std::string("GET tavrin_module.html?") + c.query + " HTTP/1.1\r\n\r\n");
        EXPECT_EQ(response.GetStatus(), c.status) << c.query;
        EXPECT_EQ(response.GetReason(), c.reason) << c.query;
    }
}

TEST_F(PageServerTest, FailedCommandSendsTheRequestToTheErrorPage) {
    // No printer port: the command run reports the port as one that cannot be opened.
    for (const char* referer : {"", "Referer: http://127.0.0.1:8190/MainMenu.html\r\n",
                                "Referer: http://10.1.2.3:8190/MainMenu.html\r\n"}) {
        CHttpResponse& response =
            Serve(std::string("GET /Status.html HTTP/1.1\r\n") + referer + "\r\n");
        EXPECT_EQ(response.GetStatus(), 200) << referer;
        EXPECT_EQ(response.GetBodyBytes(), "io page error=20") << referer;
    }
}

TEST_F(PageServerTest, ExitPageStopsOnlyTheLastConnection) {
    m_context.liveConnections = 2;
    EXPECT_EQ(Serve("GET /Exit.html HTTP/1.1\r\n\r\n").GetBodyBytes(), "still in use");
    EXPECT_FALSE(m_context.stopFlag.IsSet());

    m_context.liveConnections = 1;
    EXPECT_EQ(Serve("GET /Exit.html HTTP/1.1\r\n\r\n").GetBodyBytes(), "bye");
    EXPECT_TRUE(m_context.stopFlag.IsSet());
}

TEST_F(PageServerTest, PagesAreExpandedUnderTheContextLock) {
    // "set" writes the context's table while the server holds the lock for the expansion.
    m_folder.Write("module/www/Choices.html", "[[set chosen]][[value yes]]done");
    EXPECT_EQ(Serve("GET /Choices.html HTTP/1.1\r\n\r\n").GetBodyBytes(), "done");
    EXPECT_EQ(m_context.GetPageVariable("chosen"), "yes");
    EXPECT_EQ(m_context.lockDepth, 0) << "every lock taken was given back";
}

}  // namespace
