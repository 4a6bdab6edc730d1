// CFontHolder: the control's own font object (IFont, a clone of the one it
// was given), watched through its IPropertyNotifySink connection so that a
// change of its size or name reaches the control; and the description a
// tree font is made from. Owns the font object and its connection.
#pragma once
#include <windows.h>
#include <olectl.h>
#include <functional>
#include <string>

struct FontDesc {
  std::wstring name;
  LONGLONG size = 0;  // in ten-thousandths of a point, as a CY holds it
  LONG weight = FW_NORMAL;
  LONG charset = DEFAULT_CHARSET;
  bool italic = false, underline = false, strikethrough = false;
};

// The description of a font object; false when it is none.
bool DescribeFont(IUnknown* font, FontDesc* desc);
// A new font object of the description; null on failure.
IFontDisp* CreateFontObject(const FontDesc& desc);
// A GDI font of the description for a window at dpi; the caller deletes it.
HFONT CreateGdiFont(const FontDesc& desc, UINT dpi);

class CFontHolder {
public:
  // onChange runs on every change notice of the font object held.
  explicit CFontHolder(std::function<void()> onChange);
  ~CFontHolder() { Close(); }
  CFontHolder(const CFontHolder&) = delete;
  CFontHolder& operator=(const CFontHolder&) = delete;

  // Holds a clone of the font object; false (holding nothing) when it is no font.
  bool Set(IUnknown* font);
  void Close();
  // The font object held, or null; the reference stays the holder's.
  IFontDisp* Get() const { return m_pFontDisp; }
  bool Describe(FontDesc* desc) const { return m_pFontDisp && DescribeFont(m_pFontDisp, desc); }

private:
  class Sink;
  std::function<void()> m_onChange;
  IFontDisp* m_pFontDisp;
  Sink* m_pSink;  // connected to the font object while one is held
  DWORD m_dwCookie;
};
