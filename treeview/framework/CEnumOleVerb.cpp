// CEnumOleVerb: a list of verbs, handed out in order.
#include "framework/CEnumOleVerb.h"
#include <new>

CEnumOleVerb::CEnumOleVerb(const std::vector<Verb>& verbs, ULONG position)
    : m_verbs(verbs), m_position(position) {}

STDMETHODIMP CEnumOleVerb::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IEnumOLEVERB) return E_NOINTERFACE;
  *ppv = static_cast<IEnumOLEVERB*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CEnumOleVerb::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CEnumOleVerb::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

STDMETHODIMP CEnumOleVerb::Next(ULONG celt, LPOLEVERB rgelt, ULONG* pceltFetched) {
  if (!rgelt || (celt > 1 && !pceltFetched)) return E_POINTER;
  ULONG fetched = 0;
  while (fetched < celt && m_position < m_verbs.size()) {
    const Verb& v = m_verbs[m_position];
    const size_t cb = (v.name.size() + 1) * sizeof(wchar_t);
    auto* name = static_cast<LPOLESTR>(CoTaskMemAlloc(cb));
    if (!name) break;
    memcpy(name, v.name.c_str(), cb);
    rgelt[fetched].lVerb = v.lVerb;
    rgelt[fetched].lpszVerbName = name;  // the caller frees it
    rgelt[fetched].fuFlags = MF_STRING | MF_ENABLED;
    rgelt[fetched].grfAttribs = v.grfAttribs;
    ++fetched;
    ++m_position;
  }
  if (pceltFetched) *pceltFetched = fetched;
  return fetched == celt ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumOleVerb::Skip(ULONG celt) {
  const ULONG left = static_cast<ULONG>(m_verbs.size()) - m_position;
  const ULONG step = celt < left ? celt : left;
  m_position += step;
  return step == celt ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumOleVerb::Reset() {
  m_position = 0;
  return S_OK;
}

STDMETHODIMP CEnumOleVerb::Clone(IEnumOLEVERB** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = new (std::nothrow) CEnumOleVerb(m_verbs, m_position);
  return *ppEnum ? S_OK : E_OUTOFMEMORY;
}
