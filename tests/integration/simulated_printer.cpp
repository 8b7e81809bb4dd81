#include "integration/simulated_printer.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "harness/wait.h"

namespace integration {

bool SimulatedPrinter::Start(const std::string& address, const std::vector<std::string>& options) {
    return Run({"--tcp", address}, options);
}

std::string SimulatedPrinter::StartOnPty(const std::string& link,
                                         const std::vector<std::string>& options) {
    std::vector<std::string> transport = {"--pty"};
    if (!link.empty()) transport.insert(transport.end(), {"--link", link});
    if (!Run(transport, options)) return "";
    std::ifstream ready(m_folder.PathOf("ready"));
    std::string place;
    std::getline(ready, place);
    return place;
}

bool SimulatedPrinter::Run(std::vector<std::string> argv, const std::vector<std::string>& options) {
    argv.insert(argv.begin(), VELKOR_PRINTER_SIMULATOR);
    argv.insert(argv.end(), {"--record", m_folder.PathOf("received.bin"), "--ready",
                             m_folder.PathOf("ready"), "--max-seconds", "600"});
    argv.insert(argv.end(), options.begin(), options.end());
    if (!m_child.Start(argv, m_folder.Path(), {})) return false;
    return harness::WaitUntil(
               [&] {
                   return std::filesystem::exists(m_folder.PathOf("ready")) || !m_child.IsRunning();
               },
               30) &&
           m_child.IsRunning();
}

std::string SimulatedPrinter::Received() const {
    std::ifstream file(m_folder.PathOf("received.bin"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool SimulatedPrinter::WaitUntilReceived(std::size_t count, double guardSeconds) const {
    return harness::WaitUntil([&] { return Received().size() >= count; }, guardSeconds);
}

}  // namespace integration
