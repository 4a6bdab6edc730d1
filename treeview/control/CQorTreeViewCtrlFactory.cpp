// CQorTreeViewCtrl::CQorTreeViewCtrlFactory: creates the control and writes
// its registration (a control class, apartment threaded).
#include "control/CQorTreeViewCtrl.h"
#include "ids/QorTreeViewIds.h"

CQorTreeViewCtrl::CQorTreeViewCtrlFactory::CQorTreeViewCtrlFactory()
    : COleObjectFactory(CLSID_QorTreeView, &CQorTreeViewCtrl::CreateObject, false,
                        QORTREEVIEW_PROGID) {}

bool CQorTreeViewCtrl::CQorTreeViewCtrlFactory::UpdateRegistry(bool registering,
                                                               CClassRegistry& registry) {
  // The registry states the status that the control reports.
  static_assert(qortreeview::kControlClass.dwMiscStatus == CQorTreeViewCtrl::kMiscStatus);
  if (!registering) return registry.UnregisterClass(CLSID_QorTreeView, QORTREEVIEW_PROGID);
  return registry.RegisterControlClass(qortreeview::kControlClass);
}
