// CFile.cpp: a Win32 file.
#include "lib/CFile.h"

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile() { Close(); }

bool CFile::Open(const wchar_t* name, DWORD access, DWORD share, DWORD creation, DWORD flags) {
  if (IsOpen()) return false;
  m_hFile = CreateFileW(name, access, share, nullptr, creation, flags, nullptr);
  return IsOpen();
}

bool CFile::OpenToRead(const wchar_t* name) {
  return Open(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
              OPEN_EXISTING, 0);
}

bool CFile::Close() {
  if (IsOpen()) {
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
  }
  return true;
}

DWORD CFile::Read(void* buffer, DWORD bytes, bool* failed) {
  DWORD got = 0;
  BOOL ok = ReadFile(m_hFile, buffer, bytes, &got, nullptr);
  if (failed) *failed = !ok;
  return ok ? got : 0;
}

bool CFile::Seek(ULONGLONG offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(m_hFile, to, nullptr, FILE_BEGIN) != FALSE;
}

DWORD CFile::Write(const void* buffer, DWORD bytes) {
  DWORD written = 0;
  if (!WriteFile(m_hFile, buffer, bytes, &written, nullptr)) return 0;
  return written;
}

DWORD CFile::GetSize() const { return GetFileSize(m_hFile, nullptr); }

bool CFile::GetSize64(ULONGLONG* size) const {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(m_hFile, &value)) return false;
  *size = static_cast<ULONGLONG>(value.QuadPart);
  return true;
}

ULONGLONG CFile::GetLastWriteTime() const {
  FILETIME ft;
  if (!GetFileTime(m_hFile, nullptr, nullptr, &ft)) return 0;
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool CFile::Exists(const wchar_t* name) {
  CFile file;
  return file.OpenToRead(name);
}
