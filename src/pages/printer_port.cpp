#include "pages/printer_port.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "base/tavrin_exception.h"
#include "printerio/create_channel.h"

namespace {

constexpr int kPauseBeforeAnswerMs = 100;

// Shared by every port of the process, as the progress pages show one transfer at a time.
std::atomic<std::int16_t> g_sendProgress{0};
std::atomic<std::int16_t> g_receiveProgress{0};

std::atomic<std::int16_t>* ProgressOf(int direction) {
    if (direction == CPrinterPort::kSendDirection) return &g_sendProgress;
    if (direction == CPrinterPort::kReceiveDirection) return &g_receiveProgress;
    return nullptr;
}

/// Bytes sent as a percentage of the total; an expansion longer than the file goes past 100,
/// and a far longer one stays above 100 instead of wrapping round.
std::int16_t Percentage(std::uint64_t sent, std::uint64_t total) {
    const std::uint64_t percent = sent * 100 / total;
    return static_cast<std::int16_t>(std::min<std::uint64_t>(percent, INT16_MAX));
}

struct Buffer {
    explicit Buffer(std::uint32_t count) : bytes(new (std::nothrow) char[count]), size(count) {}
    std::unique_ptr<char[]> bytes;
    std::uint32_t size;
};

}  // namespace

CPrinterPort::CPrinterPort() : CPrinterPort(&CreateChannel) {}

CPrinterPort::CPrinterPort(ChannelMaker makeChannel) : m_makeChannel(std::move(makeChannel)) {}

CPrinterPort::~CPrinterPort() { Close(); }

void CPrinterPort::Open() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_claimed || !m_address) throw new CCannotOpenPrinterPort;
        m_claimed = true;
    }
    std::unique_ptr<CIOChannel> channel = m_makeChannel(*m_address);
    if (!channel || !channel->Open(0)) {
        channel.reset();
        Close();
        throw new CCannotOpenPrinterPort;
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_channel = std::move(channel);
}

bool CPrinterPort::IsOpen() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_claimed;
}

void CPrinterPort::Close() {
    std::unique_ptr<CIOChannel> channel;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        channel = std::move(m_channel);
        m_claimed = false;
    }
    // Destroyed outside the lock: a network channel may linger while it closes.
    channel.reset();
}

void CPrinterPort::SendFile(std::istream& input, int writeTimeoutSeconds, std::uint64_t totalSize) {
    // Every send starts from nothing, whatever an earlier one left behind.
    SetProgress(kSendDirection, 0);
    if (!m_channel) throw new CTimeoutSendingFileToPrinter;
    Buffer buffer(m_channel->GetMaxChunkSize());
    if (!buffer.bytes) return;
    m_channel->SetTimeout(static_cast<std::uint32_t>(writeTimeoutSeconds) * 1000);
    std::uint64_t sent = 0;
    while (input) {
        input.read(buffer.bytes.get(), buffer.size);
        const auto count = static_cast<std::uint32_t>(input.gcount());
        if (count == 0) break;
        if (!m_channel->Write(buffer.bytes.get(), count)) {
            SetProgress(kSendDirection, -1);
            throw new CTimeoutSendingFileToPrinter;
        }
        sent += count;
        if (totalSize != 0) SetProgress(kSendDirection, Percentage(sent, totalSize));
    }
}

void CPrinterPort::ReadBackChannel(std::ostream& output, int readTimeoutSeconds,
                                   int expectedLength) {
    if (!m_channel) throw new CTimeoutReadingBackchannelFromPrinter;
    m_channel->SetTimeout(static_cast<std::uint32_t>(readTimeoutSeconds) * 1000);
    std::uint32_t size = m_channel->GetMaxChunkSize();
    if (expectedLength > 0 && static_cast<std::uint32_t>(expectedLength) < size) {
        size = static_cast<std::uint32_t>(expectedLength);
    }
    Buffer buffer(size);
    if (!buffer.bytes) return;
    std::int64_t received = 0;
    while (expectedLength < 0 || (expectedLength > 0 && received != expectedLength)) {
        std::uint32_t count = buffer.size;
        if (!m_channel->Read(buffer.bytes.get(), count) || count == 0) break;
        output.write(buffer.bytes.get(), count);
        received += count;
    }
    const bool complete = received > 0 && (expectedLength < 1 || received == expectedLength);
    if (!complete) throw new CTimeoutReadingBackchannelFromPrinter;
}

void CPrinterPort::SendThenRead(std::istream& input, int writeTimeoutSeconds, std::ostream& output,
                                int readTimeoutSeconds, int expectedLength) {
    SendFile(input, writeTimeoutSeconds, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(kPauseBeforeAnswerMs));
    ReadBackChannel(output, readTimeoutSeconds, expectedLength);
}

void CPrinterPort::SetUpFrom(const std::string& connectionWord, const std::string& /*name*/,
                             const std::string& address) {
    m_address.reset();
    if (address.empty()) return;
    const std::int32_t mode = CChannelAddress::kModeNotSet;
    if (connectionWord == "parallel") {
        m_address = std::make_unique<CChannelAddress>(address.c_str(),
                                                      CChannelAddress::kKindParallel, mode);
    } else if (connectionWord == "usb") {
        m_address =
            std::make_unique<CChannelAddress>(address.c_str(), CChannelAddress::kKindUsb, mode);
    } else if (connectionWord == "ip") {
        m_address =
            std::make_unique<CChannelAddress>(address.c_str(), CChannelAddress::kKindTcpIp, mode);
    } else if (connectionWord == "at") {
        const std::size_t split = address.find("::");
        const std::string object = address.substr(0, split);
        m_address = std::make_unique<CChannelAddress>(object.c_str(),
                                                      CChannelAddress::kKindAppleTalk, mode);
        if (split != std::string::npos) m_address->SetZone(address.substr(split + 2).c_str());
    }
}

std::int16_t CPrinterPort::GetProgress(int direction) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto* progress = ProgressOf(direction);
    return progress ? progress->load() : 0;
}

void CPrinterPort::SetProgress(int direction, std::int16_t value) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto* progress = ProgressOf(direction);
        // A send sets its progress after every piece; only a change is worth waking for.
        if (!progress || progress->exchange(value) == value) return;
    }
    m_progressChanged.notify_all();
}

std::int16_t CPrinterPort::WaitForProgressChange(int direction, std::int16_t seen,
                                                 const std::function<bool()>& stop) {
    std::unique_lock<std::mutex> hold(m_lock);
    auto* progress = ProgressOf(direction);
    if (!progress) return 0;
    m_progressChanged.wait(hold, [&] { return progress->load() != seen || stop(); });
    return progress->load();
}

void CPrinterPort::WakeProgressWaiters() {
    { std::lock_guard<std::mutex> hold(m_lock); }
    m_progressChanged.notify_all();
}
