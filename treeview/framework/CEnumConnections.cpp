// CEnumConnections: a snapshot of connections, handed out in order.
#include "framework/CEnumConnections.h"
#include <new>

CEnumConnections::CEnumConnections(const std::vector<CONNECTDATA>& connections, ULONG position)
    : m_connections(connections), m_position(position) {
  for (CONNECTDATA& cd : m_connections) cd.pUnk->AddRef();
}

CEnumConnections::~CEnumConnections() {
  for (CONNECTDATA& cd : m_connections) cd.pUnk->Release();
}

STDMETHODIMP CEnumConnections::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IEnumConnections) return E_NOINTERFACE;
  *ppv = static_cast<IEnumConnections*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CEnumConnections::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CEnumConnections::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

STDMETHODIMP CEnumConnections::Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) {
  if (!rgcd || (cConnections > 1 && !pcFetched)) return E_POINTER;
  ULONG fetched = 0;
  while (fetched < cConnections && m_position < m_connections.size()) {
    rgcd[fetched] = m_connections[m_position++];
    rgcd[fetched++].pUnk->AddRef();  // the caller releases it
  }
  if (pcFetched) *pcFetched = fetched;
  return fetched == cConnections ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnections::Skip(ULONG cConnections) {
  const ULONG left = static_cast<ULONG>(m_connections.size()) - m_position;
  const ULONG step = cConnections < left ? cConnections : left;
  m_position += step;
  return step == cConnections ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnections::Reset() {
  m_position = 0;
  return S_OK;
}

STDMETHODIMP CEnumConnections::Clone(IEnumConnections** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = new (std::nothrow) CEnumConnections(m_connections, m_position);
  return *ppEnum ? S_OK : E_OUTOFMEMORY;
}
