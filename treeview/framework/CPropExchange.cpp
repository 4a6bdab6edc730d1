// CPropExchange: values in a bag as variants, in a stream as a 32-bit value
// or as a 32-bit count of bytes followed by UTF-16 text.
#include "framework/CPropExchange.h"
#include <vector>

namespace {
// The longest text a stream may announce: more is a damaged stream.
const ULONG kMaxTextBytes = 1u << 24;

HRESULT ReadExact(IStream* stream, void* p, ULONG bytes) {
  ULONG got = 0;
  HRESULT hr = stream->Read(p, bytes, &got);
  if (FAILED(hr)) return hr;
  return got == bytes ? S_OK : STG_E_READFAULT;
}

HRESULT WriteExact(IStream* stream, const void* p, ULONG bytes) {
  ULONG put = 0;
  HRESULT hr = stream->Write(p, bytes, &put);
  if (FAILED(hr)) return hr;
  return put == bytes ? S_OK : STG_E_WRITEFAULT;
}

}  // namespace

CPropExchange::CPropExchange(IPropertyBag* bag, bool loading, DWORD version)
    : m_pBag(bag), m_pStm(nullptr), m_bLoading(loading), m_dwVersion(version), m_hr(S_OK) {}

CPropExchange::CPropExchange(IStream* stream, bool loading, DWORD version)
    : m_pBag(nullptr), m_pStm(stream), m_bLoading(loading), m_dwVersion(version), m_hr(S_OK) {}

HRESULT CPropExchange::String(const wchar_t* name, std::wstring& value) {
  VARIANT v;
  VariantInit(&v);
  if (!m_bLoading) {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!V_BSTR(&v)) return m_hr = E_OUTOFMEMORY;
  }
  HRESULT hr = Exchange(name, v, VT_BSTR);
  if (hr == S_OK && m_bLoading) value.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
  VariantClear(&v);
  return hr;
}

HRESULT CPropExchange::Long(const wchar_t* name, LONG& value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  HRESULT hr = Exchange(name, v, VT_I4);
  if (hr == S_OK && m_bLoading) value = V_I4(&v);
  return hr;
}

HRESULT CPropExchange::Bool(const wchar_t* name, BOOL& value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  HRESULT hr = Exchange(name, v, VT_BOOL);
  if (hr == S_OK && m_bLoading) value = V_BOOL(&v) ? TRUE : FALSE;
  return hr;
}

// S_OK when the value moved; S_FALSE when a bag lacked it or it did not
// convert (the member keeps its value); an error of a stream otherwise.
HRESULT CPropExchange::Exchange(const wchar_t* name, VARIANT& value, VARTYPE vt) {
  if (FAILED(m_hr)) return m_hr;
  HRESULT hr;
  if (m_pStm) {
    hr = m_bLoading ? ReadStream(value, vt) : WriteStream(value);
  } else if (!m_bLoading) {
    hr = m_pBag->Write(name, &value);
  } else {
    // Wholly zeroed: some versions of VariantInit set the type alone, and a
    // bag without the value leaves the rest as it found it.
    VARIANT got = {};
    V_VT(&got) = vt;
    hr = m_pBag->Read(name, &got, nullptr);
    // A page's parameters are text: "1", "True", "-1" convert.
    if (SUCCEEDED(hr)) hr = VariantChangeType(&value, &got, 0, vt);
    VariantClear(&got);
    return SUCCEEDED(hr) ? S_OK : S_FALSE;
  }
  if (FAILED(hr)) m_hr = hr;
  return hr;
}

HRESULT CPropExchange::ReadStream(VARIANT& value, VARTYPE vt) {
  DWORD n = 0;
  HRESULT hr = ReadExact(m_pStm, &n, sizeof(n));
  if (FAILED(hr)) return hr;
  VariantClear(&value);
  if (vt != VT_BSTR) {
    V_VT(&value) = VT_I4;
    V_I4(&value) = static_cast<LONG>(n);
    return VariantChangeType(&value, &value, 0, vt);
  }
  if (n > kMaxTextBytes || n % sizeof(wchar_t)) return STG_E_READFAULT;
  std::vector<wchar_t> text(n / sizeof(wchar_t));
  if (n && FAILED(hr = ReadExact(m_pStm, text.data(), n))) return hr;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return V_BSTR(&value) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CPropExchange::WriteStream(const VARIANT& value) {
  if (V_VT(&value) != VT_BSTR) {
    DWORD n = V_VT(&value) == VT_BOOL ? static_cast<DWORD>(V_BOOL(&value) ? 1 : 0)
                                      : static_cast<DWORD>(V_I4(&value));
    return WriteExact(m_pStm, &n, sizeof(n));
  }
  DWORD n = SysStringLen(V_BSTR(&value)) * sizeof(wchar_t);
  HRESULT hr = WriteExact(m_pStm, &n, sizeof(n));
  if (SUCCEEDED(hr) && n) hr = WriteExact(m_pStm, V_BSTR(&value), n);
  return hr;
}
