#include "integration/cups_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness/wait.h"

namespace integration {

namespace {

const char* const kCupsd = "/usr/sbin/cupsd";
const char* const kLpadmin = "/usr/sbin/lpadmin";

// A loopback port nobody listens on now; the scheduler binds it right after.
int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return connected;
}

void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A PPD whose only purpose is to give the queue its make and model.
std::string PpdFor(const std::string& makeAndModel) {
    return "*PPD-Adobe: \"4.3\"\n*NickName: \"" + makeAndModel + "\"\n";
}

}  // namespace

bool CupsServer::Start() {
    if (!std::filesystem::exists(kCupsd) || !std::filesystem::exists(kLpadmin)) {
        m_problem = "cupsd or lpadmin is not installed (Debian: cups-daemon, cups-client)";
        return false;
    }
    const int port = FreeLoopbackPort();
    if (port == 0) {
        m_problem = "no free loopback port";
        return false;
    }
    m_address = "127.0.0.1:" + std::to_string(port);
    const std::string root = m_folder.Path();
    for (const char* folder : {"spool/tmp", "cache", "state", "log", "ppd"}) {
        std::filesystem::create_directories(m_folder.PathOf(folder));
    }
    // Anyone on loopback may administer it: lpadmin runs without credentials.
    WriteText(m_folder.PathOf("cupsd.conf"),
              "Listen " + m_address +
                  "\nLogLevel warn\nDefaultAuthType None\nBrowsing No\n"
                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                  "</Policy>\n");
    WriteText(m_folder.PathOf("cups-files.conf"),
              "ServerRoot " + root + "\nServerBin " + root + "/bin\nRequestRoot " + root +
                  "/spool\nTempDir " + root + "/spool/tmp\nCacheDir " + root + "/cache\nStateDir " +
                  root + "/state\nErrorLog " + root + "/log/error_log\nAccessLog " + root +
                  "/log/access_log\nPageLog " + root + "/log/page_log\n");
    // The scheduler accepts a device URI only when a backend of its scheme exists. No job is
    // printed here, so a backend that refuses every job is enough.
    for (const char* scheme : {"socket", "usb", "parallel", "lpd"}) {
        const std::string backend = m_folder.PathOf(std::string("bin/backend/") + scheme);
        WriteText(backend, "#!/bin/sh\nexit 1\n");
        std::filesystem::permissions(
            backend, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                         std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                         std::filesystem::perms::others_exec);
    }
    if (!m_child.Start({kCupsd, "-f", "-c", m_folder.PathOf("cupsd.conf"), "-s",
                        m_folder.PathOf("cups-files.conf")},
                       root, {})) {
        m_problem = "cupsd could not be started";
        return false;
    }
    if (!harness::WaitUntil([&] { return Accepts(port) || !m_child.IsRunning(); }, 30) ||
        !m_child.IsRunning()) {
        m_problem = "cupsd did not serve: " + m_child.Kill().output + " " +
                    ReadText(m_folder.PathOf("log/error_log"));
        return false;
    }
    return true;
}

bool CupsServer::AddQueue(const std::string& name, const std::string& deviceUri,
                          const std::string& makeAndModel) {
    const std::string ppd = m_folder.PathOf("ppd/" + name + ".ppd");
    WriteText(ppd, PpdFor(makeAndModel));
    const harness::ChildResult result =
        harness::RunChild({kLpadmin, "-p", name, "-v", deviceUri, "-P", ppd, "-E"}, m_folder.Path(),
                          {{"CUPS_SERVER", m_address}}, 60);
    if (result.exitCode != 0) {
        m_problem = "lpadmin -p " + name + " -v " + deviceUri + ": " + result.output;
        return false;
    }
    return true;
}

}  // namespace integration
