#include "simulator_options.h"

#include <cerrno>
#include <cstdlib>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseNumber(const std::string& text, long minimum, long& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < minimum) return false;
    value = parsed;
    return true;
}

// Walks the argument list; every option that takes values asks for them here.
class ArgumentCursor {
public:
    explicit ArgumentCursor(const std::vector<std::string>& arguments) : m_arguments(arguments) {}

    bool Done() const { return m_next >= m_arguments.size(); }
    const std::string& Take() { return m_arguments[m_next++]; }
    bool TakeValue(const std::string& option, std::string& value, std::string& error) {
        if (Done()) {
            error = option + " needs a value";
            return false;
        }
        value = Take();
        return true;
    }
    /// A text with escapes, resolved; a trigger must not be empty.
    bool TakeBytes(const std::string& option, bool emptyAllowed, std::string& bytes,
                   std::string& error) {
        std::string text;
        if (!TakeValue(option, text, error)) return false;
        if (!ResolveEscapes(text, bytes) || (bytes.empty() && !emptyAllowed)) {
            error = option + " wants a" + (emptyAllowed ? "" : " non-empty") +
                    " text with valid escapes, not \"" + text + "\"";
            return false;
        }
        return true;
    }
    bool TakeNumber(const std::string& option, long minimum, long& value, std::string& error) {
        std::string text;
        if (!TakeValue(option, text, error)) return false;
        if (!ParseNumber(text, minimum, value)) {
            error = option + " wants a whole number of at least " + std::to_string(minimum) +
                    ", not \"" + text + "\"";
            return false;
        }
        return true;
    }

private:
    const std::vector<std::string>& m_arguments;
    std::size_t m_next = 0;
};

bool SetTransport(SimulatorOptions& options, SimulatorTransport transport, std::string& error) {
    if (options.transport != SimulatorTransport::kNone) {
        error = "give only one of --tcp, --pty and --pipe";
        return false;
    }
    options.transport = transport;
    return true;
}

// The engine takes the first six characters as the product number and the model up to the
// blank before the first "(" after "MODEL:", so anything else would come back changed.
bool CheckProduct(const std::string& number, const std::string& model, std::string& error) {
    if (number.size() != 6 || number.find_first_of(" \r\n") != std::string::npos) {
        error = "--product wants a product number of six characters without blanks, not \"" +
                number + "\"";
    } else if (model.empty() || model.find_first_of("(\r\n") != std::string::npos) {
        error = "--product wants a model name without \"(\" or line ends, not \"" + model + "\"";
    } else {
        return true;
    }
    return false;
}

bool CheckCombination(const SimulatorOptions& options, std::string& error) {
    if (options.help) return true;
    if (options.transport == SimulatorTransport::kNone) {
        error = "say how the printer is reached: --tcp, --pty or --pipe";
    } else if (options.transport == SimulatorTransport::kPty && options.dropAfter >= 0) {
        error = "a pty cannot hang up: --drop-after needs --tcp or --pipe";
    } else if (options.transport != SimulatorTransport::kPty && !options.linkPath.empty()) {
        error = "--link needs --pty";
    } else if (options.transport != SimulatorTransport::kTcp && options.port != 9100) {
        error = "--port needs --tcp";
    } else if (options.productNumber.empty() && options.productTrigger != kProductTrigger) {
        error = "--product-trigger needs --product";
    } else if (!options.answersStatus && options.statusTrigger != kStatusTrigger) {
        error = "--status-trigger needs --status";
    } else {
        return true;
    }
    return false;
}

}  // namespace

std::string ProductAnswer(const std::string& productNumber, const std::string& model) {
    return productNumber + " PLOTARA MODEL:" + model + " (A0)\r\n";
}

