#pragma once
/// The engine's exception family. Each is thrown as a pointer to a new object and deleted by
/// whoever catches it (see `TakeOwnership`). Only `CHttpSocketError` carries data.

#include <memory>

class CTavrinException {
public:
    virtual ~CTavrinException() = default;
};

#define VELKOR_DECLARE_TAVRIN_EXCEPTION(Name) \
    class Name : public CTavrinException {};

VELKOR_DECLARE_TAVRIN_EXCEPTION(CNoSMMInstalled)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CNoProductSupported)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CParamsFileDoesNotExist)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CParamsFileBadFormat)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CModuleNotInstalled)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CModuleXMLFileDoesNotExist)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CModuleXMLNotWellFormed)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CProdNumberFileDoesNotExist)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CPrinterIOError)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CPrinterNotSupported)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CTavrinPortInUse)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CTavrinEngineInUse)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CTavrinModuleInUse)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CIncorrectProxySettings)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CCannotOpenPrinterPort)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CPortBusy)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CInvalidHttpSocket)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CTimeoutSendingFileToPrinter)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CTimeoutReadingBackchannelFromPrinter)
VELKOR_DECLARE_TAVRIN_EXCEPTION(CFileToSendDoesNotExist)

#undef VELKOR_DECLARE_TAVRIN_EXCEPTION

/// A socket call failed; carries the socket library's error code.
class CHttpSocketError : public CTavrinException {
public:
    explicit CHttpSocketError(int errorCode) : m_errorCode(errorCode) {}
    int GetErrorCode() const { return m_errorCode; }

private:
    int m_errorCode;
};

/// Takes a caught exception pointer into an owner at once, so no path can leak it.
template <typename T>
std::unique_ptr<T> TakeOwnership(T* caught) {
    return std::unique_ptr<T>(caught);
}
