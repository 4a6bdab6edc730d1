// COleControl: IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject and
// IOleControl: the container's site, in-place activation and the window.
#include "framework/CatchToResult.h"
#include "framework/COleControl.h"
#include "framework/COleControlModule.h"
#include "framework/CModuleStateScope.h"
#include "framework/Enumerators.h"
#include <new>
#include <vector>

namespace {
const wchar_t kWndClass[] = L"QorOleControlWnd";

template <class T>
void SafeRelease(T*& p) {
  if (p) {
    T* q = p;
    p = nullptr;
    q->Release();
  }
}
}  // namespace

void COleControl::ReleaseSites() {
  SafeRelease(m_pUIWindow);
  SafeRelease(m_pInPlaceFrame);
  SafeRelease(m_pInPlaceSite);
  SafeRelease(m_pClientSite);
}

STDMETHODIMP COleControl::SetClientSite(IOleClientSite* pClientSite) {
  if (pClientSite) pClientSite->AddRef();
  SafeRelease(m_pClientSite);
  m_pClientSite = pClientSite;
  return S_OK;
}

STDMETHODIMP COleControl::GetClientSite(IOleClientSite** ppClientSite) {
  if (!ppClientSite) return E_POINTER;
  *ppClientSite = m_pClientSite;
  if (m_pClientSite) m_pClientSite->AddRef();
  return S_OK;
}

STDMETHODIMP COleControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP COleControl::Close(DWORD) {
  InPlaceDeactivate();
  if (m_pOleAdviseHolder) m_pOleAdviseHolder->SendOnClose();
  return S_OK;
}

STDMETHODIMP COleControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
STDMETHODIMP COleControl::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  if (ppmk) *ppmk = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP COleControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
STDMETHODIMP COleControl::GetClipboardData(DWORD, IDataObject** ppDataObject) {
  if (ppDataObject) *ppDataObject = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP COleControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG,
                                 HWND hwndParent, LPCRECT lprcPosRect) {
  return CatchToResult([&]() -> HRESULT {
    CModuleStateScope scope;
    if (pActiveSite && !m_pClientSite) SetClientSite(pActiveSite);
    switch (iVerb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_INPLACEACTIVATE:
      case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(iVerb, lprcPosRect);
      case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
      case OLEIVERB_PROPERTIES:
        return ShowPropertyPages(hwndParent);
      default:
        return iVerb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
  });
}

STDMETHODIMP COleControl::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) {
  return CatchToResult([&]() -> HRESULT {
    if (!ppEnumOleVerb) return E_POINTER;
    *ppEnumOleVerb = nullptr;
    // Containers put these on their menus; DoVerb carries both out.
    COleControlModule* m = COleControlModule::Get();
    std::vector<OleVerb> verbs;
    const struct {
      LONG verb;
      const wchar_t* fallback;
    } rows[] = {{OLEIVERB_PRIMARY, L"&Edit"}, {OLEIVERB_PROPERTIES, L"&Properties..."}};
    for (const auto& row : rows) {
      const wchar_t* p = nullptr;
      UINT id = GetVerbNameID(row.verb);
      int n =
          m && id ? LoadStringW(m->GetResourceHandle(), id, reinterpret_cast<LPWSTR>(&p), 0) : 0;
      verbs.push_back({row.verb, n > 0 ? std::wstring(p, static_cast<size_t>(n)) : row.fallback,
                       OLEVERBATTRIB_ONCONTAINERMENU});
    }
    *ppEnumOleVerb = new (std::nothrow) CEnumOleVerb(verbs);
    return *ppEnumOleVerb ? S_OK : E_OUTOFMEMORY;
  });
}

STDMETHODIMP COleControl::Update() { return S_OK; }
STDMETHODIMP COleControl::IsUpToDate() { return S_OK; }

STDMETHODIMP COleControl::GetUserClassID(CLSID* pClsid) {
  if (!pClsid) return E_POINTER;
  *pClsid = GetControlClsid();
  return S_OK;
}

STDMETHODIMP COleControl::GetUserType(DWORD, LPOLESTR* pszUserType) {
  if (!pszUserType) return E_POINTER;
  *pszUserType = nullptr;
  COleControlModule* m = COleControlModule::Get();
  const wchar_t* p = nullptr;
  int n =
      m ? LoadStringW(m->GetResourceHandle(), GetUserTypeNameID(), reinterpret_cast<LPWSTR>(&p), 0)
        : 0;
  if (n <= 0) return OleRegGetUserType(GetControlClsid(), USERCLASSTYPE_FULL, pszUserType);
  auto* s = static_cast<LPOLESTR>(CoTaskMemAlloc((n + 1) * sizeof(OLECHAR)));
  if (!s) return E_OUTOFMEMORY;
  memcpy(s, p, n * sizeof(OLECHAR));
  s[n] = 0;
  *pszUserType = s;
  return S_OK;
}

STDMETHODIMP COleControl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
  if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!psizel) return E_POINTER;
  m_sizeExtent = *psizel;
  return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
  if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!psizel) return E_POINTER;
  *psizel = m_sizeExtent;
  return S_OK;
}

