// COleControl: IViewObject2, drawing into a container's device context.
#include "framework/COleControl.h"
#include "framework/CModuleStateScope.h"

STDMETHODIMP COleControl::Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw,
                               LPCRECTL lprcBounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR) {
  if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!hdcDraw) return E_INVALIDARG;
  RECT rc;
  if (lprcBounds) {
    rc = {lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
  } else if (m_hWnd) {
    GetClientRect(m_hWnd, &rc);
  } else {
    return E_INVALIDARG;
  }
  CModuleStateScope scope;
  OnDraw(hdcDraw, rc, rc);
  return S_OK;
}

STDMETHODIMP COleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                      LOGPALETTE** ppColorSet) {
  if (ppColorSet) *ppColorSet = nullptr;
  return S_FALSE;
}

STDMETHODIMP COleControl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP COleControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) {
  if (pAdvSink) pAdvSink->AddRef();
  if (m_pViewAdviseSink) m_pViewAdviseSink->Release();
  m_pViewAdviseSink = pAdvSink;
  m_dwViewAdviseAspects = aspects;
  m_dwViewAdviseFlags = advf;
  return S_OK;
}

STDMETHODIMP COleControl::GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) {
  if (pAspects) *pAspects = m_dwViewAdviseAspects;
  if (pAdvf) *pAdvf = m_dwViewAdviseFlags;
  if (ppAdvSink) {
    *ppAdvSink = m_pViewAdviseSink;
    if (m_pViewAdviseSink) m_pViewAdviseSink->AddRef();
  }
  return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel) {
  if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!lpsizel) return E_POINTER;
  *lpsizel = m_sizeExtent;
  return S_OK;
}
