// DemoSite: site interfaces, sinks, creation from the module and dispatch calls.
#include "DemoSite.h"
#include <algorithm>
#include <vector>
#include "QorTreeViewIds.h"

namespace {
// One sink object per interface: each passes what it receives on, tagged.
template <class Base>
class SinkBase : public Base {
public:
  SinkBase(const DemoSite::Notice& notice, REFIID iid) : m_notice(notice), m_iid(iid) {}
  virtual ~SinkBase() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == m_iid) {
      *ppv = static_cast<Base*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

protected:
  const DemoSite::Notice& m_notice;
  IID m_iid;
};
}  // namespace

class DemoSite::EventSink : public SinkBase<IDispatch> {
public:
  explicit EventSink(const Notice& notice) : SinkBase(notice, DIID__DQorTreeViewEvents) {}
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
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    m_notice(L"event", id);
    return S_OK;
  }
};

class DemoSite::NotifySink : public SinkBase<IPropertyNotifySink> {
public:
  explicit NotifySink(const Notice& notice) : SinkBase(notice, IID_IPropertyNotifySink) {}
  STDMETHODIMP OnChanged(DISPID id) override {
    m_notice(L"changed", id);
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

DemoSite::DemoSite(HWND host, Notice notice)
    : m_notice(std::move(notice)),
      m_hHost(host),
      m_rcPos{0, 0, 0, 0},
      m_hModule(nullptr),
      m_hrLocal(S_OK),
      m_pUnknown(nullptr),
      m_pDispatch(nullptr),
      m_pOleObject(nullptr),
      m_pEvents(new EventSink(m_notice)),
      m_pNotify(new NotifySink(m_notice)),
      m_dwEventCookie(0),
      m_dwNotifyCookie(0),
      m_pEventCP(nullptr),
      m_pNotifyCP(nullptr) {}

DemoSite::~DemoSite() {
  Close();
  delete m_pEvents;
  delete m_pNotify;
}

HRESULT DemoSite::CreateFromModule(const std::wstring& modulePath) {
  m_hModule = LoadLibraryW(modulePath.c_str());
  if (!m_hModule) return HRESULT_FROM_WIN32(GetLastError());
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(m_hModule, "DllGetClassObject")));
  HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  if (getClassObject)
    hr = getClassObject(CLSID_QorTreeView, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (SUCCEEDED(hr)) {
    hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&m_pUnknown));
    factory->Release();
  }
  if (FAILED(hr)) {
    m_pUnknown = nullptr;
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
  }
  return hr;
}

HRESULT DemoSite::Create(const std::wstring& modulePath) {
  Close();
  HRESULT hr = m_hrLocal = CreateFromModule(modulePath);
  if (FAILED(hr))
    hr = CoCreateInstance(CLSID_QorTreeView, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(&m_pUnknown));
  if (FAILED(hr)) return hr;
  m_pUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pDispatch));
  m_pUnknown->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_pOleObject));
  if (!m_pDispatch || !m_pOleObject) return E_NOINTERFACE;
  return Connect();
}

HRESULT DemoSite::Connect() {
  IConnectionPointContainer* cpc = nullptr;
  HRESULT hr =
      m_pUnknown->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
  if (FAILED(hr)) return hr;
  hr = cpc->FindConnectionPoint(DIID__DQorTreeViewEvents, &m_pEventCP);
  if (SUCCEEDED(hr)) hr = m_pEventCP->Advise(m_pEvents, &m_dwEventCookie);
  if (SUCCEEDED(hr)) hr = cpc->FindConnectionPoint(IID_IPropertyNotifySink, &m_pNotifyCP);
  if (SUCCEEDED(hr)) hr = m_pNotifyCP->Advise(m_pNotify, &m_dwNotifyCookie);
  cpc->Release();
  return hr;
}

HRESULT DemoSite::Activate(const RECT& pos) {
  if (!m_pOleObject) return E_UNEXPECTED;
  m_rcPos = pos;
  HRESULT hr = m_pOleObject->SetClientSite(this);
  if (FAILED(hr)) return hr;
  return m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_hHost, &m_rcPos);
}

void DemoSite::Move(const RECT& pos) {
  m_rcPos = pos;
  IOleInPlaceObject* ipo = nullptr;
  if (m_pUnknown && SUCCEEDED(m_pUnknown->QueryInterface(IID_IOleInPlaceObject,
                                                         reinterpret_cast<void**>(&ipo)))) {
    ipo->SetObjectRects(&m_rcPos, &m_rcPos);
    ipo->Release();
  }
}

void DemoSite::Close() {
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
  // Only once nothing of the control is left may its code go.
  if (m_hModule) {
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
  }
}

HWND DemoSite::ControlWindow() const {
  IOleWindow* w = nullptr;
  HWND h = nullptr;
  if (m_pUnknown &&
      SUCCEEDED(m_pUnknown->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&w)))) {
    if (FAILED(w->GetWindow(&h))) h = nullptr;
    w->Release();
  }
  return h;
}

HRESULT DemoSite::Put(DISPID id, const VARIANT& value, const VARIANT* index) {
  if (!m_pDispatch) return E_UNEXPECTED;
  // Arguments go right to left: the value first, then the index.
  VARIANT args[2] = {value, index ? *index : value};
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS dp = {args, &named, index ? 2u : 1u, 1};
  return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr,
                             nullptr, nullptr);
}

HRESULT DemoSite::Get(DISPID id, VARIANT* out, const VARIANT* index) {
  VariantInit(out);
  if (!m_pDispatch) return E_UNEXPECTED;
  VARIANT arg;
  if (index) arg = *index;
  DISPPARAMS dp = {index ? &arg : nullptr, nullptr, index ? 1u : 0u, 0};
  return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &dp, out,
                             nullptr, nullptr);
}

HRESULT DemoSite::Call(DISPID id, VARIANT* out, const VARIANT* args, UINT cArgs) {
  VARIANT ignored;
  VariantInit(&ignored);
  if (!out) out = &ignored;
  VariantInit(out);
  if (!m_pDispatch) return E_UNEXPECTED;
  std::vector<VARIANT> rev(args, args + cArgs);
  std::reverse(rev.begin(), rev.end());
  DISPPARAMS dp = {rev.empty() ? nullptr : rev.data(), nullptr, cArgs, 0};
  HRESULT hr = m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, out,
                                   nullptr, nullptr);
  VariantClear(&ignored);
  return hr;
}

std::wstring DemoSite::GetString(DISPID id, const VARIANT* index) {
  VARIANT v;
  std::wstring s;
  if (SUCCEEDED(Get(id, &v, index)) && V_VT(&v) == VT_BSTR && V_BSTR(&v))
    s.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
  VariantClear(&v);
  return s;
}

STDMETHODIMP DemoSite::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *ppv = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
    *ppv = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
    *ppv = static_cast<IOleInPlaceFrame*>(this);
  if (!*ppv) return E_NOINTERFACE;
  return S_OK;
}

STDMETHODIMP DemoSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  *ppmk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP DemoSite::GetContainer(IOleContainer** ppContainer) {
  *ppContainer = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP DemoSite::GetWindow(HWND* phwnd) {
  *phwnd = m_hHost;
  return S_OK;
}

STDMETHODIMP DemoSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                        LPRECT lprcPosRect, LPRECT lprcClipRect,
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
