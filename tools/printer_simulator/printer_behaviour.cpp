#include "printer_behaviour.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

CPrinterBehaviour::CPrinterBehaviour(const SimulatorOptions& options, CByteRecord& record)
    : m_options(options), m_record(record) {
    for (const auto& answer : m_options.answers) {
        m_longestTrigger = std::max(m_longestTrigger, answer.first.size());
    }
}

void CPrinterBehaviour::BeginConnection() {
    m_tail.clear();
    m_receivedInConnection = 0;
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
    if (m_options.dropAfter < 0) return bufferSize;
    const auto limit = static_cast<unsigned long long>(m_options.dropAfter);
    if (m_receivedInConnection >= limit) return 0;
    return static_cast<std::size_t>(
        std::min<unsigned long long>(bufferSize, limit - m_receivedInConnection));
}

std::string CPrinterBehaviour::Receive(const char* data, std::size_t size) {
    m_record.Append(data, size);
    m_receivedInConnection += size;
    if (m_longestTrigger == 0) return std::string();

    const std::string text = m_tail + std::string(data, size);
    // Answers go out in the order their triggers were completed.
    std::multimap<std::size_t, const std::string*> drawn;
    for (const auto& answer : m_options.answers) {
        const std::string& trigger = answer.first;
        for (std::size_t at = text.find(trigger); at != std::string::npos;
             at = text.find(trigger, at + 1)) {
            // Found before, when it lay wholly in the tail.
            if (at + trigger.size() <= m_tail.size()) continue;
            drawn.emplace(at + trigger.size(), &answer.second);
        }
    }
    const std::size_t keep = std::min(text.size(), m_longestTrigger - 1);
    m_tail = text.substr(text.size() - keep);

    if (m_options.silent) return std::string();
    std::string reply;
    for (const auto& entry : drawn) {
        std::string answer = *entry.second;
        if (m_options.shortAnswer >= 0 &&
            answer.size() > static_cast<std::size_t>(m_options.shortAnswer)) {
            answer.resize(static_cast<std::size_t>(m_options.shortAnswer));
        }
        reply += answer;
    }
    return reply;
}
