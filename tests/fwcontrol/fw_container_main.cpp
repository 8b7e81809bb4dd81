// A test container for the firmware helper control: creates the registered control by its
// ProgID or class id, gives it a client site with a recording browser, loads it from a
// property bag with "SRC" the way a browser does, shows it in place in a window where it
// paints itself, or describes its registered type library. Prints what it sees; the exit code says
// how it went.
//
//   fw_container typelib
//   fw_container create <progid|{clsid}>
//   fw_container load <progid|{clsid}> <src|-> [<record file>]    ("-": a bag without SRC)
//   fw_container show <progid|{clsid}> <src> <window title>
#include <windows.h>

#include <oleauto.h>
#include <olectl.h>

#include <cstdio>
#include <string>

#include "container_site.h"
#include "recording_web_browser.h"
#include "source_property_bag.h"

namespace {

enum ExitCode { kDone = 0, kUsage = 1, kLoadFailed = 2, kNotCreated = 3, kNoTypeLibrary = 4 };

const GUID kLibraryId = {
    0x6C3F0A9B, 0x1E42, 0x4D7B, {0xA5, 0x8C, 0x93, 0xD1, 0xF2, 0xE6, 0xB0, 0x47}};

std::string Narrow(const wchar_t* text) {
    if (text == nullptr) return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

std::string GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return Narrow(text);
}

/// The class id named by a ProgID or by "{...}".
HRESULT ClassOf(const std::string& name, CLSID* clsid) {
    std::wstring wide(name.begin(), name.end());
    return name.size() > 0 && name[0] == '{' ? CLSIDFromString(wide.c_str(), clsid)
                                             : CLSIDFromProgID(wide.c_str(), clsid);
}

HRESULT Create(const std::string& name, IOleObject** control) {
    CLSID clsid;
    HRESULT result = ClassOf(name, &clsid);
    std::printf("class %s 0x%08lx\n", GuidText(clsid).c_str(), static_cast<unsigned long>(result));
    if (FAILED(result)) return result;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                            reinterpret_cast<void**>(control));
}

const char* TypeKindName(TYPEKIND kind) {
    switch (kind) {
        case TKIND_INTERFACE:
            return "interface";
        case TKIND_DISPATCH:
            return "dispatch";
        case TKIND_COCLASS:
            return "coclass";
        default:
            return "other";
    }
}

void PrintType(ITypeInfo* info) {
    BSTR name = nullptr, doc = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr);
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    std::printf("type %s %s %s \"%s\"%s\n", TypeKindName(attributes->typekind),
                Narrow(name).c_str(), GuidText(attributes->guid).c_str(), Narrow(doc).c_str(),
                (attributes->wTypeFlags & TYPEFLAG_FDUAL) ? " dual" : "");
    if (attributes->typekind == TKIND_COCLASS) {
        for (UINT i = 0; i < attributes->cImplTypes; ++i) {
            INT flags = 0;
            HREFTYPE reference;
            ITypeInfo* implemented = nullptr;
            info->GetImplTypeFlags(i, &flags);
            info->GetRefTypeOfImplType(i, &reference);
            if (SUCCEEDED(info->GetRefTypeInfo(reference, &implemented))) {
                BSTR implementedName = nullptr;
                implemented->GetDocumentation(MEMBERID_NIL, &implementedName, nullptr, nullptr,
                                              nullptr);
                std::printf("implements %s%s\n", Narrow(implementedName).c_str(),
                            (flags & IMPLTYPEFLAG_FDEFAULT) ? " default" : "");
                SysFreeString(implementedName);
                implemented->Release();
            }
        }
    }
    info->ReleaseTypeAttr(attributes);
    SysFreeString(name);
    SysFreeString(doc);
}

