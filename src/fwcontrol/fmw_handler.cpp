#include "fmw_handler.h"

#include <oleauto.h>
#include <olectl.h>

#include <new>

#include "enum_connection_points.h"
#include "module_state.h"

COrvikFmwHandler::COrvikFmwHandler(IUnknown* outer)
    : m_inner(this), m_outer(outer ? outer : &m_inner), m_propertyNotify(this) {
    FwModuleAddRef();
}

COrvikFmwHandler::~COrvikFmwHandler() {
    if (m_window) DestroyWindow(m_window);
    if (m_inPlaceSite) m_inPlaceSite->Release();
    if (m_viewSink) m_viewSink->Release();
    if (m_clientSite) m_clientSite->Release();
    FwModuleRelease();
}

STDMETHODIMP COrvikFmwHandler::CInnerUnknown::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    COrvikFmwHandler* o = m_owner;
    if (iid == IID_IUnknown)
        *object = static_cast<IUnknown*>(this);
    else if (iid == IID_IDispatch || iid == IID_IOrvikFmwHandler)
        *object = static_cast<IOrvikFmwHandler*>(o);
    else if (iid == IID_IOleObject)
        *object = static_cast<IOleObject*>(o);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject ||
             iid == IID_IOleInPlaceObjectWindowless)
        *object = static_cast<IOleInPlaceObjectWindowless*>(o);
    else if (iid == IID_IOleInPlaceActiveObject)
        *object = static_cast<IOleInPlaceActiveObject*>(o);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2 || iid == IID_IViewObjectEx)
        *object = static_cast<IViewObjectEx*>(o);
    else if (iid == IID_IDataObject)
        *object = static_cast<IDataObject*>(o);
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
        *object = static_cast<IPersistStreamInit*>(o);
    else if (iid == IID_IPersistStorage)
        *object = static_cast<IPersistStorage*>(o);
    else if (iid == IID_IPersistPropertyBag)
        *object = static_cast<IPersistPropertyBag*>(o);
    else if (iid == IID_IConnectionPointContainer)
        *object = static_cast<IConnectionPointContainer*>(o);
    else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
        *object = static_cast<IProvideClassInfo2*>(o);
    else if (iid == IID_ISpecifyPropertyPages)
        *object = static_cast<ISpecifyPropertyPages*>(o);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COrvikFmwHandler::CInnerUnknown::AddRef() {
    return InterlockedIncrement(&m_references);
}

STDMETHODIMP_(ULONG) COrvikFmwHandler::CInnerUnknown::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete m_owner;
    return left;
}

STDMETHODIMP COrvikFmwHandler::QueryInterface(REFIID iid, void** object) {
    return m_outer->QueryInterface(iid, object);
}

STDMETHODIMP_(ULONG) COrvikFmwHandler::AddRef() { return m_outer->AddRef(); }

STDMETHODIMP_(ULONG) COrvikFmwHandler::Release() { return m_outer->Release(); }

HRESULT COrvikFmwHandler::LoadTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    // The module's own resource, so automation works before (and without) registration.
    std::string path = FwModulePath();
    std::wstring widePath(path.begin(), path.end());
    ITypeLib* library = nullptr;
    HRESULT result = LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, &library);
    if (FAILED(result)) return result;
    result = library->GetTypeInfoOfGuid(guid, info);
    library->Release();
    return result;
}

STDMETHODIMP COrvikFmwHandler::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (index != 0) return DISP_E_BADINDEX;
    return LoadTypeInfo(IID_IOrvikFmwHandler, info);
}

STDMETHODIMP COrvikFmwHandler::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                             DISPID* ids) {
    ITypeInfo* info = nullptr;
    HRESULT result = LoadTypeInfo(IID_IOrvikFmwHandler, &info);
    if (FAILED(result)) return result;
    result = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return result;
}

STDMETHODIMP COrvikFmwHandler::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    ITypeInfo* info = nullptr;
    HRESULT outcome = LoadTypeInfo(IID_IOrvikFmwHandler, &info);
    if (FAILED(outcome)) return outcome;
    outcome = info->Invoke(static_cast<IOrvikFmwHandler*>(this), id, flags, parameters, result,
                           exception, argumentError);
    info->Release();
    return outcome;
}

STDMETHODIMP COrvikFmwHandler::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) return E_POINTER;
    *points = new (std::nothrow) CEnumConnectionPoints(&m_propertyNotify, 0);
    return *points ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COrvikFmwHandler::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (iid != IID_IPropertyNotifySink) return CONNECT_E_NOCONNECTION;
    *point = &m_propertyNotify;
    m_propertyNotify.AddRef();
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetClassInfo(ITypeInfo** info) {
    return LoadTypeInfo(CLSID_OrvikFmwHandler, info);
}

STDMETHODIMP COrvikFmwHandler::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) return E_POINTER;
    *guid = GUID_NULL;
    // No outgoing dispatch interface is described.
    return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
}

STDMETHODIMP COrvikFmwHandler::GetPages(CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}
