// Load client for http_load.sh, for what wrk does not show: how long a burst of new connections
// waits for its answers (--burst), and request latency on keep-alive connections that were all
// open and answered once before the clock started (--connections/--seconds).
// Every wait has a time limit; any failure ends the program with a message and exit status 1.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMostHeadBytes = 64 * 1024;
constexpr long long kMostBodyBytes = 1LL << 32;

struct Options {
    std::string host = "127.0.0.1";
    int port = 8190;
    std::string path = "/style.css";
    int burst = 0;
    int repeat = 5;
    int pauseMilliseconds = 500;
    int connections = 0;
    double seconds = 0;
    int timeoutMilliseconds = 5000;
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: preopened_load [--host A.B.C.D] [--port N] [--path /FILE]\n"
                 "                      [--timeout-ms N] MODE\n"
                 "MODE: --burst N [--repeat R] [--pause-ms P]\n"
                 "        N new connections at once, one GET each (Connection: close); R bursts\n"
                 "      --connections C --seconds S\n"
                 "        C keep-alive connections, each answered once before the clock starts,\n"
                 "        then requests back to back on each for S seconds\n"
                 "The last line is \"RESULT key=value ...\"; any failure exits with status 1.\n");
}

double Milliseconds(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

bool ParseInteger(const char* text, long low, long high, long& value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParseSeconds(const char* text, double& value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed <= 0 || parsed > 86400) {
        return false;
    }
    value = parsed;
    return true;
}

// False with a message on stderr when the arguments do not make one mode.
bool ParseOptions(int argc, char** argv, Options& options) {
    for (int at = 1; at < argc; ++at) {
        const std::string name = argv[at];
        if (name == "--help") {
            PrintUsage(stdout);
            std::exit(0);
        }
        const char* value = at + 1 < argc ? argv[at + 1] : nullptr;
        if (value == nullptr) {
            std::fprintf(stderr, "%s needs a value\n", name.c_str());
            return false;
        }
        ++at;
        long number = 0;
        bool good = true;
        if (name == "--host") {
            options.host = value;
        } else if (name == "--path") {
            options.path = value;
            good = !options.path.empty() && options.path[0] == '/' &&
                   options.path.find_first_of(" \r\n") == std::string::npos;
        } else if (name == "--port") {
            good = ParseInteger(value, 1, 65535, number);
            options.port = static_cast<int>(number);
        } else if (name == "--burst") {
            good = ParseInteger(value, 1, 10000, number);
            options.burst = static_cast<int>(number);
        } else if (name == "--repeat") {
            good = ParseInteger(value, 1, 10000, number);
            options.repeat = static_cast<int>(number);
        } else if (name == "--pause-ms") {
            good = ParseInteger(value, 0, 600000, number);
            options.pauseMilliseconds = static_cast<int>(number);
        } else if (name == "--connections") {
            good = ParseInteger(value, 1, 1000, number);
            options.connections = static_cast<int>(number);
        } else if (name == "--seconds") {
            good = ParseSeconds(value, options.seconds);
        } else if (name == "--timeout-ms") {
            good = ParseInteger(value, 1, 600000, number);
            options.timeoutMilliseconds = static_cast<int>(number);
        } else {
            std::fprintf(stderr, "unknown option %s\n", name.c_str());
            PrintUsage(stderr);
            return false;
        }
        if (!good) {
            std::fprintf(stderr, "bad value for %s: %s\n", name.c_str(), value);
            return false;
        }
    }
    const bool burst = options.burst > 0;
    const bool steady = options.connections > 0 || options.seconds > 0;
    if (burst == steady || (steady && (options.connections <= 0 || options.seconds <= 0))) {
        std::fprintf(stderr, "give either --burst N or both --connections C and --seconds S\n");
        PrintUsage(stderr);
        return false;
    }
    return true;
}

std::string Request(const Options& options, bool keepAlive) {
    return "GET " + options.path + " HTTP/1.1\r\nHost: " + options.host +
           "\r\nConnection: " + (keepAlive ? "keep-alive" : "close") + "\r\n\r\n";
}

std::string ErrnoText(const char* what, int number) {
    return std::string(what) + ": " + std::strerror(number);
}

class Socket {
public:
    Socket() = default;
    explicit Socket(int descriptor) : m_descriptor(descriptor) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket(Socket&& other) noexcept : m_descriptor(other.m_descriptor) { other.m_descriptor = -1; }
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            Close();
            m_descriptor = other.m_descriptor;
            other.m_descriptor = -1;
        }
        return *this;
    }
    ~Socket() { Close(); }

    int Descriptor() const { return m_descriptor; }
    bool IsOpen() const { return m_descriptor >= 0; }
    void Close() {
        if (m_descriptor >= 0) ::close(m_descriptor);
        m_descriptor = -1;
    }

