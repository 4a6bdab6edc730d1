// MainWindow.h: the program's main window, its class and its About dialog.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInst;  // the program's module, for its resources
extern HWND g_hMainWnd;    // null until InitInstance succeeds

// Registers the class and creates, shows and paints the main window.
bool InitInstance(HINSTANCE hInstance, int nCmdShow);
ATOM RegisterWindowClass(HINSTANCE hInstance, const wchar_t* pszClassName);
LRESULT CALLBACK MainWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
