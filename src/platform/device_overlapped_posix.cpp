#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/device_descriptor.h"
#include "platform/device_overlapped.h"

namespace platform {

namespace {

// No completion ports here: a started transfer is only noted, and the wait does it on the
// non-blocking descriptor once poll() finds the device ready, then runs the routine.
class PosixOverlappedDevice : public OverlappedDevice {
public:
    ~PosixOverlappedDevice() override {
        if (m_fd >= 0) close(m_fd);
    }

    bool Open(const std::string& path) override {
        if (m_fd >= 0) close(m_fd);
        m_fd = OpenDeviceDescriptor(path, O_RDWR | O_NONBLOCK);
        m_lastError = m_fd < 0 ? static_cast<std::uint32_t>(errno) : 0;
        return m_fd >= 0;
    }

    bool IsOpen() const override { return m_fd >= 0; }

    bool StartWrite(const char* buffer, std::uint32_t length, CompletionRoutine routine) override {
        return Start(m_write, const_cast<char*>(buffer), length, routine);
    }

    bool StartRead(char* buffer, std::uint32_t size, CompletionRoutine routine) override {
        return Start(m_read, buffer, size, routine);
    }

    WaitOutcome Wait(Transfer transfer, std::uint32_t milliseconds) override {
        Record& record = RecordOf(transfer);
        if (!record.pending) {  // nothing started, so nothing can complete
            m_lastError = ETIMEDOUT;
            return WaitOutcome::TimedOut;
        }
        using Clock = std::chrono::steady_clock;
        const short events = transfer == Transfer::Read ? POLLIN : POLLOUT;
        const Clock::time_point start = Clock::now();
        for (;;) {
            std::uint32_t left = milliseconds;
            if (milliseconds != 0xFFFFFFFFu) {
                const auto spent =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                        .count();
                left = spent >= milliseconds ? 0 : milliseconds - static_cast<std::uint32_t>(spent);
            }
            const int ready = WaitDescriptor(m_fd, events, left);
            if (ready < 0) {
                m_lastError = static_cast<std::uint32_t>(errno);
                return WaitOutcome::Failed;
            }
            if (ready == 0) {
                m_lastError = ETIMEDOUT;
                return WaitOutcome::TimedOut;
            }
            const ssize_t count = transfer == Transfer::Read
                                      ? read(m_fd, record.buffer, record.size)
                                      : write(m_fd, record.buffer, record.size);
            if (count < 0 && errno == EAGAIN) continue;  // woken without room or data
            record.pending = false;
            record.ok = count >= 0;
            record.count = count < 0 ? 0 : static_cast<std::uint32_t>(count);
            record.error = count < 0 ? static_cast<std::uint32_t>(errno) : 0;
            record.routine();
            return WaitOutcome::IoCompletion;
        }
    }

    bool Result(Transfer transfer, std::uint32_t* count) override {
        const Record& record = RecordOf(transfer);
        *count = record.pending ? 0 : record.count;
        m_lastError = record.pending ? EINPROGRESS : record.error;
        return !record.pending && record.ok;
    }

    int CancelPendingIo() override {
        m_read.pending = false;
        m_write.pending = false;
        m_read.ok = m_write.ok = false;
        m_read.count = m_write.count = 0;
        m_read.error = m_write.error = ECANCELED;
        return 1;
    }

    std::uint32_t LastError() override { return m_lastError; }

private:
    struct Record {
        char* buffer = nullptr;
        std::uint32_t size = 0;
        CompletionRoutine routine = nullptr;
        bool pending = false;
        bool ok = false;
        std::uint32_t count = 0;
        std::uint32_t error = 0;
    };

    Record& RecordOf(Transfer transfer) { return transfer == Transfer::Read ? m_read : m_write; }

    bool Start(Record& record, char* buffer, std::uint32_t size, CompletionRoutine routine) {
        if (m_fd < 0) {
            m_lastError = EBADF;
            return false;
        }
        record = Record();
        record.buffer = buffer;
        record.size = size;
        record.routine = routine;
        record.pending = true;
        m_lastError = 0;
        return true;
    }

    int m_fd = -1;
    Record m_read;
    Record m_write;
    std::uint32_t m_lastError = 0;
};

}  // namespace

std::unique_ptr<OverlappedDevice> OverlappedDevice::Create() {
    return std::make_unique<PosixOverlappedDevice>();
}

}  // namespace platform
