// CFileCache.h: the bytes of small files recently served, shared by the
// workers; owns its copies and its lock.
#pragma once

#include "lib/CCriticalSection.h"

#include <windows.h>

#include <list>
#include <string>
#include <unordered_map>

// A copy is handed out only for the size and last-write time the file has
// on disk now, as the caller has just read them, so a file changed or
// replaced is read again. A copy is kept only of a file last written at
// least kSettledTicks before it was read: a write after that read then
// gives the file a time of its own, even on a file system whose clock
// advances in coarse steps. A program that writes a file and then sets its
// time back to the time it had, keeping its size, defeats the check.
// Copies are keyed by the file (KeyOf), and the least recently used go
// first when room is needed.
class CFileCache {
public:
  static const DWORD kEntryMaxBytes = 65536;
  static const size_t kTotalMaxBytes = 8 << 20;
  static const ULONGLONG kSettledTicks = 2 * 10000000ULL;

  explicit CFileCache(size_t totalMaxBytes = kTotalMaxBytes);
  CFileCache(const CFileCache&) = delete;
  CFileCache& operator=(const CFileCache&) = delete;

  // The key of the file a path opens: its full path (GetFullPathNameW), in
  // upper case as Windows compares names, so every spelling of one file
  // ("\x.js", "\X.js", "\.\x.js") has one copy.
  static std::wstring KeyOf(const std::wstring& path);

  // Whether a copy of this size and time is held; a hit counts as a use.
  bool Holds(const std::wstring& key, ULONGLONG size, ULONGLONG modified);
  // Copies length bytes from offset of the held copy; false when none of
  // this size and time is held (any more).
  bool Copy(const std::wstring& key, ULONGLONG size, ULONGLONG modified, ULONGLONG offset,
            DWORD length, char* into);
  // Keeps a copy of a whole file read at now (a file time), when it is
  // small and settled, in place of any older copy of the file; the least
  // recently used copies go to stay within the bound.
  void Store(const std::wstring& key, ULONGLONG size, ULONGLONG modified, ULONGLONG now,
             const char* bytes);
  // The bytes held, never more than the bound.
  size_t Bytes();

private:
  struct Entry {
    std::wstring key;
    ULONGLONG size;
    ULONGLONG modified;
    std::string bytes;
  };
  using Order = std::list<Entry>;  // most recently used first

  // The copy of this size and time, moved to the front; null when none.
  // A copy of another size or time is dropped: it will never be used.
  const Entry* Use(const std::wstring& key, ULONGLONG size, ULONGLONG modified);
  void Drop(Order::iterator entry);

  Order m_order;
  std::unordered_map<std::wstring, Order::iterator> m_index;  // one per entry of m_order
  size_t m_nBytes;                                            // the sum of the entries' bytes
  size_t m_nMaxBytes;
  CCriticalSection m_lock;
};
