#include "container_site.h"

namespace {
const GUID kServiceWebBrowserApp = {
    0x0002DF05, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}  // namespace

STDMETHODIMP CContainerSite::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IServiceProvider) {
        *object = static_cast<IServiceProvider*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

// The site lives on the container's stack for the whole run.
STDMETHODIMP_(ULONG) CContainerSite::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CContainerSite::Release() { return InterlockedDecrement(&m_references); }

STDMETHODIMP CContainerSite::SaveObject() { return S_OK; }

STDMETHODIMP CContainerSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CContainerSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CContainerSite::ShowObject() { return S_OK; }

STDMETHODIMP CContainerSite::OnShowWindow(BOOL) { return S_OK; }

STDMETHODIMP CContainerSite::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP CContainerSite::QueryService(REFGUID service, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (service != kServiceWebBrowserApp || m_browser == nullptr) return E_NOINTERFACE;
    return m_browser->QueryInterface(iid, object);
}

STDMETHODIMP CContainerSite::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

STDMETHODIMP CContainerSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CContainerSite::CanInPlaceActivate() { return m_window ? S_OK : S_FALSE; }

STDMETHODIMP CContainerSite::OnInPlaceActivate() { return S_OK; }

STDMETHODIMP CContainerSite::OnUIActivate() { return S_OK; }

// No frame or document window to offer: the control works from the position it was given.
STDMETHODIMP CContainerSite::GetWindowContext(IOleInPlaceFrame** frame,
                                              IOleInPlaceUIWindow** document, LPRECT, LPRECT,
                                              LPOLEINPLACEFRAMEINFO) {
    if (frame) *frame = nullptr;
    if (document) *document = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CContainerSite::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP CContainerSite::OnUIDeactivate(BOOL) { return S_OK; }

STDMETHODIMP CContainerSite::OnInPlaceDeactivate() { return S_OK; }

STDMETHODIMP CContainerSite::DiscardUndoState() { return S_OK; }

STDMETHODIMP CContainerSite::DeactivateAndUndo() { return S_OK; }

STDMETHODIMP CContainerSite::OnPosRectChange(LPCRECT) { return S_OK; }
