#include "fmw_handler.h"

#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <urlmon.h>

#include "bind_status_callback.h"
#include "firmware_page_url.h"

namespace {

/// What the stream and storage forms hold: a version, then the extent. The source value is
/// not kept: every load of a document brings its own.
const DWORD kStreamVersion = 1;
const wchar_t kContentsStream[] = L"Contents";

const GUID kServiceWebBrowserApp = {
    0x0002DF05, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::string NarrowText(BSTR text) {
    if (text == nullptr) return std::string();
    int length = SysStringLen(text);
    int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

}  // namespace

STDMETHODIMP COrvikFmwHandler::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_OrvikFmwHandler;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::IsDirty() { return m_dirty ? S_OK : S_FALSE; }

STDMETHODIMP COrvikFmwHandler::Load(IStream* stream) {
    if (stream == nullptr) return E_POINTER;
    DWORD version = 0;
    SIZEL extent;
    HRESULT result = stream->Read(&version, sizeof(version), nullptr);
    if (SUCCEEDED(result)) result = stream->Read(&extent, sizeof(extent), nullptr);
    if (FAILED(result)) return result;
    if (version != kStreamVersion) return E_FAIL;
    m_extent = extent;
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::Save(IStream* stream, BOOL clearDirty) {
    if (stream == nullptr) return E_POINTER;
    HRESULT result = stream->Write(&kStreamVersion, sizeof(kStreamVersion), nullptr);
    if (SUCCEEDED(result)) result = stream->Write(&m_extent, sizeof(m_extent), nullptr);
    if (SUCCEEDED(result) && clearDirty) m_dirty = false;
    return result;
}

STDMETHODIMP COrvikFmwHandler::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = sizeof(kStreamVersion) + sizeof(m_extent);
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::InitNew() {
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::InitNew(IStorage*) { return InitNew(); }

STDMETHODIMP COrvikFmwHandler::Load(IStorage* storage) {
    if (storage == nullptr) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT result =
        storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(result)) return result;
    result = Load(stream);
    stream->Release();
    return result;
}

STDMETHODIMP COrvikFmwHandler::Save(IStorage* storage, BOOL) {
    if (storage == nullptr) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT result = storage->CreateStream(
        kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(result)) return result;
    result = Save(stream, TRUE);
    stream->Release();
    return result;
}

STDMETHODIMP COrvikFmwHandler::SaveCompleted(IStorage*) { return S_OK; }

STDMETHODIMP COrvikFmwHandler::HandsOffStorage() { return S_OK; }

bool COrvikFmwHandler::NavigateBrowser(const std::string& url) {
    if (m_clientSite == nullptr) return false;
    IServiceProvider* services = nullptr;
    if (FAILED(m_clientSite->QueryInterface(IID_IServiceProvider,
                                            reinterpret_cast<void**>(&services))))
        return false;
    IWebBrowser2* browser = nullptr;
    services->QueryService(kServiceWebBrowserApp, IID_IWebBrowser2,
                           reinterpret_cast<void**>(&browser));
    if (browser != nullptr) {
        std::wstring wideUrl(MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, nullptr, 0), L'\0');
        MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, &wideUrl[0],
                            static_cast<int>(wideUrl.size()));
        BSTR target = SysAllocString(wideUrl.c_str());
        browser->Navigate(target, nullptr, nullptr, nullptr, nullptr);
        SysFreeString(target);
        browser->Release();
    }
    services->Release();
    return browser != nullptr;
}

STDMETHODIMP COrvikFmwHandler::Load(IPropertyBag* bag, IErrorLog* log) {
    if (bag == nullptr) return E_POINTER;
    // The control declares no persistent properties of its own: "SRC" is all there is.
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(L"");
    if (FAILED(bag->Read(L"SRC", &source, log)) || source.vt != VT_BSTR) {
        VariantClear(&source);
        return E_UNEXPECTED;
    }
    m_source = NarrowText(source.bstrVal);
    VariantClear(&source);

    char cached[MAX_PATH] = {};
    CBindStatusCallback* callback = new CBindStatusCallback();
    HRESULT result =
        URLDownloadToCacheFileA(m_clientSite, m_source.c_str(), cached, MAX_PATH, 0, callback);
    callback->Release();
    if (FAILED(result)) return result;
    m_source = cached;

    NavigateBrowser(FirmwarePageUrl(WorkstationAddress(), m_source));
    m_dirty = false;
    return result;
}

STDMETHODIMP COrvikFmwHandler::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (bag == nullptr) return E_POINTER;
    std::wstring wide(MultiByteToWideChar(CP_ACP, 0, m_source.c_str(), -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, m_source.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(wide.c_str());
    HRESULT result = bag->Write(L"SRC", &value);
    VariantClear(&value);
    if (SUCCEEDED(result) && clearDirty) m_dirty = false;
    return result;
}
