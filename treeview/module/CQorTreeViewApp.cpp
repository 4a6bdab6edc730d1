// CQorTreeViewApp: start-up and exit of the module do nothing of their own.
#include "module/CQorTreeViewApp.h"

bool CQorTreeViewApp::InitInstance() { return COleControlModule::InitInstance(); }
int CQorTreeViewApp::ExitInstance() { return COleControlModule::ExitInstance(); }
