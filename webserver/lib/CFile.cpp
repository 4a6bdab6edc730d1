// CFile.cpp: a Win32 file.
#include "lib/CFile.h"

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile() { Close(); }

bool CFile::Open(const wchar_t* pszName, DWORD dwAccess, DWORD dwShare, DWORD dwCreation,
                 DWORD dwFlags) {
  if (IsOpen()) return false;
  m_hFile = CreateFileW(pszName, dwAccess, dwShare, nullptr, dwCreation, dwFlags, nullptr);
  return IsOpen();
}

bool CFile::Close() {
  if (IsOpen()) {
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
  }
  return true;
}

DWORD CFile::Read(void* pBuffer, DWORD nBytes, bool* pbFailed) {
  DWORD nRead = 0;
  BOOL bOk = ReadFile(m_hFile, pBuffer, nBytes, &nRead, nullptr);
  if (pbFailed) *pbFailed = !bOk;
  return bOk ? nRead : 0;
}

DWORD CFile::Write(const void* pBuffer, DWORD nBytes) {
  DWORD nWritten = 0;
  if (!WriteFile(m_hFile, pBuffer, nBytes, &nWritten, nullptr)) return 0;
  return nWritten;
}

DWORD CFile::GetSize() const { return GetFileSize(m_hFile, nullptr); }

bool CFile::GetSize64(ULONGLONG* pnSize) const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(m_hFile, &size)) return false;
  *pnSize = static_cast<ULONGLONG>(size.QuadPart);
  return true;
}

ULONGLONG CFile::GetLastWriteTime() const {
  FILETIME ft;
  if (!GetFileTime(m_hFile, nullptr, nullptr, &ft)) return 0;
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool CFile::Exists(const wchar_t* pszName) {
  CFile file;
  return file.Open(pszName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}
