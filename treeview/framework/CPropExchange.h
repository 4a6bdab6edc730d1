// CPropExchange: one pass of a control's persistent properties to or from a
// saved state (a property bag, or a stream after the version and extent).
// The control names each property once, for loading and saving alike. Owns
// nothing; the bag or stream is the caller's.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <string>

class CPropExchange {
public:
  // Loading from or saving to a bag.
  CPropExchange(IPropertyBag* bag, bool loading, DWORD version);
  // Loading from or saving to a stream.
  CPropExchange(IStream* stream, bool loading, DWORD version);
  CPropExchange(const CPropExchange&) = delete;
  CPropExchange& operator=(const CPropExchange&) = delete;

  bool IsLoading() const { return m_bLoading; }
  // The version stamp of the state being loaded, or the one being saved.
  DWORD GetVersion() const { return m_dwVersion; }

  // Each loads or saves one value. Loading from a bag, a value that is
  // missing or does not convert leaves the member as it is; loading from a
  // stream, a stream that ends or fails is an error.
  HRESULT String(const wchar_t* name, std::wstring& value);
  HRESULT Long(const wchar_t* name, LONG& value);
  HRESULT Bool(const wchar_t* name, BOOL& value);
  // The first error of the pass, or S_OK.
  HRESULT GetResult() const { return m_hr; }

private:
  HRESULT Exchange(const wchar_t* name, VARIANT& value, VARTYPE vt);
  HRESULT ReadStream(VARIANT& value, VARTYPE vt);
  HRESULT WriteStream(const VARIANT& value);

  IPropertyBag* m_pBag;
  IStream* m_pStm;
  bool m_bLoading;
  DWORD m_dwVersion;
  HRESULT m_hr;
};
