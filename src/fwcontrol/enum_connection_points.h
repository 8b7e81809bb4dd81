#pragma once
// Enumerates the control's single connection point.

#include <windows.h>

#include <ocidl.h>

class CEnumConnectionPoints : public IEnumConnectionPoints {
public:
    /// Holds a reference on `point` for its lifetime; `position` is 0 or 1.
    CEnumConnectionPoints(IConnectionPoint* point, ULONG position);
    ~CEnumConnectionPoints();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumConnectionPoints** copy) override;

private:
    LONG m_references = 1;
    IConnectionPoint* m_point;
    ULONG m_position;
};
