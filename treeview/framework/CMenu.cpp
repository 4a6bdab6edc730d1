// CMenu: menu loading and the entry operations the tree's popup needs.
#include "framework/CMenu.h"

bool CMenu::LoadMenu(HINSTANCE hInst, UINT nID) {
  Close();
  m_hMenu = ::LoadMenuW(hInst, MAKEINTRESOURCEW(nID));
  return m_hMenu != nullptr;
}

void CMenu::Close() {
  if (m_hMenu) {
    ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
  }
}

bool CMenu::AppendText(HMENU hMenu, UINT nID, const std::string& text) {
  return ::InsertMenuA(hMenu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, nID, text.c_str());
}

bool CMenu::TrackPopup(HMENU hMenu, POINT ptScreen, HWND hOwner) {
  return ::TrackPopupMenu(hMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, hOwner,
                          nullptr);
}
