// The module's entry points: DllMain, DllRegisterServer, DllUnregisterServer,
// DllInstall (per-user registration), DllGetClassObject, DllCanUnloadNow; and
// the module's global objects (application, then the two factories).
#include <windows.h>
#include <olectl.h>
#include "framework/CClassRegistry.h"
#include "framework/CModuleStateScope.h"
#include "module/CQorTreeViewApp.h"
#include "control/CQorTreeViewCtrl.h"
#include "module/CQorTreeViewPropPage.h"
#include "ids/QorTreeViewIds.h"

namespace {
// Constructed in this order at load, destroyed in reverse at unload.
CQorTreeViewApp theApp;
CQorTreeViewCtrl::CQorTreeViewCtrlFactory theCtrlFactory;
CQorTreeViewPropPage::CQorTreeViewPropPageFactory thePageFactory;

HRESULT Register(RegScope scope) {
  CModuleStateScope state;
  CClassRegistry registry(scope, theApp.GetInstance());
  if (!registry.RegisterTypeLib()) return SELFREG_E_TYPELIB;
  if (!COleObjectFactory::UpdateRegistryAll(true, registry)) return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT Unregister(RegScope scope) {
  CModuleStateScope state;
  CClassRegistry registry(scope, theApp.GetInstance());
  if (!registry.UnregisterTypeLib(LIBID_QorTreeViewLib, 1, 0, 0)) return SELFREG_E_TYPELIB;
  if (!COleObjectFactory::UpdateRegistryAll(false, registry)) return SELFREG_E_CLASS;
  return S_OK;
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    return theApp.Attach(instance);
  }
  if (reason == DLL_PROCESS_DETACH) theApp.Detach();
  return TRUE;
}

STDAPI DllRegisterServer() {
  try {
    return Register(RegScope::Machine);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return Unregister(RegScope::Machine);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// "user" registers for the calling user only (regsvr32 /n /i:user); without
// a command line it does what DllRegisterServer and DllUnregisterServer do.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  try {
    RegScope scope = RegScope::Machine;
    if (commandLine && *commandLine) {
      if (_wcsicmp(commandLine, L"user") != 0) return E_INVALIDARG;
      scope = RegScope::User;
    }
    return install ? Register(scope) : Unregister(scope);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  CModuleStateScope state;
  return COleObjectFactory::GetClassObject(clsid, iid, object);
}

STDAPI DllCanUnloadNow() {
  CModuleStateScope state;
  return theApp.GetLockCount() == 0 ? S_OK : S_FALSE;
}
