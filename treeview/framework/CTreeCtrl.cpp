// CTreeCtrl: tree-view messages in their wide forms, so that labels keep
// every UTF-16 unit exactly.
#include "framework/CTreeCtrl.h"
#include <vector>

bool CTreeCtrl::Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  if (m_hWnd) return false;
  HWND h = CreateWindowExW(
      0, WC_TREEVIEWW, L"", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), CodeInstance(), nullptr);
  if (!h) return false;
  return SubclassWindow(h);
}

HTREEITEM CTreeCtrl::InsertItem(const std::wstring& label, HTREEITEM parent) {
  TVINSERTSTRUCTW tvi = {};
  tvi.hParent = parent ? parent : TVI_ROOT;
  tvi.hInsertAfter = TVI_LAST;
  tvi.item.mask = TVIF_TEXT;
  tvi.item.pszText = const_cast<wchar_t*>(label.c_str());
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvi)));
}

HTREEITEM CTreeCtrl::InsertItem(const std::wstring& label, HTREEITEM parent, int image,
                                DWORD_PTR data) {
  TVINSERTSTRUCTW tvi = {};
  tvi.hParent = parent ? parent : TVI_ROOT;
  tvi.hInsertAfter = TVI_LAST;
  tvi.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  tvi.item.pszText = const_cast<wchar_t*>(label.c_str());
  tvi.item.iImage = tvi.item.iSelectedImage = image;
  tvi.item.lParam = static_cast<LPARAM>(data);
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvi)));
}

bool CTreeCtrl::SetItemData(HTREEITEM node, DWORD_PTR data) {
  TVITEMW item = {};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  item.lParam = static_cast<LPARAM>(data);
  return SendMessageW(m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM node) const {
  TVITEMW item = {};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  if (!node || !SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return static_cast<DWORD_PTR>(item.lParam);
}

bool CTreeCtrl::SetItemImage(HTREEITEM node, int image, int selectedImage) {
  TVITEMW item = {};
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = node;
  item.iImage = image;
  item.iSelectedImage = selectedImage;
  return SendMessageW(m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

std::wstring CTreeCtrl::GetItemText(HTREEITEM node) const {
  if (!node) return std::wstring();
  // The widget truncates to the buffer; grow until the label fits with room to spare.
  for (size_t cap = 256;; cap *= 2) {
    std::vector<wchar_t> buf(cap, L'\0');
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(cap);
    if (!SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
      return std::wstring();
    const wchar_t* text = item.pszText ? item.pszText : buf.data();
    size_t len = wcsnlen(text, cap);
    if (len + 1 < cap || cap >= (1u << 24)) return std::wstring(text, len);
  }
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(m_hWnd, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

bool CTreeCtrl::SelectItem(HTREEITEM item) {
  return static_cast<bool>(
      SendMessageW(m_hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

bool CTreeCtrl::DeleteAllItems() {
  return static_cast<bool>(
      SendMessageW(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
}

bool CTreeCtrl::Expand(HTREEITEM item, UINT code) {
  return static_cast<bool>(SendMessageW(m_hWnd, TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}

UINT CTreeCtrl::GetCount() const {
  return static_cast<UINT>(SendMessageW(m_hWnd, TVM_GETCOUNT, 0, 0));
}

HIMAGELIST CTreeCtrl::SetImageList(HIMAGELIST imageList, int type) {
  return reinterpret_cast<HIMAGELIST>(
      SendMessageW(m_hWnd, TVM_SETIMAGELIST, type, reinterpret_cast<LPARAM>(imageList)));
}
