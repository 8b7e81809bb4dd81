#include "channels/channel_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "printerio/channel_address.h"
#include "printerio/create_channel.h"

namespace channel_test {

const std::string kTrigger = "@PJL INFO ID\r\n";
const std::string kAnswer = "\"PLOTARA 5000\"\r\n";

namespace {

// Set by the test's CMake file to the fixture's folder, in the form this target's file
// functions understand.
std::string PrintersFolder() {
    const char* folder = std::getenv("VELKOR_SIMULATORS");
    return folder == nullptr ? std::string() : std::string(folder);
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

std::string PrinterAddress(const std::string& name) {
    std::string address = FileText(PrintersFolder() + "/" + name + ".address");
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) {
        address.pop_back();
    }
    return address;
}

std::string TestPattern(std::size_t size) {
    std::string bytes(size, '\0');
    // A prime stride over all 256 values, advanced once per 251 bytes, so no two windows of
    // a chunk's size look alike.
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

std::unique_ptr<CIOChannel> OpenChannelTo(std::int32_t kind, const std::string& name) {
    const std::string address = PrinterAddress(name);
    EXPECT_FALSE(address.empty()) << "no address for printer " << name << " in \""
                                  << PrintersFolder() << "\": is the fixture running?";
    std::unique_ptr<CIOChannel> channel =
        CreateChannel(CChannelAddress(address.c_str(), kind, CChannelAddress::kModeNotSet));
    if (!channel) {
        ADD_FAILURE() << "no channel of kind " << kind;
        return nullptr;
    }
    if (!channel->Open(0)) {
        ADD_FAILURE() << "cannot open " << address << " (kind " << kind << "), error "
                      << channel->GetLastErrorCode();
        return nullptr;
    }
    return channel;
}

bool WriteInChunks(CIOChannel& channel, const std::string& data) {
    const std::size_t chunk = channel.GetMaxChunkSize();
    for (std::size_t at = 0; at < data.size(); at += chunk) {
        const std::size_t piece = std::min(chunk, data.size() - at);
        if (!channel.Write(data.data() + at, static_cast<std::uint32_t>(piece))) return false;
    }
    return true;
}

std::string ReadAnswer(CIOChannel& channel, std::size_t expected) {
    std::vector<char> buffer(channel.GetMaxChunkSize());
    std::string answer;
    while (answer.size() < expected) {
        std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
        if (!channel.Read(buffer.data(), size) || size == 0) break;
        answer.append(buffer.data(), size);
    }
    return answer;
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    if (at == expected.size() && at == actual.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got "
                                         << actual.size() << "; they differ from byte " << at;
}

CPrinterRecord::CPrinterRecord(const std::string& name)
    : m_path(PrintersFolder() + "/" + name + ".record"), m_start(FileText(m_path).size()) {}

std::string CPrinterRecord::WaitForBytes(std::size_t count, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const std::string text = FileText(m_path);
        const std::string arrived = text.size() > m_start ? text.substr(m_start) : std::string();
        if (arrived.size() >= count || std::chrono::steady_clock::now() >= deadline) {
            return arrived;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace channel_test
