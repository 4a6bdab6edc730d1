// CTreeCtrl: a common tree-view window driven by its messages; owns the
// window (created here, destroyed by Close or the destructor).
#pragma once
#include "framework/CWnd.h"
#include <commctrl.h>
#include <string>

class CTreeCtrl : public CWnd {
public:
  CTreeCtrl() = default;

  bool Create(DWORD dwStyle, const RECT& rc, HWND hParent, UINT nID);

  // Labels are text of the system code page.
  HTREEITEM InsertItem(const std::string& label, HTREEITEM hParent);
  // The same with the item's image (normal and selected) and data, set in
  // the one message.
  HTREEITEM InsertItem(const std::string& label, HTREEITEM hParent, int nImage, DWORD_PTR data);
  bool SetItemData(HTREEITEM hItem, DWORD_PTR data);
  DWORD_PTR GetItemData(HTREEITEM hItem) const;
  bool SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
  bool GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
  // The whole label, of any length; empty for a null item.
  std::string GetItemText(HTREEITEM hItem) const;
  HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
  HTREEITEM GetParentItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PARENT); }
  HTREEITEM GetChildItem(HTREEITEM h) const { return GetNextItem(h, TVGN_CHILD); }
  HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
  HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
  HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
  // Makes an item (or nothing, with null) the current selection.
  bool SelectItem(HTREEITEM hItem);
  bool DeleteAllItems();
  bool Expand(HTREEITEM hItem, UINT nCode);
  UINT GetCount() const;
  HIMAGELIST SetImageList(HIMAGELIST hList, int nType);
  // With false the widget stops repainting until it is turned back on.
  void SetRedraw(bool bRedraw) { SendMessageA(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
};
