// The document object "Msxml2.DOMDocument.4.0" through COM.

#include <windows.h>

#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include <vector>

#include "selector/supported_printer_document.h"

namespace {

// The import library lacks this interface's identifier.
const IID kIidXmlDomDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

template <typename T>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() { Reset(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    T** Out() {
        Reset();
        return &m_pointer;
    }
    void Reset() {
        if (m_pointer != nullptr) m_pointer->Release();
        m_pointer = nullptr;
    }

private:
    T* m_pointer = nullptr;
};

// COM hands out UTF-16; the selector's texts are 8-bit in the ANSI code page.
std::string AnsiOf(const wchar_t* text, UINT length) {
    if (length == 0) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &bytes[0], size, nullptr,
                        nullptr);
    return bytes;
}

std::vector<wchar_t> WideOf(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    return wide;
}

class MsxmlDocument : public SupportedPrinterDocument {
public:
    MsxmlDocument() : m_comStarted(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

    ~MsxmlDocument() override {
        m_children.Reset();
        m_document.Reset();
        if (m_comStarted) CoUninitialize();
    }

    bool Create() {
        CLSID classId;
        if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.4.0", &classId))) return false;
        if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument2,
                                    reinterpret_cast<void**>(m_document.Out())))) {
            return false;
        }
        m_document->put_async(VARIANT_FALSE);
        m_document->put_validateOnParse(VARIANT_FALSE);
        return true;
    }

    bool Load(const std::string& path) override {
        const std::vector<wchar_t> widePath = WideOf(path);
        VARIANT source;
        VariantInit(&source);
        source.vt = VT_BSTR;
        source.bstrVal = SysAllocString(widePath.data());
        VARIANT_BOOL loaded = VARIANT_FALSE;
        const HRESULT result = m_document->load(source, &loaded);
        VariantClear(&source);
        return result == S_OK && loaded == VARIANT_TRUE;
    }

    bool CountPrinters(long* count) override {
        ComPointer<IXMLDOMElement> root;
        if (m_document->get_documentElement(root.Out()) != S_OK || root.Get() == nullptr) {
            return false;
        }
        if (FAILED(root->get_childNodes(m_children.Out())) || m_children.Get() == nullptr) {
            return false;
        }
        return SUCCEEDED(m_children->get_length(count));
    }

    SupportedPrinterRead ReadPrinter(long index, SupportedPrinterTexts* texts) override {
        if (m_children.Get() == nullptr) return SupportedPrinterRead::NoChildList;
        ComPointer<IXMLDOMNode> printer;
        ComPointer<IXMLDOMNodeList> fields;
        if (m_children->get_item(index, printer.Out()) != S_OK || printer.Get() == nullptr ||
            FAILED(printer->get_childNodes(fields.Out())) || fields.Get() == nullptr) {
            return SupportedPrinterRead::NoChildList;
        }
        std::string* const targets[] = {&texts->model, &texts->displayName, &texts->colorStart};
        for (long i = 0; i < 3; ++i) {
            ComPointer<IXMLDOMNode> field;
            ComPointer<IXMLDOMNode> first;
            if (fields->get_item(i, field.Out()) != S_OK || field.Get() == nullptr ||
                field->get_firstChild(first.Out()) != S_OK || first.Get() == nullptr) {
                return SupportedPrinterRead::NoFirstChild;
            }
            VARIANT value;
            VariantInit(&value);
            if (first->get_nodeValue(&value) != S_OK || value.vt != VT_BSTR) {
                VariantClear(&value);
                return SupportedPrinterRead::NoNodeValue;
            }
            *targets[i] = AnsiOf(value.bstrVal, SysStringLen(value.bstrVal));
            VariantClear(&value);
        }
        return SupportedPrinterRead::Ok;
    }

private:
    bool m_comStarted;
    ComPointer<IXMLDOMDocument2> m_document;
    ComPointer<IXMLDOMNodeList> m_children;
};

}  // namespace

std::unique_ptr<SupportedPrinterDocument> SupportedPrinterDocument::Create() {
    auto document = std::make_unique<MsxmlDocument>();
    if (!document->Create()) return nullptr;
    return document;
}
