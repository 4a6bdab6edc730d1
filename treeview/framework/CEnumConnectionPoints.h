// CEnumConnectionPoints: the enumerator a control hands out for its
// connection points. Holds a reference to each point (and through it to the
// control) for as long as it lives; clones share nothing but the points.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <vector>

class CEnumConnectionPoints : public IEnumConnectionPoints {
public:
  // Starts with one reference, owned by the caller.
  explicit CEnumConnectionPoints(const std::vector<IConnectionPoint*>& points, ULONG position = 0);
  CEnumConnectionPoints(const CEnumConnectionPoints&) = delete;
  CEnumConnectionPoints& operator=(const CEnumConnectionPoints&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) override;
  STDMETHODIMP Skip(ULONG cConnections) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumConnectionPoints** ppEnum) override;

private:
  virtual ~CEnumConnectionPoints();

  LONG m_cRef = 1;
  std::vector<IConnectionPoint*> m_points;
  ULONG m_position;
};