private:
    int m_descriptor = -1;
};

// Starts a non-blocking connect; `connected` tells whether it finished at once.
bool StartConnect(const sockaddr_in& target, Socket& socket, bool& connected, std::string& error) {
    Socket opened(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!opened.IsOpen()) {
        error = ErrnoText("socket", errno);
        return false;
    }
    // Requests are small and each waits for its answer, as wrk's do.
    const int on = 1;
    if (setsockopt(opened.Descriptor(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
        error = ErrnoText("setsockopt TCP_NODELAY", errno);
        return false;
    }
    const int result =
        ::connect(opened.Descriptor(), reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (result != 0 && errno != EINPROGRESS) {
        error = ErrnoText("connect", errno);
        return false;
    }
    connected = result == 0;
    socket = std::move(opened);
    return true;
}

bool ConnectFinished(int descriptor, std::string& error) {
    int code = 0;
    socklen_t size = sizeof code;
    if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &code, &size) != 0) {
        error = ErrnoText("getsockopt SO_ERROR", errno);
        return false;
    }
    if (code != 0) {
        error = ErrnoText("connect", code);
        return false;
    }
    return true;
}

enum class Wait { Ready, TimedOut, Failed };

Wait WaitFor(int descriptor, short events, Clock::time_point deadline, std::string& error) {
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return Wait::TimedOut;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd entry{descriptor, events, 0};
        const int result =
            poll(&entry, 1, static_cast<int>(std::min<long long>(left, 1000LL * 3600)));
        if (result < 0) {
            if (errno == EINTR) continue;
            error = ErrnoText("poll", errno);
            return Wait::Failed;
        }
        if (result > 0) return Wait::Ready;
    }
}

