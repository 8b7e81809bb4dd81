#include "bind_status_callback.h"

#include "module_state.h"

CBindStatusCallback::CBindStatusCallback() { FwModuleAddRef(); }

CBindStatusCallback::~CBindStatusCallback() { FwModuleRelease(); }

STDMETHODIMP CBindStatusCallback::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IBindStatusCallback) {
        *object = static_cast<IBindStatusCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CBindStatusCallback::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CBindStatusCallback::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CBindStatusCallback::OnStartBinding(DWORD, IBinding*) { return S_OK; }

STDMETHODIMP CBindStatusCallback::GetPriority(LONG* priority) {
    if (priority == nullptr) return E_POINTER;
    *priority = THREAD_PRIORITY_NORMAL;
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnLowResource(DWORD) { return S_OK; }

STDMETHODIMP CBindStatusCallback::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) { return S_OK; }

STDMETHODIMP CBindStatusCallback::OnStopBinding(HRESULT, LPCWSTR) { return S_OK; }

// The download call fills in its own bind information.
STDMETHODIMP CBindStatusCallback::GetBindInfo(DWORD*, BINDINFO*) { return E_NOTIMPL; }

STDMETHODIMP CBindStatusCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }
