// CContainerSite: site interfaces, sinks, connections and dispatch calls.
#include "CContainerSite.h"
#include <algorithm>
#include <vector>

namespace {
// One sink object per interface: each passes what it receives on.
template <class Base>
class SinkBase : public Base {
public:
  SinkBase(const CContainerSite::Notice& notice, REFIID iid) : m_notice(notice), m_iid(iid) {}
  virtual ~SinkBase() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == m_iid) {
      *ppv = static_cast<Base*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  // Owned by the site; COM reference counts are not their lifetime.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

protected:
  const CContainerSite::Notice& m_notice;
  IID m_iid;
};
}  // namespace

class CContainerSite::EventSink : public SinkBase<IDispatch> {
public:
  EventSink(const Notice& notice, REFIID eventsIid) : SinkBase(notice, eventsIid) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IDispatch) {
      *ppv = static_cast<IDispatch*>(this);
      return S_OK;
    }
    return SinkBase::QueryInterface(riid, ppv);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* p) override {
    *p = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    const DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (m_notice) m_notice(NoticeKind::Event, id, p ? p : &none);
    return S_OK;
  }
};

class CContainerSite::NotifySink : public SinkBase<IPropertyNotifySink> {
public:
  explicit NotifySink(const Notice& notice) : SinkBase(notice, IID_IPropertyNotifySink) {}
  STDMETHODIMP OnChanged(DISPID id) override {
    if (m_notice) m_notice(NoticeKind::Changed, id, nullptr);
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

// The ambient properties: DISPID_AMBIENT_FONT when a font is offered.
class CContainerSite::Ambient : public SinkBase<IDispatch> {
public:
  explicit Ambient(const Notice& notice) : SinkBase(notice, IID_IDispatch) {}
  ~Ambient() { SetFont(nullptr); }
  void SetFont(IFontDisp* font) {
    if (font) font->AddRef();
    if (m_pFont) m_pFont->Release();
    m_pFont = font;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* p) override {
    *p = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (id != DISPID_AMBIENT_FONT || !m_pFont || !(flags & DISPATCH_PROPERTYGET) || !result)
      return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = m_pFont;
    m_pFont->AddRef();
    return S_OK;
  }

private:
  IFontDisp* m_pFont = nullptr;
};

CContainerSite::CContainerSite(HWND host, REFIID eventsIid, Notice notice)
    : m_notice(std::move(notice)),
      m_hHost(host),
      m_eventsIid(eventsIid),
      m_rcPos{0, 0, 0, 0},
      m_pUnknown(nullptr),
      m_pDispatch(nullptr),
      m_pOleObject(nullptr),
      m_pEvents(new EventSink(m_notice, eventsIid)),
      m_pNotify(new NotifySink(m_notice)),
      m_pAmbient(new Ambient(m_notice)),
      m_dwEventCookie(0),
      m_dwNotifyCookie(0),
      m_pEventCP(nullptr),
      m_pNotifyCP(nullptr) {}

CContainerSite::~CContainerSite() {
  Close();
  delete m_pEvents;
  delete m_pNotify;
  delete m_pAmbient;
}

void CContainerSite::SetAmbientFont(IFontDisp* font) { m_pAmbient->SetFont(font); }

HRESULT CContainerSite::AmbientChanged(DISPID id) {
  if (!m_pUnknown) return E_UNEXPECTED;
  IOleControl* control = nullptr;
  HRESULT hr = m_pUnknown->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&control));
  if (FAILED(hr)) return hr;
  hr = control->OnAmbientPropertyChange(id);
  control->Release();
  return hr;
}

HRESULT CContainerSite::Create(IUnknown* control) {
  if (!control) return E_POINTER;
  Close();
  m_pUnknown = control;
  m_pUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pDispatch));
  m_pUnknown->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_pOleObject));
  if (!m_pDispatch || !m_pOleObject) return E_NOINTERFACE;
  IConnectionPointContainer* cpc = nullptr;
  HRESULT hr =
      m_pUnknown->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
  if (FAILED(hr)) return hr;
  hr = cpc->FindConnectionPoint(m_eventsIid, &m_pEventCP);
  if (SUCCEEDED(hr)) hr = m_pEventCP->Advise(m_pEvents, &m_dwEventCookie);
  if (SUCCEEDED(hr)) hr = cpc->FindConnectionPoint(IID_IPropertyNotifySink, &m_pNotifyCP);
  if (SUCCEEDED(hr)) hr = m_pNotifyCP->Advise(m_pNotify, &m_dwNotifyCookie);
  cpc->Release();
  return hr;
}

HRESULT CContainerSite::Activate(const RECT& pos) {
  if (!m_pOleObject) return E_UNEXPECTED;
  m_rcPos = pos;
  HRESULT hr = m_pOleObject->SetClientSite(this);
  if (FAILED(hr)) return hr;
  return m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_hHost, &m_rcPos);
}

void CContainerSite::Move(const RECT& pos) {
  m_rcPos = pos;
  IOleInPlaceObject* ipo = nullptr;
  if (m_pUnknown && SUCCEEDED(m_pUnknown->QueryInterface(IID_IOleInPlaceObject,
                                                         reinterpret_cast<void**>(&ipo)))) {
    ipo->SetObjectRects(&m_rcPos, &m_rcPos);
    ipo->Release();
  }
}

void CContainerSite::Close() {
  if (m_pEventCP) {
    if (m_dwEventCookie) m_pEventCP->Unadvise(m_dwEventCookie);
    m_pEventCP->Release();
    m_pEventCP = nullptr;
    m_dwEventCookie = 0;
  }
  if (m_pNotifyCP) {
    if (m_dwNotifyCookie) m_pNotifyCP->Unadvise(m_dwNotifyCookie);
    m_pNotifyCP->Release();
    m_pNotifyCP = nullptr;
    m_dwNotifyCookie = 0;
  }
  if (m_pOleObject) {
    m_pOleObject->Close(OLECLOSE_NOSAVE);
    m_pOleObject->SetClientSite(nullptr);
    m_pOleObject->Release();
    m_pOleObject = nullptr;
  }
  if (m_pDispatch) {
    m_pDispatch->Release();
    m_pDispatch = nullptr;
  }
  if (m_pUnknown) {
    m_pUnknown->Release();
    m_pUnknown = nullptr;
  }
}

HWND CContainerSite::ControlWindow() const {
  IOleWindow* w = nullptr;
  HWND h = nullptr;
  if (m_pUnknown &&
      SUCCEEDED(m_pUnknown->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&w)))) {
    if (FAILED(w->GetWindow(&h))) h = nullptr;
    w->Release();
  }
  return h;
}

HRESULT CContainerSite::Get(DISPID id, VARIANT* out, const VARIANT* args, UINT argCount) {
  VariantInit(out);
  if (!m_pDispatch) return E_UNEXPECTED;
  // Arguments go right to left.
  std::vector<VARIANT> rev(args, args + argCount);
  std::reverse(rev.begin(), rev.end());
  DISPPARAMS dp = {rev.empty() ? nullptr : rev.data(), nullptr, argCount, 0};
  return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &dp, out,
                             nullptr, nullptr);
}

HRESULT CContainerSite::Put(DISPID id, const VARIANT& value, const VARIANT* args, UINT argCount) {
  if (!m_pDispatch) return E_UNEXPECTED;
  // The new value first, then the arguments right to left.
  std::vector<VARIANT> rev;
  rev.push_back(value);
  for (UINT i = argCount; i > 0; --i) rev.push_back(args[i - 1]);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS dp = {rev.data(), &named, argCount + 1, 1};
  return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr,
                             nullptr, nullptr);
}

HRESULT CContainerSite::Call(DISPID id, VARIANT* out, const VARIANT* args, UINT argCount) {
  VARIANT ignored;
  VariantInit(&ignored);
  if (!out) out = &ignored;
  VariantInit(out);
  if (!m_pDispatch) return E_UNEXPECTED;
  std::vector<VARIANT> rev(args, args + argCount);
  std::reverse(rev.begin(), rev.end());
  DISPPARAMS dp = {rev.empty() ? nullptr : rev.data(), nullptr, argCount, 0};
  HRESULT hr = m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, out,
                                   nullptr, nullptr);
  VariantClear(&ignored);
  return hr;
}

std::wstring CContainerSite::GetWideString(DISPID id, const VARIANT* args, UINT argCount) {
  VARIANT v;
  std::wstring s;
  if (SUCCEEDED(Get(id, &v, args, argCount)) && V_VT(&v) == VT_BSTR && V_BSTR(&v))
    s.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
  VariantClear(&v);
  return s;
}

STDMETHODIMP CContainerSite::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *ppv = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
    *ppv = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
    *ppv = static_cast<IOleInPlaceFrame*>(this);
  else if (riid == IID_IDispatch)
    *ppv = static_cast<IDispatch*>(m_pAmbient);
  if (!*ppv) return E_NOINTERFACE;
  return S_OK;
}

STDMETHODIMP CContainerSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  *ppmk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CContainerSite::GetContainer(IOleContainer** ppContainer) {
  *ppContainer = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CContainerSite::GetWindow(HWND* phwnd) {
  *phwnd = m_hHost;
  return S_OK;
}

STDMETHODIMP CContainerSite::OnInPlaceActivate() {
  ++inPlaceActivations;
  return S_OK;
}

STDMETHODIMP CContainerSite::OnInPlaceDeactivate() {
  ++inPlaceDeactivations;
  return S_OK;
}

STDMETHODIMP CContainerSite::GetWindowContext(IOleInPlaceFrame** ppFrame,
                                              IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                              LPRECT lprcClipRect,
                                              LPOLEINPLACEFRAMEINFO lpFrameInfo) {
  *ppFrame = static_cast<IOleInPlaceFrame*>(this);
  *ppDoc = nullptr;
  *lprcPosRect = m_rcPos;
  *lprcClipRect = m_rcPos;
  lpFrameInfo->fMDIApp = FALSE;
  lpFrameInfo->hwndFrame = m_hHost;
  lpFrameInfo->haccel = nullptr;
  lpFrameInfo->cAccelEntries = 0;
  return S_OK;
}
