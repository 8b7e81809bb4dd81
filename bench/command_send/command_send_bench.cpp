// The two halves of bench/command_send.sh.
//
//   command_send_bench sink --address A --ready FILE [--answer TRIGGER TEXT]
//     A printer that reads and discards on A:9100, one connection after another. It answers
//     TEXT once to a connection whose first bytes hold TRIGGER (the engine's product number
//     request at start-up) and prints the bytes each connection brought.
//
//   command_send_bench measure --engine-pid PID --file PATH --address A [--runs N]
//                              [--watched PAGE] [--plain PAGE]
//     Sends FILE through the engine's two command pages (display-progress yes and no) and
//     through a plain socket to the same sink, in turn, and reports the engine's CPU time for
//     each engine send and the throughput of all three.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "printerio/channel_address.h"
#include "printerio/tcp_ip_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kPrinterPort = 9100;
constexpr std::uint16_t kEnginePort = 8190;
// Like the channel's close after a good job: each time includes the delivery of the last
// byte, not only its hand-over to the system.
constexpr int kLingerSeconds = 60;

bool ParseAddress(const std::string& text, std::uint16_t port, sockaddr_in& address) {
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return inet_pton(AF_INET, text.c_str(), &address.sin_addr) == 1;
}

bool SendAll(int socket, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t sent = send(socket, data, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

// ---- sink ----

int RunSink(const std::string& addressText, const std::string& readyPath,
            const std::string& trigger, const std::string& answer) {
    sockaddr_in address;
    if (!ParseAddress(addressText, kPrinterPort, address)) {
        std::fprintf(stderr, "sink: \"%s\" is not an IPv4 address\n", addressText.c_str());
        return 2;
    }
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (listener < 0 || setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0) {
        std::fprintf(stderr, "sink: cannot listen on %s:%u: %s\n", addressText.c_str(),
                     kPrinterPort, std::strerror(errno));
        return 1;
    }
    std::ofstream(readyPath) << addressText << ":" << kPrinterPort << "\n";
    std::vector<char> buffer(1 << 18);
    for (long number = 1;; ++number) {
        const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            std::fprintf(stderr, "sink: accept: %s\n", std::strerror(errno));
            return 1;
        }
        std::uint64_t bytes = 0;
        bool first = true;
        for (;;) {
            const ssize_t count = recv(connection, buffer.data(), buffer.size(), 0);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) break;
            // Only the first bytes are looked at, so a large job costs the sink nothing more.
            if (first && !trigger.empty() &&
                std::string(buffer.data(), static_cast<std::size_t>(count)).find(trigger) !=
                    std::string::npos) {
                SendAll(connection, answer.data(), answer.size());
            }
            first = false;
            bytes += static_cast<std::uint64_t>(count);
        }
        close(connection);
        std::printf("connection %ld: %llu bytes\n", number, static_cast<unsigned long long>(bytes));
        std::fflush(stdout);
    }
}

// ---- measure ----

struct MeasureOptions {
    int enginePid = 0;
    std::string file;
    std::string address;
    int runs = 7;
    std::string watchedPage = "SendWatched.html";
    std::string plainPage = "SendPlain.html";
};

// CPU seconds (user and system, all threads, finished ones too) of a process.
bool ProcessCpuSeconds(int pid, double& seconds) {
    clockid_t clock;
    timespec now;
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &now) != 0) return false;
    seconds = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    return true;
}

std::string QueryValue(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string coded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) != 0 || c == '/' || c == '.' || c == '-' || c == '_') {
            coded += static_cast<char>(c);
        } else {
            coded += '%';
            coded += kHex[c >> 4];
            coded += kHex[c & 15];
        }
    }
    return coded;
}

// One GET of the page over its own connection; the whole response, or "" on a socket failure.
std::string Get(const std::string& target) {
    sockaddr_in engine;
    ParseAddress("127.0.0.1", kEnginePort, engine);
    const int connection = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection < 0) return "";
    std::string response;
    if (connect(connection, reinterpret_cast<sockaddr*>(&engine), sizeof engine) == 0) {
        const std::string request = "GET " + target +
                                    " HTTP/1.1\r\nHost: 127.0.0.1:8190\r\n"
                                    "Connection: close\r\n\r\n";
        if (SendAll(connection, request.data(), request.size())) {
            char buffer[16384];
            for (;;) {
                const ssize_t count = recv(connection, buffer, sizeof buffer, 0);
                if (count < 0 && errno == EINTR) continue;
                if (count <= 0) break;
                response.append(buffer, static_cast<std::size_t>(count));
            }
        }
    }
    close(connection);
    return response;
}

struct Sample {
    double wallSeconds = -1;
    double cpuSeconds = -1;  // the engine's, or this program's for the plain copy
};

