#pragma once
// The control's one connection point, for property change notifications. The control fires
// no notifications, but containers expect to be able to advise.

#include <windows.h>

#include <ocidl.h>

#include <vector>

class CConnectionPoint : public IConnectionPoint {
public:
    /// `container` is the control's container interface (not owned: the point lives inside
    /// the control and forwards its reference counts there).
    explicit CConnectionPoint(IConnectionPointContainer* container);
    ~CConnectionPoint();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer* m_container;
    std::vector<IUnknown*> m_sinks;  ///< by cookie - 1; released slots are null
};
