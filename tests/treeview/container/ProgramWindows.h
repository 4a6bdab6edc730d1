// ProgramWindows: a program started for a test, whose windows the test
// finds and drives from outside, as a user would; and the window searches
// the tests share. Owns the process and its thread handles.
#pragma once
#include <windows.h>
#include <string>

// The first visible top-level window of the class owned by the process.
HWND FindProcessWindow(DWORD pid, const wchar_t* windowClass);
// The first window of the class below parent, at any depth.
HWND FindDescendant(HWND parent, const wchar_t* windowClass);
// The texts of every window below parent, one per line.
std::wstring DescendantTexts(HWND parent);

class StartedProgram {
public:
  explicit StartedProgram(const std::wstring& commandLine);
  // Killed if still running: a failed test leaves nothing behind.
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool Started() const { return m_pi.hProcess != nullptr; }
  // Its first visible top-level window of the class; null when the program
  // ends first or none comes within ms.
  HWND WaitForWindow(const wchar_t* windowClass, DWORD ms);
  // Posts message to window, then waits for the end: the exit code, or
  // 0xFFFFFFFF when it did not end within 20 s.
  DWORD CloseAndWait(HWND window, UINT message = WM_CLOSE, WPARAM wParam = 0);

private:
  PROCESS_INFORMATION m_pi = {};
};
