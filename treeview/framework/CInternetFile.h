// CInternetFile: one URL opened as a readable stream through a session
// (InternetOpenUrl); closes it.
#pragma once
#include <string>
#include "framework/CInternetSession.h"

class CInternetFile {
public:
  CInternetFile() : m_hFile(nullptr) {}
  ~CInternetFile() { Close(); }
  CInternetFile(const CInternetFile&) = delete;
  CInternetFile& operator=(const CInternetFile&) = delete;

  // Binary transfer, fetched afresh and kept out of the URL cache, so that
  // every open sees the resource as it is now. The URL is sent as given:
  // the caller encodes what a request target may not hold.
  bool Open(const CInternetSession& session, const std::wstring& url);
  void Close();
  bool IsOpen() const { return m_hFile != nullptr; }
  // The HTTP status code; false when the stream has none.
  bool QueryStatusCode(DWORD* status) const;
  bool QueryContentLength(DWORD* length) const;
  // Bytes read, 0 at the end, -1 on failure. Waits for the first byte only:
  // returns what has arrived, so that a slow body shows its progress.
  int Read(void* buffer, DWORD bytes);

private:
  bool QueryNumber(DWORD info, DWORD* value) const;
  HINTERNET m_hFile;
};
