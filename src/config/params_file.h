#pragma once
/// The params file that a launcher leaves in the current directory to tell the engine which
/// printer, module and first page to serve. Read once, then deleted.

#include <string>

class CParamsFile {
public:
    CParamsFile() = default;
    virtual ~CParamsFile() = default;

    /// Reads, parses and deletes "params" in the current directory.
    /// Throws `CParamsFileDoesNotExist*` when it cannot be opened and `CParamsFileBadFormat*`
    /// (leaving the file in place) when it breaks the grammar.
    void Read() { ReadFile("params"); }
    /// The same for a file of any name.
    void ReadFile(const std::string& path);
    /// Parses bytes already read; throws `CParamsFileBadFormat*`. Deletes nothing.
    void Parse(const std::string& bytes);

    std::string GetConnectionType() const { return m_connectionType; }
    std::string GetPrinterName() const { return m_printerName; }
    std::string GetPrinterAddress() const { return m_printerAddress; }
    std::string GetModuleName() const { return m_moduleName; }
    std::string GetStartPage() const { return m_startPage; }

private:
    std::string m_connectionType;  // "ip", "usb", "parallel" or "at"
    std::string m_printerName;
    std::string m_printerAddress;
    std::string m_moduleName;
    std::string m_startPage;
};
