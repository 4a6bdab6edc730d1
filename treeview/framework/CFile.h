// CFile: one Win32 file handle, opened by path in one of the few modes the
// control needs; closes it.
#pragma once
#include <windows.h>
#include <string>

class CFile {
public:
  enum Mode {
    kRead,       // read access; others may read but not write
    kCreateNew,  // create or truncate, write access, no other opener
  };

  CFile() : m_hFile(INVALID_HANDLE_VALUE) {}
  ~CFile() { Close(); }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  bool Open(const std::wstring& path, Mode mode);
  void Close();
  bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
  // Bytes read, 0 at the end, -1 on failure.
  int Read(void* buffer, DWORD bytes);
  // true when every byte was written.
  bool Write(const void* buffer, DWORD bytes);
  // Moves to the first byte; false on failure.
  bool SeekToBegin();
  // The size in bytes, or -1.
  LONGLONG GetLength() const;

private:
  HANDLE m_hFile;
};