bool EqualsIgnoringCase(const std::string& left, const char* right) {
    const std::size_t size = std::strlen(right);
    if (left.size() != size) return false;
    for (std::size_t at = 0; at < size; ++at) {
        const auto a = static_cast<unsigned char>(left[at]);
        const auto b = static_cast<unsigned char>(right[at]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Reads one answer: status line, headers, then a Content-Length body (or, without a length,
// everything up to the end of the connection).
class AnswerReader {
public:
    enum class State { Incomplete, Complete, Failed };

    State Take(const char* data, std::size_t size) {
        if (m_state != State::Incomplete) return Fail("bytes after the end of the answer");
        m_started = m_started || size > 0;
        if (!m_headDone) {
            m_head.append(data, size);
            const std::size_t end = m_head.find("\r\n\r\n");
            if (end == std::string::npos) {
                if (m_head.size() > kMostHeadBytes) return Fail("answer head too long");
                return m_state;
            }
            const std::size_t bodyStart = end + 4;
            m_bodyReceived = static_cast<long long>(m_head.size() - bodyStart);
            m_head.resize(bodyStart);
            m_headDone = true;
            if (!ParseHead()) return m_state;
        } else {
            m_bodyReceived += static_cast<long long>(size);
        }
        return CheckBody();
    }

    // The peer closed its side.
    State TakeEnd() {
        if (m_state != State::Incomplete) return m_state;
        if (m_headDone && m_bodyLength < 0) {
            m_state = State::Complete;
            return m_state;
        }
        return Fail(m_started ? "connection closed in the middle of the answer"
                              : "connection closed before any answer");
    }

    bool Started() const { return m_started; }
    int Status() const { return m_status; }
    bool ServerCloses() const { return m_serverCloses; }
    const std::string& Error() const { return m_error; }

private:
    State Fail(const std::string& error) {
        m_error = error;
        m_state = State::Failed;
        return m_state;
    }

    bool ParseHead() {
        const std::size_t lineEnd = m_head.find("\r\n");
        const std::string statusLine = m_head.substr(0, lineEnd);
        if (statusLine.compare(0, 5, "HTTP/") != 0 || statusLine.size() < 12 ||
            statusLine[8] != ' ' || !std::isdigit(static_cast<unsigned char>(statusLine[9])) ||
            !std::isdigit(static_cast<unsigned char>(statusLine[10])) ||
            !std::isdigit(static_cast<unsigned char>(statusLine[11]))) {
            Fail("not an HTTP status line: " + statusLine);
            return false;
        }
        m_status = (statusLine[9] - '0') * 100 + (statusLine[10] - '0') * 10 + statusLine[11] - '0';
        m_serverCloses = statusLine.compare(0, 8, "HTTP/1.0") == 0;
        std::size_t at = lineEnd + 2;
        while (at < m_head.size()) {
            const std::size_t end = m_head.find("\r\n", at);
            if (end == at || end == std::string::npos) break;
            const std::string line = m_head.substr(at, end - at);
            at = end + 2;
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos) continue;
            const std::string name = Trimmed(line.substr(0, colon));
            const std::string value = Trimmed(line.substr(colon + 1));
            if (EqualsIgnoringCase(name, "Content-Length")) {
                long long length = 0;
                if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos ||
                    value.size() > 12) {
                    Fail("bad Content-Length: " + value);
                    return false;
                }
                length = std::stoll(value);
                if (length > kMostBodyBytes) {
                    Fail("Content-Length too large: " + value);
                    return false;
                }
                m_bodyLength = length;
            } else if (EqualsIgnoringCase(name, "Transfer-Encoding") &&
                       !EqualsIgnoringCase(value, "identity")) {
                Fail("Transfer-Encoding " + value + " is not read by this client");
                return false;
            } else if (EqualsIgnoringCase(name, "Connection")) {
                m_serverCloses = EqualsIgnoringCase(value, "close");
            }
        }
        // These statuses never carry a body.
        if (m_status / 100 == 1 || m_status == 204 || m_status == 304) m_bodyLength = 0;
        return true;
    }

    State CheckBody() {
        if (m_bodyLength < 0) return m_state;
        if (m_bodyReceived == m_bodyLength) {
            m_state = State::Complete;
        } else if (m_bodyReceived > m_bodyLength) {
            Fail("more bytes than Content-Length");
        }
        return m_state;
    }

    std::string m_head;
    bool m_headDone = false;
    bool m_started = false;
    bool m_serverCloses = false;
    int m_status = 0;
    long long m_bodyLength = -1;
    long long m_bodyReceived = 0;
    std::string m_error;
    State m_state = State::Incomplete;
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

// Nearest rank over sorted values.
double Percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0;
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size(), std::max<std::size_t>(rank, 1)) - 1];
}

// ---- --burst ----

struct BurstConnection {
    Socket socket;
    enum class Step { Connecting, Sending, Reading, Done } step = Step::Connecting;
    std::size_t sent = 0;
    AnswerReader reader;
    Clock::time_point start;
    Clock::time_point answered;
};

struct BurstTimes {
    double allAnswered = 0;
    std::vector<double> each;
};

// Sends what is left of the request; false on failure.
bool SendSome(BurstConnection& connection, const std::string& request, std::string& error) {
    while (connection.sent < request.size()) {
        const ssize_t sent =
            ::send(connection.socket.Descriptor(), request.data() + connection.sent,
                   request.size() - connection.sent, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
            error = ErrnoText("send", errno);
            return false;
        }
        connection.sent += static_cast<std::size_t>(sent);
    }
    connection.step = BurstConnection::Step::Reading;
    return true;
}

// Reads what has arrived; false on failure.
bool ReadSome(BurstConnection& connection, std::string& error) {
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::recv(connection.socket.Descriptor(), buffer, sizeof buffer, 0);
        AnswerReader::State state;
        if (got > 0) {
            state = connection.reader.Take(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            state = connection.reader.TakeEnd();
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return true;
        } else {
            error = ErrnoText("recv", errno);
            return false;
        }
        if (state == AnswerReader::State::Failed) {
            error = connection.reader.Error();
            return false;
        }
        if (state == AnswerReader::State::Complete) {
            connection.answered = Clock::now();
            connection.step = BurstConnection::Step::Done;
            connection.socket.Close();
            if (connection.reader.Status() != 200) {
                error = "answer status " + std::to_string(connection.reader.Status());
                return false;
            }
            return true;
        }
    }
}

