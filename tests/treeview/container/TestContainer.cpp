// TestContainer: host window, site interfaces, sinks and dispatch helpers.
#include "TestContainer.h"
#include <algorithm>
#include "QorTreeViewIds.h"

namespace {
LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
}  // namespace

// Records each event by its dispatch id.
class TestContainer::EventSink : public IDispatch {
public:
  explicit EventSink(std::vector<std::string>& log) : m_log(log) {}
  virtual ~EventSink() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__DQorTreeViewEvents) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
  STDMETHODIMP GetTypeInfoCount(UINT* p) override {
    *p = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    m_log.push_back("event:" + std::to_string(id) + (p && p->cArgs ? "+args" : ""));
    return S_OK;
  }
  ULONG m_refs = 0;

private:
  std::vector<std::string>& m_log;
};

// Records each property-change notice by dispatch id.
class TestContainer::NotifySink : public IPropertyNotifySink {
public:
  explicit NotifySink(std::vector<std::string>& log) : m_log(log) {}
  virtual ~NotifySink() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
      *ppv = static_cast<IPropertyNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
  STDMETHODIMP OnChanged(DISPID id) override {
    m_log.push_back("changed:" + std::to_string(id));
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
  ULONG m_refs = 0;

private:
  std::vector<std::string>& m_log;
};

TestContainer::TestContainer()
    : m_hHost(nullptr),
      m_rcPos{0, 0, 0, 0},
      m_pUnknown(nullptr),
      m_pDispatch(nullptr),
      m_pOleObject(nullptr),
      m_pEvents(new EventSink(log)),
      m_pNotify(new NotifySink(log)),
      m_dwEventCookie(0),
      m_dwNotifyCookie(0),
      m_pEventCP(nullptr),
      m_pNotifyCP(nullptr) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"QorTestContainer";
  RegisterClassW(&wc);
  // Hidden: showing a top-level window costs seconds under Wine, and nothing here needs it.
  m_hHost = CreateWindowExW(0, L"QorTestContainer", L"Test container",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 500, 400, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

TestContainer::~TestContainer() {
  Close();
  if (m_hHost) DestroyWindow(m_hHost);
  delete m_pEvents;
  delete m_pNotify;
}

HRESULT TestContainer::Create(const wchar_t* progId) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  IUnknown* control = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                        reinterpret_cast<void**>(&control));
  if (FAILED(hr)) return hr;
  return Create(control);
}

HRESULT TestContainer::Create(IUnknown* control) {
  if (!control) return E_POINTER;
  m_pUnknown = control;
  m_pUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pDispatch));
  m_pUnknown->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_pOleObject));
  IConnectionPointContainer* cpc = nullptr;
  HRESULT hr =
      m_pUnknown->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
  if (FAILED(hr)) return hr;
  if (SUCCEEDED(hr)) hr = cpc->FindConnectionPoint(DIID__DQorTreeViewEvents, &m_pEventCP);
  if (SUCCEEDED(hr)) hr = m_pEventCP->Advise(m_pEvents, &m_dwEventCookie);
  if (SUCCEEDED(hr)) hr = cpc->FindConnectionPoint(IID_IPropertyNotifySink, &m_pNotifyCP);
  if (SUCCEEDED(hr)) hr = m_pNotifyCP->Advise(m_pNotify, &m_dwNotifyCookie);
  cpc->Release();
  return hr;
}

HRESULT TestContainer::Activate(const RECT& pos) {
  if (!m_pOleObject) return E_UNEXPECTED;
  m_rcPos = pos;
  HRESULT hr = m_pOleObject->SetClientSite(this);
  if (FAILED(hr)) return hr;
  return m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_hHost, &m_rcPos);
}

void TestContainer::Close() {
  if (m_pEventCP) {
    m_pEventCP->Unadvise(m_dwEventCookie);
    m_pEventCP->Release();
    m_pEventCP = nullptr;
  }
  if (m_pNotifyCP) {
    m_pNotifyCP->Unadvise(m_dwNotifyCookie);
    m_pNotifyCP->Release();
    m_pNotifyCP = nullptr;
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

HWND TestContainer::ControlWindow() const {
  IOleWindow* w = nullptr;
  HWND h = nullptr;
  if (m_pUnknown &&
      SUCCEEDED(m_pUnknown->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&w)))) {
    if (FAILED(w->GetWindow(&h))) h = nullptr;
    w->Release();
  }
  return h;
}

