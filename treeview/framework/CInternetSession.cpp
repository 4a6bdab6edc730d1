// CInternetSession: opening and closing a session.
#include "framework/CInternetSession.h"
#include <vector>

bool CInternetSession::Open(DWORD accessType) {
  Close();
  m_hSession = InternetOpenW(L"QorTreeView/1.0", accessType, nullptr, nullptr, 0);
  return m_hSession != nullptr;
}

void CInternetSession::Close() {
  if (m_hSession) {
    InternetCloseHandle(m_hSession);
    m_hSession = nullptr;
  }
}

bool CInternetSession::SetTimeout(DWORD milliseconds) {
  const DWORD options[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT};
  if (!m_hSession) return false;
  // Not every version of the library knows each of these; the receive
  // time-out is the one that counts.
  for (DWORD option : options)
    InternetSetOptionW(m_hSession, option, &milliseconds, sizeof(milliseconds));
  DWORD set = 0, size = sizeof(set);
  return InternetQueryOptionW(m_hSession, INTERNET_OPTION_RECEIVE_TIMEOUT, &set, &size) &&
         set == milliseconds;
}

bool CInternetSession::UsesProxy() const {
  DWORD size = 0;
  if (!m_hSession) return false;
  InternetQueryOptionW(m_hSession, INTERNET_OPTION_PROXY, nullptr, &size);
  if (size < sizeof(INTERNET_PROXY_INFO)) return false;
  std::vector<char> info(size);
  if (!InternetQueryOptionW(m_hSession, INTERNET_OPTION_PROXY, info.data(), &size)) return false;
  return reinterpret_cast<const INTERNET_PROXY_INFO*>(info.data())->dwAccessType ==
         INTERNET_OPEN_TYPE_PROXY;
}
