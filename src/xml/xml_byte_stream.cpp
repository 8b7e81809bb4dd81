#include "xml/xml_byte_stream.h"

#include <stdexcept>

int CXMLByteStream::Get() {
    if (m_pushedCount > 0) {
        return m_pushed[--m_pushedCount];
    }
    if (m_position >= m_size) {
        return -1;
    }
    return static_cast<unsigned char>(m_data[m_position++]);
}

void CXMLByteStream::PushBack(int byte) {
    // A third pending byte or a pushed-back end marker is a fault in the reader, not in the input.
    if (m_pushedCount >= 2 || byte < 0 || byte > 255) {
        throw std::logic_error("CXMLByteStream::PushBack misused");
    }
    m_pushed[m_pushedCount++] = byte;
}
