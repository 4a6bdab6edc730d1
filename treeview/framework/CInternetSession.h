// CInternetSession: one WinInet session handle (InternetOpen); closes it.
#pragma once
#include <windows.h>
#include <wininet.h>

class CInternetSession {
public:
  CInternetSession() : m_hSession(nullptr) {}
  ~CInternetSession() { Close(); }
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;

  // accessType: INTERNET_OPEN_TYPE_PRECONFIG or INTERNET_OPEN_TYPE_DIRECT.
  bool Open(DWORD accessType);
  // The time-out of connecting, sending and of each receive, for every
  // transfer of the session; true when the receive time-out took.
  bool SetTimeout(DWORD milliseconds);
  // Whether the session goes through a proxy; without one, a direct
  // session would only repeat its connection.
  bool UsesProxy() const;
  void Close();
  HINTERNET GetHandle() const { return m_hSession; }

private:
  HINTERNET m_hSession;
};
