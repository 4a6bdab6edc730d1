// CFileCache.cpp: the bytes of small files recently served.
#include "http/CFileCache.h"

#include "lib/CCriticalLock.h"

#include <cstring>

CFileCache::CFileCache(size_t totalMaxBytes) : m_nBytes(0), m_nMaxBytes(totalMaxBytes) {}

const CFileCache::Entry* CFileCache::Find(const std::wstring& path, ULONGLONG size,
                                          ULONGLONG modified) const {
  auto found = m_entries.find(path);
  if (found == m_entries.end() || found->second.size != size || found->second.modified != modified)
    return nullptr;
  return &found->second;
}

bool CFileCache::Holds(const std::wstring& path, ULONGLONG size, ULONGLONG modified) {
  CCriticalLock lock(&m_lock);
  return Find(path, size, modified) != nullptr;
}

bool CFileCache::Copy(const std::wstring& path, ULONGLONG size, ULONGLONG modified,
                      ULONGLONG offset, DWORD length, char* into) {
  CCriticalLock lock(&m_lock);
  const Entry* entry = Find(path, size, modified);
  if (!entry || offset > size || length > size - offset) return false;
  std::memcpy(into, entry->bytes.data() + offset, length);
  return true;
}

void CFileCache::Store(const std::wstring& path, ULONGLONG size, ULONGLONG modified, ULONGLONG now,
                       const char* bytes) {
  if (size > kEntryMaxBytes || size > m_nMaxBytes || modified + kSettledTicks > now) return;
  CCriticalLock lock(&m_lock);
  auto found = m_entries.find(path);
  if (found != m_entries.end()) {
    m_nBytes -= found->second.bytes.size();
    m_entries.erase(found);
  } else {
    m_order.push_back(path);
  }
  while (m_nBytes + size > m_nMaxBytes && !m_order.empty()) {
    auto oldest = m_entries.find(m_order.front());
    if (oldest != m_entries.end() && oldest->first != path) {
      m_nBytes -= oldest->second.bytes.size();
      m_entries.erase(oldest);
      m_order.pop_front();
    } else if (oldest == m_entries.end()) {
      m_order.pop_front();
    } else {
      // The name being stored is the oldest: it goes to the back.
      m_order.pop_front();
      m_order.push_back(path);
    }
  }
  m_entries[path] = Entry{size, modified, std::string(bytes, static_cast<size_t>(size))};
  m_nBytes += static_cast<size_t>(size);
}

size_t CFileCache::Bytes() {
  CCriticalLock lock(&m_lock);
  return m_nBytes;
}
