#pragma once
// The class object of OrvikFmwHandler: makes controls, aggregated or not.

#include <windows.h>

#include <unknwn.h>

class CClassFactory : public IClassFactory {
public:
    CClassFactory();
    ~CClassFactory();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    LONG m_references = 1;
};
