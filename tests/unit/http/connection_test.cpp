// A connection in-process: the handler on a scripted socket (what it answers, in which order,
// and when it lets go), and the accept loop on a real loopback socket.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/log.h"
#include "base/runnable.h"
#include "http/connection_handler.h"
#include "http/connection_handler_factory.h"
#include "http/connection_list.h"
#include "http/http_socket.h"
#include "http/listener.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"
#include "support/fixed_page_context.h"
#include "support/scratch_folder.h"
#include "support/socket_library_user.h"

namespace {

/// Hands out its chunks one per Receive, then reads as a closed peer; records what is sent.
class ScriptedSocket : public CHttpSocket {
public:
    explicit ScriptedSocket(std::deque<std::string> chunks) : m_chunks(std::move(chunks)) {}
    std::uint32_t Create() override { return 0; }
    int Connect(std::uint32_t, std::uint16_t) override { return 0; }
    int Bind(std::uint32_t, std::uint16_t) override { return 0; }
    int Listen() override { return 0; }
    bool Accept(CHttpSocket&) override { return false; }
    bool HasData(std::uint32_t) override { return true; }
    int Receive(char* buffer, int length) override {
        ++receives;
        if (m_chunks.empty()) return 0;
        std::string& next = m_chunks.front();
        const int taken = std::min(length, static_cast<int>(next.size()));
        next.copy(buffer, static_cast<std::size_t>(taken));
        next.erase(0, static_cast<std::size_t>(taken));
        if (next.empty()) m_chunks.pop_front();
        return taken;
    }
    int Send(const char* buffer, int length) override {
        wire.append(buffer, static_cast<std::size_t>(length));
        return length;
    }
    int Close() override {
        ++closes;
        return 0;
    }

    std::string wire;
    int receives = 0;
    int closes = 0;

private:
    std::deque<std::string> m_chunks;
};

/// The status line of each response on the wire, cutting responses by their Content-Length.
std::vector<std::string> StatusLines(const std::string& wire) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < wire.size()) {
        const std::size_t headEnd = wire.find("\r\n\r\n", at);
        if (headEnd == std::string::npos) break;
        lines.push_back(wire.substr(at, wire.find("\r\n", at) - at));
        const std::size_t length = wire.find("Content-Length: ", at);
        if (length == std::string::npos || length > headEnd) break;
        at = headEnd + 4 + std::stoul(wire.substr(length + 16));
    }
    return lines;
}

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest() : m_context(Module(m_folder.PathOf("module"))) {
        m_folder.Write("module/www/MainMenu.html", "menu");
        m_folder.Write("module/www/logo.gif", "GIF89a");
        engine_log::SetLogFilePath(m_folder.PathOf("test.log"));
    }
    static CModuleConfig Module(const std::string& directory) {
        CModuleConfig config("brenna", directory);
        config.LoadFromBytes("<module/>");
        return config;
    }

    ScratchFolder m_folder;
    CFixedPageContext m_context;
};