bool RunOneBurst(const Options& options, const sockaddr_in& target, BurstTimes& times,
                 std::string& error) {
    const std::string request = Request(options, false);
    std::vector<BurstConnection> connections(static_cast<std::size_t>(options.burst));
    const Clock::time_point first = Clock::now();
    const Clock::time_point deadline =
        first + std::chrono::milliseconds(options.timeoutMilliseconds);
    for (std::size_t at = 0; at < connections.size(); ++at) {
        BurstConnection& connection = connections[at];
        connection.start = Clock::now();
        bool connected = false;
        if (!StartConnect(target, connection.socket, connected, error)) {
            error = "connection " + std::to_string(at + 1) + ": " + error;
            return false;
        }
        if (connected) connection.step = BurstConnection::Step::Sending;
    }

    std::size_t open = connections.size();
    std::vector<pollfd> entries;
    std::vector<std::size_t> owners;
    while (open > 0) {
        entries.clear();
        owners.clear();
        for (std::size_t at = 0; at < connections.size(); ++at) {
            const BurstConnection& connection = connections[at];
            if (connection.step == BurstConnection::Step::Done) continue;
            const short events = connection.step == BurstConnection::Step::Reading
                                     ? static_cast<short>(POLLIN)
                                     : static_cast<short>(POLLOUT);
            entries.push_back(pollfd{connection.socket.Descriptor(), events, 0});
            owners.push_back(at);
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            error = std::to_string(open) + " of " + std::to_string(connections.size()) +
                    " connections unanswered after " + std::to_string(options.timeoutMilliseconds) +
                    " ms";
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        const int ready = poll(entries.data(), entries.size(), static_cast<int>(left));
        if (ready < 0) {
            if (errno == EINTR) continue;
            error = ErrnoText("poll", errno);
            return false;
        }
        for (std::size_t index = 0; index < entries.size(); ++index) {
            if (entries[index].revents == 0) continue;
            BurstConnection& connection = connections[owners[index]];
            const std::string label = "connection " + std::to_string(owners[index] + 1) + ": ";
            if (connection.step == BurstConnection::Step::Connecting) {
                if (!ConnectFinished(connection.socket.Descriptor(), error)) {
                    error = label + error;
                    return false;
                }
                connection.step = BurstConnection::Step::Sending;
            }
            bool good = true;
            if (connection.step == BurstConnection::Step::Sending) {
                good = SendSome(connection, request, error);
            } else if (connection.step == BurstConnection::Step::Reading) {
                good = ReadSome(connection, error);
            }
            if (!good) {
                error = label + error;
                return false;
            }
            if (connection.step == BurstConnection::Step::Done) --open;
        }
    }

    Clock::time_point last = first;
    times.each.clear();
    for (const BurstConnection& connection : connections) {
        last = std::max(last, connection.answered);
        times.each.push_back(Milliseconds(connection.answered - connection.start));
    }
    times.allAnswered = Milliseconds(last - first);
    return true;
}

int RunBursts(const Options& options, const sockaddr_in& target) {
    std::printf("burst: %d new connections at once to %s:%d%s (Connection: close), %d times\n",
                options.burst, options.host.c_str(), options.port, options.path.c_str(),
                options.repeat);
    std::fflush(stdout);
    std::vector<double> allAnswered;
    std::vector<double> eachMin;
    std::vector<double> eachMedian;
    std::vector<double> eachMax;
    for (int round = 1; round <= options.repeat; ++round) {
        if (round > 1) {
            // The engine takes back a finished connection's thread on its next accept pass.
            std::this_thread::sleep_for(std::chrono::milliseconds(options.pauseMilliseconds));
        }
        BurstTimes times;
        std::string error;
        if (!RunOneBurst(options, target, times, error)) {
            std::fprintf(stderr, "burst %d failed: %s\n", round, error.c_str());
            return 1;
        }
        const auto extremes = std::minmax_element(times.each.begin(), times.each.end());
        allAnswered.push_back(times.allAnswered);
        eachMin.push_back(*extremes.first);
        eachMedian.push_back(Median(times.each));
        eachMax.push_back(*extremes.second);
        std::printf(
            "burst %d: all answered %.3f ms; each connection min %.3f median %.3f "
            "max %.3f ms\n",
            round, times.allAnswered, eachMin.back(), eachMedian.back(), eachMax.back());
        std::fflush(stdout);
    }
    const double worst = *std::max_element(eachMax.begin(), eachMax.end());
    std::printf(
        "median of %d bursts: all answered %.3f ms; each connection min %.3f median "
        "%.3f max %.3f ms; slowest connection of all bursts %.3f ms\n",
        options.repeat, Median(allAnswered), Median(eachMin), Median(eachMedian), Median(eachMax),
        worst);
    std::printf(
        "RESULT mode=burst connections=%d repeats=%d all_ms=%.3f each_min_ms=%.3f "
        "each_median_ms=%.3f each_max_ms=%.3f worst_ms=%.3f\n",
        options.burst, options.repeat, Median(allAnswered), Median(eachMin), Median(eachMedian),
        Median(eachMax), worst);
    return 0;
}

// ---- --connections/--seconds ----

enum class Exchanged { Answered, ClosedBeforeAnswer, Failed };

Exchanged SendAll(int descriptor, const std::string& request, Clock::time_point deadline,
                  std::string& error) {
    std::size_t done = 0;
    while (done < request.size()) {
        const ssize_t sent =
            ::send(descriptor, request.data() + done, request.size() - done, MSG_NOSIGNAL);
        if (sent >= 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EPIPE || errno == ECONNRESET) return Exchanged::ClosedBeforeAnswer;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            error = ErrnoText("send", errno);
            return Exchanged::Failed;
        }
        const Wait wait = WaitFor(descriptor, POLLOUT, deadline, error);
        if (wait == Wait::TimedOut) error = "timed out sending the request";
        if (wait != Wait::Ready) return Exchanged::Failed;
    }
    return Exchanged::Answered;
}

