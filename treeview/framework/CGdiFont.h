// CGdiFont: one GDI font handle; deletes it.
#pragma once
#include <windows.h>

class CGdiFont {
public:
  CGdiFont() : m_hFont(nullptr) {}
  ~CGdiFont() { Close(); }
  CGdiFont(const CGdiFont&) = delete;
  CGdiFont& operator=(const CGdiFont&) = delete;

  // Takes the handle over, deleting the one held before.
  void Attach(HFONT font) {
    Close();
    m_hFont = font;
  }
  void Close() {
    if (m_hFont) {
      DeleteObject(m_hFont);
      m_hFont = nullptr;
    }
  }
  HFONT GetSafeHandle() const { return m_hFont; }

private:
  HFONT m_hFont;
};
