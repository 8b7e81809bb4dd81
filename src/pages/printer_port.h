#pragma once
/// The printer as the engine's commands reach it: the address record made from the params
/// file's connection word, the channel while a command holds the port open, and the send and
/// receive progress that a progress monitor publishes.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "printerio/channel_address.h"
#include "printerio/io_channel.h"

class CPrinterPort {
public:
    /// Makes the channel for an address record; the library's `CreateChannel` unless a test
    /// hands in its own.
    using ChannelMaker = std::function<std::unique_ptr<CIOChannel>(const CChannelAddress&)>;

    static constexpr int kSendDirection = 1;
    static constexpr int kReceiveDirection = 2;

    CPrinterPort();
    explicit CPrinterPort(ChannelMaker makeChannel);
    /// Closes the port.
    virtual ~CPrinterPort();
    CPrinterPort(const CPrinterPort&) = delete;
    CPrinterPort& operator=(const CPrinterPort&) = delete;

    /// Claims the port and opens its channel; throws `CCannotOpenPrinterPort` when the port is
    /// already open (another command holds it), has no address record, or the channel cannot
    /// be made or opened.
    virtual void Open();
    virtual bool IsOpen();
    virtual void Close();
    /// Sends `input` to its end in pieces of the channel's largest write, each within
    /// `writeTimeoutSeconds`. A `totalSize` other than 0 turns the bytes sent into the send
    /// progress. Throws `CTimeoutSendingFileToPrinter` on a failed write.
    virtual void SendFile(std::istream& input, int writeTimeoutSeconds, std::uint64_t totalSize);
    /// Reads the printer's answer into `output`: exactly `expectedLength` bytes when it is above
    /// 0, else until a read brings nothing. Throws `CTimeoutReadingBackchannelFromPrinter` when
    /// nothing, or not the expected count, arrives.
    virtual void ReadBackChannel(std::ostream& output, int readTimeoutSeconds, int expectedLength);
    /// Sends without progress, gives the printer 100 ms, then reads its answer.
    virtual void SendThenRead(std::istream& input, int writeTimeoutSeconds, std::ostream& output,
                              int readTimeoutSeconds, int expectedLength);
    /// The address record from the connection word: "parallel" kind 4, "usb" kind 6, "ip"
    /// kind 0, "at" kind 3 with the address split at its first "::" into object and zone; none
    /// for any other word or an empty address.
    virtual void SetUpFrom(const std::string& connectionWord, const std::string& name,
                           const std::string& address);

    /// The process-wide progress of `direction` (1 send, 2 receive; 0 for any other).
    std::int16_t GetProgress(int direction);
    /// Sets it and wakes whoever waits for a change.
    void SetProgress(int direction, std::int16_t value);
    /// Returns the progress of `direction` once it differs from `seen`, or at once when
    /// `stop()` holds; `stop` is asked under the port lock after every wake.
    std::int16_t WaitForProgressChange(int direction, std::int16_t seen,
                                       const std::function<bool()>& stop);
    /// Wakes the waiters so they ask their `stop` again.
    void WakeProgressWaiters();

    bool HasAddressRecord() const { return m_address != nullptr; }
    const CChannelAddress* AddressRecord() const { return m_address.get(); }

private:
    ChannelMaker m_makeChannel;
    std::unique_ptr<CChannelAddress> m_address;
    std::unique_ptr<CIOChannel> m_channel;
    // Taken by Open before the (possibly slow) channel open, so a second command finds the
    // port busy at once instead of opening a second channel beside the first.
    bool m_claimed = false;
    std::mutex m_lock;
    std::condition_variable m_progressChanged;
};
