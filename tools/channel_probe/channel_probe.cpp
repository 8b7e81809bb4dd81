// channel_probe: opens one printer channel, sends a file or a text through it and reads the
// printer's answer, printing what each step did, how long it took and the error it recorded.
// For trying the channels against the printer simulator (or a real printer) by hand.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "printerio/channel_address.h"
#include "printerio/create_channel.h"

namespace {

const char kUsage[] =
    "Usage: channel_probe --kind N --address TEXT [options]\n"
    "  --kind N          0 TCP/IP, 1 IPX/SPX, 3 AppleTalk, 4 parallel, 6 USB, 8 file\n"
    "  --address TEXT    what the kind needs: 127.0.0.2, LPT1:, a device path, a file name\n"
    "  --zone TEXT       the AppleTalk zone\n"
    "  --mode M          the mode Open is given (0 by default)\n"
    "  --timeout MS      SetTimeout before sending and before reading (default: the channel's)\n"
    "  --send FILE       send the file, in pieces of the channel's largest chunk\n"
    "  --text TEXT       send TEXT (C escapes \\r \\n \\t \\\\ \\xHH are understood)\n"
    "  --read            read the answer until the channel reports its end or fails\n"
    "  --read-limit N    stop reading after N bytes (default 65536)\n"
    "Exit code 0 when every step asked for succeeded, 1 when one failed, 2 for bad usage.\n";

struct Options {
    int kind = -1;
    std::string address;
    std::string zone;
    int mode = 0;
    long timeout = -1;
    bool haveData = false;
    std::string data;
    bool read = false;
    std::size_t readLimit = 65536;
};

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        switch (next) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'x':
                if (i + 2 < text.size()) {
                    out +=
                        static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
                    i += 2;
                } else {
                    out += "\\x";
                }
                break;
            default:
                out += next;
                break;
        }
    }
    return out;
}

/// The bytes as a reader can see them: printable ASCII as it is, the rest escaped.
std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char byte : bytes) {
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    return out;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) {
                error = option + " needs a value";
                return false;
            }
            target = argv[++i];
            return true;
        };
        std::string text;
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (option == "--kind") {
            if (!value(text)) return false;
            options.kind = std::atoi(text.c_str());
        } else if (option == "--address") {
            if (!value(options.address)) return false;
        } else if (option == "--zone") {
            if (!value(options.zone)) return false;
        } else if (option == "--mode") {
            if (!value(text)) return false;
            options.mode = std::atoi(text.c_str());
        } else if (option == "--timeout") {
            if (!value(text)) return false;
            options.timeout = std::atol(text.c_str());
        } else if (option == "--send") {
            if (!value(text)) return false;
            std::ifstream file(text, std::ios::binary);
            if (!file) {
                error = "cannot read " + text;
                return false;
            }
            options.data.assign(std::istreambuf_iterator<char>(file), {});
            options.haveData = true;
        } else if (option == "--text") {
            if (!value(text)) return false;
            options.data = Unescape(text);
            options.haveData = true;
        } else if (option == "--read") {
            options.read = true;
        } else if (option == "--read-limit") {
            if (!value(text)) return false;
            options.readLimit = static_cast<std::size_t>(std::atol(text.c_str()));
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    if (options.kind < 0 || options.address.empty()) {
        error = "--kind and --address are needed";
        return false;
    }
    return true;
}

std::uint64_t Since(std::uint64_t start) { return platform::MillisecondsNow() - start; }

bool Send(CIOChannel& channel, const Options& options) {
    if (options.timeout >= 0) channel.SetTimeout(static_cast<std::uint32_t>(options.timeout));
    const std::size_t chunk = channel.GetMaxChunkSize();
    std::uint64_t start = platform::MillisecondsNow();
    std::size_t sent = 0;
    int pieces = 0;
    while (sent < options.data.size()) {
        std::size_t length = std::min(chunk, options.data.size() - sent);
        if (!channel.Write(options.data.data() + sent, static_cast<std::uint32_t>(length))) {
            std::printf("write: failed in piece %d after %zu of %zu bytes, %llu ms, error %lu\n",
                        pieces + 1, sent, options.data.size(),
                        static_cast<unsigned long long>(Since(start)),
                        static_cast<unsigned long>(channel.GetLastErrorCode()));
            return false;
        }
        sent += length;
        ++pieces;
    }
    std::printf("write: %zu bytes in %d pieces of at most %zu, %llu ms\n", sent, pieces, chunk,
                static_cast<unsigned long long>(Since(start)));
    return true;
}

bool Read(CIOChannel& channel, const Options& options) {
    if (options.timeout >= 0) channel.SetTimeout(static_cast<std::uint32_t>(options.timeout));
    std::vector<char> buffer(channel.GetMaxChunkSize());
    std::string answer;
    std::uint64_t start = platform::MillisecondsNow();
    bool ok = true;
    const char* end = "the limit was reached";
    while (answer.size() < options.readLimit) {
        std::uint32_t size =
            static_cast<std::uint32_t>(std::min(buffer.size(), options.readLimit - answer.size()));
        if (!channel.Read(buffer.data(), size)) {
            ok = !answer.empty();
            end = answer.empty() ? "failed before any byte came" : "a read failed after the answer";
            break;
        }
        if (size == 0) {
            end = "the channel reported the end (0 bytes)";
            break;
        }
        answer.append(buffer.data(), size);
    }
    std::printf("read: %zu bytes, %llu ms, %s, error %lu\n", answer.size(),
                static_cast<unsigned long long>(Since(start)), end,
                static_cast<unsigned long>(channel.GetLastErrorCode()));
    if (!answer.empty()) std::printf("answer: %s\n", Printable(answer).c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "channel_probe: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    CChannelAddress address(options.address.c_str(), options.kind, CChannelAddress::kModeNotSet);
    if (!options.zone.empty()) address.SetZone(options.zone.c_str());
    std::unique_ptr<CIOChannel> channel = CreateChannel(address);
    if (!channel) {
        std::printf("channel: no channel of kind %d\n", options.kind);
        return 1;
    }
    std::uint64_t start = platform::MillisecondsNow();
    if (!channel->Open(options.mode)) {
        std::printf("open: failed, %llu ms, error %lu\n",
                    static_cast<unsigned long long>(Since(start)),
                    static_cast<unsigned long>(channel->GetLastErrorCode()));
        return 1;
    }
    std::printf("open: ok, %llu ms, largest chunk %lu\n",
                static_cast<unsigned long long>(Since(start)),
                static_cast<unsigned long>(channel->GetMaxChunkSize()));
    bool ok = true;
    if (options.haveData) ok = Send(*channel, options) && ok;
    if (options.read) ok = Read(*channel, options) && ok;
    std::fflush(stdout);
    start = platform::MillisecondsNow();
    channel.reset();
    std::printf("close: %llu ms\n", static_cast<unsigned long long>(Since(start)));
    return ok ? 0 : 1;
}
