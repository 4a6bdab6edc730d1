// CQorTreeViewPropPage: construction and the page class's registration.
#include "module/CQorTreeViewPropPage.h"
#include "ids/QorTreeViewIds.h"

CQorTreeViewPropPage::CQorTreeViewPropPage()
    : COlePropertyPage(IDD_PROPPAGE, IDS_PROPPAGE_CAPTION) {}

IUnknown* CQorTreeViewPropPage::CreateObject() {
  return static_cast<IPropertyPage2*>(new CQorTreeViewPropPage());
}

CQorTreeViewPropPage::CQorTreeViewPropPageFactory::CQorTreeViewPropPageFactory()
    : COleObjectFactory(CLSID_QorTreeViewPropPage, &CQorTreeViewPropPage::CreateObject, false,
                        QORTREEVIEW_PAGE_PROGID) {}

bool CQorTreeViewPropPage::CQorTreeViewPropPageFactory::UpdateRegistry(bool registering,
                                                                       CClassRegistry& registry) {
  if (!registering) return registry.UnregisterClass(CLSID_QorTreeViewPropPage, nullptr);
  return registry.RegisterPropertyPageClass(CLSID_QorTreeViewPropPage, IDS_PROPPAGE_NAME);
}
