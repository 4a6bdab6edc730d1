// CClassRegistry: the class, ProgID, type library and interface entries.
#include "framework/CClassRegistry.h"
#include "framework/CRegKey.h"
#include <vector>

namespace {
const wchar_t kDispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";

#ifdef _WIN64
const SYSKIND kSysKindValue = SYS_WIN64;
#else
const SYSKIND kSysKindValue = SYS_WIN32;
#endif

// "Lib.Class.1" gives "Lib.Class", the name scripts and VB try first; a
// ProgID without a numeric version suffix has none.
std::wstring VersionIndependent(const wchar_t* progId) {
  const std::wstring id(progId);
  const size_t dot = id.find_last_of(L'.');
  if (dot == std::wstring::npos || dot == 0 || dot + 1 == id.size()) return std::wstring();
  for (size_t i = dot + 1; i < id.size(); ++i)
    if (id[i] < L'0' || id[i] > L'9') return std::wstring();
  return id.substr(0, dot);
}

// Scoped COM pointer for the few places that need one.
template <class T>
struct ComRelease {
  T* p = nullptr;
  ~ComRelease() {
    if (p) p->Release();
  }
};
}  // namespace

CClassRegistry::CClassRegistry(RegScope scope, HINSTANCE module)
    : m_hRoot(HKEY_CLASSES_ROOT),
      m_bOwnRoot(false),
      m_scope(scope),
      m_hModule(module),
      m_pRecord(nullptr) {
  if (scope == RegScope::User) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &h, nullptr) == ERROR_SUCCESS) {
      m_hRoot = h;
      m_bOwnRoot = true;
    } else {
      m_hRoot = nullptr;
    }
  }
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) break;
    if (n < buf.size()) {
      m_path.assign(buf.data(), n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  m_file = m_path;
  m_folder = m_path.substr(0, m_path.find_last_of(L'\\') + 1);
}

CClassRegistry::CClassRegistry(HINSTANCE module, const std::wstring& file, const std::wstring& path,
                               const std::wstring& folder, std::vector<RegValue>* record)
    : m_hRoot(nullptr),
      m_bOwnRoot(false),
      m_scope(RegScope::User),
      m_hModule(module),
      m_path(path),
      m_file(file),
      m_folder(folder),
      m_pRecord(record) {}

LONG CClassRegistry::Set(const std::wstring& key, const std::wstring& value, const wchar_t* name) {
  if (m_pRecord) {
    m_pRecord->push_back({key, name ? name : L"", value});
    return ERROR_SUCCESS;
  }
  return CRegKey::SetKeyValue(m_hRoot, key, value, name);
}

void CClassRegistry::Close() {
  if (m_bOwnRoot && m_hRoot) RegCloseKey(m_hRoot);
  m_hRoot = nullptr;
  m_bOwnRoot = false;
}

std::wstring CClassRegistry::GuidString(REFGUID guid) {
  wchar_t buf[40] = {};
  StringFromGUID2(guid, buf, 40);
  return buf;
}

std::wstring CClassRegistry::LoadString(UINT id) const {
  const wchar_t* p = nullptr;
  int n = ::LoadStringW(m_hModule, id, reinterpret_cast<LPWSTR>(&p), 0);
  return n > 0 ? std::wstring(p, n) : std::wstring();
}

bool CClassRegistry::RegisterControlClass(const ControlClassInfo& info) {
  if ((!m_hRoot && !m_pRecord) || m_path.empty()) return false;
  const std::wstring clsidKey = L"CLSID\\" + GuidString(info.clsid);
  const std::wstring typeName = LoadString(info.nIDTypeName);
  wchar_t misc[16], ver[16], bmp[16];
  swprintf(misc, 16, L"%lu", static_cast<unsigned long>(info.dwMiscStatus));
  swprintf(ver, 16, L"%u.%u", info.wVerMajor, info.wVerMinor);
  swprintf(bmp, 16, L", %u", info.nIDBitmap);
  LONG r = ERROR_SUCCESS;
  auto set = [&](const std::wstring& key, const std::wstring& value,
                 const wchar_t* name = nullptr) {
    if (r == ERROR_SUCCESS) r = Set(key, value, name);
  };
  set(clsidKey, typeName);
  set(clsidKey + L"\\InprocServer32", m_path);
  if (info.bApartment) set(clsidKey + L"\\InprocServer32", L"Apartment", L"ThreadingModel");
  set(clsidKey + L"\\ProgID", info.progId);
  set(clsidKey + L"\\Control", L"");
  set(clsidKey + L"\\MiscStatus", L"0");
  set(clsidKey + L"\\MiscStatus\\1", misc);
  set(clsidKey + L"\\ToolboxBitmap32", m_path + bmp);
  set(clsidKey + L"\\TypeLib", GuidString(info.libid));
  set(clsidKey + L"\\Version", ver);
  set(info.progId, typeName);
  set(std::wstring(info.progId) + L"\\CLSID", GuidString(info.clsid));
  // The version-independent name follows the version registered last.
  const std::wstring current = VersionIndependent(info.progId);
  if (!current.empty()) {
    set(clsidKey + L"\\VersionIndependentProgID", current);
    set(current, typeName);
    set(current + L"\\CLSID", GuidString(info.clsid));
    set(current + L"\\CurVer", info.progId);
  }
  return r == ERROR_SUCCESS;
}

bool CClassRegistry::RegisterPropertyPageClass(REFCLSID clsid, UINT typeNameId) {
  if ((!m_hRoot && !m_pRecord) || m_path.empty()) return false;
  const std::wstring clsidKey = L"CLSID\\" + GuidString(clsid);
  LONG r = Set(clsidKey, LoadString(typeNameId));
  if (r == ERROR_SUCCESS) r = Set(clsidKey + L"\\InprocServer32", m_path);
  return r == ERROR_SUCCESS;
}

bool CClassRegistry::UnregisterClass(REFCLSID clsid, const wchar_t* progId) {
  if (!m_hRoot) return false;
  LONG r = CRegKey::DeleteTree(m_hRoot, L"CLSID\\" + GuidString(clsid));
  if (progId && r == ERROR_SUCCESS) r = CRegKey::DeleteTree(m_hRoot, progId);
  // The version-independent name goes too, unless another version has taken it.
  const std::wstring current = progId ? VersionIndependent(progId) : std::wstring();
  if (!current.empty() && r == ERROR_SUCCESS) {
    CRegKey key;
    std::wstring curVer;
    const bool taken = key.Open(m_hRoot, current + L"\\CurVer") == ERROR_SUCCESS &&
                       key.QueryString(nullptr, &curVer) == ERROR_SUCCESS &&
                       _wcsicmp(curVer.c_str(), progId) != 0;
    if (taken) return true;
    key.Close();
    r = CRegKey::DeleteTree(m_hRoot, current);
  }
  return r == ERROR_SUCCESS;
}

bool CClassRegistry::RegisterTypeLib() {
  if ((!m_hRoot && !m_pRecord) || m_path.empty()) return false;
  ComRelease<ITypeLib> lib;
  if (FAILED(LoadTypeLibEx(m_file.c_str(), REGKIND_NONE, &lib.p))) return false;
  if (m_scope == RegScope::Machine)
    return SUCCEEDED(::RegisterTypeLib(lib.p, const_cast<LPOLESTR>(m_path.c_str()),
                                       const_cast<LPOLESTR>(m_folder.c_str())));

  // Per user: the same entries as the system's registration, under the user's classes.
  TLIBATTR* attr = nullptr;
  if (FAILED(lib.p->GetLibAttr(&attr))) return false;
  const std::wstring libid = GuidString(attr->guid);
  wchar_t ver[16], lcid[16], flags[16];
  swprintf(ver, 16, L"%x.%x", attr->wMajorVerNum, attr->wMinorVerNum);
  swprintf(lcid, 16, L"%lx", static_cast<unsigned long>(attr->lcid));
  swprintf(flags, 16, L"%u", attr->wLibFlags);
  // The library's own platform: a recording for the other architecture names its module.
  const wchar_t* sysKind = attr->syskind == SYS_WIN64 ? L"win64" : L"win32";
  lib.p->ReleaseTLibAttr(attr);
  BSTR name = nullptr, doc = nullptr;
  lib.p->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
  const std::wstring base = L"TypeLib\\" + libid + L"\\" + ver;
  LONG r = Set(base, doc ? doc : L"");
  if (r == ERROR_SUCCESS) r = Set(base + L"\\" + lcid + L"\\" + sysKind, m_path);
  if (r == ERROR_SUCCESS) r = Set(base + L"\\FLAGS", flags);
  // The folder ends in a backslash, as an installer's folder names do.
  if (r == ERROR_SUCCESS) r = Set(base + L"\\HELPDIR", m_folder);
  SysFreeString(name);
  SysFreeString(doc);

  // Dispatch interfaces are marshalled by the automation proxy.
  UINT n = lib.p->GetTypeInfoCount();
  for (UINT i = 0; i < n && r == ERROR_SUCCESS; ++i) {
    ComRelease<ITypeInfo> ti;
    TYPEATTR* ta = nullptr;
    if (FAILED(lib.p->GetTypeInfo(i, &ti.p)) || FAILED(ti.p->GetTypeAttr(&ta))) continue;
    if (ta->typekind == TKIND_DISPATCH) {
      BSTR iname = nullptr;
      ti.p->GetDocumentation(MEMBERID_NIL, &iname, nullptr, nullptr, nullptr);
      const std::wstring key = L"Interface\\" + GuidString(ta->guid);
      r = Set(key, iname ? iname : L"");
      if (r == ERROR_SUCCESS) r = Set(key + L"\\ProxyStubClsid", kDispatchProxy);
      if (r == ERROR_SUCCESS) r = Set(key + L"\\ProxyStubClsid32", kDispatchProxy);
      if (r == ERROR_SUCCESS) r = Set(key + L"\\TypeLib", libid);
      if (r == ERROR_SUCCESS) r = Set(key + L"\\TypeLib", ver, L"Version");
      SysFreeString(iname);
    }
    ti.p->ReleaseTypeAttr(ta);
  }
  return r == ERROR_SUCCESS;
}

bool CClassRegistry::UnregisterTypeLib(REFGUID libid, WORD majorVersion, WORD minorVersion,
                                       LCID lcid) {
  if (!m_hRoot) return false;
  if (m_scope == RegScope::Machine) {
    // Unregistering what is not registered leaves the wanted state.
    wchar_t ver[16];
    swprintf(ver, 16, L"%x.%x", majorVersion, minorVersion);
    CRegKey key;
    if (key.Open(m_hRoot, L"TypeLib\\" + GuidString(libid) + L"\\" + ver) == ERROR_FILE_NOT_FOUND)
      return true;
    key.Close();
    return SUCCEEDED(::UnRegisterTypeLib(libid, majorVersion, minorVersion, lcid, kSysKindValue));
  }
  // Per user: the interface keys first, found through the module's own type library.
  ComRelease<ITypeLib> lib;
  if (!m_path.empty() && SUCCEEDED(LoadTypeLibEx(m_path.c_str(), REGKIND_NONE, &lib.p))) {
    UINT n = lib.p->GetTypeInfoCount();
    for (UINT i = 0; i < n; ++i) {
      ComRelease<ITypeInfo> ti;
      TYPEATTR* ta = nullptr;
      if (FAILED(lib.p->GetTypeInfo(i, &ti.p)) || FAILED(ti.p->GetTypeAttr(&ta))) continue;
      if (ta->typekind == TKIND_DISPATCH)
        CRegKey::DeleteTree(m_hRoot, L"Interface\\" + GuidString(ta->guid));
      ti.p->ReleaseTypeAttr(ta);
    }
  }
  return CRegKey::DeleteTree(m_hRoot, L"TypeLib\\" + GuidString(libid)) == ERROR_SUCCESS;
}
