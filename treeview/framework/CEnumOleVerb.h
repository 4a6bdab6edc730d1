// CEnumOleVerb: the enumerator a control hands out for its verbs, over a
// copy of the verb list; each verb's name is handed to the caller as a new
// task-memory string.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <string>
#include <vector>

class CEnumOleVerb : public IEnumOLEVERB {
public:
  struct Verb {
    LONG lVerb;
    std::wstring name;
    DWORD grfAttribs;
  };
  // Starts with one reference, owned by the caller.
  explicit CEnumOleVerb(const std::vector<Verb>& verbs, ULONG position = 0);
  CEnumOleVerb(const CEnumOleVerb&) = delete;
  CEnumOleVerb& operator=(const CEnumOleVerb&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP Next(ULONG celt, LPOLEVERB rgelt, ULONG* pceltFetched) override;
  STDMETHODIMP Skip(ULONG celt) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumOLEVERB** ppEnum) override;

private:
  virtual ~CEnumOleVerb() = default;

  LONG m_cRef = 1;
  std::vector<Verb> m_verbs;
  ULONG m_position;
};
