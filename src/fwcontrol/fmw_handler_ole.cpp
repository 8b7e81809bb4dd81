#include "fmw_handler.h"

#include <olectl.h>

#include "module_state.h"

namespace {

const char kWindowClass[] = "OrvikFmwHandlerWindow";

/// OLEMISC_RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT | ACTIVATEWHENVISIBLE |
/// SETCLIENTSITEFIRST: the value the registration names.
const DWORD kMiscStatus = 0x20191;

ATOM RegisterWindowClass(WNDPROC procedure) {
    static ATOM atom = 0;
    if (atom != 0) return atom;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = FwModuleInstance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    atom = RegisterClassA(&windowClass);
    return atom;
}

}  // namespace

LRESULT CALLBACK COrvikFmwHandler::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    auto* handler = reinterpret_cast<COrvikFmwHandler*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_PAINT && handler != nullptr) {
        PAINTSTRUCT paint;
        HDC device = BeginPaint(window, &paint);
        RECT bounds;
        GetClientRect(window, &bounds);
        handler->Paint(device, bounds);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

STDMETHODIMP COrvikFmwHandler::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (m_clientSite) m_clientSite->Release();
    m_clientSite = site;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = m_clientSite;
    if (m_clientSite) m_clientSite->AddRef();
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP COrvikFmwHandler::Close(DWORD) {
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COrvikFmwHandler::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COrvikFmwHandler::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                      LPCRECT position) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            break;
        case OLEIVERB_HIDE:
            if (m_window) ShowWindow(m_window, SW_HIDE);
            return S_OK;
        default:
            return OLEOBJ_S_INVALIDVERB;
    }
    if (m_window) return S_OK;
    IOleClientSite* host = site ? site : m_clientSite;
    if (host == nullptr) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(host->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
        return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) {
        inPlace->Release();
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    HWND siteWindow = parent;
    if (siteWindow == nullptr) inPlace->GetWindow(&siteWindow);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT place = position ? *position : RECT{0, 0, 0, 0};
    RECT clip = place;
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &place, &clip, &frameInfo))) {
        if (position) place = *position;
        if (frame) frame->Release();
        if (document) document->Release();
    }
    m_position = place;
    m_inPlaceSite = inPlace;
    RegisterWindowClass(WindowProcedure);
    m_window =
        CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, siteWindow,
                        nullptr, FwModuleInstance(), this);
    if (verb == OLEIVERB_UIACTIVATE) inPlace->OnUIActivate();
    return m_window ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

STDMETHODIMP COrvikFmwHandler::EnumVerbs(IEnumOLEVERB** verbs) {
    return OleRegEnumVerbs(CLSID_OrvikFmwHandler, verbs);
}

STDMETHODIMP COrvikFmwHandler::Update() { return S_OK; }

STDMETHODIMP COrvikFmwHandler::IsUpToDate() { return S_OK; }

STDMETHODIMP COrvikFmwHandler::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP COrvikFmwHandler::GetUserType(DWORD form, LPOLESTR* type) {
    return OleRegGetUserType(CLSID_OrvikFmwHandler, form, type);
}

STDMETHODIMP COrvikFmwHandler::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return E_POINTER;
    m_extent = *size;
    m_dirty = true;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return E_POINTER;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::Advise(IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COrvikFmwHandler::Unadvise(DWORD) { return OLE_E_NOCONNECTION; }

STDMETHODIMP COrvikFmwHandler::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises) *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COrvikFmwHandler::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

STDMETHODIMP COrvikFmwHandler::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::InPlaceDeactivate() {
    if (m_window) {
        DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (m_inPlaceSite) {
        m_inPlaceSite->OnInPlaceDeactivate();
        m_inPlaceSite->Release();
        m_inPlaceSite = nullptr;
    }
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::UIDeactivate() { return S_OK; }

STDMETHODIMP COrvikFmwHandler::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) return E_POINTER;
    m_position = *position;
    if (m_window)
        MoveWindow(m_window, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result) *result = 0;
    return S_FALSE;
}

STDMETHODIMP COrvikFmwHandler::GetDropTarget(IDropTarget** target) {
    if (target) *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COrvikFmwHandler::TranslateAccelerator(LPMSG) { return S_FALSE; }

STDMETHODIMP COrvikFmwHandler::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP COrvikFmwHandler::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP COrvikFmwHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP COrvikFmwHandler::EnableModeless(BOOL) { return S_OK; }