// One request and its whole answer on an open keep-alive connection.
Exchanged Exchange(int descriptor, const std::string& request, Clock::time_point deadline,
                   AnswerReader& reader, std::string& error) {
    const Exchanged sent = SendAll(descriptor, request, deadline, error);
    if (sent != Exchanged::Answered) return sent;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::recv(descriptor, buffer, sizeof buffer, 0);
        AnswerReader::State state = AnswerReader::State::Incomplete;
        if (got > 0) {
            state = reader.Take(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            if (!reader.Started()) return Exchanged::ClosedBeforeAnswer;
            state = reader.TakeEnd();
        } else if (errno == EINTR) {
            continue;
        } else if (errno == ECONNRESET && !reader.Started()) {
            return Exchanged::ClosedBeforeAnswer;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            error = ErrnoText("recv", errno);
            return Exchanged::Failed;
        } else {
            const Wait wait = WaitFor(descriptor, POLLIN, deadline, error);
            if (wait == Wait::TimedOut) error = "timed out waiting for the answer";
            if (wait != Wait::Ready) return Exchanged::Failed;
            continue;
        }
        if (state == AnswerReader::State::Failed) {
            error = reader.Error();
            return Exchanged::Failed;
        }
        if (state == AnswerReader::State::Complete) {
            if (reader.Status() != 200) {
                error = "answer status " + std::to_string(reader.Status());
                return Exchanged::Failed;
            }
            return Exchanged::Answered;
        }
    }
}

bool Connect(const sockaddr_in& target, Clock::time_point deadline, Socket& socket,
             std::string& error) {
    bool connected = false;
    if (!StartConnect(target, socket, connected, error)) return false;
    if (connected) return true;
    const Wait wait = WaitFor(socket.Descriptor(), POLLOUT, deadline, error);
    if (wait == Wait::TimedOut) error = "timed out connecting";
    if (wait != Wait::Ready) return false;
    return ConnectFinished(socket.Descriptor(), error);
}

struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    int ready = 0;
    bool go = false;
    bool abandon = false;
    Clock::time_point end;
    std::atomic<bool> failed{false};
    std::string firstError;

    void Failed(const std::string& error) {
        std::lock_guard<std::mutex> guard(lock);
        if (firstError.empty()) firstError = error;
        failed = true;
        changed.notify_all();
    }
};

struct WorkerResult {
    std::vector<double> latencies;
    long reconnects = 0;
};

// One request, reconnecting first when the connection is closed; false after a failure.
bool TimedRequest(const Options& options, const sockaddr_in& target, const std::string& request,
                  Socket& socket, long& reconnects, std::string& error) {
    // A connection the server has closed (its idle time, its limit of requests per connection)
    // is opened again here, so the reconnect counts into this request's latency.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(options.timeoutMilliseconds);
        if (!socket.IsOpen()) {
            if (!Connect(target, deadline, socket, error)) return false;
            ++reconnects;
        }
        AnswerReader reader;
        const Exchanged outcome = Exchange(socket.Descriptor(), request, deadline, reader, error);
        if (outcome == Exchanged::Failed) return false;
        if (outcome == Exchanged::Answered) {
            if (reader.ServerCloses()) socket.Close();
            return true;
        }
        socket.Close();
    }
    error = "the server closed a fresh connection before answering";
    return false;
}

