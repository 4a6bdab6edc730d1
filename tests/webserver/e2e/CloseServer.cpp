// CloseServer.cpp: closes the running OrraWebServer window of this Wine
// prefix the way a user does (WM_CLOSE) and exits with the server's own
// exit code, so Linux-side scripts can check a clean stop. 2: no window;
// 3: the server did not end within 15 s.
#include <windows.h>

int main() {
  HWND hWnd = FindWindowW(L"OrraWebServer", nullptr);
  if (!hWnd) return 2;
  DWORD dwProcessId = 0;
  GetWindowThreadProcessId(hWnd, &dwProcessId);
  HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, dwProcessId);
  if (!hProcess) return 2;
  PostMessageW(hWnd, WM_CLOSE, 0, 0);
  DWORD dwExit = 3;
  if (WaitForSingleObject(hProcess, 15000) == WAIT_OBJECT_0) GetExitCodeProcess(hProcess, &dwExit);
  CloseHandle(hProcess);
  return static_cast<int>(dwExit);
}
