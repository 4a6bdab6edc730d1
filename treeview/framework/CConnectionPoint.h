// CConnectionPoint: one connection point (IConnectionPoint) of a control;
// owns a reference to each connected sink, in an array whose cookie is the
// index plus one. Its lifetime is the control's, which it delegates
// reference counting to.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <vector>

class CConnectionPoint : public IConnectionPoint {
public:
  // container: the control (counted for this object's references too).
  CConnectionPoint(REFIID iid, IConnectionPointContainer* container);
  virtual ~CConnectionPoint();
  CConnectionPoint(const CConnectionPoint&) = delete;
  CConnectionPoint& operator=(const CConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* pIID) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  STDMETHODIMP Unadvise(DWORD dwCookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

  REFIID GetIID() const { return m_iid; }
  // Calls fn on every live sink, each held by a reference during the call,
  // so that a sink may disconnect itself or others meanwhile.
  template <class Fn>
  void ForEachSink(Fn fn) {
    for (size_t i = 0; i < m_sinks.size(); ++i) {
      IUnknown* p = m_sinks[i];
      if (!p) continue;
      p->AddRef();
      fn(p);
      p->Release();
    }
  }
  size_t GetConnectionCount() const;
  // Drops every sink (when the control closes).
  void Close();

private:
  const IID m_iid;
  IConnectionPointContainer* m_pContainer;
  std::vector<IUnknown*> m_sinks;  // null marks a free slot; cookie = index + 1
};
