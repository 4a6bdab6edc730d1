// CMenu: one menu handle, loaded from a module's resources; destroys it.
#pragma once
#include <windows.h>
#include <string>

class CMenu {
public:
  CMenu() : m_hMenu(nullptr) {}
  ~CMenu() { Close(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  bool LoadMenu(HINSTANCE instance, UINT id);
  void Close();
  // The popup at a position; owned by this menu, not by the caller.
  HMENU GetSubMenu(int position) const {
    return m_hMenu ? ::GetSubMenu(m_hMenu, position) : nullptr;
  }

  // Entry helpers on any menu handle (the popup of this one, typically).
  static bool RemoveCommand(HMENU menu, UINT id) { return ::RemoveMenu(menu, id, MF_BYCOMMAND); }
  static bool AppendText(HMENU menu, UINT id, const std::wstring& text);
  // Shows a popup at a point in screen coordinates, owned by the window owner;
  // the choice arrives there later as WM_COMMAND.
  static bool TrackPopup(HMENU menu, POINT screenPoint, HWND owner);

private:
  HMENU m_hMenu;
};
