// CFile.h: a Win32 file; owns one file handle.
#pragma once

#include "lib/CObject.h"

#include <windows.h>

class CFile : public CObject {
public:
  CFile();
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // CreateFileW with these arguments, no security, no template. Refused
  // (false) while a file is already open, so a handle is never leaked.
  bool Open(const wchar_t* name, DWORD access, DWORD share, DWORD creation, DWORD flags);
  // Opens an existing file to read, sharing read, write and delete: other
  // programs may write, delete or rename it meanwhile; the handle goes on
  // reading what it opened.
  bool OpenToRead(const wchar_t* name);
  // Idempotent; the object is closed afterwards. Always true.
  bool Close();
  bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

  // One ReadFile: bytes read, 0 at the end and on failure. failed, when
  // given, tells the two apart.
  DWORD Read(void* buffer, DWORD bytes, bool* failed = nullptr);
  // Moves the position to offset bytes from the start; false on failure.
  bool Seek(ULONGLONG offset);
  // One WriteFile: bytes written, 0 on failure.
  DWORD Write(const void* buffer, DWORD bytes);
  // Low 32 bits of the size; INVALID_FILE_SIZE when the query fails.
  DWORD GetSize() const;
  // The whole size; false when the query fails.
  bool GetSize64(ULONGLONG* size) const;
  // Last-write time in 100 ns units since 1601 (UTC); 0 on failure.
  ULONGLONG GetLastWriteTime() const;

  // Whether the name can be opened for reading now (OpenToRead): false for
  // a folder and for a file held without read sharing.
  static bool Exists(const wchar_t* name);

private:
  HANDLE m_hFile;  // INVALID_HANDLE_VALUE when closed
};
