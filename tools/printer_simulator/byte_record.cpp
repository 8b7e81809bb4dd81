#include "byte_record.h"

CByteRecord::CByteRecord(const std::string& path) : m_path(path) {
    if (!m_path.empty()) m_file = std::fopen(m_path.c_str(), "ab");
}

CByteRecord::~CByteRecord() {
    if (m_file != nullptr) std::fclose(m_file);
}

void CByteRecord::Append(const char* data, std::size_t size) {
    if (m_file == nullptr || size == 0) return;
    std::fwrite(data, 1, size, m_file);
    std::fflush(m_file);
}
