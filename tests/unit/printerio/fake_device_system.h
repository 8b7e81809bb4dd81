#pragma once
// Scripted stand-ins for the device, service and clock seams, recording what a channel asked.

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/device_file.h"
#include "platform/spooler_service.h"

namespace fake {

// Virtual time: sleeping moves it on at once.
class Clock : public platform::Clock {
public:
    std::int64_t Seconds() override { return static_cast<std::int64_t>(now / 1000); }
    platform::LocalTime Local() override { return {}; }  // the channels never ask
    std::uint64_t Ticks() override { return now; }
    void Sleep(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }

    std::uint64_t now = 0;
    std::vector<std::uint32_t> sleeps;
};

struct IoControlCall {
    std::uint32_t code;
    std::uint16_t readMask, writeMask;
    std::uint32_t inputSize, outputSize;
};

// One answer of the device to a write or read call.
struct Step {
    bool ok = true;
    std::uint32_t count = 0;  // bytes accepted by a write
    std::string data;         // bytes delivered by a read
    std::uint32_t error = 0;
};

class Files : public platform::DeviceFiles {
public:
    explicit Files(Clock& clock) : m_clock(clock) {}

    platform::DeviceHandle Open(const std::string& path, platform::DeviceOpen how) override {
        opened.push_back(path);
        openedHow.push_back(how);
        if (existing.count(path) == 0) {
            lastError = 2;
            return platform::kNoDevice;
        }
        lastError = 0;
        return ++m_lastHandle;
    }
    void Close(platform::DeviceHandle handle) override {
        if (handle != platform::kNoDevice) closed.push_back(handle);
    }
    bool Read(platform::DeviceHandle, char* buffer, std::uint32_t size,
              std::uint32_t* done) override {
        ++readCalls;
        Step step;
        if (!reads.empty()) {
            step = reads.front();
            reads.pop_front();
        }
        // An empty read blocks for the port's read time-out, as a real port does; a failing
        // one returns at once.
        if (step.ok && step.data.empty()) m_clock.now += timeouts.readTotalConstant;
        const std::size_t count = step.data.size() < size ? step.data.size() : size;
        step.data.copy(buffer, count);
        *done = static_cast<std::uint32_t>(count);
        lastError = step.error;
        return step.ok;
    }
    bool Write(platform::DeviceHandle, const char* buffer, std::uint32_t length,
               std::uint32_t* done) override {
        writeLengths.push_back(length);
        Step step;
        step.count = length;
        if (!writes.empty()) {
            step = writes.front();
            writes.pop_front();
        } else if (stalled) {
            step.count = 0;
        }
        *done = step.count;
        received.append(buffer, step.count < length ? step.count : length);
        lastError = step.error;
        return step.ok;
    }
    bool IoControl(platform::DeviceHandle, std::uint32_t code, const void* input,
                   std::uint32_t inputSize, void*, std::uint32_t outputSize) override {
        const auto* masks = static_cast<const std::uint16_t*>(input);
        ioControls.push_back({code, masks[0], masks[1], inputSize, outputSize});
        return false;
    }
    bool GetCommTimeouts(platform::DeviceHandle, platform::CommTimeouts* out) override {
        if (!commPort) return false;
        *out = timeouts;
        return true;
    }
    bool SetCommTimeouts(platform::DeviceHandle, const platform::CommTimeouts& in) override {
        timeouts = in;
        ++timeoutSets;
        return true;
    }
    bool DefineRawDosDevice(const std::string& name, const std::string& target) override {
        defined.push_back(name + "=" + target);
        lastError = defineOk ? 0 : 5;
        return defineOk;
    }
    std::uint32_t Size(platform::DeviceHandle) override { return 0; }
    bool Delete(const std::string&) override { return false; }
    std::string CurrentDirectory() override { return "C:\\work"; }
    std::uint32_t LastError() override { return lastError; }

    std::set<std::string> existing;
    std::vector<std::string> opened;
    std::vector<platform::DeviceOpen> openedHow;
    std::vector<platform::DeviceHandle> closed;
    std::vector<IoControlCall> ioControls;
    std::vector<std::string> defined;
    bool defineOk = true;
    bool commPort = true;
    platform::CommTimeouts timeouts{7, 7, 7, 7, 7};
    int timeoutSets = 0;
    std::deque<Step> writes;
    bool stalled = false;  // once the script is used up, accept nothing
    std::vector<std::uint32_t> writeLengths;
    std::string received;
    std::deque<Step> reads;
    int readCalls = 0;
    std::uint32_t lastError = 0;

private:
    Clock& m_clock;
    platform::DeviceHandle m_lastHandle = 100;
};

// One answer to an interrogation.
struct Interrogation {
    bool ok;
    std::uint32_t error;
    platform::ServiceStatus status;
};

class Services : public platform::SpoolerService {
public:
    explicit Services(Clock& clock) : m_clock(clock) {}

    platform::ServiceHandle OpenManager() override {
        calls.push_back("manager");
        return managerOk ? 1 : platform::kNoService;
    }
    platform::ServiceHandle Open(platform::ServiceHandle, const char* name,
                                 platform::ServiceRights rights) override {
        calls.push_back(std::string("open ") + name +
                        (rights == platform::ServiceRights::Start ? " start" : " stop"));
        return serviceOk ? 2 : platform::kNoService;
    }
    bool Stop(platform::ServiceHandle) override {
        calls.push_back("stop");
        return true;
    }
    bool Interrogate(platform::ServiceHandle, platform::ServiceStatus* status) override {
        calls.push_back("interrogate@" + std::to_string(m_clock.now));
        Interrogation next{false, platform::kErrorServiceNotActive, {}};
        if (!interrogations.empty()) {
            next = interrogations.front();
            if (interrogations.size() > 1 || !repeatLast) interrogations.pop_front();
        }
        m_lastError = next.error;
        *status = next.status;
        if (growCheckPoint) status->checkPoint = ++m_checkPoint;
        return next.ok;
    }
    bool Start(platform::ServiceHandle) override {
        calls.push_back("start");
        return true;
    }
    void Close(platform::ServiceHandle handle) override {
        calls.push_back("close " + std::to_string(handle));
    }
    std::uint32_t LastError() override { return m_lastError; }

    bool managerOk = true;
    bool serviceOk = true;
    std::deque<Interrogation> interrogations;
    bool repeatLast = false;      // answer the last interrogation for ever
    bool growCheckPoint = false;  // a service that keeps reporting progress
    std::vector<std::string> calls;

private:
    Clock& m_clock;
    std::uint32_t m_lastError = 0;
    std::uint32_t m_checkPoint = 0;
};

}  // namespace fake
