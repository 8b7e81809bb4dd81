#pragma once
// The ids the control is known by, and its automation interface (it adds nothing to
// IDispatch; the type library says the same).

#include <windows.h>

#include <ocidl.h>

extern const CLSID CLSID_OrvikFmwHandler;    ///< {2B7E91C4-5D3A-4F08-9C61-7A0E4B2D8F35}
extern const GUID LIBID_FWHELPERCONTROLLib;  ///< {6C3F0A9B-1E42-4D7B-A58C-93D1F2E6B047}
extern const IID IID_IOrvikFmwHandler;       ///< {8D5A2C17-4B9E-4E60-A3F1-5C27E09B6D42}

/// The control's default dual interface.
struct IOrvikFmwHandler : public IDispatch {};
