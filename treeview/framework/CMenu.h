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

  bool LoadMenu(HINSTANCE hInst, UINT nID);
  void Close();
  HMENU GetSafeHmenu() const { return m_hMenu; }
  // The popup at a position; owned by this menu, not by the caller.
  HMENU GetSubMenu(int nPos) const { return m_hMenu ? ::GetSubMenu(m_hMenu, nPos) : nullptr; }

  // Entry helpers on any menu handle (the popup of this one, typically).
  static bool RemoveCommand(HMENU hMenu, UINT nID) {
    return ::RemoveMenu(hMenu, nID, MF_BYCOMMAND);
  }
  static bool AppendText(HMENU hMenu, UINT nID, const std::string& text);
  // Shows a popup owned by hOwner; the choice arrives later as WM_COMMAND.
  static bool TrackPopup(HMENU hMenu, POINT ptScreen, HWND hOwner);

private:
  HMENU m_hMenu;
};