STDMETHODIMP COleControl::Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) {
  if (!m_pOleAdviseHolder && FAILED(CreateOleAdviseHolder(&m_pOleAdviseHolder)))
    return E_OUTOFMEMORY;
  return m_pOleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

STDMETHODIMP COleControl::Unadvise(DWORD dwConnection) {
  if (!m_pOleAdviseHolder) return OLE_E_NOCONNECTION;
  return m_pOleAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP COleControl::EnumAdvise(IEnumSTATDATA** ppenumAdvise) {
  if (!ppenumAdvise) return E_POINTER;
  *ppenumAdvise = nullptr;
  return m_pOleAdviseHolder ? m_pOleAdviseHolder->EnumAdvise(ppenumAdvise) : E_FAIL;
}

STDMETHODIMP COleControl::GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) {
  if (!pdwStatus) return E_POINTER;
  *pdwStatus = dwAspect == DVASPECT_CONTENT ? GetMiscStatusBits() : 0;
  return S_OK;
}

STDMETHODIMP COleControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// In-place activation: the site lends its window, and the control's window
// becomes a child of it.
HRESULT COleControl::InPlaceActivate(LONG verb, LPCRECT rect) {
  if (!m_pClientSite) return E_UNEXPECTED;
  if (!m_bInPlaceActive) {
    IOleInPlaceSite* site = nullptr;
    if (FAILED(m_pClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))))
      return E_NOINTERFACE;
    if (site->CanInPlaceActivate() != S_OK) {
      site->Release();
      return E_FAIL;
    }
    m_pInPlaceSite = site;
    m_pInPlaceSite->OnInPlaceActivate();
    HWND parent = nullptr;
    m_pInPlaceSite->GetWindow(&parent);
    RECT pos = {0, 0, 0, 0}, clip = {0, 0, 0, 0};
    OLEINPLACEFRAMEINFO fi = {};
    fi.cb = sizeof(fi);
    SafeRelease(m_pInPlaceFrame);
    SafeRelease(m_pUIWindow);
    m_pInPlaceSite->GetWindowContext(&m_pInPlaceFrame, &m_pUIWindow, &pos, &clip, &fi);
    if (rect) pos = *rect;
    m_rcPos = pos;
    if (!m_hWnd) {
      RegisterWndClass(kWndClass, CS_DBLCLKS, nullptr);
      if (!CreateEx(0, kWndClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, pos, parent,
                    0)) {
        m_pInPlaceSite->OnInPlaceDeactivate();
        SafeRelease(m_pUIWindow);
        SafeRelease(m_pInPlaceFrame);
        SafeRelease(m_pInPlaceSite);
        return E_FAIL;
      }
    } else {
      SetParent(m_hWnd, parent);
      MoveWindow(m_hWnd, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, TRUE);
    }
    m_bInPlaceActive = true;
  } else if (rect) {
    SetObjectRects(rect, rect);
  }
  ShowWindow(m_hWnd, SW_SHOWNA);
  if (verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY) return UIActivate();
  return S_OK;
}

HRESULT COleControl::UIActivate() {
  if (!m_bInPlaceActive || m_bUIActive) return S_OK;
  m_bUIActive = true;
  m_pInPlaceSite->OnUIActivate();
  if (m_pInPlaceFrame) m_pInPlaceFrame->SetActiveObject(this, nullptr);
  if (m_pUIWindow) m_pUIWindow->SetActiveObject(this, nullptr);
  if (m_pInPlaceFrame) m_pInPlaceFrame->SetBorderSpace(nullptr);
  if (m_pUIWindow) m_pUIWindow->SetBorderSpace(nullptr);
  return S_OK;
}

STDMETHODIMP COleControl::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = m_hWnd;
  return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP COleControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP COleControl::InPlaceDeactivate() {
  if (!m_bInPlaceActive) return S_OK;
  UIDeactivate();
  m_bInPlaceActive = false;
  DestroyControlWindow();
  IOleInPlaceSite* site = m_pInPlaceSite;
  m_pInPlaceSite = nullptr;
  SafeRelease(m_pUIWindow);
  SafeRelease(m_pInPlaceFrame);
  if (site) {
    site->OnInPlaceDeactivate();
    site->Release();
  }
  return S_OK;
}

STDMETHODIMP COleControl::UIDeactivate() {
  if (!m_bUIActive) return S_OK;
  m_bUIActive = false;
  if (m_pUIWindow) m_pUIWindow->SetActiveObject(nullptr, nullptr);
  if (m_pInPlaceFrame) m_pInPlaceFrame->SetActiveObject(nullptr, nullptr);
  if (m_pInPlaceSite) m_pInPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP COleControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT) {
  if (!lprcPosRect) return E_POINTER;
  m_rcPos = *lprcPosRect;
  if (m_hWnd)
    SetWindowPos(m_hWnd, nullptr, m_rcPos.left, m_rcPos.top, m_rcPos.right - m_rcPos.left,
                 m_rcPos.bottom - m_rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

STDMETHODIMP COleControl::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP COleControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP COleControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP COleControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP COleControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP COleControl::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP COleControl::GetControlInfo(CONTROLINFO* pCI) {
  if (!pCI) return E_POINTER;
  pCI->hAccel = nullptr;
  pCI->cAccel = 0;
  pCI->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP COleControl::OnMnemonic(MSG*) { return E_NOTIMPL; }
STDMETHODIMP COleControl::OnAmbientPropertyChange(DISPID dispID) {
  CModuleStateScope scope;
  return CatchToResult([&] {
    OnAmbientPropertyChanged(dispID);
    return S_OK;
  });
}

HRESULT COleControl::GetAmbientProperty(DISPID dispid, VARIANT* value) const {
  VariantInit(value);
  if (!m_pClientSite) return E_UNEXPECTED;
  IDispatch* ambient = nullptr;
  HRESULT hr = m_pClientSite->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient));
  if (FAILED(hr) || !ambient) return FAILED(hr) ? hr : E_NOINTERFACE;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  hr = ambient->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value,
                       nullptr, nullptr);
  ambient->Release();
  return hr;
}

STDMETHODIMP COleControl::FreezeEvents(BOOL bFreeze) {
  if (bFreeze)
    ++m_nFreezeEvents;
  else if (m_nFreezeEvents > 0)
    --m_nFreezeEvents;
  return S_OK;
}
