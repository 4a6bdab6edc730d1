// WinMain.cpp: the program's entry point: chooses the web root, opens the
// main window and runs the message loop.
#include "app/Globals.h"
#include "app/LogWindow.h"
#include "app/MainWindow.h"
#include "app/resource.h"
#include "app/WebRoot.h"
#include "lib/Log.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*prevInstance*/, LPWSTR cmdLine, int cmdShow) {
  SetLogSink(WriteLog);
  wchar_t modulePath[kWebRootChars];
  DWORD n = GetModuleFileNameW(nullptr, modulePath, kWebRootChars);
  if (n == 0 || n >= static_cast<DWORD>(kWebRootChars))
    modulePath[0] = L'\0';  // cut or missing: no folder can be trusted
  if (!ChooseWebRoot(cmdLine, modulePath, g_szWebRoot)) {
    MessageBoxW(nullptr, L"The web root given on the command line is longer than 1,023 characters.",
                L"OrraWebServer", MB_OK | MB_ICONERROR);
    return 1;
  }

  if (!InitInstance(instance, cmdShow)) return 0;
  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAIN));

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Translated for the main window, not for the window the key was
    // addressed to, so the keys also work while the log pane has focus.
    if (!TranslateAcceleratorW(g_hMainWnd, accelerators, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
