#pragma once
// The property bag a browser hands a full-page control: "SRC" and nothing else (or nothing at
// all, to see a control cope with a bag that lacks it).

#include <windows.h>

#include <ocidl.h>

#include <string>

class CSourcePropertyBag : public IPropertyBag {
public:
    /// `hasSource` false: every read fails.
    CSourcePropertyBag(bool hasSource, const std::string& source)
        : m_hasSource(hasSource), m_source(source) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    LONG m_references = 1;
    bool m_hasSource;
    std::string m_source;
};
