#include "config/params_file.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "base/tavrin_exception.h"
#include "platform/program.h"

namespace {

// A cursor over the file's bytes; every byte value, NUL included, is plain data.
class EntryReader {
public:
    explicit EntryReader(const std::string& bytes) : m_bytes(bytes) {}

    /// Everything up to the next ':', which is consumed. Nothing is trimmed. When the end
    /// comes before a ':', the key is empty.
    std::string ReadKey() {
        const std::string::size_type colon = m_bytes.find(':', m_position);
        if (colon == std::string::npos) {
            m_position = m_bytes.size();
            return std::string();
        }
        std::string key = m_bytes.substr(m_position, colon - m_position);
        m_position = colon + 1;
        return key;
    }

    /// The rest of the line without its leading spaces; the line ends and any empty lines
    /// after it are consumed.
    std::string ReadValue() {
        while (m_position < m_bytes.size() && m_bytes[m_position] == ' ') ++m_position;
        std::string::size_type end = m_bytes.find_first_of("\r\n", m_position);
        if (end == std::string::npos) end = m_bytes.size();
        std::string value = m_bytes.substr(m_position, end - m_position);
        m_position = m_bytes.find_first_not_of("\r\n", end);
        if (m_position == std::string::npos) m_position = m_bytes.size();
        return value;
    }

private:
    const std::string& m_bytes;
    std::string::size_type m_position = 0;
};

void RequireKey(EntryReader& reader, const char* expected) {
    if (reader.ReadKey() != expected) throw new CParamsFileBadFormat;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void CParamsFile::ReadFile(const std::string& path) {
    std::string bytes;
    {
        // Binary: the grammar handles CR and LF itself, and a Ctrl-Z must not end the file.
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
        if (!file) throw new CParamsFileDoesNotExist;
        char buffer[4096];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
            bytes.append(buffer, count);
        }
        if (std::ferror(file.get())) throw new CParamsFileDoesNotExist;
    }
    // Closed before parsing, so a badly formed file is left closed and in place.
    Parse(bytes);
    platform::DeleteFileAt(path);
}

void CParamsFile::Parse(const std::string& bytes) {
    EntryReader reader(bytes);
    std::string type, name, address, module, startPage;

    RequireKey(reader, "Name");
    name = reader.ReadValue();

    const std::string connection = reader.ReadValue();
    if (connection == "TCP") {
        type = "ip";
        RequireKey(reader, "IP");
        address = reader.ReadValue();
        // The launchers add the port entry; it is not used.
        reader.ReadKey();
        reader.ReadValue();
    } else if (connection == "USB") {
        type = "usb";
        RequireKey(reader, "Driver");
        address = reader.ReadValue();
    } else if (connection == "PARALLEL") {
        type = "parallel";
        RequireKey(reader, "Port");
        address = reader.ReadValue();
    } else if (connection == "AT") {
        type = "at";
        RequireKey(reader, "Name");
        address = reader.ReadValue();
        RequireKey(reader, "Zone");
        address += "::";
        address += reader.ReadValue();
    } else {
        throw new CParamsFileBadFormat;
    }

    std::string key = reader.ReadKey();
    if (!key.empty()) {
        if (key != "Module") throw new CParamsFileBadFormat;
        module = reader.ReadValue();
        key = reader.ReadKey();
        if (!key.empty()) {
            if (key != "Start-page") throw new CParamsFileBadFormat;
            startPage = reader.ReadValue();
        }
    }

    // Only a complete read replaces the record.
    m_connectionType = std::move(type);
    m_printerName = std::move(name);
    m_printerAddress = std::move(address);
    m_moduleName = std::move(module);
    m_startPage = std::move(startPage);
}
