// Reading the text that describes a simulated bus; see simulated_usb_bus.h for the format.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/simulated_usb_bus.h"

namespace {

constexpr int kControllers = 10;
constexpr int kMostPorts = 255;
constexpr std::size_t kLongestDescriptor = 255;

// A description error; the line number is added where it is caught.
struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    std::string word;
    while (stream >> word) words.push_back(word);
    return words;
}

// A decimal or "0x" hexadecimal number from 0 to `largest`.
std::uint32_t Number(const std::string& word, std::uint32_t largest, const std::string& what) {
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const std::string digits = hex ? word.substr(2) : word;
    const std::string allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) {
        throw Malformed(what + " is not a number: \"" + word + "\"");
    }
    // Eight digits always fit the 32-bit unsigned long of Windows.
    if (digits.size() > 8) throw Malformed(what + " " + word + " is too large");
    const unsigned long value = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
    if (value > largest) {
        throw Malformed(what + " " + word + " is above " + std::to_string(largest));
    }
    return static_cast<std::uint32_t>(value);
}

// The "key=value" words after the positional ones; each key at most once and known.
std::map<std::string, std::string> Attributes(const std::vector<std::string>& words,
                                              std::size_t from,
                                              const std::vector<std::string>& known) {
    std::map<std::string, std::string> attributes;
    for (std::size_t i = from; i < words.size(); ++i) {
        const std::size_t equals = words[i].find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == words[i].size()) {
            throw Malformed("expected key=value, found \"" + words[i] + "\"");
        }
        const std::string key = words[i].substr(0, equals);
        bool isKnown = false;
        for (const auto& name : known) isKnown = isKnown || name == key;
        if (!isKnown) throw Malformed("unknown setting \"" + key + "\"");
        if (!attributes.emplace(key, words[i].substr(equals + 1)).second) {
            throw Malformed("\"" + key + "\" given twice");
        }
    }
    return attributes;
}

// UTF-8 `text` as the UTF-16 units of a string descriptor.
std::vector<std::uint16_t> Utf16(const std::string& text) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int follow = 0;
        std::uint32_t point = lead;
        if (lead >= 0xF0 && lead < 0xF5) {
            follow = 3;
            point = lead & 0x07;
        } else if (lead >= 0xE0) {
            follow = lead < 0xF0 ? 2 : -1;
            point = lead & 0x0F;
        } else if (lead >= 0xC2) {
            follow = 1;
            point = lead & 0x1F;
        } else if (lead >= 0x80) {
            follow = -1;
        }
        if (follow < 0 || static_cast<std::size_t>(follow) >= text.size() - i) {
            throw Malformed("the text is not UTF-8");
        }
        for (int k = 1; k <= follow; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) throw Malformed("the text is not UTF-8");
            point = (point << 6) | (next & 0x3F);
        }
        i += 1 + follow;
        if (point >= 0x10000) {
            point -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (point >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (point & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(point));
        }
    }
    return units;
}

SimulatedUsbBus::StringDescriptor TextDescriptor(const std::string& text) {
    const std::vector<std::uint16_t> units = Utf16(text);
    if (2 + 2 * units.size() > kLongestDescriptor) throw Malformed("the text is too long");
    SimulatedUsbBus::StringDescriptor descriptor;
    descriptor.bytes.push_back(static_cast<std::uint8_t>(2 + 2 * units.size()));
    descriptor.bytes.push_back(3);
    for (std::uint16_t unit : units) {
        descriptor.bytes.push_back(static_cast<std::uint8_t>(unit));
        descriptor.bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return descriptor;
}

// What follows the first `count` words of `line` and the blanks after them.
std::string RestOfLine(const std::string& line, int count) {
    std::size_t at = 0;
    for (int i = 0; i < count; ++i) {
        at = line.find_first_not_of(" \t", at);
        at = line.find_first_of(" \t", at);
        if (at == std::string::npos) return std::string();
    }
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos) return std::string();
    const std::size_t end = line.find_last_not_of(" \t\r");
    return line.substr(at, end + 1 - at);
}

}  // namespace

