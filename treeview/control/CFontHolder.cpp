// CFontHolder: IPropertyNotifySink for the font object, and the conversions
// between a font object, its description and a GDI font.
#include "control/CFontHolder.h"
#include <ocidl.h>

class CFontHolder::Sink final : public IPropertyNotifySink {
public:
  explicit Sink(CFontHolder* owner) : m_cRef(1), m_pOwner(owner) {}
  void Detach() { m_pOwner = nullptr; }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
      *ppv = static_cast<IPropertyNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_cRef); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&m_cRef);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP OnChanged(DISPID) override {
    if (m_pOwner && m_pOwner->m_onChange) m_pOwner->m_onChange();
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
  LONG m_cRef;
  CFontHolder* m_pOwner;
};

bool DescribeFont(IUnknown* object, FontDesc* desc) {
  IFont* font = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font))))
    return false;
  BSTR name = nullptr;
  CY size = {};
  SHORT weight = FW_NORMAL, charset = DEFAULT_CHARSET;
  BOOL italic = FALSE, underline = FALSE, strike = FALSE;
  const bool ok = SUCCEEDED(font->get_Name(&name)) && SUCCEEDED(font->get_Size(&size)) &&
                  SUCCEEDED(font->get_Weight(&weight)) && SUCCEEDED(font->get_Charset(&charset)) &&
                  SUCCEEDED(font->get_Italic(&italic)) &&
                  SUCCEEDED(font->get_Underline(&underline)) &&
                  SUCCEEDED(font->get_Strikethrough(&strike));
  font->Release();
  if (ok) {
    desc->name = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
    desc->size = size.int64;
    desc->weight = weight;
    desc->charset = charset;
    desc->italic = italic != FALSE;
    desc->underline = underline != FALSE;
    desc->strikethrough = strike != FALSE;
  }
  SysFreeString(name);
  return ok;
}

IFontDisp* CreateFontObject(const FontDesc& desc) {
  FONTDESC fd = {};
  fd.cbSizeofstruct = sizeof(fd);
  fd.lpstrName = const_cast<LPOLESTR>(desc.name.c_str());
  fd.cySize.int64 = desc.size;
  fd.sWeight = static_cast<SHORT>(desc.weight);
  fd.sCharset = static_cast<SHORT>(desc.charset);
  fd.fItalic = desc.italic;
  fd.fUnderline = desc.underline;
  fd.fStrikethrough = desc.strikethrough;
  IFontDisp* font = nullptr;
  if (FAILED(OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&font))))
    return nullptr;
  return font;
}

HFONT CreateGdiFont(const FontDesc& desc, UINT dpi) {
  LOGFONTW lf = {};
  // Points to pixels at the window's scale: size / 10000 * dpi / 72.
  lf.lfHeight = -static_cast<LONG>((desc.size * static_cast<LONGLONG>(dpi) + 360000) / 720000);
  lf.lfWeight = desc.weight;
  lf.lfItalic = desc.italic;
  lf.lfUnderline = desc.underline;
  lf.lfStrikeOut = desc.strikethrough;
  lf.lfCharSet = static_cast<BYTE>(desc.charset);
  lstrcpynW(lf.lfFaceName, desc.name.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

CFontHolder::CFontHolder(std::function<void()> onChange)
    : m_onChange(std::move(onChange)), m_pFontDisp(nullptr), m_pSink(nullptr), m_dwCookie(0) {}

bool CFontHolder::Set(IUnknown* object) {
  Close();
  IFont* font = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font))))
    return false;
  IFont* clone = nullptr;
  HRESULT hr = font->Clone(&clone);
  font->Release();
  if (FAILED(hr) || !clone) return false;
  hr = clone->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&m_pFontDisp));
  clone->Release();
  if (FAILED(hr)) {
    m_pFontDisp = nullptr;
    return false;
  }
  IConnectionPointContainer* cpc = nullptr;
  if (SUCCEEDED(m_pFontDisp->QueryInterface(IID_IConnectionPointContainer,
                                            reinterpret_cast<void**>(&cpc)))) {
    IConnectionPoint* cp = nullptr;
    if (SUCCEEDED(cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp))) {
      m_pSink = new Sink(this);
      if (FAILED(cp->Advise(m_pSink, &m_dwCookie))) {
        m_pSink->Release();
        m_pSink = nullptr;
      }
      cp->Release();
    }
    cpc->Release();
  }
  return true;
}

void CFontHolder::Close() {
  if (m_pSink) {
    IConnectionPointContainer* cpc = nullptr;
    if (SUCCEEDED(m_pFontDisp->QueryInterface(IID_IConnectionPointContainer,
                                              reinterpret_cast<void**>(&cpc)))) {
      IConnectionPoint* cp = nullptr;
      if (SUCCEEDED(cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp))) {
        cp->Unadvise(m_dwCookie);
        cp->Release();
      }
      cpc->Release();
    }
    m_pSink->Detach();
    m_pSink->Release();
    m_pSink = nullptr;
  }
  if (m_pFontDisp) {
    m_pFontDisp->Release();
    m_pFontDisp = nullptr;
  }
}
