#include "caller/cups_device_uri.h"

#include <cctype>

#include "printerio/port_classifier.h"
#include "text/ascii_case.h"

namespace {

// The engine always dials the printer port; another port is another service, often a
// second printer behind a print server, so it is not served rather than served wrongly.
const char* const kPrinterPort = "9100";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// CUPS writes blanks and other reserved characters of make, model and serial as %XX.
std::string PercentDecoded(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The value of the first field of an IEEE 1284 device id named by one of `keys`.
std::string DeviceIdField(const std::string& deviceId, std::initializer_list<const char*> keys) {
    std::size_t start = 0;
    while (start < deviceId.size()) {
        std::size_t end = deviceId.find(';', start);
        if (end == std::string::npos) end = deviceId.size();
        const std::string field = deviceId.substr(start, end - start);
        const std::size_t colon = field.find(':');
        if (colon != std::string::npos) {
            std::string key = field.substr(0, colon);
            while (!key.empty() && key.front() == ' ') key.erase(0, 1);
            for (const char* wanted : keys) {
                if (EqualsIgnoringAsciiCase(key, wanted)) return field.substr(colon + 1);
            }
        }
        start = end + 1;
    }
    return std::string();
}

// The value of `name` in a URI's query ("a=1&b=2"), decoded; "" when absent.
std::string QueryValue(const std::string& query, const std::string& name) {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        if (StartsWith(pair, name + "=")) return PercentDecoded(pair.substr(name.size() + 1));
        start = end + 1;
    }
    return std::string();
}

CupsConnection Unusable(const std::string& problem) {
    CupsConnection connection;
    connection.problem = problem;
    return connection;
}

CupsConnection Served(std::int32_t portClass, const std::string& address) {
    CupsConnection connection;
    connection.portClass = portClass;
    connection.address = address;
    return connection;
}

CupsConnection MapSocket(const std::string& uri) {
    std::string rest = uri.substr(9);  // after "socket://"
    rest = rest.substr(0, rest.find_first_of("/?"));
    const std::size_t at = rest.rfind('@');
    if (at != std::string::npos) rest.erase(0, at + 1);
    if (rest.empty() || rest[0] == '[') {
        return Unusable("the engine reaches network printers by IPv4 address or host name only");
    }
    const std::size_t colon = rest.find(':');
    const std::string host = rest.substr(0, colon);
    if (host.empty()) return Unusable("the device URI names no host");
    if (colon != std::string::npos && rest.substr(colon + 1) != kPrinterPort) {
        return Unusable("the engine reaches network printers on port 9100 only, not on port " +
                        rest.substr(colon + 1));
    }
    return Served(CPortClassifier::kNetwork, PercentDecoded(host));
}

CupsConnection MapParallel(const std::string& uri) {
    const std::string path = uri.substr(9);  // after "parallel:"
    static const std::string kPortPrefix = "/dev/lp";
    if (!StartsWith(path, kPortPrefix) || path.size() == kPortPrefix.size() ||
        path.size() > kPortPrefix.size() + 3) {
        return Unusable("no parallel port device of the form /dev/lpN: " + path);
    }
    int number = 0;
    for (std::size_t i = kPortPrefix.size(); i < path.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(path[i]))) {
            return Unusable("no parallel port device of the form /dev/lpN: " + path);
        }
        number = number * 10 + (path[i] - '0');
    }
    // The engine's name for /dev/lpN, as a Windows queue would carry it.
    return Served(CPortClassifier::kParallel, "LPT" + std::to_string(number + 1));
}

CupsConnection MapUsb(const std::string& uri, const std::vector<UsbPrinterNode>& usbNodes) {
    if (StartsWith(uri, "usb:/dev/")) {
        const std::string path = uri.substr(4);
        for (const UsbPrinterNode& node : usbNodes) {
            if (node.devicePath == path) return Served(CPortClassifier::kUsb, path);
        }
        return Unusable("no USB printer device " + path + " on this computer");
    }
    if (!StartsWith(uri, "usb://")) return Unusable("no USB printer of the form usb://make/model");
    std::string rest = uri.substr(6);
    std::string query;
    const std::size_t question = rest.find('?');
    if (question != std::string::npos) {
        query = rest.substr(question + 1);
        rest.erase(question);
    }
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return Unusable("the device URI names no printer model");
    const std::string make = PercentDecoded(rest.substr(0, slash));
    const std::string model = PercentDecoded(rest.substr(slash + 1));
    const std::string serial = QueryValue(query, "serial");
    for (const UsbPrinterNode& node : usbNodes) {
        if (!EqualsIgnoringAsciiCase(DeviceIdField(node.deviceId, {"MFG", "MANUFACTURER"}), make))
            continue;
        if (!EqualsIgnoringAsciiCase(DeviceIdField(node.deviceId, {"MDL", "MODEL"}), model))
            continue;
        if (!serial.empty() && node.serial != serial &&
            DeviceIdField(node.deviceId, {"SN", "SERN", "SERIALNUMBER"}) != serial) {
            continue;
        }
        return Served(CPortClassifier::kUsb, node.devicePath);
    }
    return Unusable("no USB printer device of " + make + " " + model +
                    (serial.empty() ? std::string() : " with serial number " + serial) +
                    " is connected to this computer");
}

}  // namespace

CupsConnection MapCupsDeviceUri(const std::string& deviceUri,
                                const std::vector<UsbPrinterNode>& usbNodes) {
    if (StartsWith(deviceUri, "socket://")) return MapSocket(deviceUri);
    if (StartsWith(deviceUri, "parallel:")) return MapParallel(deviceUri);
    if (StartsWith(deviceUri, "usb:")) return MapUsb(deviceUri, usbNodes);
    return Unusable("the device URI " + deviceUri + " is no network, USB or parallel printer");
}
