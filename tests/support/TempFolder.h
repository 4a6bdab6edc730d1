// TempFolder.h: a fresh folder under the user's temporary folder, owned
// with everything in it.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Removed with all its contents when the object goes.
class TempFolder {
public:
  // The name is prefix + a unique number; the prefix may hold any
  // Unicode text a folder name allows.
  explicit TempFolder(const std::wstring& prefix = L"qor");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Full path with a trailing backslash; empty if creation failed.
  const std::wstring& Path() const { return m_strPath; }
  // Writes bytes to Path() + relative ("sub\\a.txt"), creating folders.
  bool WriteFile(const std::wstring& relative, const std::string& bytes) const;

private:
  std::wstring m_strPath;
};

// A file of size bytes that begins with head, the rest never written: sparse
// on the Linux side, so gigabytes cost no disk. False when it cannot be made.
bool MakeSparseFile(const std::wstring& path, LONGLONG size, const std::string& head = "");

// Deletes a folder and everything below it. True when it is gone.
bool RemoveTree(const std::wstring& path);

}  // namespace testsupport