HWND TestContainer::TreeWindow() const {
  HWND c = ControlWindow();
  return c ? GetDlgItem(c, IDC_TREE) : nullptr;
}

std::vector<std::string> TestContainer::Take() {
  std::vector<std::string> out;
  out.swap(log);
  return out;
}

STDMETHODIMP TestContainer::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *ppv = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
    *ppv = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
    *ppv = static_cast<IOleInPlaceFrame*>(this);
  if (!*ppv) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP TestContainer::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  *ppmk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TestContainer::GetContainer(IOleContainer** ppContainer) {
  *ppContainer = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestContainer::GetWindow(HWND* phwnd) {
  *phwnd = m_hHost;
  return S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceActivate() {
  ++inPlaceActivations;
  return S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceDeactivate() {
  ++inPlaceDeactivations;
  return S_OK;
}

STDMETHODIMP TestContainer::GetWindowContext(IOleInPlaceFrame** ppFrame,
                                             IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                             LPRECT lprcClipRect,
                                             LPOLEINPLACEFRAMEINFO lpFrameInfo) {
  *ppFrame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *ppDoc = nullptr;
  *lprcPosRect = m_rcPos;
  *lprcClipRect = m_rcPos;
  lpFrameInfo->fMDIApp = FALSE;
  lpFrameInfo->hwndFrame = m_hHost;
  lpFrameInfo->haccel = nullptr;
  lpFrameInfo->cAccelEntries = 0;
  return S_OK;
}

HRESULT TestContainer::Get(DISPID id, VARIANT* out, const VARIANT* args, UINT cArgs) {
  std::vector<VARIANT> rev(args, args + cArgs);
  std::reverse(rev.begin(), rev.end());
  DISPPARAMS dp = {rev.empty() ? nullptr : rev.data(), nullptr, cArgs, 0};
  VariantInit(out);
  return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &dp, out,
                             nullptr, nullptr);
}

HRESULT TestContainer::Put(DISPID id, const VARIANT& value, const VARIANT* args, UINT cArgs) {
  std::vector<VARIANT> rev;
  rev.push_back(value);
  for (UINT i = cArgs; i > 0; --i) rev.push_back(args[i - 1]);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS dp = {rev.data(), &named, cArgs + 1, 1};
  return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr,
                             nullptr, nullptr);
}

HRESULT TestContainer::Call(DISPID id, VARIANT* out, const VARIANT* args, UINT cArgs) {
  std::vector<VARIANT> rev(args, args + cArgs);
  std::reverse(rev.begin(), rev.end());
  DISPPARAMS dp = {rev.empty() ? nullptr : rev.data(), nullptr, cArgs, 0};
  VARIANT ignored;
  VariantInit(&ignored);
  if (!out) out = &ignored;
  VariantInit(out);
  HRESULT hr = m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, out,
                                   nullptr, nullptr);
  VariantClear(&ignored);
  return hr;
}

std::string TestContainer::GetString(DISPID id) {
  VARIANT v;
  if (FAILED(Get(id, &v)) || V_VT(&v) != VT_BSTR) {
    VariantClear(&v);
    return "<not a string>";
  }
  std::string s = ToAnsi(V_BSTR(&v));
  VariantClear(&v);
  return s;
}

HRESULT TestContainer::PutString(DISPID id, const std::string& value) {
  VARIANT v = VarBstr(value);
  HRESULT hr = Put(id, v);
  VariantClear(&v);
  return hr;
}

VARIANT VarBstr(const std::string& s) {
  VARIANT v;
  VariantInit(&v);
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(nullptr, n);
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), V_BSTR(&v), n);
  return v;
}

VARIANT VarI4(LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT VarBool(bool b) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

std::string ToAnsi(BSTR b) {
  int n = static_cast<int>(SysStringLen(b));
  int cb = WideCharToMultiByte(CP_ACP, 0, b, n, nullptr, 0, nullptr, nullptr);
  std::string s(cb, '\0');
  WideCharToMultiByte(CP_ACP, 0, b, n, &s[0], cb, nullptr, nullptr);
  return s;
}
