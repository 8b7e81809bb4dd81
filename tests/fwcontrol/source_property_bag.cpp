#include "source_property_bag.h"

#include <oleauto.h>

#include <cstdio>

STDMETHODIMP CSourcePropertyBag::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
        *object = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CSourcePropertyBag::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CSourcePropertyBag::Release() { return InterlockedDecrement(&m_references); }

STDMETHODIMP CSourcePropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    if (!m_hasSource || lstrcmpiW(name, L"SRC") != 0) return E_INVALIDARG;
    std::wstring wide(MultiByteToWideChar(CP_ACP, 0, m_source.c_str(), -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, m_source.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(wide.c_str());
    return S_OK;
}

STDMETHODIMP CSourcePropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    if (value->vt != VT_BSTR) return E_INVALIDARG;
    std::wstring wideName(name);
    std::wstring text(value->bstrVal ? value->bstrVal : L"");
    std::printf("saved %ls %ls\n", wideName.c_str(), text.c_str());
    return S_OK;
}
