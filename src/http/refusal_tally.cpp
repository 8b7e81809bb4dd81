#include "http/refusal_tally.h"

#include <string>

#include "base/log.h"

namespace {

const char kRefusedLine[] = "Refused a connection from another computer.";
const char kRefusedManyLine[] =
    "Refused a connection from another computer. (%1 refused since the previous such line)";

}  // namespace

void CRefusalTally::Refused(std::uint64_t nowMilliseconds) {
    ++m_counted;
    Tick(nowMilliseconds);
}

void CRefusalTally::Tick(std::uint64_t nowMilliseconds) {
    if (m_counted == 0) return;
    if (m_wroteLine && nowMilliseconds - m_lastLine < kLineIntervalMilliseconds) return;
    WriteLine(nowMilliseconds);
}

void CRefusalTally::Flush() {
    if (m_counted != 0) WriteLine(m_lastLine);
}

void CRefusalTally::WriteLine(std::uint64_t nowMilliseconds) {
    if (m_counted == 1) {
        engine_log::Log(engine_log::Line::Optional, kRefusedLine);
    } else {
        engine_log::Log(engine_log::Line::Optional, kRefusedManyLine, std::to_string(m_counted));
    }
    m_counted = 0;
    m_lastLine = nowMilliseconds;
    m_wroteLine = true;
}
