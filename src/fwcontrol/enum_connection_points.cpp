#include "enum_connection_points.h"

#include <new>

CEnumConnectionPoints::CEnumConnectionPoints(IConnectionPoint* point, ULONG position)
    : m_point(point), m_position(position) {
    m_point->AddRef();
}

CEnumConnectionPoints::~CEnumConnectionPoints() { m_point->Release(); }

STDMETHODIMP CEnumConnectionPoints::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumConnectionPoints) {
        *object = static_cast<IEnumConnectionPoints*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumConnectionPoints::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CEnumConnectionPoints::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CEnumConnectionPoints::Next(ULONG count, IConnectionPoint** points, ULONG* fetched) {
    if (points == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG given = 0;
    if (count > 0 && m_position == 0) {
        points[0] = m_point;
        m_point->AddRef();
        m_position = given = 1;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnectionPoints::Skip(ULONG count) {
    if (count == 0) return S_OK;
    bool skipped = m_position == 0 && count == 1;
    m_position = 1;
    return skipped ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnectionPoints::Reset() {
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CEnumConnectionPoints::Clone(IEnumConnectionPoints** copy) {
    if (copy == nullptr) return E_POINTER;
    *copy = new (std::nothrow) CEnumConnectionPoints(m_point, m_position);
    return *copy ? S_OK : E_OUTOFMEMORY;
}