// Builds the bus line by line; `hubs` holds the root hub and the external hubs open inside it.
std::unique_ptr<SimulatedUsbBus> SimulatedUsbBus::FromText(const std::string& text,
                                                           std::string* error) {
    auto bus = std::make_unique<SimulatedUsbBus>();
    std::vector<std::pair<std::shared_ptr<Hub>, int>> hubs;  // hub and the line opening it
    Device* lastDevice = nullptr;
    int externalHubs = 0;
    std::uint8_t nextAddress = 1;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    try {
        auto portOf = [&hubs](const std::string& word) {
            if (hubs.empty()) throw Malformed("a port before any controller");
            const auto port = static_cast<int>(
                Number(word, static_cast<std::uint32_t>(hubs.back().first->portCount), "port"));
            if (port == 0) throw Malformed("ports count from 1");
            if (hubs.back().first->ports.count(port) != 0) {
                throw Malformed("port " + word + " is described twice");
            }
            return port;
        };
        auto addHub = [&bus](std::shared_ptr<Hub> hub) {
            // The system names its hubs with plain device paths.
            for (char c : hub->name) {
                if (c <= ' ' || c > '~') {
                    throw Malformed("a hub name is printable ASCII: \"" + hub->name + "\"");
                }
            }
            if (bus->FindHub(hub->name)) throw Malformed("hub name used twice: " + hub->name);
            bus->m_hubs.push_back(hub);
        };
        while (std::getline(lines, line)) {
            ++number;
            const std::vector<std::string> words = Words(line);
            if (words.empty() || words[0][0] == '#') continue;
            const std::string& keyword = words[0];
            if (keyword != "end" && words.size() < 2) {
                throw Malformed("\"" + keyword + "\" needs a number after it");
            }
            if (keyword == "controller") {
                if (hubs.size() > 1) {
                    throw Malformed("the hub of line " + std::to_string(hubs.back().second) +
                                    " has no end");
                }
                const auto n = static_cast<int>(Number(words[1], kControllers - 1, "controller"));
                if (bus->m_controllers.count(n) != 0) {
                    throw Malformed("controller " + words[1] + " is described twice");
                }
                const auto set = Attributes(words, 2, {"roothub", "ports", "hub"});
                auto hub = std::make_shared<Hub>();
                hub->isRoot = true;
                hub->name =
                    set.count("roothub") ? set.at("roothub") : "USB#ROOT_HUB#" + std::to_string(n);
                if (set.count("ports")) {
                    hub->portCount = static_cast<int>(Number(set.at("ports"), kMostPorts, "ports"));
                }
                Controller controller;
                controller.rootHub = hub;
                const std::string state = set.count("hub") ? set.at("hub") : "open";
                if (state == "closed") {
                    hub->opens = false;
                } else if (state == "unnamed") {
                    controller.answersName = false;
                } else if (state != "open") {
                    throw Malformed("hub= takes open, closed or unnamed, not \"" + state + "\"");
                }
                addHub(hub);
                bus->m_controllers[n] = controller;
                hubs.assign(1, {hub, number});
                lastDevice = nullptr;
            } else if (keyword == "device" || keyword == "hub") {
                const int port = portOf(words[1]);
                Device device;
                device.address = nextAddress++;
                if (keyword == "device") {
                    const auto set =
                        Attributes(words, 2, {"product", "serial", "status", "vendor", "id"});
                    auto byte = [&set](const char* key) {
                        return static_cast<std::uint8_t>(
                            set.count(key) ? Number(set.at(key), 255, key) : 0);
                    };
                    device.productIndex = byte("product");
                    device.serialIndex = byte("serial");
                    if (set.count("status")) {
                        device.status = Number(set.at("status"), 0xFFFFFFFF, "status");
                    }
                    if (set.count("vendor")) {
                        device.vendorId =
                            static_cast<std::uint16_t>(Number(set.at("vendor"), 0xFFFF, "vendor"));
                    }
                    if (set.count("id")) {
                        device.productId =
                            static_cast<std::uint16_t>(Number(set.at("id"), 0xFFFF, "id"));
                    }
                } else {
                    const auto set = Attributes(words, 2, {"name", "ports"});
                    auto hub = std::make_shared<Hub>();
                    hub->name = set.count("name") ? set.at("name")
                                                  : "USB#HUB#" + std::to_string(++externalHubs);
                    if (set.count("ports")) {
                        hub->portCount =
                            static_cast<int>(Number(set.at("ports"), kMostPorts, "ports"));
                    }
                    addHub(hub);
                    device.hub = hub;
                }
                lastDevice = &(hubs.back().first->ports[port] = device);
                if (device.hub) hubs.emplace_back(device.hub, number);
            } else if (keyword == "end") {
                if (words.size() > 1) throw Malformed("\"end\" takes nothing after it");
                if (hubs.size() < 2) throw Malformed("\"end\" without an open hub");
                hubs.pop_back();
                lastDevice = nullptr;
            } else if (keyword == "string") {
                if (lastDevice == nullptr) throw Malformed("a string before any device");
                const auto index = static_cast<std::uint8_t>(Number(words[1], 255, "string"));
                if (index == 0) throw Malformed("string 0 is the language list");
                if (lastDevice->strings.count(index) != 0) {
                    throw Malformed("string " + words[1] + " is described twice");
                }
                const std::string kind = words.size() > 2 ? words[2] : std::string();
                StringDescriptor descriptor;
                if (kind == "text") {
                    descriptor = TextDescriptor(RestOfLine(line, 3));
                } else if (kind == "bytes") {
                    if (words.size() - 3 > kLongestDescriptor) {
                        throw Malformed("more than 255 bytes");
                    }
                    for (std::size_t i = 3; i < words.size(); ++i) {
                        const bool marked = words[i].rfind("0x", 0) == 0;
                        descriptor.bytes.push_back(static_cast<std::uint8_t>(
                            Number(marked ? words[i] : "0x" + words[i], 255, "byte")));
                    }
                } else if (kind == "fails" && words.size() == 3) {
                    descriptor.fails = true;
                } else {
                    throw Malformed("a string is \"text ...\", \"bytes ...\" or \"fails\"");
                }
                lastDevice->strings[index] = descriptor;
            } else {
                throw Malformed("unknown keyword \"" + keyword + "\"");
            }
        }
        if (hubs.size() > 1) {
            number = hubs.back().second;
            throw Malformed("hub has no end");
        }
    } catch (const Malformed& malformed) {
        if (error != nullptr) *error = "line " + std::to_string(number) + ": " + malformed.what();
        return nullptr;
    }
    return bus;
}

std::unique_ptr<SimulatedUsbBus> SimulatedUsbBus::FromFile(const std::string& path,
                                                           std::string* error) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        if (error != nullptr) *error = "cannot read " + path;
        return nullptr;
    }
    return FromText(text.str(), error);
}
