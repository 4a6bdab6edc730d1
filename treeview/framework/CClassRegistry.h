// CClassRegistry: writes and removes the registry entries of control and
// property-page classes and of a type library, per machine
// (HKEY_CLASSES_ROOT) or per user (HKCU\Software\Classes), or records the
// entries for an installer's table; owns the root key.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <vector>

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

// One value of a registration, below the classes root; an empty name is
// the key's default value.
struct RegValue {
  std::wstring key;
  std::wstring name;
  std::wstring value;
};

class CClassRegistry {
public:
  // The module whose path and resources the entries name.
  CClassRegistry(RegScope scope, HINSTANCE module);
  // Records into *record, in order, what registering per user writes, for
  // the module `file` loaded as data (`module`), naming its path and its
  // folder by the given texts (an installer's placeholders).
  CClassRegistry(HINSTANCE module, const std::wstring& file, const std::wstring& path,
                 const std::wstring& folder, std::vector<RegValue>* record);
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
  // Writes one value, or records it.
  LONG Set(const std::wstring& key, const std::wstring& value, const wchar_t* name = nullptr);

  HKEY m_hRoot;  // classes root of the scope; opened for User only
  bool m_bOwnRoot;
  RegScope m_scope;
  HINSTANCE m_hModule;
  std::wstring m_path;               // the module's path, as the entries name it
  std::wstring m_file;               // the file the type library is read from
  std::wstring m_folder;             // the module's folder with its final backslash (HELPDIR)
  std::vector<RegValue>* m_pRecord;  // recording when set; not owned
};
