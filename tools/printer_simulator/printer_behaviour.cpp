#include "printer_behaviour.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Longer lines are not echoed; a printer's own command lines are far shorter.
constexpr std::size_t kLongestEchoLine = 4096;
// A paced printer takes at most a twentieth of a second's worth at a time, so a sender sees
// the pace evenly and not in bursts.
constexpr long kPaceSlicesPerSecond = 20;

}  // namespace

CPrinterBehaviour::CPrinterBehaviour(const SimulatorOptions& options, CByteRecord& record)
    : m_options(options), m_record(record) {
    for (const auto& answer : m_options.answers) {
        m_longestTrigger = std::max(m_longestTrigger, answer.first.size());
    }
}

void CPrinterBehaviour::BeginConnection() {
    m_tail.clear();
    m_receivedInConnection = 0;
    m_line.clear();
    m_lineMayEcho = true;
}

void CPrinterBehaviour::StallBeforeReading() const {
    if (m_options.stallMs < 0) return;
    if (m_options.stallMs == 0) {
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(m_options.stallMs));
}

void CPrinterBehaviour::DelayAnswer() const {
    if (m_options.answerDelayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.answerDelayMs));
    }
}

std::size_t CPrinterBehaviour::ReadAllowance(std::size_t bufferSize) const {
    std::size_t allowance = bufferSize;
    if (m_options.readRate > 0) {
        const auto slice =
            static_cast<std::size_t>(std::max<long>(1, m_options.readRate / kPaceSlicesPerSecond));
        allowance = std::min(allowance, slice);
    }
    if (m_options.dropAfter < 0) return allowance;
    const auto limit = static_cast<unsigned long long>(m_options.dropAfter);
    if (m_receivedInConnection >= limit) return 0;
    return static_cast<std::size_t>(
        std::min<unsigned long long>(allowance, limit - m_receivedInConnection));
}

// The time a paced printer spends on bytes it has taken; waiting for the next ones comes on
// top, so it never takes more than its rate.
void CPrinterBehaviour::Pace(std::size_t size) const {
    if (m_options.readRate <= 0 || size == 0) return;
    const unsigned long long micros = static_cast<unsigned long long>(size) * 1000000ULL /
                                      static_cast<unsigned long long>(m_options.readRate);
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

void CPrinterBehaviour::FindTriggers(const std::string& text, DrawnAnswers& drawn) const {
    for (const auto& answer : m_options.answers) {
        const std::string& trigger = answer.first;
        for (std::size_t at = text.find(trigger); at != std::string::npos;
             at = text.find(trigger, at + 1)) {
            // Found before, when it lay wholly in the tail.
            if (at + trigger.size() <= m_tail.size()) continue;
            drawn.emplace(at + trigger.size(), answer.second);
        }
    }
}

void CPrinterBehaviour::FindEchoLines(const char* data, std::size_t size, std::size_t offset,
                                      DrawnAnswers& drawn) {
    const std::size_t prefixSize = std::strlen(kEchoPrefix);
    for (std::size_t i = 0; i < size; ++i) {
        if (m_lineMayEcho) {
            m_line += data[i];
            const std::size_t compared = std::min(m_line.size(), prefixSize);
            if (m_line.compare(0, compared, kEchoPrefix, compared) != 0 ||
                m_line.size() > kLongestEchoLine) {
                m_lineMayEcho = false;
                m_line.clear();
            }
        }
        if (data[i] != '\n') continue;
        if (m_lineMayEcho && m_line.size() > prefixSize) drawn.emplace(offset + i + 1, m_line);
        m_line.clear();
        m_lineMayEcho = true;
    }
}

std::string CPrinterBehaviour::Receive(const char* data, std::size_t size) {
    Pace(size);
    m_record.Append(data, size);
    m_receivedInConnection += size;
    if (m_longestTrigger == 0 && !m_options.echo) return std::string();

    // Answers go out in the order their triggers (or echoed lines) were completed.
    DrawnAnswers drawn;
    const std::string text = m_tail + std::string(data, size);
    FindTriggers(text, drawn);
    if (m_options.echo) FindEchoLines(data, size, m_tail.size(), drawn);
    const std::size_t keep = std::min(text.size(), m_longestTrigger > 0 ? m_longestTrigger - 1 : 0);
    m_tail = text.substr(text.size() - keep);

    if (m_options.silent) return std::string();
    std::string reply;
    for (const auto& entry : drawn) {
        std::string answer = entry.second;
        if (m_options.shortAnswer >= 0 &&
            answer.size() > static_cast<std::size_t>(m_options.shortAnswer)) {
            answer.resize(static_cast<std::size_t>(m_options.shortAnswer));
        }
        reply += answer;
    }
    return reply;
}
