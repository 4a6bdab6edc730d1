// CContainerSite: the container side of one hosted control, shared by the
// demo container, the tests and the benchmark: a client site that activates
// the control in place inside a host window (IOleClientSite,
// IOleInPlaceSite, IOleInPlaceFrame), an event sink and a property-change
// sink that pass what the control reports to a callback, and dispatch
// calls by id. Owns the control's references and its connections; the host
// window belongs to the caller and must outlive the site's Close.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <functional>
#include <string>

class CContainerSite : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
  enum class NoticeKind { Event, Changed };
  // What a sink received: an event (with its arguments, last first, as
  // DISPPARAMS carries them) or a property-change notice (args null), by
  // dispatch id, in the order they came.
  using Notice = std::function<void(NoticeKind kind, DISPID id, const DISPPARAMS* args)>;

  CContainerSite(HWND host, REFIID eventsIid, Notice notice);
  virtual ~CContainerSite();
  CContainerSite(const CContainerSite&) = delete;
  CContainerSite& operator=(const CContainerSite&) = delete;

  // Takes over one reference of the control and connects both sinks; no window yet.
  HRESULT Create(IUnknown* control);
  // Gives the control this site and activates it in place at the position.
  HRESULT Activate(const RECT& pos);
  void Move(const RECT& pos);
  // Deactivates, disconnects and releases the control; idempotent.
  void Close();

  IDispatch* Control() const { return m_pDispatch; }
  IUnknown* Unknown() const { return m_pUnknown; }
  HWND HostWindow() const { return m_hHost; }
  // The control's window, or null before activation.
  HWND ControlWindow() const;

  // IDispatch calls; args in declaration order; each returns the HRESULT.
  HRESULT Get(DISPID id, VARIANT* out, const VARIANT* args = nullptr, UINT argCount = 0);
  HRESULT Put(DISPID id, const VARIANT& value, const VARIANT* args = nullptr, UINT argCount = 0);
  HRESULT Call(DISPID id, VARIANT* out, const VARIANT* args = nullptr, UINT argCount = 0);
  // The font the site offers as its ambient font (DISPID_AMBIENT_FONT), or
  // none with null; the site keeps a reference. Tell the control with
  // AmbientChanged.
  void SetAmbientFont(IFontDisp* font);
  // Tells the control that an ambient property changed (IOleControl).
  HRESULT AmbientChanged(DISPID id);
  // A string property's value; empty when it cannot be read as a string.
  std::wstring GetWideString(DISPID id, const VARIANT* args = nullptr, UINT argCount = 0);

  // IUnknown: lives as long as its owner; COM reference counts are not its lifetime.
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

protected:
  // For an owner that makes its host window after the site.
  void SetHostWindow(HWND host) { m_hHost = host; }

private:
  class EventSink;
  class NotifySink;
  class Ambient;

  Notice m_notice;  // before the sinks, which refer to it
  HWND m_hHost;
  IID m_eventsIid;
  RECT m_rcPos;
  IUnknown* m_pUnknown;
  IDispatch* m_pDispatch;
  IOleObject* m_pOleObject;
  EventSink* m_pEvents;
  NotifySink* m_pNotify;
  Ambient* m_pAmbient;  // the site's ambient properties, its IDispatch
  DWORD m_dwEventCookie, m_dwNotifyCookie;
  IConnectionPoint* m_pEventCP;
  IConnectionPoint* m_pNotifyCP;
};