int DescribeTypeLibrary() {
    ITypeLib* library = nullptr;
    HRESULT result = LoadRegTypeLib(kLibraryId, 1, 0, LOCALE_NEUTRAL, &library);
    std::printf("LoadRegTypeLib 0x%08lx\n", static_cast<unsigned long>(result));
    if (FAILED(result)) return kNoTypeLibrary;
    BSTR name = nullptr, doc = nullptr;
    library->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    TLIBATTR* attributes = nullptr;
    library->GetLibAttr(&attributes);
    std::printf("library %s %s %u.%u \"%s\"\n", Narrow(name).c_str(),
                GuidText(attributes->guid).c_str(), attributes->wMajorVerNum,
                attributes->wMinorVerNum, Narrow(doc).c_str());
    library->ReleaseTLibAttr(attributes);
    SysFreeString(name);
    SysFreeString(doc);
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ITypeInfo* info = nullptr;
        if (SUCCEEDED(library->GetTypeInfo(i, &info))) {
            PrintType(info);
            info->Release();
        }
    }
    library->Release();
    return kDone;
}

/// An outer object that only counts: enough to see the control delegate to it.
class CCountingOuter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    ULONG references = 1;
};

int DescribeObject(const std::string& name) {
    IOleObject* control = nullptr;
    HRESULT result = Create(name, &control);
    std::printf("create 0x%08lx\n", static_cast<unsigned long>(result));
    if (FAILED(result)) return kNotCreated;
    struct Named {
        const char* name;
        IID iid;
    };
    const Named interfaces[] = {
        {"IDispatch", IID_IDispatch},
        {"IOleObject", IID_IOleObject},
        {"IOleInPlaceObject", IID_IOleInPlaceObject},
        {"IOleInPlaceObjectWindowless", IID_IOleInPlaceObjectWindowless},
        {"IOleInPlaceActiveObject", IID_IOleInPlaceActiveObject},
        {"IViewObject2", IID_IViewObject2},
        {"IViewObjectEx", IID_IViewObjectEx},
        {"IDataObject", IID_IDataObject},
        {"IPersistStreamInit", IID_IPersistStreamInit},
        {"IPersistStorage", IID_IPersistStorage},
        {"IPersistPropertyBag", IID_IPersistPropertyBag},
        {"IConnectionPointContainer", IID_IConnectionPointContainer},
        {"IProvideClassInfo2", IID_IProvideClassInfo2},
        {"ISpecifyPropertyPages", IID_ISpecifyPropertyPages},
    };
    for (const Named& entry : interfaces) {
        IUnknown* found = nullptr;
        if (SUCCEEDED(control->QueryInterface(entry.iid, reinterpret_cast<void**>(&found)))) {
            std::printf("interface %s\n", entry.name);
            found->Release();
        }
    }
    DWORD status = 0;
    control->GetMiscStatus(DVASPECT_CONTENT, &status);
    std::printf("misc status %lu\n", static_cast<unsigned long>(status));
    IDispatch* automation = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation)))) {
        ITypeInfo* info = nullptr;
        if (SUCCEEDED(automation->GetTypeInfo(0, LOCALE_NEUTRAL, &info))) {
            BSTR typeName = nullptr;
            info->GetDocumentation(MEMBERID_NIL, &typeName, nullptr, nullptr, nullptr);
            std::printf("automation %s\n", Narrow(typeName).c_str());
            SysFreeString(typeName);
            info->Release();
        }
        automation->Release();
    }
    CLSID clsid;
    ClassOf(name, &clsid);
    // Aggregated: only the inner unknown may be asked for, and the control's interfaces
    // count on the outer object.
    CCountingOuter outer;
    IUnknown* inner = nullptr;
    HRESULT refused = CoCreateInstance(clsid, &outer, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                       reinterpret_cast<void**>(&inner));
    HRESULT aggregated = CoCreateInstance(clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(&inner));
    if (SUCCEEDED(aggregated)) {
        IOleObject* part = nullptr;
        ULONG before = outer.references;
        inner->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&part));
        bool delegates = part != nullptr && outer.references == before + 1;
        if (part) part->Release();
        inner->Release();
        std::printf("aggregation refused 0x%08lx inner 0x%08lx delegates %s\n",
                    static_cast<unsigned long>(refused), static_cast<unsigned long>(aggregated),
                    delegates ? "yes" : "no");
    }
    control->Release();
    return kDone;
}

