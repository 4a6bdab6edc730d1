// CImageList: creation, appending icons, destruction.
#include "framework/CImageList.h"

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
  Close();
  m_hList = ImageList_Create(cx, cy, flags, initial, grow);
  return m_hList != nullptr;
}

void CImageList::Close() {
  if (m_hList) {
    ImageList_Destroy(m_hList);
    m_hList = nullptr;
  }
}

int CImageList::AddIcon(HICON icon) {
  return m_hList ? ImageList_ReplaceIcon(m_hList, -1, icon) : -1;
}
