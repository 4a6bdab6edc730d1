// TestProcess: runs a program of the system (regsvr32, reg, cscript) of the
// test's own bitness, waits for it and keeps its exit code and output.
#pragma once
#include <windows.h>
#include <string>

struct ProcessResult {
  DWORD exitCode = 0xFFFFFFFF;  // also when the program could not start or timed out
  std::string output;           // standard output and error together
};

// The system folder whose programs match this process (syswow64 for 32-bit).
std::wstring SystemProgram(const wchar_t* exe);
// The control module built beside the test programs.
std::wstring ControlModulePath();
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000);
