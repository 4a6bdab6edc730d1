// CTreeCtrl: a common tree-view window driven by its messages; owns the
// window (created here, destroyed by Close or the destructor).
#pragma once
#include "framework/CWnd.h"
#include <commctrl.h>
#include <cstring>
#include <string>

class CTreeCtrl : public CWnd {
public:
  CTreeCtrl() = default;

  bool Create(DWORD style, const RECT& rc, HWND parent, UINT id);

  HTREEITEM InsertItem(const std::wstring& label, HTREEITEM parent);
  // The same with the item's image (normal and selected) and data, set in
  // the one message.
  HTREEITEM InsertItem(const std::wstring& label, HTREEITEM parent, int image, DWORD_PTR data);
  bool SetItemData(HTREEITEM node, DWORD_PTR data);
  DWORD_PTR GetItemData(HTREEITEM node) const;
  bool SetItemImage(HTREEITEM node, int image, int selectedImage);
  // The whole label, of any length; empty for a null item.
  std::wstring GetItemText(HTREEITEM node) const;
  HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
  HTREEITEM GetParentItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PARENT); }
  HTREEITEM GetChildItem(HTREEITEM h) const { return GetNextItem(h, TVGN_CHILD); }
  HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
  HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
  HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
  // Makes an item (or nothing, with null) the current selection.
  bool SelectItem(HTREEITEM item);
  bool DeleteAllItems();
  bool Expand(HTREEITEM item, UINT code);
  UINT GetCount() const;
  HIMAGELIST SetImageList(HIMAGELIST imageList, int type);
  // The item's rectangle in client coordinates (its label's alone with
  // textOnly); false when it is not in view.
  bool GetItemRect(HTREEITEM item, RECT* rect, bool textOnly) const {
    memcpy(rect, &item, sizeof(item));  // the message's input: the item
    return SendMessageW(m_hWnd, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)) != 0;
  }
  // With false the widget stops repainting until it is turned back on.
  void SetRedraw(bool redraw) { SendMessageW(m_hWnd, WM_SETREDRAW, redraw, 0); }
};
