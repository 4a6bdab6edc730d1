// TempFolder.cpp: temporary folders and their removal.
#include "TempFolder.h"

namespace testsupport {

TempFolder::TempFolder(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring base(temp);
  if (base.back() != L'\\') base += L'\\';
  static LONG s_nCounter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring candidate = base + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
                             std::to_wstring(InterlockedIncrement(&s_nCounter));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      m_strPath = candidate + L"\\";
      return;
    }
  }
}

TempFolder::~TempFolder() {
  if (!m_strPath.empty()) RemoveTree(m_strPath);
}

bool TempFolder::WriteFile(const std::wstring& relative, const std::string& bytes) const {
  if (m_strPath.empty()) return false;
  std::wstring full = m_strPath + relative;
  for (size_t pos = m_strPath.size(); (pos = full.find(L'\\', pos)) != std::wstring::npos; ++pos)
    CreateDirectoryW(full.substr(0, pos).c_str(), nullptr);
  HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

bool MakeSparseFile(const std::wstring& path, LONGLONG size, const std::string& head) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(h, head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  ok = ok && SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok && written == head.size();
}

bool RemoveTree(const std::wstring& path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  return RemoveDirectoryW(folder.c_str()) ||
         GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace testsupport
