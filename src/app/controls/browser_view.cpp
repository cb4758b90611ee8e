#include "app/controls/browser_view.h"

#include <utility>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "platform/win32/com_owners.h"

namespace korvan {

using Microsoft::WRL::ComPtr;

namespace {

constexpr long kMediumFontSize = 2;  // on the browser's scale 0..4

}  // namespace

// The container side of one WebBrowser control. The view owns it for the control's whole life, so
// its reference count only keeps the books: nothing is deleted through Release.
class BrowserView::Host final : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDispatch {
 public:
  Host(HWND parent, BrowserViewSettings settings) : parent_(parent), settings_(std::move(settings)) {}
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  bool Create() {
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&oleObject_)))) {
      return false;
    }
    if (FAILED(oleObject_->SetClientSite(this))) return Fail();
    OleSetContainedObject(oleObject_.Get(), TRUE);
    RECT rect = settings_.rect;
    if (FAILED(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &rect))) return Fail();
    if (FAILED(oleObject_.As(&browser_))) return Fail();
    browser_->put_Silent(settings_.silent ? VARIANT_TRUE : VARIANT_FALSE);
    if (settings_.offline) browser_->put_Offline(VARIANT_TRUE);
    browser_->put_Left(rect.left);
    browser_->put_Top(rect.top);
    browser_->put_Width(rect.right - rect.left);
    browser_->put_Height(rect.bottom - rect.top);
    ComPtr<IConnectionPointContainer> container;
    if (SUCCEEDED(browser_.As(&container)) &&
        SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_))) {
      if (FAILED(events_->Advise(static_cast<IDispatch*>(this), &eventsCookie_))) events_.Reset();
    }
    return true;
  }

  bool Created() const { return browser_ != nullptr; }

  void Navigate(std::string_view address) {
    if (!browser_) return;
    UniqueBstr url = TextToBstr(address);
    OwnedVariant empty1, empty2, empty3, empty4;
    browser_->Navigate(url.Get(), empty1.Get(), empty2.Get(), empty3.Get(), empty4.Get());
  }

  void Close() {
    if (events_) {
      events_->Unadvise(eventsCookie_);
      events_.Reset();
    }
    browser_.Reset();
    if (oleObject_) {
      oleObject_->Close(OLECLOSE_NOSAVE);
      oleObject_->SetClientSite(nullptr);
      oleObject_.Reset();
    }
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the in-place site and frame)
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = parent_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame,
                                IOleInPlaceUIWindow** document,
                                LPRECT position,
                                LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frameInfo) override {
    if (frame) {
      *frame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (document) *document = nullptr;
    if (position) *position = settings_.rect;
    if (clip) *clip = settings_.rect;
    if (frameInfo) {
      frameInfo->fMDIApp = FALSE;
      frameInfo->hwndFrame = parent_;
      frameInfo->haccel = nullptr;
      frameInfo->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT rect) override {
    ComPtr<IOleInPlaceObject> inPlace;
    if (rect && oleObject_ && SUCCEEDED(oleObject_.As(&inPlace))) inPlace->SetObjectRects(rect, rect);
    return S_OK;
  }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: the view has no menus or tool bars of its own.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the DWebBrowserEvents2 sink.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    if (member == DISPID_DOCUMENTCOMPLETE) {
      // The zoom applies to the document just loaded, so it is set again for each one.
      if (browser_) {
        OwnedVariant size = OwnedVariant::FromInteger(kMediumFontSize);
        browser_->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, size.Get(), nullptr);
      }
      if (settings_.onDocumentComplete) settings_.onDocumentComplete();
    }
    return S_OK;
  }

 private:
  bool Fail() {
    Close();
    return false;
  }

  HWND parent_;
  BrowserViewSettings settings_;
  LONG references_ = 0;
  ComPtr<IOleObject> oleObject_;
  ComPtr<IWebBrowser2> browser_;
  ComPtr<IConnectionPoint> events_;
  DWORD eventsCookie_ = 0;
};

BrowserView::BrowserView(HWND parent, BrowserViewSettings settings)
    : host_(std::make_unique<Host>(parent, std::move(settings))) {}

bool BrowserView::Activate() {
  if (host_->Created()) return true;
  if (!host_->Create()) return false;
  if (!pendingAddress_.empty()) host_->Navigate(std::exchange(pendingAddress_, Text{}));
  return true;
}

BrowserView::~BrowserView() { Close(); }

bool BrowserView::Created() const { return host_->Created(); }

void BrowserView::Navigate(std::string_view address) {
  if (host_->Created()) {
    host_->Navigate(address);
  } else {
    pendingAddress_ = Text(address);
  }
}

void BrowserView::Close() { host_->Close(); }

}  // namespace korvan
