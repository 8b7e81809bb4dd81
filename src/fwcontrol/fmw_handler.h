#pragma once
// The control OrvikFmwHandler. A browser creates it as the full-page handler of a ".fmw"
// document and hands it the document's URL through the property bag ("SRC"); Load turns
// that into a transfer by the engine. The rest is the plumbing an embeddable control needs.
// The members are defined by concern: fmw_handler.cpp (identity, automation, connection
// points), fmw_handler_ole.cpp (object and in-place activation), fmw_handler_view.cpp
// (painting and data) and fmw_handler_persist.cpp (persistence and the download).

#include <windows.h>

#include <ocidl.h>
#include <oleidl.h>

#include <string>

#include "connection_point.h"
#include "fw_ids.h"

class COrvikFmwHandler : public IOrvikFmwHandler,
                         public IOleObject,
                         public IOleInPlaceObjectWindowless,
                         public IOleInPlaceActiveObject,
                         public IViewObjectEx,
                         public IDataObject,
                         public IPersistStreamInit,
                         public IPersistStorage,
                         public IPersistPropertyBag,
                         public IConnectionPointContainer,
                         public IProvideClassInfo2,
                         public ISpecifyPropertyPages {
public:
    /// `outer` is the aggregating object, or null. The new control holds one reference on its
    /// inner unknown.
    explicit COrvikFmwHandler(IUnknown* outer);
    ~COrvikFmwHandler();

    /// The non-delegating IUnknown (what an aggregating outer object holds).
    IUnknown* InnerUnknown() { return &m_inner; }
    /// The current source value: the URL, then the cached file's path.
    const std::string& SourceValue() const { return m_source; }

    // IUnknown, delegating to the outer object when aggregated.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, through the type library.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IOleObject.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject.
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT* result) override;
    STDMETHODIMP GetDropTarget(IDropTarget** target) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IViewObject, IViewObject2, IViewObjectEx.
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                      HDC targetDevice, HDC drawDevice, LPCRECTL bounds, LPCRECTL windowBounds,
                      BOOL(STDMETHODCALLTYPE* proceed)(ULONG_PTR), ULONG_PTR argument) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                             HDC targetDevice, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rectangle) override;
    STDMETHODIMP GetViewStatus(DWORD* status) override;
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                               DWORD* hit) override;
    STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                              DWORD* hit) override;
    STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                  HDC targetDevice, DVEXTENTINFO* info, LPSIZEL size) override;

    // IDataObject (nothing to render: the control has no data of its own).
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                         DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advises) override;

    // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IConnectionPointContainer.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IProvideClassInfo2, ISpecifyPropertyPages (the control has no pages).
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;
    STDMETHODIMP GetPages(CAUUID* pages) override;

private:
    /// The identity of the control: counts references and answers every interface.
    class CInnerUnknown : public IUnknown {
    public:
        explicit CInnerUnknown(COrvikFmwHandler* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        COrvikFmwHandler* m_owner;
        LONG m_references = 1;
    };

    /// The type information of `guid` from the module's own type library.
    HRESULT LoadTypeInfo(REFGUID guid, ITypeInfo** info);
    /// Draws the frame and the source value into `bounds`.
    void Paint(HDC device, const RECT& bounds);
    /// Asks the client site for the browser and sends it to `url`; false when there is none.
    bool NavigateBrowser(const std::string& url);
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    CInnerUnknown m_inner;
    IUnknown* m_outer;  ///< the outer object, or m_inner
    CConnectionPoint m_propertyNotify;
    std::string m_source;
    IOleClientSite* m_clientSite = nullptr;
    IAdviseSink* m_viewSink = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    HWND m_window = nullptr;
    RECT m_position = {0, 0, 0, 0};
    SIZEL m_extent = {5080, 1270};  ///< HIMETRIC; two inches by half an inch
    bool m_dirty = false;
};
