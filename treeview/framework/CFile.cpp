// CFile: open modes, reading, writing and the length of one file.
#include "framework/CFile.h"

bool CFile::Open(const std::wstring& path, Mode mode) {
  Close();
  if (mode == kRead)
    m_hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  else
    m_hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen();
}

void CFile::Close() {
  if (m_hFile != INVALID_HANDLE_VALUE) {
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
  }
}

int CFile::Read(void* buffer, DWORD bytes) {
  DWORD got = 0;
  if (!IsOpen() || !ReadFile(m_hFile, buffer, bytes, &got, nullptr)) return -1;
  return static_cast<int>(got);
}

bool CFile::Write(const void* buffer, DWORD bytes) {
  DWORD put = 0;
  return IsOpen() && WriteFile(m_hFile, buffer, bytes, &put, nullptr) && put == bytes;
}

bool CFile::SeekToBegin() {
  LARGE_INTEGER zero = {};
  return IsOpen() && SetFilePointerEx(m_hFile, zero, nullptr, FILE_BEGIN);
}

LONGLONG CFile::GetLength() const {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(m_hFile, &size)) return -1;
  return size.QuadPart;
}
