// DemoWindow: the demo's main window: the hosted control on the left, the
// fields and buttons that drive it on the right, and a live list of what
// the control reports. Owns the window, its child controls and the site.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "DemoSite.h"

class DemoWindow {
public:
  struct Settings {
    std::wstring url, configFile;
    long localRemote = 0;
  };
  static constexpr const wchar_t* kClassName = L"QorTreeViewDemo";

  DemoWindow() = default;
  ~DemoWindow();
  DemoWindow(const DemoWindow&) = delete;
  DemoWindow& operator=(const DemoWindow&) = delete;

  // Creates and shows the window and the control in it; false when either fails
  // (the reason was shown to the user).
  bool Create(HINSTANCE instance, const Settings& settings, int show);
  HWND Handle() const { return m_hWnd; }
  void Close();

private:
  static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l);
  LRESULT Handle(UINT m, WPARAM w, LPARAM l);
  void CreateChildren();
  void Layout();
  void OnCommand(int id);
  void Apply();
  void InsertNode();
  void OnNotice(const wchar_t* kind, DISPID id);
  void Log(const std::wstring& line);
  std::wstring Text(int id) const;
  HWND AddChild(const wchar_t* cls, const wchar_t* text, DWORD style, int id);
  // The message font at the window's scale, given to every child.
  void MakeFont();
  // A length in pixels at 100 % scale, at the window's scale.
  int Scaled(int pixels) const { return MulDiv(pixels, static_cast<int>(m_dpi), 96); }

  HWND m_hWnd = nullptr;
  HFONT m_hFont = nullptr;
  UINT m_dpi = 96;  // the window's scale, in dots per inch
  std::unique_ptr<DemoSite> m_site;
  Settings m_settings;
};
