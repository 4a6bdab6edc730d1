// CImageList: one common-controls image list; destroys it.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <utility>

class CImageList {
public:
  CImageList() : m_hList(nullptr) {}
  ~CImageList() { Close(); }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  bool Create(int cx, int cy, UINT flags, int initial, int grow);
  void Close();
  HIMAGELIST GetSafeHandle() const { return m_hList; }
  // Exchanges the lists of two wrappers.
  void Swap(CImageList& other) { std::swap(m_hList, other.m_hList); }
  // Appends a copy of the icon, scaled to the list's size; the index or -1.
  int AddIcon(HICON icon);
  int GetImageCount() const { return m_hList ? ImageList_GetImageCount(m_hList) : 0; }

private:
  HIMAGELIST m_hList;
};
