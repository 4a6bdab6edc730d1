// CRegKey: key creation, string values and tree deletion.
#include "framework/CRegKey.h"

LONG CRegKey::Create(HKEY parent, const std::wstring& subKey) {
  Close();
  return RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                         &m_hKey, nullptr);
}

LONG CRegKey::Open(HKEY parent, const std::wstring& subKey, REGSAM sam) {
  Close();
  return RegOpenKeyExW(parent, subKey.c_str(), 0, sam, &m_hKey);
}

void CRegKey::Close() {
  if (m_hKey) {
    RegCloseKey(m_hKey);
    m_hKey = nullptr;
  }
}

LONG CRegKey::SetString(const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG CRegKey::QueryString(const wchar_t* name, std::wstring* value) const {
  DWORD type = 0, bytes = 0;
  LONG r = RegQueryValueExW(m_hKey, name, nullptr, &type, nullptr, &bytes);
  if (r != ERROR_SUCCESS) return r;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  std::wstring buf(bytes / sizeof(wchar_t) + 1, L'\0');
  r = RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &bytes);
  if (r != ERROR_SUCCESS) return r;
  buf.resize(wcsnlen(buf.c_str(), buf.size()));
  *value = buf;
  return ERROR_SUCCESS;
}

LONG CRegKey::SetKeyValue(HKEY parent, const std::wstring& subKey, const std::wstring& value,
                          const wchar_t* name) {
  CRegKey key;
  LONG r = key.Create(parent, subKey);
  if (r != ERROR_SUCCESS) return r;
  return key.SetString(name, value);
}

LONG CRegKey::DeleteTree(HKEY parent, const std::wstring& subKey) {
  LONG r = RegDeleteTreeW(parent, subKey.c_str());
  if (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) {
    r = RegDeleteKeyW(parent, subKey.c_str());
    if (r == ERROR_FILE_NOT_FOUND) r = ERROR_SUCCESS;
  }
  return r;
}