/// The source value as the control keeps it, through its property-bag save.
void PrintSource(IOleObject* control) {
    IPersistPropertyBag* persist = nullptr;
    if (FAILED(
            control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist))))
        return;
    CSourcePropertyBag saved(false, "");
    persist->Save(&saved, FALSE, TRUE);
    persist->Release();
}

HRESULT LoadFromBag(IOleObject* control, CContainerSite* site, const std::string& source) {
    control->SetClientSite(site);
    IPersistPropertyBag* persist = nullptr;
    HRESULT result =
        control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    if (FAILED(result)) return result;
    CSourcePropertyBag bag(source != "-", source);
    result = persist->Load(&bag, nullptr);
    persist->Release();
    std::printf("load 0x%08lx\n", static_cast<unsigned long>(result));
    PrintSource(control);
    std::fflush(stdout);
    return result;
}

/// Paints the control through its view into a bitmap of its own and counts the pixels that
/// came out dark (frame and text), so a test sees the painting without a screen.
void CountDrawnPixels(IOleObject* control) {
    IViewObject* view = nullptr;
    if (FAILED(control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)))) return;
    const int width = 900, height = 60;
    HDC screen = GetDC(nullptr);
    HDC device = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(device, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(device, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECTL bounds = {0, 0, width, height};
    HRESULT result = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, device, &bounds,
                                nullptr, nullptr, 0);
    int frame = 0, inside = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (GetRValue(GetPixel(device, x, y)) >= 128) continue;
            bool border = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            ++(border ? frame : inside);
        }
    }
    std::printf("draw 0x%08lx frame %d inside %d\n", static_cast<unsigned long>(result), frame,
                inside);
    SelectObject(device, old);
    DeleteObject(bitmap);
    DeleteDC(device);
    ReleaseDC(nullptr, screen);
    view->Release();
}

LRESULT CALLBACK ShowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

/// Activates the control in place in a window of its own title, where it paints itself;
/// runs until the window is closed.
int Show(IOleObject* control, CContainerSite* site, const std::string& title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ShowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "FwContainerWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("FwContainerWindow", title.c_str(),
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 200,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return kNotCreated;
    site->SetWindow(window);
    RECT client;
    GetClientRect(window, &client);
    RECT position = {20, 20, client.right - 20, client.bottom - 20};
    HRESULT result = control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window, &position);
    HWND inPlace = nullptr;
    IOleInPlaceObject* active = nullptr;
    if (SUCCEEDED(
            control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&active)))) {
        active->GetWindow(&inPlace);
        active->Release();
    }
    std::printf("in place 0x%08lx window %s\n", static_cast<unsigned long>(result),
                inPlace != nullptr && GetParent(inPlace) == window ? "child" : "none");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    control->Close(OLECLOSE_NOSAVE);
    return kDone;
}

int Run(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "typelib" && argc == 2) return DescribeTypeLibrary();
    if (command == "create" && argc == 3) return DescribeObject(argv[2]);
    bool load = command == "load" && (argc == 4 || argc == 5);
    bool show = command == "show" && argc == 5;
    if (!load && !show) {
        std::fprintf(stderr,
                     "usage: fw_container typelib | create <id> | load <id> <src|-> "
                     "[<record file>] | show <id> <src> <title>\n");
        return kUsage;
    }
    IOleObject* control = nullptr;
    HRESULT result = Create(argv[2], &control);
    std::printf("create 0x%08lx\n", static_cast<unsigned long>(result));
    if (FAILED(result)) return kNotCreated;
    CRecordingWebBrowser browser(load && argc == 5 ? argv[4] : "");
    CContainerSite site(&browser);
    int exitCode = FAILED(LoadFromBag(control, &site, argv[3])) ? kLoadFailed : kDone;
    std::printf("navigations %u\n", static_cast<unsigned>(browser.Navigated().size()));
    std::fflush(stdout);
    if (exitCode == kDone) CountDrawnPixels(control);
    std::fflush(stdout);
    if (show && exitCode == kDone) exitCode = Show(control, &site, argv[4]);
    control->SetClientSite(nullptr);
    control->Release();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    int exitCode = Run(argc, argv);
    OleUninitialize();
    return exitCode;
}