void Work(const Options& options, const sockaddr_in& target, Shared& shared, WorkerResult& result) {
    const std::string request = Request(options, true);
    Socket socket;
    std::string error;
    long warmUpReconnects = 0;
    if (!TimedRequest(options, target, request, socket, warmUpReconnects, error)) {
        shared.Failed("first answer: " + error);
        return;
    }
    Clock::time_point end;
    {
        std::unique_lock<std::mutex> guard(shared.lock);
        ++shared.ready;
        shared.changed.notify_all();
        shared.changed.wait(guard, [&] { return shared.go || shared.abandon; });
        if (shared.abandon) return;
        end = shared.end;
    }
    while (!shared.failed && Clock::now() < end) {
        const Clock::time_point start = Clock::now();
        if (!TimedRequest(options, target, request, socket, result.reconnects, error)) {
            shared.Failed(error);
            return;
        }
        result.latencies.push_back(Milliseconds(Clock::now() - start));
    }
}

int RunSteady(const Options& options, const sockaddr_in& target) {
    std::printf("pre-opened: %d keep-alive connections to %s:%d%s, %.1f s\n", options.connections,
                options.host.c_str(), options.port, options.path.c_str(), options.seconds);
    std::fflush(stdout);
    Shared shared;
    std::vector<WorkerResult> results(static_cast<std::size_t>(options.connections));
    std::vector<std::thread> workers;
    workers.reserve(results.size());
    for (WorkerResult& result : results) {
        workers.emplace_back(Work, std::cref(options), std::cref(target), std::ref(shared),
                             std::ref(result));
    }

    Clock::time_point start;
    {
        std::unique_lock<std::mutex> guard(shared.lock);
        const bool allReady = shared.changed.wait_for(
            guard, std::chrono::milliseconds(options.timeoutMilliseconds) * 2,
            [&] { return shared.failed || shared.ready == options.connections; });
        if (!allReady || shared.failed) {
            if (!allReady && shared.firstError.empty()) {
                shared.firstError = std::to_string(shared.ready) + " of " +
                                    std::to_string(options.connections) +
                                    " connections answered before the time limit";
            }
            shared.abandon = true;
        } else {
            start = Clock::now();
            shared.end = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(options.seconds));
            shared.go = true;
        }
        shared.changed.notify_all();
    }
    for (std::thread& worker : workers) worker.join();
    const Clock::time_point finished = Clock::now();
    if (shared.abandon || shared.failed) {
        std::fprintf(stderr, "pre-opened run failed: %s\n", shared.firstError.c_str());
        return 1;
    }

    std::vector<double> latencies;
    long reconnects = 0;
    for (const WorkerResult& result : results) {
        latencies.insert(latencies.end(), result.latencies.begin(), result.latencies.end());
        reconnects += result.reconnects;
    }
    if (latencies.empty()) {
        std::fprintf(stderr, "pre-opened run failed: no request was answered\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const double seconds = std::chrono::duration<double>(finished - start).count();
    const double rate = static_cast<double>(latencies.size()) / seconds;
    const double p50 = Percentile(latencies, 0.50);
    const double p99 = Percentile(latencies, 0.99);
    std::printf(
        "%zu requests in %.3f s: %.1f requests/s; latency p50 %.3f p99 %.3f max %.3f ms; "
        "%ld reconnects\n",
        latencies.size(), seconds, rate, p50, p99, latencies.back(), reconnects);
    std::printf(
        "RESULT mode=preopened connections=%d requests=%zu seconds=%.3f rps=%.1f "
        "p50_ms=%.3f p99_ms=%.3f max_ms=%.3f reconnects=%ld\n",
        options.connections, latencies.size(), seconds, rate, p50, p99, latencies.back(),
        reconnects);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(options.port));
    if (inet_pton(AF_INET, options.host.c_str(), &target.sin_addr) != 1) {
        std::fprintf(stderr, "--host needs an IPv4 address: %s\n", options.host.c_str());
        return 2;
    }
    // Sends use MSG_NOSIGNAL; this covers anything else that writes to a closed socket.
    std::signal(SIGPIPE, SIG_IGN);
    const int status = options.burst > 0 ? RunBursts(options, target) : RunSteady(options, target);
    std::fflush(stdout);
    return status;
}
