// COleControl: the COM identity (IUnknown with its QueryInterface table),
// construction, the connection point container, events and property notices,
// and the control's window messages.
#include "framework/CatchToResult.h"
#include "framework/COleControl.h"
#include "framework/COleControlModule.h"
#include "framework/CModuleStateScope.h"
#include "framework/Enumerators.h"
#include <algorithm>
#include <new>
#include <string>

COleControl::COleControl(REFIID iidPrimary, REFIID iidEvents)
    : m_cRef(1),
      m_cpEvents(iidEvents, this),
      m_cpPropNotify(IID_IPropertyNotifySink, this),
      m_iidPrimary(iidPrimary),
      m_pClientSite(nullptr),
      m_pInPlaceSite(nullptr),
      m_pInPlaceFrame(nullptr),
      m_pUIWindow(nullptr),
      m_pOleAdviseHolder(nullptr),
      m_pViewAdviseSink(nullptr),
      m_dwViewAdviseAspects(0),
      m_dwViewAdviseFlags(0),
      m_pTypeLib(nullptr),
      m_bInPlaceActive(false),
      m_bUIActive(false),
      m_bModified(false),
      m_nFreezeEvents(0),
      m_sizeExtent{2646, 1323},  // 100 by 50 pixels at 96 dpi
      m_rcPos{0, 0, 0, 0} {}

COleControl::~COleControl() {
  DestroyControlWindow();
  ReleaseSites();
  m_cpEvents.Close();
  m_cpPropNotify.Close();
  if (m_pOleAdviseHolder) m_pOleAdviseHolder->Release();
  if (m_pViewAdviseSink) m_pViewAdviseSink->Release();
  if (m_pTypeLib) m_pTypeLib->Release();
}

STDMETHODIMP COleControl::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  struct Row {
    const IID* iid;
    void* p;
  };
  const Row table[] = {
      {&IID_IUnknown, static_cast<IDispatch*>(this)},
      {&IID_IDispatch, static_cast<IDispatch*>(this)},
      {&m_iidPrimary, static_cast<IDispatch*>(this)},
      {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
      {&IID_IProvideClassInfo,
       static_cast<IProvideClassInfo*>(static_cast<IProvideClassInfo2*>(this))},
      {&IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
      {&IID_IOleObject, static_cast<IOleObject*>(this)},
      {&IID_IOleWindow, static_cast<IOleWindow*>(static_cast<IOleInPlaceObject*>(this))},
      {&IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
      {&IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
      {&IID_IOleControl, static_cast<IOleControl*>(this)},
      {&IID_IViewObject, static_cast<IViewObject*>(static_cast<IViewObject2*>(this))},
      {&IID_IViewObject2, static_cast<IViewObject2*>(this)},
      {&IID_IPersist, static_cast<IPersist*>(static_cast<IPersistStreamInit*>(this))},
      {&IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
      {&IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
      {&IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
      {&IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this)},
  };
  for (const Row& row : table) {
    if (*row.iid == riid) {
      *ppv = row.p;
      AddRef();
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleControl::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) COleControl::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) {
    // Keep the count positive while the window goes, so nothing re-enters the deletion.
    m_cRef = 1;
    delete this;
  }
  return static_cast<ULONG>(n);
}

STDMETHODIMP COleControl::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  return CatchToResult([&]() -> HRESULT {
    if (!ppEnum) return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumConnectionPoints({&m_cpEvents, &m_cpPropNotify});
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
  });
}

STDMETHODIMP COleControl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  CConnectionPoint* cp = nullptr;
  if (riid == m_cpEvents.GetIID())
    cp = &m_cpEvents;
  else if (riid == IID_IPropertyNotifySink)
    cp = &m_cpPropNotify;
  if (!cp) return CONNECT_E_NOCONNECTION;
  *ppCP = cp;
  cp->AddRef();
  return S_OK;
}

void COleControl::BoundPropertyChanged(DISPID dispid) {
  m_cpPropNotify.ForEachSink(
      [dispid](IUnknown* p) { static_cast<IPropertyNotifySink*>(p)->OnChanged(dispid); });
}

void COleControl::FireEvent(DISPID dispid, const VARIANT* args, UINT argCount) {
  if (m_nFreezeEvents > 0) return;
  // DISPPARAMS carries the arguments last first.
  std::vector<VARIANT> reversed(args, args + argCount);
  std::reverse(reversed.begin(), reversed.end());
  AddRef();  // a sink may release the control's last other reference
  m_cpEvents.ForEachSink([dispid, &reversed](IUnknown* p) {
    std::vector<VARIANT> copy = reversed;  // a sink may change what it was given
    DISPPARAMS none = {copy.empty() ? nullptr : copy.data(), nullptr,
                       static_cast<UINT>(copy.size()), 0};
    VARIANT result;
    VariantInit(&result);
    static_cast<IDispatch*>(p)->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                       &none, &result, nullptr, nullptr);
    VariantClear(&result);
  });
  Release();
}

HRESULT COleControl::GetTypeLib(ITypeLib** typeLib) {
  *typeLib = nullptr;
  if (!m_pTypeLib) {
    // Found by the registry first, as containers expect; else the module's own copy.
    if (FAILED(LoadRegTypeLib(GetTypeLibID(), 1, 0, LOCALE_USER_DEFAULT, &m_pTypeLib))) {
      COleControlModule* m = COleControlModule::Get();
      if (!m || FAILED(LoadTypeLibEx(m->GetModulePath(), REGKIND_NONE, &m_pTypeLib))) {
        m_pTypeLib = nullptr;
        return TYPE_E_CANTLOADLIBRARY;
      }
    }
  }
  *typeLib = m_pTypeLib;
  m_pTypeLib->AddRef();
  return S_OK;
}

LRESULT COleControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(m_hWnd, &ps);
      RECT rc;
      GetClientRect(m_hWnd, &rc);
      {
        CModuleStateScope scope;
        OnDraw(hdc, rc, ps.rcPaint);
      }
      EndPaint(m_hWnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // OnDraw fills the whole window
    case WM_MOUSEACTIVATE:
      if (m_bInPlaceActive && !m_bUIActive) UIActivate();
      return Default(msg, wParam, lParam);
    default:
      return CWnd::HandleMessage(msg, wParam, lParam);
  }
}

void COleControl::DestroyControlWindow() { CWnd::Close(); }

HRESULT COleControl::ShowPropertyPages(HWND parent) {
  const CLSID* pages = nullptr;
  UINT n = GetPropPageIDs(&pages);
  if (n == 0) return S_OK;
  IUnknown* unknown = static_cast<IDispatch*>(this);
  std::vector<CLSID> ids(pages, pages + n);
  COleControlModule* m = COleControlModule::Get();
  const wchar_t* caption = nullptr;
  int len = m ? LoadStringW(m->GetResourceHandle(), GetUserTypeNameID(),
                            reinterpret_cast<LPWSTR>(&caption), 0)
              : 0;
  std::wstring title = len > 0 ? std::wstring(caption, len) : std::wstring();
  return OleCreatePropertyFrame(parent, 0, 0, title.c_str(), 1, &unknown, n, ids.data(),
                                LOCALE_USER_DEFAULT, 0, nullptr);
}
