// TestProcess: CreateProcess with a pipe for the output.
#include "TestProcess.h"
#include "ProgramProcess.h"
#include <vector>

std::wstring SystemProgram(const wchar_t* exe) {
  wchar_t dir[MAX_PATH] = {};
#ifdef _WIN64
  GetSystemDirectoryW(dir, MAX_PATH);
#else
  if (!GetSystemWow64DirectoryW(dir, MAX_PATH)) GetSystemDirectoryW(dir, MAX_PATH);
#endif
  return std::wstring(dir) + L"\\" + exe;
}

std::wstring ControlModulePath() { return testsupport::ExeFolder() + L"QorTreeView.ocx"; }

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
  ProcessResult result;
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back(0);
  BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return result;
  }
  // Read until the program ends (the pipe closes), within the time allowed.
  DWORD start = GetTickCount();
  for (;;) {
    DWORD avail = 0;
    if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr)) break;
    if (avail) {
      char buf[4096];
      DWORD got = 0;
      if (!ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) || got == 0) break;
      result.output.append(buf, got);
      continue;
    }
    if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
      // Drain what is left.
      while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr) && avail) {
        char buf[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) || got == 0) break;
        result.output.append(buf, got);
      }
      break;
    }
    if (GetTickCount() - start > timeoutMs) {
      TerminateProcess(pi.hProcess, 0xFFFFFFFF);
      break;
    }
  }
  WaitForSingleObject(pi.hProcess, 5000);
  GetExitCodeProcess(pi.hProcess, &result.exitCode);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);
  return result;
}
