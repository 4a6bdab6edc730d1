// CQorTreeViewApp: the control module's application object (one global
// instance); owns nothing beyond its COleControlModule state.
#pragma once
#include "framework/COleControlModule.h"

class CQorTreeViewApp : public COleControlModule {
public:
  CQorTreeViewApp() = default;
  bool InitInstance() override;
  int ExitInstance() override;
};
