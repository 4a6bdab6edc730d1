// CQorTreeViewPropPage: the control's one property page ("General"), over
// dialog 200; it binds no property.
#pragma once
#include "framework/COleObjectFactory.h"
#include "framework/COlePropertyPage.h"

class CQorTreeViewPropPage : public COlePropertyPage {
public:
  class CQorTreeViewPropPageFactory : public COleObjectFactory {
  public:
    CQorTreeViewPropPageFactory();
    bool UpdateRegistry(bool registering, CClassRegistry& registry) override;
  };

  CQorTreeViewPropPage();
  static IUnknown* CreateObject();
};
