// ServerProcess.cpp: OrraWebServer.exe's window and log pane, from a test.
#include "ServerProcess.h"

namespace testsupport {

namespace {
const DWORD kPollMs = 20;
}  // namespace

std::wstring ServerPath() { return ExeFolder() + L"OrraWebServer.exe"; }

bool ServerProcess::Start() { return StartCommandLine(ServerPath(), L"\"" + ServerPath() + L"\""); }

bool ServerProcess::Start(const std::wstring& argument) {
  return StartCommandLine(ServerPath(), L"\"" + ServerPath() + L"\" " + argument);
}

HWND ServerProcess::WaitForMainWindow(DWORD timeoutMs) {
  m_hMainWnd = WaitForWindow(L"OrraWebServer", nullptr, timeoutMs);
  return m_hMainWnd;
}

HWND ServerProcess::LogPane() const { return m_hMainWnd ? GetDlgItem(m_hMainWnd, 2112) : nullptr; }

std::wstring ServerProcess::ReadLog() const {
  HWND pane = LogPane();
  return pane ? ReadWindowText(pane) : std::wstring();
}

bool ServerProcess::WaitForLog(const std::wstring& text, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  for (;;) {
    if (ReadLog().find(text) != std::wstring::npos) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool ServerProcess::Close() { return m_hMainWnd && PostMessageW(m_hMainWnd, WM_CLOSE, 0, 0); }

DWORD ServerProcess::CloseAndWait(DWORD timeoutMs) {
  return PostAndWait(m_hMainWnd, WM_CLOSE, 0, timeoutMs);
}

}  // namespace testsupport
