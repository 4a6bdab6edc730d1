// COlePropertyPage: a property page (IPropertyPage2) over a dialog resource;
// owns the page's dialog window, the page site and the objects it was given.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <vector>
#include "framework/COleControlModule.h"

class COlePropertyPage : public IPropertyPage2 {
public:
  COlePropertyPage(UINT templateId, UINT captionId);
  virtual ~COlePropertyPage();
  COlePropertyPage(const COlePropertyPage&) = delete;
  COlePropertyPage& operator=(const COlePropertyPage&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP SetPageSite(IPropertyPageSite* pPageSite) override;
  STDMETHODIMP Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) override;
  STDMETHODIMP Deactivate() override;
  STDMETHODIMP GetPageInfo(PROPPAGEINFO* pPageInfo) override;
  STDMETHODIMP SetObjects(ULONG cObjects, IUnknown** ppUnk) override;
  STDMETHODIMP Show(UINT nCmdShow) override;
  STDMETHODIMP Move(LPCRECT pRect) override;
  STDMETHODIMP IsPageDirty() override;
  STDMETHODIMP Apply() override;
  STDMETHODIMP Help(LPCOLESTR pszHelpDir) override;
  STDMETHODIMP TranslateAccelerator(MSG* pMsg) override;
  STDMETHODIMP EditProperty(DISPID dispID) override;

  HWND GetSafeHwnd() const { return m_hDlg; }

protected:
  // The page's data exchange; this page binds nothing.
  virtual void DoDataExchange(bool /*saveAndValidate*/) {}

private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  void ReleaseObjects();

  CModuleLock m_moduleLock;  // first in, last out: held while any member lives
  LONG m_cRef;
  UINT m_nIDTemplate;
  UINT m_nIDCaption;
  HWND m_hDlg;
  IPropertyPageSite* m_pPageSite;
  std::vector<IUnknown*> m_objects;
};
