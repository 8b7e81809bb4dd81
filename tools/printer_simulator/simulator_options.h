#pragma once
/// What the printer simulator was told on its command line.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

/// How the simulated printer is reached.
enum class SimulatorTransport { kNone, kTcp, kPty, kPipe };

/// The printer family's requests for its identification and its status, which the demo
/// module's command files send; --product and --status answer them unless told otherwise.
inline constexpr char kProductTrigger[] = "@PJL INFO ID";
inline constexpr char kStatusTrigger[] = "@PJL INFO STATUS";
/// A line that begins so is answered with itself by an echoing printer (--echo).
inline constexpr char kEchoPrefix[] = "@PJL ECHO";

struct SimulatorOptions {
    SimulatorTransport transport = SimulatorTransport::kNone;
    /// Loopback address to listen on (TCP).
    std::string address;
    /// TCP port; 0 lets the system choose (the ready line tells which).
    int port = 9100;
    /// Windows pipe name (pipe transport).
    std::string pipeName;
    /// A symbolic link made to point at the pty's slave, e.g. a Wine prefix's dosdevices/lpt1.
    std::string linkPath;
    /// File that receives every byte the printer is sent; empty discards them.
    std::string recordPath;
    /// File written once the printer is reachable; it holds the place to connect to.
    std::string readyPath;
    /// Trigger texts and the answer each one draws, escapes already resolved; --product and
    /// --status add theirs after those of --answer.
    std::vector<std::pair<std::string, std::string>> answers;
    /// The product number and model that --product answers with; empty when not given.
    std::string productNumber;
    std::string productModel;
    std::string productTrigger = kProductTrigger;
    /// The status text that --status answers with, escapes resolved.
    bool answersStatus = false;
    std::string statusText;
    std::string statusTrigger = kStatusTrigger;
    /// Answer every line that begins with kEchoPrefix with the line itself.
    bool echo = false;
    /// Take at most this many bytes a second; 0 takes them as fast as they come.
    long readRate = 0;
    /// Send only this many bytes of each answer; negative sends all.
    long shortAnswer = -1;
    /// Wait before answering, in milliseconds.
    long answerDelayMs = 0;
    /// Never answer, whatever arrives.
    bool silent = false;
    /// Do not read for this long after a connection starts; negative reads at once, 0 never reads.
    long stallMs = -1;
    /// Hang up after this many bytes of a connection; negative never hangs up.
    long dropAfter = -1;
    /// Exit after serving this many connections; 0 serves forever.
    long connections = 0;
    /// Exit after this many seconds, so a forgotten simulator gives its address back; 0 never.
    long maxSeconds = 0;
    bool help = false;
};

/// Turns C-style escapes (\r \n \t \\ \xHH) into bytes; false on a malformed escape.
bool ResolveEscapes(const std::string& text, std::string& bytes);

/// The identification a printer of the family gives: the six-character product number,
/// further text, "MODEL:", the model, a blank and a bracketed part, CR LF.
std::string ProductAnswer(const std::string& productNumber, const std::string& model);

/// Parses the arguments after the program name; on failure `error` says why.
bool ParseSimulatorOptions(const std::vector<std::string>& arguments, SimulatorOptions& options,
                           std::string& error);

/// The text printed for --help.
const char* SimulatorUsage();
