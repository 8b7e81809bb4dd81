// How fast the TCP/IP channel sends a large job, against a plain socket write loop sending
// the same bytes to the same sink in the same run.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "printerio/channel_address.h"
#include "printerio/tcp_ip_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
    std::string address = "127.0.0.38";
    std::size_t megabytes = 100;
    int repetitions = 5;
};

// Both senders close with the channel's 60 s linger, so each time includes the delivery of
// the last byte, not only its hand-over to the system.
constexpr int kLingerSeconds = 60;

// Seconds, or a negative value when the send failed.
double SendThroughChannel(const BenchOptions& options, const std::vector<char>& job) {
    const Clock::time_point start = Clock::now();
    {
        CTcpIpChannel channel(
            CChannelAddress(options.address.c_str(), 0, CChannelAddress::kModeNotSet));
        if (!channel.Open(0)) return -1;
        channel.SetTimeout(10000);
        const std::size_t chunk = channel.GetMaxChunkSize();
        for (std::size_t at = 0; at < job.size(); at += chunk) {
            const std::size_t piece = std::min(chunk, job.size() - at);
            if (!channel.Write(job.data() + at, static_cast<std::uint32_t>(piece))) return -1;
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double SendThroughSocket(const BenchOptions& options, const std::vector<char>& job) {
    const Clock::time_point start = Clock::now();
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(9100);
    if (inet_pton(AF_INET, options.address.c_str(), &peer.sin_addr) != 1) return -1;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        close(fd);
        return -1;
    }
    std::size_t sent = 0;
    while (sent < job.size()) {
        const ssize_t count = send(fd, job.data() + sent, job.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) {
            close(fd);
            return -1;
        }
        sent += static_cast<std::size_t>(count);
    }
    const linger lingering{1, kLingerSeconds};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &lingering, sizeof lingering);
    close(fd);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool ParseOptions(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (option == "--address") {
            options.address = value;
        } else if (option == "--megabytes") {
            options.megabytes = std::strtoul(value, nullptr, 10);
        } else if (option == "--repetitions") {
            options.repetitions = std::atoi(value);
        } else {
            return false;
        }
    }
    return options.megabytes > 0 && options.repetitions > 0;
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: channel_send_bench [--address A] [--megabytes N] [--repetitions N]\n"
                     "Sends N MB to a sink that reads and discards on A, port 9100.\n");
        return 2;
    }
    std::vector<char> job(options.megabytes * 1000 * 1000);
    for (std::size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>(i * 31 + i / 4099);

    std::vector<double> channelSeconds, socketSeconds;
    for (int run = 0; run < options.repetitions; ++run) {
        // Alternating the order keeps a warming or cooling machine from favouring one side.
        const bool channelFirst = run % 2 == 0;
        const double first =
            channelFirst ? SendThroughChannel(options, job) : SendThroughSocket(options, job);
        const double second =
            channelFirst ? SendThroughSocket(options, job) : SendThroughChannel(options, job);
        const double channel = channelFirst ? first : second;
        const double plain = channelFirst ? second : first;
        if (channel < 0 || plain < 0) {
            std::fprintf(stderr, "run %d: a send to %s:9100 failed\n", run + 1,
                         options.address.c_str());
            return 1;
        }
        channelSeconds.push_back(channel);
        socketSeconds.push_back(plain);
        std::printf("run %d: channel %.3f s, plain socket %.3f s\n", run + 1, channel, plain);
    }
    const double megabytes = static_cast<double>(job.size()) / 1e6;
    const double channelRate = megabytes / Median(channelSeconds);
    const double socketRate = megabytes / Median(socketSeconds);
    std::printf(
        "%zu MB in %u-byte Writes, median of %d runs:\n", options.megabytes,
        CTcpIpChannel(CChannelAddress("", 0, CChannelAddress::kModeNotSet)).GetMaxChunkSize(),
        options.repetitions);
    std::printf("  CTcpIpChannel  %8.1f MB/s\n", channelRate);
    std::printf("  plain socket   %8.1f MB/s\n", socketRate);
    std::printf("  ratio          %8.3f (channel / plain)\n", channelRate / socketRate);
    return 0;
}
