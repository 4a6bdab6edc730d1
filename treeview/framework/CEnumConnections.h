// CEnumConnections: the enumerator a connection point hands out for its
// connections: a snapshot of the sinks and cookies when it was made. Holds a
// reference to each sink for as long as it lives; clones share nothing but
// the sinks.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <vector>

class CEnumConnections : public IEnumConnections {
public:
  // Starts with one reference, owned by the caller.
  explicit CEnumConnections(const std::vector<CONNECTDATA>& connections, ULONG position = 0);
  CEnumConnections(const CEnumConnections&) = delete;
  CEnumConnections& operator=(const CEnumConnections&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) override;
  STDMETHODIMP Skip(ULONG cConnections) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumConnections** ppEnum) override;

private:
  virtual ~CEnumConnections();

  LONG m_cRef = 1;
  std::vector<CONNECTDATA> m_connections;
  ULONG m_position;
};
