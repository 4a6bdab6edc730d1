// CInternetSession: opening and closing a session.
#include "CInternetSession.h"

BOOL CInternetSession::Open(DWORD dwAccessType) {
  Close();
  m_hSession = InternetOpenA("QorTreeView/1.0", dwAccessType, nullptr, nullptr, 0);
  return m_hSession != nullptr;
}

void CInternetSession::Close() {
  if (m_hSession) {
    InternetCloseHandle(m_hSession);
    m_hSession = nullptr;
  }
}
