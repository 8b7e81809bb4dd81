#pragma once
// The client site a test container gives its control: a service provider that hands out the
// recording browser as the top-level browser, as a browser's own site does, and an in-place
// site in the container's window.

#include <windows.h>

#include <oleidl.h>
#include <servprov.h>

#include "recording_web_browser.h"

class CContainerSite : public IOleClientSite, public IServiceProvider, public IOleInPlaceSite {
public:
    /// `browser` is null for a site without a browser service; not owned.
    explicit CContainerSite(CRecordingWebBrowser* browser) : m_browser(browser) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;

    /// The window the control is activated in.
    void SetWindow(HWND window) { m_window = window; }
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

private:
    LONG m_references = 1;
    CRecordingWebBrowser* m_browser;
    HWND m_window = nullptr;
};