// The command pages report the response variable "error" as "result=...;", and the
// monitored one the last "data-transfer-status" as "status=...;".
Sample SendThroughEngine(const MeasureOptions& options, const std::string& page, bool monitored) {
    Sample sample;
    const std::string target = "/" + page + "?file-to-send=" + QueryValue(options.file) + "&abs=1";
    double cpuBefore = 0;
    double cpuAfter = 0;
    if (!ProcessCpuSeconds(options.enginePid, cpuBefore)) return sample;
    const Clock::time_point start = Clock::now();
    const std::string response = Get(target);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ProcessCpuSeconds(options.enginePid, cpuAfter)) return sample;
    if (response.compare(0, 12, "HTTP/1.1 200") != 0 &&
        response.compare(0, 12, "HTTP/1.0 200") != 0) {
        std::fprintf(
            stderr, "%s: %s\n", page.c_str(),
            response.empty() ? "no response" : response.substr(0, response.find('\r')).c_str());
        return sample;
    }
    if (response.find("result=0;") == std::string::npos) {
        const std::size_t at = response.find("result=");
        std::fprintf(
            stderr, "%s: the command failed (%s)\n", page.c_str(),
            at == std::string::npos ? "no result on the page" : response.substr(at, 40).c_str());
        return sample;
    }
    if (monitored && response.find("status=done;") == std::string::npos) {
        std::fprintf(stderr, "%s: the progress monitor did not end with \"done\"\n", page.c_str());
        return sample;
    }
    sample.wallSeconds = wall;
    sample.cpuSeconds = cpuAfter - cpuBefore;
    return sample;
}

// The plain copy moves the file in the pieces the engine writes, the TCP/IP channel's
// largest write: larger pieces measured slower here (the buffer leaves the cache), and the
// same size leaves the engine's own layers as the only difference.
std::size_t PieceSize() {
    return CTcpIpChannel(CChannelAddress("", 0, CChannelAddress::kModeNotSet)).GetMaxChunkSize();
}

Sample SendThroughSocket(const MeasureOptions& options) {
    Sample sample;
    sockaddr_in printer;
    if (!ParseAddress(options.address, kPrinterPort, printer)) return sample;
    timespec cpuStart;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    const Clock::time_point start = Clock::now();
    const int file = open(options.file.c_str(), O_RDONLY | O_CLOEXEC);
    const int connection = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool sent = file >= 0 && connection >= 0 &&
                connect(connection, reinterpret_cast<sockaddr*>(&printer), sizeof printer) == 0;
    std::vector<char> buffer(PieceSize());
    while (sent) {
        const ssize_t count = read(file, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            sent = count == 0;
            break;
        }
        sent = SendAll(connection, buffer.data(), static_cast<std::size_t>(count));
    }
    if (file >= 0) close(file);
    if (connection >= 0) {
        const linger lingering{1, kLingerSeconds};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &lingering, sizeof lingering);
        close(connection);
    }
    if (!sent) return sample;
    sample.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    timespec cpuEnd;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    sample.cpuSeconds = static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) +
                        static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
    return sample;
}

struct Spread {
    double min, median, max;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    const double median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    return {values.front(), median, values.back()};
}

void PrintRow(const char* label, const std::vector<double>& values, const char* format) {
    const Spread spread = SpreadOf(values);
    std::printf("  %-44s", label);
    for (const double value : {spread.min, spread.median, spread.max}) std::printf(format, value);
    std::printf("\n");
}

