#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>

#include "platform/device_descriptor.h"
#include "platform/device_file.h"

namespace platform {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

// "LPTn" with n from 1 up, or 0 when `name` is no such port.
int ParallelPortNumber(const std::string& name) {
    if (!StartsWithNoCase(name, "LPT") || name.size() == 3) return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])) || number > 1000) return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

thread_local std::uint32_t t_lastError = 0;

// Keeps `error` for LastError and gives `result`.
template <typename T>
T Recorded(int error, T result) {
    t_lastError = static_cast<std::uint32_t>(error);
    return result;
}

bool Fail(int error) { return Recorded(error, false); }

// There are no communication time-outs on a descriptor: the ones set are kept here and
// bound every read and write by poll().
class PosixDeviceFiles : public DeviceFiles {
public:
    DeviceHandle Open(const std::string& path, DeviceOpen how) override {
        int fd = -1;
        switch (how) {
            case DeviceOpen::ExclusiveReadWrite:
            case DeviceOpen::ExclusiveReadWriteNormal:
                fd = OpenDeviceDescriptor(path, O_RDWR | O_NONBLOCK);
                // No sharing: a second opener is refused as Windows refuses it.
                if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
                    close(fd);
                    return Recorded(EBUSY, kNoDevice);
                }
                break;
            case DeviceOpen::SharedRead:
                fd = OpenDeviceDescriptor(path, O_RDONLY);
                break;
            case DeviceOpen::SharedReadOpenAlways:
                fd = OpenDeviceDescriptor(path, O_RDONLY | O_CREAT);
                break;
        }
        if (fd < 0) return Recorded(errno, kNoDevice);
        struct stat status {};
        if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
            close(fd);
            return Recorded(EISDIR, kNoDevice);
        }
        t_lastError = 0;
        return fd;
    }

    void Close(DeviceHandle handle) override {
        if (handle == kNoDevice) return;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_timeouts.erase(handle);
        }
        close(static_cast<int>(handle));
    }

    bool Read(DeviceHandle handle, char* buffer, std::uint32_t size, std::uint32_t* done) override {
        *done = 0;
        const int fd = static_cast<int>(handle);
        CommTimeouts timeouts;
        if (TimeoutsOf(handle, &timeouts)) {
            // Returns with what the first arrival brings rather than waiting to fill `size`.
            const int events = WaitDescriptor(fd, POLLIN, timeouts.readTotalConstant);
            if (events < 0) return Fail(errno);
            if (events == 0) return Recorded(ETIMEDOUT, true);
        }
        const ssize_t count = read(fd, buffer, size);
        if (count < 0) {
            if (errno == EAGAIN) return Recorded(ETIMEDOUT, true);
            return Fail(errno);
        }
        *done = static_cast<std::uint32_t>(count);
        t_lastError = 0;
        return true;
    }

    bool Write(DeviceHandle handle, const char* buffer, std::uint32_t length,
               std::uint32_t* done) override {
        using Clock = std::chrono::steady_clock;
        *done = 0;
        const int fd = static_cast<int>(handle);
        CommTimeouts timeouts;
        const bool limited = TimeoutsOf(handle, &timeouts);
        const Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(timeouts.writeTotalConstant);
        while (*done < length) {
            if (limited) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                        .count();
                const int events =
                    WaitDescriptor(fd, POLLOUT, left > 0 ? static_cast<std::uint32_t>(left) : 0);
                if (events < 0) return Fail(errno);
                if (events == 0) return Recorded(ETIMEDOUT, true);
            }
            const ssize_t count = write(fd, buffer + *done, length - *done);
            if (count < 0) {
                if (errno != EAGAIN) return Fail(errno);
                if (!limited) return Recorded(ETIMEDOUT, true);
                continue;
            }
            *done += static_cast<std::uint32_t>(count);
        }
        t_lastError = 0;
        return true;
    }

    bool IoControl(DeviceHandle /*handle*/, std::uint32_t /*code*/, const void* /*input*/,
                   std::uint32_t /*inputSize*/, void* /*output*/,
                   std::uint32_t /*outputSize*/) override {
        return Fail(ENOTTY);
    }

    bool GetCommTimeouts(DeviceHandle handle, CommTimeouts* timeouts) override {
        struct stat status {};
        if (fstat(static_cast<int>(handle), &status) != 0) return Fail(errno);
        // Only ports have time-outs; a disk file answers at once.
        if (!S_ISCHR(status.st_mode) && !S_ISFIFO(status.st_mode)) return Fail(ENOTTY);
        *timeouts = CommTimeouts();
        TimeoutsOf(handle, timeouts);
        t_lastError = 0;
        return true;
    }

    bool SetCommTimeouts(DeviceHandle handle, const CommTimeouts& timeouts) override {
        CommTimeouts current;
        if (!GetCommTimeouts(handle, &current)) return false;
        std::lock_guard<std::mutex> guard(m_lock);
        m_timeouts[handle] = timeouts;
        return true;
    }

    // Linux has no DOS device names to define.
    bool DefineRawDosDevice(const std::string& /*name*/, const std::string& /*target*/) override {
        return Fail(ENOSYS);
    }

    std::uint32_t Size(DeviceHandle handle) override {
        struct stat status {};
        if (fstat(static_cast<int>(handle), &status) != 0) return Recorded(errno, 0);
        return static_cast<std::uint32_t>(status.st_size);
    }

    bool Delete(const std::string& path) override {
        if (unlink(DevicePathOnThisSystem(path).c_str()) != 0) return Fail(errno);
        t_lastError = 0;
        return true;
    }

    std::string CurrentDirectory() override {
        char buffer[4096];
        if (getcwd(buffer, sizeof(buffer)) == nullptr) return Recorded(errno, std::string());
        return buffer;
    }

    std::uint32_t LastError() override { return t_lastError; }

private:
    bool TimeoutsOf(DeviceHandle handle, CommTimeouts* timeouts) {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto found = m_timeouts.find(handle);
        if (found == m_timeouts.end()) return false;
        *timeouts = found->second;
        return true;
    }

    std::mutex m_lock;
    std::map<DeviceHandle, CommTimeouts> m_timeouts;
};

}  // namespace

DeviceFiles& DeviceFiles::System() {
    static PosixDeviceFiles files;
    return files;
}

std::string DevicePathOnThisSystem(const std::string& path) {
    static const std::string kDevicePrefix = "\\\\.\\";
    if (path.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0) {
        std::string name = path.substr(kDevicePrefix.size());
        if (!name.empty() && name[0] == '/') return name;
        if (StartsWithNoCase(name, "NONSPOOLED_")) name.erase(0, 11);
        const int port = ParallelPortNumber(name);
        if (port > 0) return "/dev/lp" + std::to_string(port - 1);
        return "/dev/" + name;
    }
    std::string converted = path;
    for (char& c : converted) {
        if (c == '\\') c = '/';
    }
    return converted;
}

}  // namespace platform
