// The thumbnail control's COM object: a standard ActiveX control that is always
// in-place activated as a window of its own. The window and all drawing and input are
// ControlView's; this class is the container-facing shell around it.
//
// The members are split by interface family:
//   thumb_control.cpp          creation, IVelmoraThumbCtl, events
//   thumb_control_ole.cpp      IOleObject, in-place activation, IOleControl
//   thumb_control_view.cpp     IViewObjectEx, IDataObject
//   thumb_control_persist.cpp  IPersistStreamInit, IPersistStorage
//   thumb_control_info.cpp     connection points, class info, quick activation, pages
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/com/connection_point.h"
#include "framework/com/dispatch.h"
#include "framework/com/object.h"
#include "thumbctl/control/cache_picture_source.h"
#include "thumbctl/control/control_view.h"

namespace thumbctl {

// What IOleObject::GetMiscStatus reports for the content aspect (131473).
constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kControlMiscStatus == 131473);

// The version box of About: its caption and first line.
inline constexpr wchar_t kVersionCaption[] = L"VersionInfo";
inline constexpr wchar_t kVersionFirstLine[] = L"VelmoraThumbCtl(ATL) Version1.6";

// The control's window: ControlView plus the activation a standard control does when
// it gets the focus or a mouse click.
class ControlWindow final : public ControlView {
public:
    class Activation {
    public:
        virtual ~Activation() = default;
        virtual void OnWindowActivated() = 0;
        virtual void OnWindowFocus(bool gained) = 0;
    };
    explicit ControlWindow(Activation& activation) : activation_(activation) {}
    ~ControlWindow() override { Destroy(); }

protected:
    const fw::MessageMap& Messages() const override;

private:
    void OnSetFocus(HWND previous);
    void OnKillFocus(HWND next);
    LRESULT OnMouseActivate(UINT message, WPARAM wp, LPARAM lp);

    Activation& activation_;
};

class ThumbControl final
    : public fw::com::Implements<
          fw::com::Dispatch<IVelmoraThumbCtl>, fw::com::Chain<IViewObjectEx, IViewObject2, IViewObject>,
          fw::com::Chain<IOleInPlaceObjectWindowless, IOleInPlaceObject, IOleWindow>, IOleInPlaceActiveObject,
          IOleControl, IOleObject, fw::com::Chain<IPersistStreamInit, IPersist>, IConnectionPointContainer,
          ISpecifyPropertyPages, IQuickActivate, IPersistStorage, IDataObject,
          fw::com::Chain<IProvideClassInfo2, IProvideClassInfo>, fw::com::FreeThreaded>,
      private ControlEvents,
      private ControlWindow::Activation {
public:
    ThumbControl();
    ~ThumbControl() override;

    // IVelmoraThumbCtl
    STDMETHODIMP About() override;
    STDMETHODIMP displayFile(BSTR strFileName) override;
    STDMETHODIMP get_FilterExtention(BSTR* pVal) override;
    STDMETHODIMP put_IPictureCache(IUnknown* newVal) override;
    STDMETHODIMP loadFile(BSTR strFileName) override;
    STDMETHODIMP get_AcceptDropFiles(LONG* pVal) override;
    STDMETHODIMP put_AcceptDropFiles(LONG newVal) override;
    STDMETHODIMP get_FileName(BSTR* pVal) override;
    STDMETHODIMP put_FileName(BSTR newVal) override;
    STDMETHODIMP put_Caption(BSTR strCaption) override;
    STDMETHODIMP get_Caption(BSTR* pstrCaption) override;

    // IViewObject, IViewObject2, IViewObjectEx
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                      HDC drawDc, LPCRECTL bounds, LPCRECTL windowBounds,
                      BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR), ULONG_PTR continueArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                             LOGPALETTE** colorSet) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
    STDMETHODIMP GetViewStatus(DWORD* status) override;
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                               DWORD* hitResult) override;
    STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                              DWORD* hitResult) override;
    STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, HDC targetDc,
                                  DVEXTENTINFO* extentInfo, LPSIZEL size) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP OnWindowMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT* result) override;
    STDMETHODIMP GetDropTarget(IDropTarget** target) override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* message) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IPersist, IPersistStreamInit, IPersistStorage
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IQuickActivate
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

    // IDataObject
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* result) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

    // IProvideClassInfo, IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

private:
    // ControlEvents: the window's events go to the connected event sinks.
    void OnRClick() override;
    void OnRClickUp() override;
    void OnRDbClick() override;
    void OnDropFiles(const std::wstring& files) override;
    // ControlWindow::Activation
    void OnWindowActivated() override;
    void OnWindowFocus(bool gained) override;

    void FireEvent(DISPID id, const wchar_t* text = nullptr);
    // S_FALSE when a property-notify sink refuses the change of `id`.
    HRESULT RequestEdit(DISPID id);
    void NotifyChanged(DISPID id);
    void FireViewChange();
    void SendDataChange();
    void SetDirty(bool dirty) { dirty_ = dirty; }

    HRESULT InPlaceActivate(LONG verb);
    HRESULT UIActivate();
    HRESULT CreateControlWindow(IOleInPlaceSite* site);
    HRESULT SaveTo(IStream* stream);
    HRESULT LoadFrom(IStream* stream);

    // Control state.
    fw::com::Bstr caption_;
    CachePictureSource source_;
    LONG acceptDropFiles_ = 0;
    ControlWindow window_{*this};  // holds the file name and the view state
    SIZEL extent_{5080, 5080};     // HIMETRIC
    SIZEL naturalExtent_{5080, 5080};
    bool dirty_ = false;
    long frozenEvents_ = 0;

    // Container connections.
    fw::com::ComPtr<IOleClientSite> clientSite_;
    fw::com::ComPtr<IOleInPlaceSite> inPlaceSite_;
    fw::com::ComPtr<IOleInPlaceFrame> frame_;
    fw::com::ComPtr<IOleInPlaceUIWindow> document_;
    fw::com::ComPtr<IOleAdviseHolder> oleAdvise_;
    fw::com::ComPtr<IDataAdviseHolder> dataAdvise_;
    fw::com::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    RECT position_{};

    fw::com::ConnectionPoint events_{this, DIID__IVelmoraThumbCtlEvents};
    fw::com::ConnectionPoint propertyNotify_{this, IID_IPropertyNotifySink};
};

}  // namespace thumbctl
