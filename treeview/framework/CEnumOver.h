// CEnumOver: the one COM enumerator of the framework, over a snapshot of
// items taken when it is made. The Policy says what holding an item means
// (a reference for the enumerator's life, or nothing) and how one is handed
// to the caller (a new reference, or a new task-memory string).
// Clones share nothing but what the policy holds.
#pragma once
#include <windows.h>
#include <new>
#include <vector>

// Policy: static void Hold(const Item&); static void Drop(const Item&);
//         static bool Copy(const Item&, Element* out)  (false: out of memory)
template <class IEnum, const IID* kIid, class ItemT, class Element, class Policy>
class CEnumOver : public IEnum {
public:
  using Item = ItemT;

  // Starts with one reference, owned by the caller.
  explicit CEnumOver(const std::vector<Item>& items, ULONG position = 0)
      : m_items(items), m_position(position) {
    for (const Item& item : m_items) Policy::Hold(item);
  }
  CEnumOver(const CEnumOver&) = delete;
  CEnumOver& operator=(const CEnumOver&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != *kIid) return E_NOINTERFACE;
    *ppv = static_cast<IEnum*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
  }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&m_cRef);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP Next(ULONG count, Element* out, ULONG* fetchedOut) override {
    if (!out || (count > 1 && !fetchedOut)) return E_POINTER;
    ULONG fetched = 0;
    while (fetched < count && m_position < m_items.size() &&
           Policy::Copy(m_items[m_position], &out[fetched])) {
      ++fetched;
      ++m_position;
    }
    if (fetchedOut) *fetchedOut = fetched;
    return fetched == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const ULONG left = static_cast<ULONG>(m_items.size()) - m_position;
    const ULONG step = count < left ? count : left;
    m_position += step;
    return step == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    m_position = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnum** ppEnum) override {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    try {
      *ppEnum = new CEnumOver(m_items, m_position);  // the snapshot's copy may throw too
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

private:
  virtual ~CEnumOver() {
    for (const Item& item : m_items) Policy::Drop(item);
  }

  LONG m_cRef = 1;
  std::vector<Item> m_items;
  ULONG m_position;
};
