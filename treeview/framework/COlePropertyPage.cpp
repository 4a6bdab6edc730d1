// COlePropertyPage: IPropertyPage2 over a child dialog of the page frame.
#include "framework/CatchToResult.h"
#include "framework/COlePropertyPage.h"
#include "framework/COleControlModule.h"
#include "framework/CModuleStateScope.h"

namespace {
HINSTANCE Resources() {
  COleControlModule* m = COleControlModule::Get();
  return m ? m->GetResourceHandle() : GetModuleHandleW(nullptr);
}

LPOLESTR CoTaskString(const wchar_t* s, int n) {
  auto* p = static_cast<LPOLESTR>(CoTaskMemAlloc((n + 1) * sizeof(OLECHAR)));
  if (p) {
    memcpy(p, s, n * sizeof(OLECHAR));
    p[n] = 0;
  }
  return p;
}
}  // namespace

COlePropertyPage::COlePropertyPage(UINT templateId, UINT captionId)
    : m_cRef(1),
      m_nIDTemplate(templateId),
      m_nIDCaption(captionId),
      m_hDlg(nullptr),
      m_pPageSite(nullptr) {}

COlePropertyPage::~COlePropertyPage() {
  if (m_hDlg) DestroyWindow(m_hDlg);
  ReleaseObjects();
  if (m_pPageSite) m_pPageSite->Release();
}

STDMETHODIMP COlePropertyPage::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IPropertyPage || riid == IID_IPropertyPage2) {
    *ppv = static_cast<IPropertyPage2*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COlePropertyPage::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) COlePropertyPage::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

void COlePropertyPage::ReleaseObjects() {
  for (IUnknown* p : m_objects)
    if (p) p->Release();
  m_objects.clear();
}

STDMETHODIMP COlePropertyPage::SetPageSite(IPropertyPageSite* pPageSite) {
  if (pPageSite) pPageSite->AddRef();
  if (m_pPageSite) m_pPageSite->Release();
  m_pPageSite = pPageSite;
  return S_OK;
}

INT_PTR CALLBACK COlePropertyPage::DialogProc(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

STDMETHODIMP COlePropertyPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL) {
  return CatchToResult([&]() -> HRESULT {
    CModuleStateScope scope;
    if (m_hDlg) return E_UNEXPECTED;
    m_hDlg =
        CreateDialogParamW(Resources(), MAKEINTRESOURCEW(m_nIDTemplate), hWndParent, DialogProc, 0);
    if (!m_hDlg) return E_FAIL;
    DoDataExchange(false);
    if (pRect) Move(pRect);
    return S_OK;
  });
}

STDMETHODIMP COlePropertyPage::Deactivate() {
  if (!m_hDlg) return E_UNEXPECTED;
  DestroyWindow(m_hDlg);
  m_hDlg = nullptr;
  return S_OK;
}

STDMETHODIMP COlePropertyPage::GetPageInfo(PROPPAGEINFO* pPageInfo) {
  if (!pPageInfo) return E_POINTER;
  CModuleStateScope scope;
  const wchar_t* caption = nullptr;
  int n = LoadStringW(Resources(), m_nIDCaption, reinterpret_cast<LPWSTR>(&caption), 0);
  pPageInfo->pszTitle = CoTaskString(caption ? caption : L"", n > 0 ? n : 0);
  pPageInfo->pszDocString = nullptr;
  pPageInfo->pszHelpFile = nullptr;
  pPageInfo->dwHelpContext = 0;
  // The page's size is the template's, in pixels: measure a hidden instance.
  pPageInfo->size = {0, 0};
  HWND h = CreateDialogParamW(Resources(), MAKEINTRESOURCEW(m_nIDTemplate), GetDesktopWindow(),
                              DialogProc, 0);
  if (h) {
    RECT rc;
    GetWindowRect(h, &rc);
    pPageInfo->size = {rc.right - rc.left, rc.bottom - rc.top};
    DestroyWindow(h);
  }
  return pPageInfo->pszTitle ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COlePropertyPage::SetObjects(ULONG cObjects, IUnknown** ppUnk) {
  return CatchToResult([&]() -> HRESULT {
    if (cObjects && !ppUnk) return E_POINTER;
    ReleaseObjects();
    for (ULONG i = 0; i < cObjects; ++i) {
      if (ppUnk[i]) ppUnk[i]->AddRef();
      m_objects.push_back(ppUnk[i]);
    }
    return S_OK;
  });
}

STDMETHODIMP COlePropertyPage::Show(UINT nCmdShow) {
  if (!m_hDlg) return E_UNEXPECTED;
  ShowWindow(m_hDlg, nCmdShow);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::Move(LPCRECT pRect) {
  if (!pRect) return E_POINTER;
  if (!m_hDlg) return E_UNEXPECTED;
  MoveWindow(m_hDlg, pRect->left, pRect->top, pRect->right - pRect->left,
             pRect->bottom - pRect->top, TRUE);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::IsPageDirty() { return S_FALSE; }

STDMETHODIMP COlePropertyPage::Apply() {
  return CatchToResult([&]() -> HRESULT {
    DoDataExchange(true);
    return S_OK;
  });
}

STDMETHODIMP COlePropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP COlePropertyPage::TranslateAccelerator(MSG* pMsg) {
  if (!pMsg) return E_POINTER;
  return m_hDlg && IsDialogMessageW(m_hDlg, pMsg) ? S_OK : S_FALSE;
}

STDMETHODIMP COlePropertyPage::EditProperty(DISPID) { return E_NOTIMPL; }
