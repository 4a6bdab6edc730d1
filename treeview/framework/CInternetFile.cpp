// CInternetFile: opening a URL, its status and length, reading it.
#include "framework/CInternetFile.h"

bool CInternetFile::Open(const CInternetSession& session, const std::wstring& url) {
  Close();
  if (!session.GetHandle()) return false;
  const DWORD flags =
      INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  m_hFile = InternetOpenUrlW(session.GetHandle(), url.c_str(), nullptr, 0, flags, 1);
  return m_hFile != nullptr;
}

void CInternetFile::Close() {
  if (m_hFile) {
    InternetCloseHandle(m_hFile);
    m_hFile = nullptr;
  }
}

bool CInternetFile::QueryNumber(DWORD info, DWORD* value) const {
  DWORD size = sizeof(*value);
  return m_hFile && HttpQueryInfoW(m_hFile, info | HTTP_QUERY_FLAG_NUMBER, value, &size, nullptr);
}

bool CInternetFile::QueryStatusCode(DWORD* status) const {
  return QueryNumber(HTTP_QUERY_STATUS_CODE, status);
}

bool CInternetFile::QueryContentLength(DWORD* length) const {
  return QueryNumber(HTTP_QUERY_CONTENT_LENGTH, length);
}

int CInternetFile::Read(void* buffer, DWORD bytes) {
  DWORD got = 0, ready = 0;
  // Some versions of the library fill the whole buffer before returning.
  if (!m_hFile || !InternetQueryDataAvailable(m_hFile, &ready, 0, 0)) return -1;
  if (ready && ready < bytes) bytes = ready;
  if (!InternetReadFile(m_hFile, buffer, bytes, &got)) return -1;
  return static_cast<int>(got);
}
