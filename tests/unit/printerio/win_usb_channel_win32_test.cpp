// The USB channel against a named pipe that plays the printer's device interface.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "printerio/create_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class PipePrinter {
public:
    PipePrinter() {
        static int serial = 0;
        m_path = "\\\\.\\pipe\\velkor_usb_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(++serial);
        m_pipe = CreateNamedPipeA(m_path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                  4096, 0, nullptr);
    }
    ~PipePrinter() {
        if (m_pipe != INVALID_HANDLE_VALUE) CloseHandle(m_pipe);
    }

    bool Ready() const { return m_pipe != INVALID_HANDLE_VALUE; }
    const std::string& Path() const { return m_path; }

    // After the channel opened its end.
    bool Accept() {
        OVERLAPPED overlapped{};
        overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        const BOOL connected = ConnectNamedPipe(m_pipe, &overlapped);
        const DWORD error = GetLastError();
        bool ok = connected || error == ERROR_PIPE_CONNECTED;
        if (!ok && error == ERROR_IO_PENDING) {
            DWORD ignored = 0;
            ok = GetOverlappedResult(m_pipe, &overlapped, &ignored, TRUE) != FALSE;
        }
        CloseHandle(overlapped.hEvent);
        return ok;
    }

    bool Send(const std::string& bytes) {
        return Transfer(true, const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size())) >=
               0;
    }

    std::string Receive() {
        char buffer[8192];
        const long count = Transfer(false, buffer, sizeof(buffer));
        return count < 0 ? std::string("<failed>") : std::string(buffer, count);
    }

    void Disconnect() { DisconnectNamedPipe(m_pipe); }

private:
    long Transfer(bool send, char* buffer, DWORD size) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        DWORD count = 0;
        BOOL ok = send ? WriteFile(m_pipe, buffer, size, &count, &overlapped)
                       : ReadFile(m_pipe, buffer, size, &count, &overlapped);
        if (!ok && GetLastError() == ERROR_IO_PENDING) {
            if (WaitForSingleObject(overlapped.hEvent, 5000) == WAIT_OBJECT_0) {
                ok = GetOverlappedResult(m_pipe, &overlapped, &count, FALSE);
            } else {
                CancelIo(m_pipe);
            }
        }
        CloseHandle(overlapped.hEvent);
        return ok ? static_cast<long>(count) : -1;
    }

    std::string m_path;
    HANDLE m_pipe = INVALID_HANDLE_VALUE;
};

class UsbPipeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(printer.Ready());
        channel = CreateChannel(CChannelAddress(printer.Path().c_str(), 6, 9));
        ASSERT_NE(channel, nullptr);
        ASSERT_TRUE(channel->Open(0));
        ASSERT_TRUE(printer.Accept());
    }

    PipePrinter printer;
    std::unique_ptr<CIOChannel> channel;
};

TEST_F(UsbPipeTest, AWriteArrivesAndTheAnswerIsRead) {
    ASSERT_TRUE(channel->Write("\x1b%-12345X@PJL INFO ID\r\n", 23));
    EXPECT_EQ(printer.Receive(), "\x1b%-12345X@PJL INFO ID\r\n");
    ASSERT_TRUE(printer.Send("\"PLOTARA 5000\"\r\n"));
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    ASSERT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(std::string(buffer, size), "\"PLOTARA 5000\"\r\n");
}

TEST_F(UsbPipeTest, AReadWithNothingComingFailsAfterTwoSecondsAndIsCancelled) {
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(channel->Read(buffer, size));
    const long spent = MillisecondsSince(start);
    EXPECT_GE(spent, 1900);
    EXPECT_LT(spent, 3000);

    // The cancelled read took nothing: the next answer goes whole to the next read.
    ASSERT_TRUE(printer.Send("late"));
    size = sizeof(buffer);
    ASSERT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(std::string(buffer, size), "late");
}

TEST_F(UsbPipeTest, AReadThatCompletesEmptyIsTrueWithSizeZero) {
    std::thread hangUp([this] {
        Sleep(300);
        printer.Disconnect();
    });
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    const bool read = channel->Read(buffer, size);
    hangUp.join();
    EXPECT_TRUE(read);
    EXPECT_EQ(size, 0u);
}

TEST_F(UsbPipeTest, AStalledPrinterFailsTheWriteWithinItsLimit) {
    channel->SetTimeout(500);
    const std::string job(1 << 20, 'x');
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(channel->Write(job.data(), static_cast<std::uint32_t>(job.size())));
    const long spent = MillisecondsSince(start);
    EXPECT_GE(spent, 450);
    EXPECT_LT(spent, 2000);
}

TEST(UsbDeviceTest, AMissingDeviceFailsToOpenWithItsError) {
    auto channel = CreateChannel(CChannelAddress("\\\\.\\pipe\\velkor_no_such_printer", 6, 9));
    EXPECT_FALSE(channel->Open(0));
    EXPECT_NE(channel->GetLastErrorCode(), 0u);
    EXPECT_FALSE(channel->Write("x", 1));
}

}  // namespace
