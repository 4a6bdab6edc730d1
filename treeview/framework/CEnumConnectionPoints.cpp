#include "framework/CEnumConnectionPoints.h"
#include <new>

CEnumConnectionPoints::CEnumConnectionPoints(const std::vector<IConnectionPoint*>& points,
                                             ULONG position)
    : m_points(points), m_position(position) {
  for (IConnectionPoint* p : m_points) p->AddRef();
}

CEnumConnectionPoints::~CEnumConnectionPoints() {
  for (IConnectionPoint* p : m_points) p->Release();
}

STDMETHODIMP CEnumConnectionPoints::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IEnumConnectionPoints) return E_NOINTERFACE;
  *ppv = static_cast<IEnumConnectionPoints*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CEnumConnectionPoints::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CEnumConnectionPoints::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

STDMETHODIMP CEnumConnectionPoints::Next(ULONG cConnections, IConnectionPoint** ppCP,
                                         ULONG* pcFetched) {
  if (!ppCP || (cConnections > 1 && !pcFetched)) return E_POINTER;
  ULONG fetched = 0;
  while (fetched < cConnections && m_position < m_points.size()) {
    ppCP[fetched] = m_points[m_position++];
    ppCP[fetched++]->AddRef();
  }
  if (pcFetched) *pcFetched = fetched;
  return fetched == cConnections ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnectionPoints::Skip(ULONG cConnections) {
  const ULONG left = static_cast<ULONG>(m_points.size()) - m_position;
  const ULONG step = cConnections < left ? cConnections : left;
  m_position += step;
  return step == cConnections ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnectionPoints::Reset() {
  m_position = 0;
  return S_OK;
}

STDMETHODIMP CEnumConnectionPoints::Clone(IEnumConnectionPoints** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = new (std::nothrow) CEnumConnectionPoints(m_points, m_position);
  return *ppEnum ? S_OK : E_OUTOFMEMORY;
}
