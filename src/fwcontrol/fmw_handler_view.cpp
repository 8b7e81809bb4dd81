#include "fmw_handler.h"

void COrvikFmwHandler::Paint(HDC device, const RECT& bounds) {
    HGDIOBJ oldBrush = SelectObject(device, GetStockObject(WHITE_BRUSH));
    Rectangle(device, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SelectObject(device, oldBrush);
    UINT oldAlign = SetTextAlign(device, TA_CENTER | TA_BASELINE);
    int oldMode = SetBkMode(device, TRANSPARENT);
    TextOutA(device, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2,
             m_source.c_str(), static_cast<int>(m_source.size()));
    SetBkMode(device, oldMode);
    SetTextAlign(device, oldAlign);
}

STDMETHODIMP COrvikFmwHandler::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDevice,
                                    LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                    ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (drawDevice == nullptr) return E_INVALIDARG;
    // A windowless caller gives no bounds: the in-place position stands in.
    RECT area = m_position;
    if (bounds) area = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
    Paint(drawDevice, area);
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                           LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP COrvikFmwHandler::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::SetAdvise(DWORD, DWORD, IAdviseSink* sink) {
    if (sink) sink->AddRef();
    if (m_viewSink) m_viewSink->Release();
    m_viewSink = sink;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) {
        *sink = m_viewSink;
        if (m_viewSink) m_viewSink->AddRef();
    }
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

STDMETHODIMP COrvikFmwHandler::GetRect(DWORD aspect, LPRECTL rectangle) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (rectangle == nullptr) return E_POINTER;
    *rectangle = RECTL{m_position.left, m_position.top, m_position.right, m_position.bottom};
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetViewStatus(DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG,
                                             DWORD* hit) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (bounds == nullptr || hit == nullptr) return E_POINTER;
    *hit = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG,
                                            DWORD* hit) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (bounds == nullptr || location == nullptr || hit == nullptr) return E_POINTER;
    RECT common;
    *hit = IntersectRect(&common, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP COrvikFmwHandler::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                                LPSIZEL) {
    return E_NOTIMPL;
}

STDMETHODIMP COrvikFmwHandler::GetData(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

STDMETHODIMP COrvikFmwHandler::GetDataHere(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

STDMETHODIMP COrvikFmwHandler::QueryGetData(FORMATETC*) { return DV_E_FORMATETC; }

STDMETHODIMP COrvikFmwHandler::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP COrvikFmwHandler::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP COrvikFmwHandler::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
    if (formats) *formats = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COrvikFmwHandler::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COrvikFmwHandler::DUnadvise(DWORD) { return OLE_E_NOCONNECTION; }

STDMETHODIMP COrvikFmwHandler::EnumDAdvise(IEnumSTATDATA** advises) {
    if (advises) *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}
