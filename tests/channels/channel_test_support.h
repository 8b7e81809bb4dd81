#pragma once
/// What the channel tests share: the printers the fixture started, what they recorded, and
/// the plumbing of sending and reading through a channel.

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "printerio/io_channel.h"

namespace channel_test {

constexpr std::int32_t kTcpIp = 0;
constexpr std::int32_t kParallel = 4;
constexpr std::int32_t kUsb = 6;

/// The trigger the answering printers know, and what they answer to it.
extern const std::string kTrigger;
extern const std::string kAnswer;

/// The address text that reaches the fixture's printer `name` on this target.
std::string PrinterAddress(const std::string& name);

/// Every byte value, in a sequence that shows a lost, doubled or misplaced piece.
std::string TestPattern(std::size_t size);

/// A new channel of `kind` to printer `name`, opened with mode 0 as the engine opens it;
/// null (and a test failure) when it does not open.
std::unique_ptr<CIOChannel> OpenChannelTo(std::int32_t kind, const std::string& name);

/// Sends `data` in pieces of at most GetMaxChunkSize; false at the first piece refused.
bool WriteInChunks(CIOChannel& channel, const std::string& data);

/// Reads until `expected` bytes came, a Read failed or one returned 0 bytes.
std::string ReadAnswer(CIOChannel& channel, std::size_t expected);

/// Equal byte strings, or where they first differ.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

/// Seconds since construction.
class CStopwatch {
public:
    CStopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

/// The bytes a printer receives from now on.
class CPrinterRecord {
public:
    explicit CPrinterRecord(const std::string& name);

    /// The bytes that arrived since construction, once `count` are there or `limit` passed.
    std::string WaitForBytes(std::size_t count, std::chrono::milliseconds limit) const;

private:
    std::string m_path;
    std::size_t m_start;
};

}  // namespace channel_test
