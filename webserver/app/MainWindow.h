// MainWindow.h: the program's main window, its class and its About dialog.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInst;  // the program's module, for its resources
extern HWND g_hMainWnd;    // null until InitInstance succeeds

// Registers the class and creates, shows and paints the main window.
bool InitInstance(HINSTANCE instance, int cmdShow);
ATOM RegisterWindowClass(HINSTANCE instance, const wchar_t* className);
LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
