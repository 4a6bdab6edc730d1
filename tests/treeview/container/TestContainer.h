// TestContainer: a minimal ActiveX container for the tests: a real host
// window, a client site that activates controls in place (IOleClientSite,
// IOleInPlaceSite, IOleInPlaceFrame), an event sink and a property-change
// sink that record what they receive, in order. Owns the window, the
// control it created and the connections it made.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <string>
#include <vector>

class TestContainer : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
  TestContainer();
  virtual ~TestContainer();
  TestContainer(const TestContainer&) = delete;
  TestContainer& operator=(const TestContainer&) = delete;

  // Creates the control by ProgID and connects both sinks; no window yet.
  HRESULT Create(const wchar_t* progId);
  // The same for a control made in this process; takes over its reference.
  HRESULT Create(IUnknown* control);
  // Gives the control its site and activates it in place at the position.
  HRESULT Activate(const RECT& pos);
  // Deactivates, disconnects and releases the control; safe to call again.
  void Close();

  IDispatch* Control() const { return m_pDispatch; }
  IUnknown* Unknown() const { return m_pUnknown; }
  HWND HostWindow() const { return m_hHost; }
  // The control's window and its tree window (IDC_TREE), or null.
  HWND ControlWindow() const;
  HWND TreeWindow() const;

  // Everything the sinks received since the last Take: "event:N", "changed:N".
  std::vector<std::string> log;
  std::vector<std::string> Take();

  // IDispatch helpers; each returns the HRESULT and fills the out value.
  HRESULT Get(DISPID id, VARIANT* out, const VARIANT* args = nullptr, UINT cArgs = 0);
  HRESULT Put(DISPID id, const VARIANT& value, const VARIANT* args = nullptr, UINT cArgs = 0);
  HRESULT Call(DISPID id, VARIANT* out, const VARIANT* args = nullptr, UINT cArgs = 0);
  // Convenience forms for strings and flags.
  std::string GetString(DISPID id);
  HRESULT PutString(DISPID id, const std::string& value);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
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
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                LPRECT lprcPosRect, LPRECT lprcClipRect,
                                LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override;
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

  int inPlaceActivations = 0, inPlaceDeactivations = 0;

private:
  class EventSink;
  class NotifySink;
  HWND m_hHost;
  RECT m_rcPos;
  IUnknown* m_pUnknown;
  IDispatch* m_pDispatch;
  IOleObject* m_pOleObject;
  EventSink* m_pEvents;
  NotifySink* m_pNotify;
  DWORD m_dwEventCookie, m_dwNotifyCookie;
  IConnectionPoint* m_pEventCP;
  IConnectionPoint* m_pNotifyCP;
};

// Variant helpers for the tests.
VARIANT VarBstr(const std::string& s);  // caller clears
VARIANT VarI4(LONG v);
VARIANT VarBool(bool b);
std::string ToAnsi(BSTR b);
