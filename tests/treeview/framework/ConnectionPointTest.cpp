// A connection point's sink array: cookies, slot reuse, refused sinks, and
// firing while sinks come and go.
#include <gtest/gtest.h>
#include <functional>
#include "framework/CConnectionPoint.h"

namespace {
// Counts references; answers IPropertyNotifySink only when told to.
class Sink : public IPropertyNotifySink {
public:
  explicit Sink(bool speaks = true) : m_speaks(speaks) {}
  virtual ~Sink() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || (m_speaks && riid == IID_IPropertyNotifySink)) {
      *ppv = static_cast<IPropertyNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP OnChanged(DISPID id) override {
    calls.push_back(id);
    if (onChanged) onChanged();
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
  ULONG refs = 0;
  std::vector<DISPID> calls;
  std::function<void()> onChanged;

private:
  bool m_speaks;
};

// The container that the point delegates its references to.
class Container : public IConnectionPointContainer {
public:
  STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
  ULONG refs = 0;
};

void Fire(CConnectionPoint& cp, DISPID id) {
  cp.ForEachSink([id](IUnknown* p) { static_cast<IPropertyNotifySink*>(p)->OnChanged(id); });
}
}  // namespace

TEST(ConnectionPoint, CookiesAreIndexPlusOneAndFreedSlotsAreReused) {
  Container owner;
  CConnectionPoint cp(IID_IPropertyNotifySink, &owner);
  Sink a, b, c;
  DWORD ca = 0, cb = 0, cc = 0;
  ASSERT_EQ(cp.Advise(&a, &ca), S_OK);
  ASSERT_EQ(cp.Advise(&b, &cb), S_OK);
  EXPECT_EQ(ca, 1u);
  EXPECT_EQ(cb, 2u);
  EXPECT_EQ(a.refs, 1u);  // the point holds one reference per sink
  ASSERT_EQ(cp.Unadvise(ca), S_OK);
  EXPECT_EQ(a.refs, 0u);
  ASSERT_EQ(cp.Advise(&c, &cc), S_OK);
  EXPECT_EQ(cc, 1u);
  EXPECT_EQ(cp.GetConnectionCount(), 2u);
  Fire(cp, 7);
  EXPECT_TRUE(a.calls.empty());
  EXPECT_EQ(b.calls, std::vector<DISPID>{7});
  EXPECT_EQ(c.calls, std::vector<DISPID>{7});
}

TEST(ConnectionPoint, InvalidCookiesAndSinksThatDoNotSpeakTheInterfaceAreRefused) {
  Container owner;
  CConnectionPoint cp(IID_IPropertyNotifySink, &owner);
  Sink mute(false), a;
  DWORD cookie = 99;
  EXPECT_EQ(cp.Advise(&mute, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(mute.refs, 0u);
  EXPECT_EQ(cp.Advise(nullptr, &cookie), E_POINTER);
  ASSERT_EQ(cp.Advise(&a, &cookie), S_OK);
  EXPECT_EQ(cp.Unadvise(0), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(cp.Unadvise(2), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(cp.Unadvise(cookie), S_OK);
  EXPECT_EQ(cp.Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(a.refs, 0u);
}

TEST(ConnectionPoint, ASinkMayDisconnectDuringAFireAndCloseReleasesTheRest) {
  Container owner;
  CConnectionPoint cp(IID_IPropertyNotifySink, &owner);
  Sink a, b;
  DWORD ca = 0, cb = 0;
  ASSERT_EQ(cp.Advise(&a, &ca), S_OK);
  ASSERT_EQ(cp.Advise(&b, &cb), S_OK);
  a.onChanged = [&] { cp.Unadvise(ca); };
  Fire(cp, 1);
  EXPECT_EQ(a.refs, 0u);  // released once the call was over
  EXPECT_EQ(b.calls, std::vector<DISPID>{1});
  Fire(cp, 2);
  EXPECT_EQ(a.calls, std::vector<DISPID>{1});
  cp.Close();
  EXPECT_EQ(b.refs, 0u);
  EXPECT_EQ(cp.GetConnectionCount(), 0u);
  // References to the point are the container's.
  IConnectionPointContainer* back = nullptr;
  EXPECT_EQ(cp.GetConnectionPointContainer(&back), S_OK);
  EXPECT_EQ(back, &owner);
  EXPECT_EQ(owner.refs, 1u);
  back->Release();
}

TEST(ConnectionPoint, EnumConnectionsListsTheLiveSinksWithTheirCookies) {
  Container owner;
  CConnectionPoint cp(IID_IPropertyNotifySink, &owner);
  Sink a, b;
  DWORD ca = 0, cb = 0;
  ASSERT_EQ(cp.Advise(&a, &ca), S_OK);
  ASSERT_EQ(cp.Advise(&b, &cb), S_OK);
  ASSERT_EQ(cp.Unadvise(ca), S_OK);
  IEnumConnections* e = nullptr;
  ASSERT_EQ(cp.EnumConnections(&e), S_OK);
  CONNECTDATA cd[2] = {};
  ULONG got = 0;
  EXPECT_EQ(e->Next(2, cd, &got), S_FALSE);
  ASSERT_EQ(got, 1u);
  EXPECT_EQ(cd[0].pUnk, static_cast<IUnknown*>(&b));
  EXPECT_EQ(cd[0].dwCookie, cb);
  cd[0].pUnk->Release();
  e->Release();
  EXPECT_EQ(b.refs, 1u);  // only the point's own reference is left
  cp.Close();
}
