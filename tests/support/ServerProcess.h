// ServerProcess.h: test-side handle on one running OrraWebServer.exe: its
// main window, its log pane, and closing it as a user does.
//
// Typical use:
//   testsupport::ServerProcess server;
//   ASSERT_TRUE(server.Start(L"C:\\site\\"));          // argument tail, taken whole
//   ASSERT_TRUE(server.WaitForMainWindow(10000));
//   ASSERT_TRUE(server.WaitForLog(L"Listening...", 10000));
//   EXPECT_EQ(server.CloseAndWait(10000), 0u);         // WM_CLOSE, exit code
#pragma once

#include <windows.h>

#include <string>

#include "ProgramProcess.h"
#include "TempFolder.h"

namespace testsupport {

// ExeFolder() + "OrraWebServer.exe".
std::wstring ServerPath();

class ServerProcess : public ProgramProcess {
public:
  ServerProcess() : m_hMainWnd(nullptr) {}

  // Starts the server with no argument: the command line is only the
  // quoted program path.
  bool Start();
  // Starts it with the command line "<quoted path> <argument>"; the
  // argument is passed exactly as given (quotes, blanks and all).
  bool Start(const std::wstring& argument);

  // The main window (class "OrraWebServer" of this process), polled for.
  // Null on time-out.
  HWND WaitForMainWindow(DWORD timeoutMs);
  HWND MainWindow() const { return m_hMainWnd; }
  // The log pane (child id 2112 of the main window).
  HWND LogPane() const;
  std::wstring ReadLog() const;
  // Polls the log until it contains the text. False on time-out.
  bool WaitForLog(const std::wstring& text, DWORD timeoutMs) const;

  // Posts WM_CLOSE to the main window.
  bool Close();
  // Close then WaitForExit: the exit code, or kKilledExitCode.
  DWORD CloseAndWait(DWORD timeoutMs);

private:
  HWND m_hMainWnd;  // null until found
};

}  // namespace testsupport
