// CFileCache.cpp: the bytes of small files recently served.
#include "http/CFileCache.h"

#include "http/HttpText.h"
#include "lib/CCriticalLock.h"

#include <cstring>
#include <iterator>
#include <utility>

CFileCache::CFileCache(size_t totalMaxBytes) : m_nBytes(0), m_nMaxBytes(totalMaxBytes) {}

std::wstring CFileCache::KeyOf(const std::wstring& path) {
  std::wstring full;
  if (!FullPathOf(path.c_str(), &full)) full = path;
  // Simple case mapping, as the file system's own name comparison does.
  if (full.empty()) return full;
  std::wstring key(full.size(), L'\0');
  int length = static_cast<int>(full.size());
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.c_str(), length, &key[0], length,
                    nullptr, nullptr, 0) != length)
    return full;
  return key;
}

void CFileCache::Drop(Order::iterator entry) {
  m_nBytes -= entry->bytes.size();
  m_index.erase(entry->key);
  m_order.erase(entry);
}

const CFileCache::Entry* CFileCache::Use(const std::wstring& key, ULONGLONG size,
                                         ULONGLONG modified) {
  auto found = m_index.find(key);
  if (found == m_index.end()) return nullptr;
  Order::iterator entry = found->second;
  if (entry->size != size || entry->modified != modified) {
    Drop(entry);
    return nullptr;
  }
  m_order.splice(m_order.begin(), m_order, entry);
  return &*entry;
}

bool CFileCache::Holds(const std::wstring& key, ULONGLONG size, ULONGLONG modified) {
  CCriticalLock lock(&m_lock);
  return Use(key, size, modified) != nullptr;
}

bool CFileCache::Copy(const std::wstring& key, ULONGLONG size, ULONGLONG modified, ULONGLONG offset,
                      DWORD length, char* into) {
  CCriticalLock lock(&m_lock);
  const Entry* entry = Use(key, size, modified);
  if (!entry || offset > size || length > size - offset) return false;
  std::memcpy(into, entry->bytes.data() + offset, length);
  return true;
}

void CFileCache::Store(const std::wstring& key, ULONGLONG size, ULONGLONG modified, ULONGLONG now,
                       const char* bytes) {
  if (size > kEntryMaxBytes || size > m_nMaxBytes || modified + kSettledTicks > now) return;
  std::string copy(bytes, static_cast<size_t>(size));  // made before the lock is taken
  CCriticalLock lock(&m_lock);
  auto found = m_index.find(key);
  if (found != m_index.end()) Drop(found->second);
  while (m_nBytes + copy.size() > m_nMaxBytes) Drop(std::prev(m_order.end()));
  m_order.push_front(Entry{key, size, modified, std::move(copy)});
  m_index[key] = m_order.begin();
  m_nBytes += static_cast<size_t>(size);
}

size_t CFileCache::Bytes() {
  CCriticalLock lock(&m_lock);
  return m_nBytes;
}
