// CloseServer.cpp: closes the running OrraWebServer window of this Wine
// prefix the way a user does (WM_CLOSE) and exits with the server's own
// exit code, so Linux-side scripts can check a clean stop. 2: no window;
// 3: the server did not end within 15 s.
#include <windows.h>

int main() {
  HWND window = FindWindowW(L"OrraWebServer", nullptr);
  if (!window) return 2;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (!process) return 2;
  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 3;
  if (WaitForSingleObject(process, 15000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &exitCode);
  CloseHandle(process);
  return static_cast<int>(exitCode);
}