TEST_F(ConnectionTest, HandlerAnswersEveryRequestItReadsInOrder) {
    struct Case {
        const char* name;
        std::deque<std::string> chunks;
        std::vector<std::string> statusLines;
        std::vector<std::string> mustContain;
    };
    const std::string overlong = "GET /" + std::string(9000, 'a');
    const std::vector<Case> cases = {
        {"pipelined keep-alive then close",
         {"GET /MainMenu.html HTTP/1.1\r\nConnection: Keep-Alive\r\n\r\n"
          "GET /logo.gif HTTP/1.1\r\nConnection: close\r\n\r\n"},
         {"HTTP/1.1 200", "HTTP/1.1 200"},
         {"Connection: Keep-Alive\r\n", "Keep-Alive: timeout=1, max=100\r\n",
          "Connection: Close\r\n", "Server: tavrin/1.0\r\n", "menu", "GIF89a"}},
        {"a request in pieces",
         {"GET /MainMenu.html HT", "TP/1.0\r\n", "\r\n"},
         {"HTTP/1.0 200"},
         {"Connection: Close\r\n", "menu"}},
        {"known method not served",
         {"POST /x HTTP/1.1\r\nConnection: close\r\n\r\n"},
         {"HTTP/1.1 501"},
         {}},
        {"unknown method", {"BREW /x HTTP/1.1\r\n\r\n"}, {"HTTP/1.1 501"}, {}},
        {"header block too long", {overlong}, {"HTTP/1.1 431"}, {"Connection: Close\r\n"}},
        // Lines ended by LF alone: the version must not swallow the header block.
        {"bare line feeds",
         {"GET /MainMenu.html HTTP/1.0\nConnection: Keep-Alive\n\n"
          "GET /logo.gif HTTP/1.1\nConnection: close\n\n"},
         {"HTTP/1.0 200", "HTTP/1.1 200"},
         {"Pragma: no-cache\r\n", "menu", "GIF89a"}},
        {"no version", {"GET /MainMenu.html\r\n\r\n"}, {"HTTP/1.1 404"}, {}},
        {"a version that is not one",
         {"GET /MainMenu.html <b>x</b>\r\n\r\n"},
         {"HTTP/1.1 200"},
         {"menu"}},
    };
    for (const Case& c : cases) {
        ScriptedSocket socket(c.chunks);
        CConnectionHandler handler(m_context, socket);
        handler.Run();
        EXPECT_EQ(StatusLines(socket.wire), c.statusLines) << c.name << "\n" << socket.wire;
        for (const std::string& part : c.mustContain) {
            EXPECT_NE(socket.wire.find(part), std::string::npos) << c.name << ": " << part;
        }
        EXPECT_EQ(socket.closes, 1) << c.name;
        EXPECT_EQ(m_context.countedConnections.load(), 0) << c.name << ": counted out again";
    }
    EXPECT_EQ(m_context.lockDepth, 0);
}

TEST_F(ConnectionTest, HandlerReadsNothingOnceTheServerStops) {
    m_context.stopFlag.Set();
    ScriptedSocket socket({"GET /MainMenu.html HTTP/1.1\r\n\r\n"});
    CConnectionHandler(m_context, socket).Run();
    EXPECT_EQ(socket.receives, 0);
    EXPECT_EQ(socket.wire, "");
    EXPECT_EQ(socket.closes, 1);
}

/// Asks the page-serving handlers for each connection, counting them.
class CountingHandlers : public CConnectionHandlerFactory {
public:
    explicit CountingHandlers(CPageContext& context) : m_pages(context) {}
    std::unique_ptr<CRunnable> NewHandler(CHttpSocket& socket) override {
        ++made;
        return m_pages.NewHandler(socket);
    }
    std::atomic<int> made{0};

private:
    CPageConnectionHandlers m_pages;
};

std::string Fetch(std::uint16_t port, const std::string& request) {
    CWinHttpSocket client;
    client.Create();
    client.Connect(0x7F000001, port);
    client.Send(request.data(), static_cast<int>(request.size()));
    std::string answer;
    char buffer[512];
    while (client.HasData(10000)) {
        const int received = client.Receive(buffer, sizeof buffer);
        if (received <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(received));
    }
    client.Close();
    return answer;
}

TEST_F(ConnectionTest, AcceptLoopServesUntilStoppedAndWaitsForItsThreads) {
    // A port of its own: the engine's port may be in use by an integration test.
    constexpr std::uint16_t kPort = 18190;
    SocketLibraryUser sockets;
    ASSERT_TRUE(sockets.Started());
    CObjectFactory& factory = CObjectFactory::Instance();
    std::unique_ptr<CWinHttpSocket> listening = OpenListeningSocket(factory, kPort);
    CountingHandlers handlers(m_context);
    CConnectionList connections;
    CStopFlag stop;
    std::thread server([&] { RunAcceptLoop(*listening, handlers, connections, stop, factory); });

    for (int i = 0; i < 3; ++i) {
        const std::string answer =
            Fetch(kPort, "GET /MainMenu.html HTTP/1.1\r\nConnection: close\r\n\r\n");
        EXPECT_EQ(answer.substr(0, 14), "HTTP/1.1 200\r\n") << answer;
        EXPECT_NE(answer.find("\r\n\r\nmenu"), std::string::npos) << answer;
    }
    stop.Set();
    server.join();
    EXPECT_EQ(handlers.made, 3);
    EXPECT_EQ(connections.Count(), 0) << "every connection was reclaimed or waited for";
}

}  // namespace
