// CClassRegistry: writes and removes the registry entries of control and
// property-page classes and of a type library, per machine
// (HKEY_CLASSES_ROOT) or per user (HKCU\Software\Classes); owns the root key.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>

enum class RegScope { Machine, User };

struct ControlClassInfo {
  REFCLSID clsid;
  const wchar_t* progId;
  UINT nIDTypeName;  // string resource of the user type name
  UINT nIDBitmap;    // toolbox bitmap
  bool bApartment;   // ThreadingModel=Apartment
  DWORD dwMiscStatus;
  REFGUID libid;
  WORD wVerMajor, wVerMinor;
};

class CClassRegistry {
public:
  // The module whose path and resources the entries name.
  CClassRegistry(RegScope scope, HINSTANCE module);
  ~CClassRegistry() { Close(); }
  CClassRegistry(const CClassRegistry&) = delete;
  CClassRegistry& operator=(const CClassRegistry&) = delete;
  void Close();

  // A ProgID "Lib.Class.N" also writes "Lib.Class" with CurVer naming it.
  bool RegisterControlClass(const ControlClassInfo& info);
  bool RegisterPropertyPageClass(REFCLSID clsid, UINT typeNameId);
  // Removes a class and, when given, its programmatic identifier and the
  // version-independent one while its CurVer still names this version.
  bool UnregisterClass(REFCLSID clsid, const wchar_t* progId);

  // Registers the type library held as resource TYPELIB 1 of the module.
  bool RegisterTypeLib();
  bool UnregisterTypeLib(REFGUID libid, WORD majorVersion, WORD minorVersion, LCID lcid);

  static std::wstring GuidString(REFGUID guid);
  std::wstring LoadString(UINT id) const;

private:
  HKEY m_hRoot;  // classes root of the scope; opened for User only
  bool m_bOwnRoot;
  RegScope m_scope;
  HINSTANCE m_hModule;
  std::wstring m_path;  // the module's file path
};
