#include "connection_point.h"

#include <olectl.h>

CConnectionPoint::CConnectionPoint(IConnectionPointContainer* container) : m_container(container) {}

CConnectionPoint::~CConnectionPoint() {
    for (IUnknown* sink : m_sinks)
        if (sink) sink->Release();
}

STDMETHODIMP CConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CConnectionPoint::AddRef() { return m_container->AddRef(); }

STDMETHODIMP_(ULONG) CConnectionPoint::Release() { return m_container->Release(); }

STDMETHODIMP CConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = IID_IPropertyNotifySink;
    return S_OK;
}

STDMETHODIMP CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    IUnknown* notifySink = nullptr;
    if (FAILED(
            sink->QueryInterface(IID_IPropertyNotifySink, reinterpret_cast<void**>(&notifySink))))
        return CONNECT_E_CANNOTCONNECT;
    m_sinks.push_back(notifySink);
    *cookie = static_cast<DWORD>(m_sinks.size());
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie > m_sinks.size() || m_sinks[cookie - 1] == nullptr)
        return CONNECT_E_NOCONNECTION;
    m_sinks[cookie - 1]->Release();
    m_sinks[cookie - 1] = nullptr;
    return S_OK;
}

STDMETHODIMP CConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections == nullptr) return E_POINTER;
    *connections = nullptr;
    return E_NOTIMPL;
}
