#pragma once
/// What the simulated printer does with the bytes it receives, whatever carries them:
/// record them, spot triggers, choose the answer, and count towards a hang-up.

#include <cstddef>
#include <map>
#include <string>

#include "byte_record.h"
#include "simulator_options.h"

class CPrinterBehaviour {
public:
    CPrinterBehaviour(const SimulatorOptions& options, CByteRecord& record);

    /// A new connection starts: the hang-up count and the trigger search start again.
    void BeginConnection();
    /// How many bytes to read next, at most `bufferSize`; 0 means hang up now.
    std::size_t ReadAllowance(std::size_t bufferSize) const;
    /// Takes the bytes at the printer's pace, records them and returns the answer they draw
    /// (empty for none), already shortened.
    std::string Receive(const char* data, std::size_t size);

    /// True when the printer takes its bytes slowly, stalled or paced: transports then offer
    /// the smallest receive buffer, so that what a sender has handed over is close to what the
    /// printer has taken.
    bool TakesSlowly() const { return m_options.stallMs >= 0 || m_options.readRate > 0; }
    /// Returns once the stall at the start of a connection is over (never for a stall of 0).
    void StallBeforeReading() const;
    /// Returns once a slow printer would begin its answer, or hang up.
    void DelayAnswer() const;

private:
    using DrawnAnswers = std::multimap<std::size_t, std::string>;
    void FindTriggers(const std::string& text, DrawnAnswers& drawn) const;
    /// `offset` is where `data` begins in the text that FindTriggers searched.
    void FindEchoLines(const char* data, std::size_t size, std::size_t offset, DrawnAnswers& drawn);
    void Pace(std::size_t size) const;

    const SimulatorOptions& m_options;
    CByteRecord& m_record;
    std::size_t m_longestTrigger = 0;
    /// The end of the bytes already searched, so a trigger split across reads is found.
    std::string m_tail;
    unsigned long long m_receivedInConnection = 0;
    /// The line received so far while it may still be one to echo.
    std::string m_line;
    /// False once the line under way is known not to be echoed.
    bool m_lineMayEcho = true;
};
