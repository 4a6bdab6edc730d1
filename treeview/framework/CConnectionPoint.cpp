// CConnectionPoint: IConnectionPoint over an array of sinks.
#include "framework/CatchToResult.h"
#include "framework/CConnectionPoint.h"
#include <new>
#include "framework/Enumerators.h"

CConnectionPoint::CConnectionPoint(REFIID iid, IConnectionPointContainer* container)
    : m_iid(iid), m_pContainer(container) {}

CConnectionPoint::~CConnectionPoint() { Close(); }

void CConnectionPoint::Close() {
  std::vector<IUnknown*> sinks;
  sinks.swap(m_sinks);
  for (IUnknown* p : sinks)
    if (p) p->Release();
}

size_t CConnectionPoint::GetConnectionCount() const {
  size_t n = 0;
  for (IUnknown* p : m_sinks)
    if (p) ++n;
  return n;
}

STDMETHODIMP CConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CConnectionPoint::AddRef() { return m_pContainer->AddRef(); }
STDMETHODIMP_(ULONG) CConnectionPoint::Release() { return m_pContainer->Release(); }

STDMETHODIMP CConnectionPoint::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = m_iid;
  return S_OK;
}

STDMETHODIMP CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = m_pContainer;
  m_pContainer->AddRef();
  return S_OK;
}

STDMETHODIMP CConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  return CatchToResult([&]() -> HRESULT {
    if (!pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink) return E_POINTER;
    IUnknown* sink = nullptr;
    // The sink must speak the interface; an event interface may also be taken as IDispatch.
    if (FAILED(pUnkSink->QueryInterface(m_iid, reinterpret_cast<void**>(&sink))) &&
        (m_iid == IID_IPropertyNotifySink ||
         FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink)))))
      return CONNECT_E_CANNOTCONNECT;
    size_t i = 0;
    while (i < m_sinks.size() && m_sinks[i]) ++i;
    if (i == m_sinks.size()) m_sinks.push_back(nullptr);
    m_sinks[i] = sink;
    *pdwCookie = static_cast<DWORD>(i + 1);
    return S_OK;
  });
}

STDMETHODIMP CConnectionPoint::Unadvise(DWORD dwCookie) {
  if (dwCookie == 0 || dwCookie > m_sinks.size() || !m_sinks[dwCookie - 1])
    return CONNECT_E_NOCONNECTION;
  IUnknown* p = m_sinks[dwCookie - 1];
  m_sinks[dwCookie - 1] = nullptr;
  p->Release();
  return S_OK;
}

STDMETHODIMP CConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  return CatchToResult([&]() -> HRESULT {
    std::vector<CONNECTDATA> live;
    for (size_t i = 0; i < m_sinks.size(); ++i)
      if (m_sinks[i]) live.push_back(CONNECTDATA{m_sinks[i], static_cast<DWORD>(i + 1)});
    *ppEnum = new (std::nothrow) CEnumConnections(live);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
  });
}