int RunMeasure(const MeasureOptions& options) {
    struct stat status;
    if (stat(options.file.c_str(), &status) != 0) {
        std::fprintf(stderr, "measure: no file %s\n", options.file.c_str());
        return 2;
    }
    const double megabytes = static_cast<double>(status.st_size) / 1e6;
    enum Way { kWatched, kPlain, kSocket };
    const char* const names[] = {"monitored", "unmonitored", "plain socket"};
    auto sendOnce = [&](Way way) {
        if (way == kSocket) return SendThroughSocket(options);
        if (way == kWatched) return SendThroughEngine(options, options.watchedPage, true);
        return SendThroughEngine(options, options.plainPage, false);
    };
    // One unmeasured round first: the file in the page cache, the engine's pages read once.
    for (const Way way : {kWatched, kPlain, kSocket}) {
        if (sendOnce(way).wallSeconds < 0) {
            std::fprintf(stderr, "measure: the %s send failed\n", names[way]);
            return 1;
        }
    }
    std::vector<double> cpuWatched, cpuPlain, cpuRatio, rateWatched, ratePlain, rateSocket,
        ratePlainOverSocket, rateWatchedOverSocket, cpuSocket;
    for (int run = 0; run < options.runs; ++run) {
        // The order turns each run, so that none of the three always goes first.
        Sample samples[3];
        for (int step = 0; step < 3; ++step) {
            const Way way = static_cast<Way>((run + step) % 3);
            samples[way] = sendOnce(way);
            if (samples[way].wallSeconds < 0) {
                std::fprintf(stderr, "measure: run %d: the %s send failed\n", run + 1, names[way]);
                return 1;
            }
        }
        std::printf(
            "run %d: monitored %.3f s (engine CPU %.3f s), unmonitored %.3f s (engine "
            "CPU %.3f s), plain socket %.3f s\n",
            run + 1, samples[kWatched].wallSeconds, samples[kWatched].cpuSeconds,
            samples[kPlain].wallSeconds, samples[kPlain].cpuSeconds, samples[kSocket].wallSeconds);
        cpuWatched.push_back(samples[kWatched].cpuSeconds);
        cpuPlain.push_back(samples[kPlain].cpuSeconds);
        cpuSocket.push_back(samples[kSocket].cpuSeconds);
        cpuRatio.push_back(samples[kWatched].cpuSeconds / samples[kPlain].cpuSeconds);
        rateWatched.push_back(megabytes / samples[kWatched].wallSeconds);
        ratePlain.push_back(megabytes / samples[kPlain].wallSeconds);
        rateSocket.push_back(megabytes / samples[kSocket].wallSeconds);
        ratePlainOverSocket.push_back(samples[kSocket].wallSeconds / samples[kPlain].wallSeconds);
        rateWatchedOverSocket.push_back(samples[kSocket].wallSeconds /
                                        samples[kWatched].wallSeconds);
    }
    std::printf(
        "%.0f MB, %d runs, the plain copy in %zu-byte pieces; ratios pair by pair "
        "within a run\n",
        megabytes, options.runs, PieceSize());
    std::printf("  %-44s %8s %8s %8s\n", "", "min", "median", "max");
    PrintRow("(a) engine CPU s, monitored send", cpuWatched, " %8.3f");
    PrintRow("(a) engine CPU s, unmonitored send", cpuPlain, " %8.3f");
    PrintRow("(a) ratio monitored / unmonitored", cpuRatio, " %8.3f");
    PrintRow("    this program's CPU s, plain socket copy", cpuSocket, " %8.3f");
    PrintRow("(b) MB/s, unmonitored send through the engine", ratePlain, " %8.1f");
    PrintRow("(b) MB/s, monitored send through the engine", rateWatched, " %8.1f");
    PrintRow("(b) MB/s, plain socket copy", rateSocket, " %8.1f");
    PrintRow("(b) ratio engine (unmonitored) / plain", ratePlainOverSocket, " %8.3f");
    PrintRow("(b) ratio engine (monitored) / plain", rateWatchedOverSocket, " %8.3f");
    const double cpuMedian = SpreadOf(cpuRatio).median;
    const double rateMedian = SpreadOf(ratePlainOverSocket).median;
    std::printf("goal (a): monitored / unmonitored CPU <= 1.1 (median %.3f): %s\n", cpuMedian,
                cpuMedian <= 1.1 ? "holds" : "does not hold");
    std::printf("goal (b): engine / plain MB/s >= 0.9 (median %.3f): %s\n", rateMedian,
                rateMedian >= 0.9 ? "holds" : "does not hold");
    return 0;
}

const char* const kUsage =
    "usage: command_send_bench sink --address A --ready FILE [--answer TRIGGER TEXT]\n"
    "       command_send_bench measure --engine-pid PID --file PATH --address A [--runs N]\n"
    "                                  [--watched PAGE] [--plain PAGE]\n";

// TEXT of --answer may carry \r and \n.
std::string Unescaped(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'r' || text[i + 1] == 'n')) {
            bytes += text[++i] == 'r' ? '\r' : '\n';
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string address, ready, trigger, answer;
    MeasureOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        if (option == "--answer" && i + 2 < args.size()) {
            trigger = Unescaped(args[++i]);
            answer = Unescaped(args[++i]);
        } else if (!hasValue) {
            std::fputs(kUsage, stderr);
            return 2;
        } else if (option == "--address") {
            address = args[++i];
        } else if (option == "--ready") {
            ready = args[++i];
        } else if (option == "--engine-pid") {
            options.enginePid = std::atoi(args[++i].c_str());
        } else if (option == "--file") {
            options.file = args[++i];
        } else if (option == "--runs") {
            options.runs = std::atoi(args[++i].c_str());
        } else if (option == "--watched") {
            options.watchedPage = args[++i];
        } else if (option == "--plain") {
            options.plainPage = args[++i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (args[0] == "sink" && !address.empty() && !ready.empty())
        return RunSink(address, ready, trigger, answer);
    options.address = address;
    if (args[0] == "measure" && options.enginePid > 0 && !options.file.empty() &&
        !address.empty() && options.runs > 0)
        return RunMeasure(options);
    std::fputs(kUsage, stderr);
    return 2;
}
