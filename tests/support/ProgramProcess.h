// ProgramProcess.h: a program started by a test and watched from outside,
// as a user would see it (its windows, its exit code); owns the process
// and thread handles and kills the process if it is still running when the
// object goes. Also the window searches and the program folder that the
// tests of both components share.
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

// The whole text of a window, read with WM_GETTEXT (works across processes);
// empty when the window does not answer within 5 s.
std::wstring ReadWindowText(HWND window);

// Top-level windows of a process, optionally filtered by class and title
// (null = any) and to the visible ones.
std::vector<HWND> FindProcessWindows(DWORD processId, const wchar_t* className,
                                     const wchar_t* title, bool visibleOnly = false);
// The first window of the class below parent, at any depth; null if none.
HWND FindDescendant(HWND parent, const wchar_t* className);
// The texts of every window below parent, one per line.
std::wstring DescendantTexts(HWND parent);

class ProgramProcess {
public:
  ProgramProcess();
  virtual ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // Starts program with a complete command line (quoted path first).
  bool StartCommandLine(const std::wstring& program, const std::wstring& commandLine);

  // A top-level window of this process with that class and title (null =
  // any), polled for; null on time-out or when the process ends first.
  // Message boxes and dialogs have class "#32770".
  HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs,
                     bool visibleOnly = false) const;

  // True when the process ended within the time; otherwise it is killed,
  // and the exit code reads kKilledExitCode.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  // Posts the message to window, then WaitForExit: the exit code, or
  // kKilledExitCode.
  DWORD PostAndWait(HWND window, UINT message, WPARAM wParam, DWORD timeoutMs);
  bool IsRunning() const;

  DWORD ProcessId() const { return m_dwProcessId; }
  HANDLE ProcessHandle() const { return m_hProcess; }

private:
  void Release();

  HANDLE m_hProcess;  // null when no process was started
  HANDLE m_hThread;   // its first thread
  DWORD m_dwProcessId;
};

}  // namespace testsupport
