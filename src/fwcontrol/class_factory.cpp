#include "class_factory.h"

#include "fmw_handler.h"
#include "module_state.h"

CClassFactory::CClassFactory() { FwModuleAddRef(); }

CClassFactory::~CClassFactory() { FwModuleRelease(); }

STDMETHODIMP CClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    // An aggregating outer object may only ask for the inner IUnknown.
    if (outer != nullptr && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    COrvikFmwHandler* handler = new (std::nothrow) COrvikFmwHandler(outer);
    if (handler == nullptr) return E_OUTOFMEMORY;
    IUnknown* inner = handler->InnerUnknown();
    HRESULT result = inner->QueryInterface(iid, object);
    inner->Release();
    return result;
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    if (lock)
        FwModuleAddRef();
    else
        FwModuleRelease();
    return S_OK;
}