bool ResolveEscapes(const std::string& text, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case 'r':
                bytes += '\r';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 't':
                bytes += '\t';
                break;
            case '\\':
                bytes += '\\';
                break;
            case 'x': {
                if (i + 2 >= text.size()) return false;
                const int high = HexDigit(text[i + 1]);
                const int low = HexDigit(text[i + 2]);
                if (high < 0 || low < 0) return false;
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

bool ParseSimulatorOptions(const std::vector<std::string>& arguments, SimulatorOptions& options,
                           std::string& error) {
    options = SimulatorOptions();
    ArgumentCursor cursor(arguments);
    while (!cursor.Done()) {
        const std::string option = cursor.Take();
        bool ok = true;
        long number = 0;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--tcp") {
            ok = SetTransport(options, SimulatorTransport::kTcp, error) &&
                 cursor.TakeValue(option, options.address, error);
        } else if (option == "--pty") {
            ok = SetTransport(options, SimulatorTransport::kPty, error);
        } else if (option == "--pipe") {
            ok = SetTransport(options, SimulatorTransport::kPipe, error) &&
                 cursor.TakeValue(option, options.pipeName, error);
        } else if (option == "--port") {
            ok = cursor.TakeNumber(option, 0, number, error);
            if (ok && number > 65535) {
                error = "--port wants a number up to 65535";
                ok = false;
            }
            options.port = static_cast<int>(number);
        } else if (option == "--link") {
            ok = cursor.TakeValue(option, options.linkPath, error);
        } else if (option == "--record") {
            ok = cursor.TakeValue(option, options.recordPath, error);
        } else if (option == "--ready") {
            ok = cursor.TakeValue(option, options.readyPath, error);
        } else if (option == "--answer") {
            std::string trigger, answer, triggerBytes, answerBytes;
            ok =
                cursor.TakeValue(option, trigger, error) && cursor.TakeValue(option, answer, error);
            if (ok && (!ResolveEscapes(trigger, triggerBytes) ||
                       !ResolveEscapes(answer, answerBytes) || triggerBytes.empty())) {
                error = "--answer wants a non-empty trigger and an answer with valid escapes";
                ok = false;
            }
            if (ok) options.answers.emplace_back(triggerBytes, answerBytes);
        } else if (option == "--product") {
            ok = cursor.TakeValue(option, options.productNumber, error) &&
                 cursor.TakeValue(option, options.productModel, error) &&
                 CheckProduct(options.productNumber, options.productModel, error);
        } else if (option == "--product-trigger") {
            ok = cursor.TakeBytes(option, false, options.productTrigger, error);
        } else if (option == "--status") {
            ok = cursor.TakeBytes(option, true, options.statusText, error);
            options.answersStatus = ok;
        } else if (option == "--status-trigger") {
            ok = cursor.TakeBytes(option, false, options.statusTrigger, error);
        } else if (option == "--echo") {
            options.echo = true;
        } else if (option == "--read-rate") {
            ok = cursor.TakeNumber(option, 1, options.readRate, error);
        } else if (option == "--short") {
            ok = cursor.TakeNumber(option, 0, options.shortAnswer, error);
        } else if (option == "--delay") {
            ok = cursor.TakeNumber(option, 0, options.answerDelayMs, error);
        } else if (option == "--silent") {
            options.silent = true;
        } else if (option == "--stall") {
            ok = cursor.TakeNumber(option, 0, options.stallMs, error);
        } else if (option == "--drop-after") {
            ok = cursor.TakeNumber(option, 0, options.dropAfter, error);
        } else if (option == "--connections") {
            ok = cursor.TakeNumber(option, 1, options.connections, error);
        } else if (option == "--max-seconds") {
            ok = cursor.TakeNumber(option, 1, options.maxSeconds, error);
        } else {
            error = "unknown option \"" + option + "\" (try --help)";
            ok = false;
        }
        if (!ok) return false;
    }
    if (!CheckCombination(options, error)) return false;
    if (!options.productNumber.empty()) {
        options.answers.emplace_back(options.productTrigger,
                                     ProductAnswer(options.productNumber, options.productModel));
    }
    if (options.answersStatus) {
        options.answers.emplace_back(options.statusTrigger, options.statusText + "\r\n");
    }
    return true;
}

const char* SimulatorUsage() {
    return "Usage: printer_simulator (--tcp ADDRESS [--port N] | --pty [--link PATH] | --pipe "
           "NAME)\n"
           "                         [options]\n"
           "A printer that records what it is sent and answers as it is told.\n"
           "\n"
           "Where the printer is:\n"
           "  --tcp ADDRESS      listen on ADDRESS, port 9100; one connection after another\n"
           "  --port N           listen on port N instead (0: any; the ready file tells which)\n"
           "  --pty              serve a pseudo terminal, as a parallel or USB printer port\n"
           "  --link PATH        make PATH a symbolic link to the pty (e.g. a Wine prefix's\n"
           "                     dosdevices/lpt1, so that LPT1: reaches this printer)\n"
           "  --pipe NAME        serve the Windows named pipe NAME (\\\\.\\pipe\\...), standing\n"
           "                     in for a USB printer; Windows build only\n"
           "\n"
           "What it does:\n"
           "  --record FILE      append every byte received to FILE\n"
           "  --ready FILE       once reachable, write the place to connect to into FILE and\n"
           "                     print \"ready PLACE\" on standard output\n"
           "  --answer TRIGGER TEXT\n"
           "                     answer TEXT each time TRIGGER arrives (may repeat; escapes\n"
           "                     \\r \\n \\t \\\\ \\xHH)\n"
           "  --product NUMBER MODEL\n"
           "                     identify as a printer of the family when its identification\n"
           "                     request (\"@PJL INFO ID\") arrives: answer\n"
           "                     \"NUMBER PLOTARA MODEL:MODEL (A0)\" and CR LF; NUMBER has six\n"
           "                     characters, MODEL no \"(\"\n"
           "  --product-trigger TEXT\n"
           "                     answer --product to TEXT instead (escapes as for --answer)\n"
           "  --status TEXT      answer TEXT and CR LF when a status request\n"
           "                     (\"@PJL INFO STATUS\") arrives (escapes as for --answer)\n"
           "  --status-trigger TEXT\n"
           "                     answer --status to TEXT instead\n"
           "  --echo             answer every line that begins with \"@PJL ECHO\" with the line\n"
           "                     itself, up to and including its LF\n"
           "  --read-rate N      take at most N bytes a second, with the smallest receive\n"
           "                     buffer, so a sender's progress can be watched; answers\n"
           "                     still come\n"
           "  --short N          send only the first N bytes of each answer\n"
           "  --delay MS         wait MS milliseconds before answering or hanging up\n"
           "  --silent           never answer\n"
           "  --stall MS         stop reading for MS milliseconds after a connection starts, with\n"
           "                     the smallest receive buffer, so the sender's writes time out;\n"
           "                     0 never reads again\n"
           "  --drop-after N     hang up once a connection has brought N bytes\n"
           "  --connections N    exit after N connections\n"
           "  --max-seconds N    exit after N seconds\n"
           "  --help             show this text\n";
}
