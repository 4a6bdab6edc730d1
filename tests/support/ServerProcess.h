// ServerProcess.h: test-side handle on one running OrraWebServer.exe; owns
// its process and thread handles and kills the process if it is still
// running when the object goes.
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
#include <vector>

namespace testsupport {

// Exit code reported when a process had to be killed after a time-out.
const DWORD kKilledExitCode = 0xDEADBEEF;

// The folder of the running test program, with a trailing backslash; the
// deliverables are built next to it.
std::wstring ExeFolder();
// ExeFolder() + "OrraWebServer.exe".
std::wstring ServerPath();

// The whole text of a window, read with WM_GETTEXT (works across processes);
// empty when the window does not answer within 5 s.
std::wstring ReadWindowText(HWND window);

// Top-level windows of a process, optionally filtered by class and title
// (null = any).
std::vector<HWND> FindProcessWindows(DWORD processId, const wchar_t* className,
                                     const wchar_t* title);

class ServerProcess {
public:
  ServerProcess();
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts the server with no argument: the command line is only the
  // quoted program path.
  bool Start();
  // Starts it with the command line "<quoted path> <argument>"; the
  // argument is passed exactly as given (quotes, blanks and all).
  bool Start(const std::wstring& argument);
  // Starts another program (for example a copy of the server elsewhere)
  // with a complete command line.
  bool StartCommandLine(const std::wstring& program, const std::wstring& commandLine);

  // The main window (class "OrraWebServer" of this process), polled for.
  // Null on time-out.
  HWND WaitForMainWindow(DWORD timeoutMs);
  HWND MainWindow() const { return m_hMainWnd; }
  // The log pane (child id 2112 of the main window).
  HWND LogPane() const;
  std::wstring ReadLog() const;
  // Polls the log until it contains the text. False on time-out.
  bool WaitForLog(const std::wstring& text, DWORD timeoutMs) const;

  // A top-level window of this process with that class and title, polled
  // for; null on time-out. Message boxes and dialogs have class "#32770".
  HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const;

  // Posts WM_CLOSE to the main window.
  bool Close();
  // True when the process ended within the time; otherwise it is killed,
  // and the exit code reads kKilledExitCode.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  // Close then WaitForExit: the exit code, or kKilledExitCode.
  DWORD CloseAndWait(DWORD timeoutMs);
  bool IsRunning() const;

  DWORD ProcessId() const { return m_dwProcessId; }
  HANDLE ProcessHandle() const { return m_hProcess; }

private:
  void Release();

  HANDLE m_hProcess;  // null when no process was started
  HANDLE m_hThread;   // its first thread
  DWORD m_dwProcessId;
  HWND m_hMainWnd;  // null until found
};

// A fresh folder under the user's temporary folder; removed with all its
// contents when the object goes.
class TempFolder {
public:
  // The name is prefix + a unique number; the prefix may hold any
  // Unicode text a folder name allows.
  explicit TempFolder(const std::wstring& prefix = L"qor");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Full path with a trailing backslash; empty if creation failed.
  const std::wstring& Path() const { return m_strPath; }
  // Writes bytes to Path() + relative ("sub\\a.txt"), creating folders.
  bool WriteFile(const std::wstring& relative, const std::string& bytes) const;

private:
  std::wstring m_strPath;
};

// Deletes a folder and everything below it. True when it is gone.
bool RemoveTree(const std::wstring& path);

}  // namespace testsupport
