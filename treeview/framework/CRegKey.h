// CRegKey: one open registry key; closes it.
#pragma once
#include <windows.h>
#include <string>

class CRegKey {
public:
  CRegKey() : m_hKey(nullptr) {}
  ~CRegKey() { Close(); }
  CRegKey(const CRegKey&) = delete;
  CRegKey& operator=(const CRegKey&) = delete;

  // Creates (or opens) a key below an open one for writing.
  LONG Create(HKEY parent, const std::wstring& subKey);
  LONG Open(HKEY parent, const std::wstring& subKey, REGSAM sam = KEY_READ);
  void Close();
  HKEY Get() const { return m_hKey; }

  // Writes a string value; an empty name writes the key's default value.
  LONG SetString(const wchar_t* name, const std::wstring& value);
  LONG QueryString(const wchar_t* name, std::wstring* value) const;

  // Creates a key and sets its default value in one step.
  static LONG SetKeyValue(HKEY parent, const std::wstring& subKey, const std::wstring& value,
                          const wchar_t* name = nullptr);
  // Deletes a key with everything under it; a missing key is no error.
  static LONG DeleteTree(HKEY parent, const std::wstring& subKey);

private:
  HKEY m_hKey;
};
