// The printer simulator program itself, run as a child process over TCP and a pty.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string FileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// One simulator for one test, stopped at the end; the place it serves comes from its ready
// file.
class CSimulatorProcess {
public:
    explicit CSimulatorProcess(std::vector<std::string> arguments) {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_folder = fs::temp_directory_path() / ("printer_simulator_" + name);
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        arguments.insert(arguments.begin(), VELKOR_PRINTER_SIMULATOR);
        arguments.insert(arguments.end(), {"--record", (m_folder / "record").string(), "--ready",
                                           (m_folder / "ready").string(), "--max-seconds", "60"});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
    }
    ~CSimulatorProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        fs::remove_all(m_folder);
    }

    /// The place the simulator reports once ready; empty when it never became ready.
    std::string Place() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
            std::string text = FileText(m_folder / "ready");
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
                return text;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::string();
    }
    std::string Recorded(std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string text;
        while (std::chrono::steady_clock::now() < deadline) {
            text = FileText(m_folder / "record");
            if (text.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }

private:
    fs::path m_folder;
    pid_t m_pid = -1;
};

int ConnectTo(const std::string& place) {
    const std::size_t colon = place.find(':');
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(place.substr(colon + 1))));
    inet_pton(AF_INET, place.substr(0, colon).c_str(), &address.sin_addr);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads until `count` bytes came, the peer stopped or nothing came for 5 s.
std::string ReadSome(int fd, std::size_t count) {
    std::string text;
    char buffer[256];
    while (text.size() < count) {
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, 5000) != 1) break;
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

// Port 0: these tests need no fixed port and so run beside anything else.
TEST(PrinterSimulatorProgramTest, RecordsAnswersAndHangsUpOverTcp) {
    const CSimulatorProcess simulator({"--tcp", "127.0.0.39", "--port", "0", "--answer", "ID\\r\\n",
                                       "PLOTARA\\r\\n", "--drop-after", "20"});
    const std::string place = simulator.Place();
    ASSERT_EQ(place.rfind("127.0.0.39:", 0), 0u) << place;
    for (int connection = 0; connection < 2; ++connection) {
        const int fd = ConnectTo(place);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "abcID\r\n", 7), 7);
        EXPECT_EQ(ReadSome(fd, 9), "PLOTARA\r\n");
        ASSERT_EQ(write(fd, "0123456789abc", 13), 13);
        // Twenty bytes in all: the printer hangs up, so the read ends with nothing.
        EXPECT_EQ(ReadSome(fd, 1), "");
        close(fd);
    }
    EXPECT_EQ(simulator.Recorded(40), "abcID\r\n0123456789abcabcID\r\n0123456789abc");
}

TEST(PrinterSimulatorProgramTest, ASlowPrinterHangsUpLate) {
    const CSimulatorProcess simulator(
        {"--tcp", "127.0.0.39", "--port", "0", "--drop-after", "3", "--delay", "800"});
    const int fd = ConnectTo(simulator.Place());
    ASSERT_GE(fd, 0);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(write(fd, "abc", 3), 3);
    EXPECT_EQ(ReadSome(fd, 1), "");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700));
    close(fd);
}

TEST(PrinterSimulatorProgramTest, AStalledPrinterTakesLittleUntilItReadsAgain) {
    const CSimulatorProcess simulator({"--tcp", "127.0.0.39", "--port", "0", "--stall", "1500"});
    const int fd = ConnectTo(simulator.Place());
    ASSERT_GE(fd, 0);
    fcntl(fd, F_SETFL, O_NONBLOCK);
    const std::string block(65536, 'x');
    std::size_t accepted = 0;
    for (int i = 0; i < 256; ++i) {
        const ssize_t sent = send(fd, block.data(), block.size(), MSG_NOSIGNAL);
        if (sent <= 0) break;
        accepted += static_cast<std::size_t>(sent);
    }
    // The system's own buffers take some; a reading printer would have taken all 16 MB.
    EXPECT_LT(accepted, 8u << 20);
    EXPECT_EQ(simulator.Recorded(accepted).size(), accepted);
    close(fd);
}

TEST(PrinterSimulatorProgramTest, APacedPrinterTakesItsTimeAndStillIdentifiesItself) {
    const long rate = 100000;
    const CSimulatorProcess simulator({"--tcp", "127.0.0.39", "--port", "0", "--read-rate",
                                       std::to_string(rate), "--product", "Q1251A",
                                       "orvik plotara 530"});
    const int fd = ConnectTo(simulator.Place());
    ASSERT_GE(fd, 0);
    const std::string job = std::string(150000, 'x') + "\x1b%-12345X@PJL INFO ID\r\n";
    const auto start = std::chrono::steady_clock::now();
    std::size_t sent = 0;
    while (sent < job.size()) {
        const ssize_t count = send(fd, job.data() + sent, job.size() - sent, MSG_NOSIGNAL);
        ASSERT_GT(count, 0);
        sent += static_cast<std::size_t>(count);
    }
    const std::string expected = "Q1251A PLOTARA MODEL:orvik plotara 530 (A0)\r\n";
    EXPECT_EQ(ReadSome(fd, expected.size()), expected);
    // The answer comes only once every byte before the request has been taken at the rate.
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000 * 150000 / rate - 10));
    EXPECT_EQ(simulator.Recorded(job.size()), job);
    close(fd);
}

TEST(PrinterSimulatorProgramTest, ServesAPtyThatKeepsItsSettingsBetweenUsers) {
    const CSimulatorProcess simulator({"--pty", "--answer", "ID", "PLOTARA"});
    const std::string slave = simulator.Place();
    ASSERT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave;
    for (int user = 0; user < 2; ++user) {
        const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        // Raw: a line end goes through unchanged and nothing is echoed back.
        ASSERT_EQ(write(fd, "ID\r\n", 4), 4);
        EXPECT_EQ(ReadSome(fd, 7), "PLOTARA");
        close(fd);
    }
    EXPECT_EQ(simulator.Recorded(8), "ID\r\nID\r\n");
}

TEST(PrinterSimulatorProgramTest, ExplainsAnUnusableCommandLine) {
    const std::string command = std::string(VELKOR_PRINTER_SIMULATOR) + " --pipe x >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
