// CMenu: menu loading and the entry operations the tree's popup needs.
#include "framework/CMenu.h"

bool CMenu::LoadMenu(HINSTANCE instance, UINT id) {
  Close();
  m_hMenu = ::LoadMenuW(instance, MAKEINTRESOURCEW(id));
  return m_hMenu != nullptr;
}

void CMenu::Close() {
  if (m_hMenu) {
    ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
  }
}

bool CMenu::AppendText(HMENU menu, UINT id, const std::wstring& text) {
  return ::InsertMenuW(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, id, text.c_str());
}

bool CMenu::TrackPopup(HMENU menu, POINT screenPoint, HWND owner) {
  return ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0,
                          owner, nullptr);
}
