// ProgramWindows: EnumWindows searches and CreateProcess.
#include "ProgramWindows.h"

namespace {
struct Search {
  DWORD pid;  // 0: any process
  const wchar_t* windowClass;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK Match(HWND h, LPARAM l) {
  Search* s = reinterpret_cast<Search*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  if ((s->pid == 0 || pid == s->pid) && lstrcmpiW(cls, s->windowClass) == 0 &&
      (!s->visibleOnly || IsWindowVisible(h))) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK AppendText(HWND h, LPARAM l) {
  wchar_t buf[2048] = {};
  GetWindowTextW(h, buf, 2048);
  *reinterpret_cast<std::wstring*>(l) += std::wstring(buf) + L"\n";
  return TRUE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* windowClass) {
  Search s = {pid, windowClass, true, nullptr};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindDescendant(HWND parent, const wchar_t* windowClass) {
  Search s = {0, windowClass, false, nullptr};
  EnumChildWindows(parent, Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring DescendantTexts(HWND parent) {
  std::wstring all;
  EnumChildWindows(parent, AppendText, reinterpret_cast<LPARAM>(&all));
  return all;
}

StartedProgram::StartedProgram(const std::wstring& commandLine) {
  std::wstring cmd = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
    m_pi = {};
}

StartedProgram::~StartedProgram() {
  if (!Started()) return;
  if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_pi.hProcess, 99);
  CloseHandle(m_pi.hThread);
  CloseHandle(m_pi.hProcess);
}

HWND StartedProgram::WaitForWindow(const wchar_t* windowClass, DWORD ms) {
  if (!Started()) return nullptr;
  for (DWORD waited = 0; waited < ms; waited += 100) {
    if (HWND h = FindProcessWindow(m_pi.dwProcessId, windowClass)) return h;
    if (WaitForSingleObject(m_pi.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

DWORD StartedProgram::CloseAndWait(HWND window, UINT message, WPARAM wParam) {
  if (!Started()) return 0xFFFFFFFF;
  PostMessageW(window, message, wParam, 0);
  if (WaitForSingleObject(m_pi.hProcess, 20000) != WAIT_OBJECT_0) return 0xFFFFFFFF;
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(m_pi.hProcess, &code);
  return code;
}
