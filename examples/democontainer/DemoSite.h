// DemoSite: the container side of one hosted control: the site interfaces
// that activate it in place inside a host window, and the event and
// property-change sinks that pass what the control reports to a callback.
// Owns the control object, its connections and the module it came from.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <functional>
#include <string>

class DemoSite : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
  // kind: "event" or "changed"; id: the event's or property's dispatch id.
  using Notice = std::function<void(const wchar_t* kind, DISPID id)>;

  DemoSite(HWND host, Notice notice);
  virtual ~DemoSite();
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;

  // Creates the control from the module beside the program, without any
  // registration; falls back to the registered class. Connects both sinks.
  HRESULT Create(const std::wstring& modulePath);
  // True when the control came from the module beside the program.
  bool FromLocalModule() const { return m_hModule != nullptr; }
  // Why the module beside the program gave no control (S_OK when it did).
  HRESULT LocalModuleResult() const { return m_hrLocal; }
  HRESULT Activate(const RECT& pos);
  void Move(const RECT& pos);
  // Deactivates, disconnects, releases the control and frees its module; idempotent.
  void Close();

  HWND ControlWindow() const;
  HRESULT Put(DISPID id, const VARIANT& value, const VARIANT* index = nullptr);
  HRESULT Get(DISPID id, VARIANT* out, const VARIANT* index = nullptr);
  HRESULT Call(DISPID id, VARIANT* out, const VARIANT* args = nullptr, UINT cArgs = 0);
  std::wstring GetString(DISPID id, const VARIANT* index = nullptr);

  // IUnknown: lives as long as its window; COM reference counts are not its lifetime.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override;
  STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                LPRECT lprcPosRect, LPRECT lprcClipRect,
                                LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceUIWindow and IOleInPlaceFrame
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

private:
  class EventSink;
  class NotifySink;
  HRESULT CreateFromModule(const std::wstring& modulePath);
  HRESULT Connect();

  Notice m_notice;  // before the sinks, which refer to it
  HWND m_hHost;
  RECT m_rcPos;
  HMODULE m_hModule;
  HRESULT m_hrLocal;  // of the last attempt with the module beside the program
  IUnknown* m_pUnknown;
  IDispatch* m_pDispatch;
  IOleObject* m_pOleObject;
  EventSink* m_pEvents;
  NotifySink* m_pNotify;
  DWORD m_dwEventCookie, m_dwNotifyCookie;
  IConnectionPoint* m_pEventCP;
  IConnectionPoint* m_pNotifyCP;
};
