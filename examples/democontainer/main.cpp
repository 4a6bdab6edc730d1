// QorTreeViewDemo: hosts the tree control in a window and lets the user
// drive it. Usage: QorTreeViewDemo.exe [URL [ConfigFile [LocalRemote]]]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include "DemoWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  if (FAILED(OleInitialize(nullptr))) return 1;
  DemoWindow::Settings settings;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv) {
    if (argc > 1) settings.url = argv[1];
    if (argc > 2) settings.configFile = argv[2];
    if (argc > 3) settings.localRemote = wcstol(argv[3], nullptr, 10);
    LocalFree(argv);
  }
  int code = 1;
  {
    DemoWindow window;
    if (window.Create(instance, settings, show)) {
      MSG msg;
      int got;
      while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (IsDialogMessageW(window.Handle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      code = got == 0 ? static_cast<int>(msg.wParam) : 1;
    }
  }
  OleUninitialize();
  return code;
}
