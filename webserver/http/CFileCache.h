// CFileCache.h: the bytes of small files recently served, shared by the
// workers; owns its copies and its lock.
#pragma once

#include "lib/CCriticalSection.h"

#include <windows.h>

#include <deque>
#include <map>
#include <string>

// A copy is handed out only for the size and last-write time the file has
// on disk now, as the caller has just read them, so a file changed or
// replaced is read again. A copy is kept only of a file last written at
// least kSettledTicks before it was read: a write after that read then
// gives the file a time of its own, even on a file system whose clock
// advances in coarse steps. A program that writes a file and then sets its
// time back to the time it had, keeping its size, defeats the check.
class CFileCache {
public:
  static const DWORD kEntryMaxBytes = 65536;
  static const size_t kTotalMaxBytes = 8 << 20;
  static const ULONGLONG kSettledTicks = 2 * 10000000ULL;

  explicit CFileCache(size_t totalMaxBytes = kTotalMaxBytes);
  CFileCache(const CFileCache&) = delete;
  CFileCache& operator=(const CFileCache&) = delete;

  // Whether a copy of this size and time is held.
  bool Holds(const std::wstring& path, ULONGLONG size, ULONGLONG modified);
  // Copies length bytes from offset of the held copy; false when none of
  // this size and time is held (any more).
  bool Copy(const std::wstring& path, ULONGLONG size, ULONGLONG modified, ULONGLONG offset,
            DWORD length, char* into);
  // Keeps a copy of a whole file read at now (a file time), when it is
  // small and settled; the oldest copies go to stay within the bound.
  void Store(const std::wstring& path, ULONGLONG size, ULONGLONG modified, ULONGLONG now,
             const char* bytes);
  // The bytes held, never more than the bound.
  size_t Bytes();

private:
  struct Entry {
    ULONGLONG size;
    ULONGLONG modified;
    std::string bytes;
  };
  const Entry* Find(const std::wstring& path, ULONGLONG size, ULONGLONG modified) const;

  std::map<std::wstring, Entry> m_entries;
  std::deque<std::wstring> m_order;  // oldest first; a name at most once
  size_t m_nBytes;
  size_t m_nMaxBytes;
  CCriticalSection m_lock;
};
