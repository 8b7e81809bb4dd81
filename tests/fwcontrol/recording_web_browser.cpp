#include "recording_web_browser.h"

#include <cstdio>

CRecordingWebBrowser::CRecordingWebBrowser(const std::string& recordFile)
    : m_recordFile(recordFile) {}

STDMETHODIMP CRecordingWebBrowser::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser ||
        iid == IID_IWebBrowserApp || iid == IID_IWebBrowser2) {
        *object = static_cast<IWebBrowser2*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The container owns the browser for the whole run: counting is for the control's sake only.
STDMETHODIMP_(ULONG) CRecordingWebBrowser::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CRecordingWebBrowser::Release() { return InterlockedDecrement(&m_references); }

STDMETHODIMP CRecordingWebBrowser::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

STDMETHODIMP CRecordingWebBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingWebBrowser::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                          EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingWebBrowser::Navigate(BSTR URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    std::string url;
    if (URL != nullptr) {
        int length = static_cast<int>(SysStringLen(URL));
        int size = WideCharToMultiByte(CP_ACP, 0, URL, length, nullptr, 0, nullptr, nullptr);
        url.assign(size, '\0');
        WideCharToMultiByte(CP_ACP, 0, URL, length, &url[0], size, nullptr, nullptr);
    }
    m_navigated.push_back(url);
    std::printf("navigated %s\n", url.c_str());
    std::fflush(stdout);
    if (!m_recordFile.empty()) {
        if (FILE* record = std::fopen(m_recordFile.c_str(), "ab")) {
            std::fprintf(record, "%s\n", url.c_str());
            std::fclose(record);
        }
    }
    return S_OK;
}

STDMETHODIMP CRecordingWebBrowser::GoBack() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::GoForward() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::GoHome() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::GoSearch() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::Refresh() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::Refresh2(VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::Stop() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Application(IDispatch**) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Parent(IDispatch**) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Container(IDispatch**) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Document(IDispatch**) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_TopLevelContainer(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Type(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Left(LONG*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Left(LONG) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Top(LONG*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Top(LONG) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Width(LONG*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Width(LONG) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Height(LONG*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Height(LONG) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_LocationName(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_LocationURL(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Busy(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::Quit() { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::ClientToWindow(int*, int*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::PutProperty(BSTR, VARIANT) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::GetProperty(BSTR, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Name(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_HWND(SHANDLE_PTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_FullName(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Path(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Visible(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Visible(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_StatusBar(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_StatusBar(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_StatusText(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_StatusText(BSTR) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_ToolBar(int*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_ToolBar(int) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_MenuBar(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_MenuBar(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_FullScreen(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_FullScreen(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingWebBrowser::QueryStatusWB(OLECMDID, OLECMDF*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingWebBrowser::ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingWebBrowser::get_ReadyState(READYSTATE*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Offline(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Offline(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Silent(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Silent(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_RegisterAsBrowser(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_RegisterAsBrowser(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_RegisterAsDropTarget(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_RegisterAsDropTarget(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_TheaterMode(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_TheaterMode(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_AddressBar(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_AddressBar(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::get_Resizable(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingWebBrowser::put_Resizable(VARIANT_BOOL) { return E_NOTIMPL; }
