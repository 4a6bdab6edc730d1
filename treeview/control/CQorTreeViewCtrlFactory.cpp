// CQorTreeViewCtrl::CQorTreeViewCtrlFactory: creates the control and writes
// its registration (a control class, apartment threaded).
#include "control/CQorTreeViewCtrl.h"
#include "ids/QorTreeViewIds.h"

CQorTreeViewCtrl::CQorTreeViewCtrlFactory::CQorTreeViewCtrlFactory()
    : COleObjectFactory(CLSID_QorTreeView, &CQorTreeViewCtrl::CreateObject, false,
                        QORTREEVIEW_PROGID) {}

bool CQorTreeViewCtrl::CQorTreeViewCtrlFactory::UpdateRegistry(bool registering,
                                                               CClassRegistry& registry) {
  if (!registering) return registry.UnregisterClass(CLSID_QorTreeView, QORTREEVIEW_PROGID);
  ControlClassInfo info = {CLSID_QorTreeView,
                           QORTREEVIEW_PROGID,
                           IDS_CONTROL_NAME,
                           IDB_TOOLBOX,
                           true,
                           CQorTreeViewCtrl::kMiscStatus,
                           LIBID_QorTreeViewLib,
                           1,
                           0};
  return registry.RegisterControlClass(info);
}
