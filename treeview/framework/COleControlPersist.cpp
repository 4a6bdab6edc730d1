// COleControl: IPersistStreamInit, IPersistStorage, IPersistPropertyBag and
// ISpecifyPropertyPages. The state saved is the version stamp, the extent
// and the control's own properties (DoPropExchange); a state of an older
// version loads its version and extent only, and is saved as the current one.
#include "framework/CatchToResult.h"
#include "framework/COleControl.h"

namespace {
const wchar_t kContents[] = L"Contents";
const ULONG kStateSize = 3 * sizeof(DWORD);

HRESULT ReadProp(IPropertyBag* bag, const wchar_t* name, LONG* value) {
  VARIANT v = {};  // wholly zeroed, as CPropExchange's bag reads
  V_VT(&v) = VT_I4;
  HRESULT hr = bag->Read(name, &v, nullptr);
  if (SUCCEEDED(hr)) {
    hr = VariantChangeType(&v, &v, 0, VT_I4);
    if (SUCCEEDED(hr)) *value = V_I4(&v);
  }
  VariantClear(&v);
  return hr;
}

HRESULT WriteProp(IPropertyBag* bag, const wchar_t* name, LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return bag->Write(name, &v);
}
}  // namespace

STDMETHODIMP COleControl::GetClassID(CLSID* pClassID) {
  if (!pClassID) return E_POINTER;
  *pClassID = GetControlClsid();
  return S_OK;
}

STDMETHODIMP COleControl::IsDirty() { return m_bModified ? S_OK : S_FALSE; }

HRESULT COleControl::ReadState(IStream* stream) {
  DWORD state[3] = {};
  ULONG got = 0;
  HRESULT hr = stream->Read(state, kStateSize, &got);
  if (FAILED(hr)) return hr;
  if (got != kStateSize) return STG_E_READFAULT;
  // state[0] is the saved version; every version converts to the current one.
  if (state[0] >= GetPropertiesVersion()) {
    // What the properties are now, to go back to if the stream fails part-way.
    IStream* before = nullptr;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, &before);
    if (SUCCEEDED(hr)) hr = ExchangeProperties(before, false, GetControlVersion());
    if (SUCCEEDED(hr)) {
      hr = ExchangeProperties(stream, true, state[0]);
      if (FAILED(hr)) {
        const LARGE_INTEGER zero = {};
        before->Seek(zero, STREAM_SEEK_SET, nullptr);
        ExchangeProperties(before, true, GetControlVersion());
      }
    }
    if (before) before->Release();
    if (FAILED(hr)) return hr;
  }
  m_sizeExtent.cx = static_cast<LONG>(state[1]);
  m_sizeExtent.cy = static_cast<LONG>(state[2]);
  m_bModified = false;
  return S_OK;
}

HRESULT COleControl::ExchangeProperties(IStream* stream, bool loading, DWORD version) {
  CPropExchange px(stream, loading, version);
  DoPropExchange(px);
  return px.GetResult();
}

HRESULT COleControl::WriteState(IStream* stream) {
  DWORD state[3] = {GetControlVersion(), static_cast<DWORD>(m_sizeExtent.cx),
                    static_cast<DWORD>(m_sizeExtent.cy)};
  ULONG put = 0;
  HRESULT hr = stream->Write(state, kStateSize, &put);
  if (FAILED(hr)) return hr;
  if (put != kStateSize) return STG_E_WRITEFAULT;
  return ExchangeProperties(stream, false, GetControlVersion());
}

STDMETHODIMP COleControl::Load(LPSTREAM pStm) {
  return CatchToResult([&]() -> HRESULT {
    if (!pStm) return E_POINTER;
    return ReadState(pStm);
  });
}

STDMETHODIMP COleControl::Save(LPSTREAM pStm, BOOL fClearDirty) {
  return CatchToResult([&]() -> HRESULT {
    if (!pStm) return E_POINTER;
    HRESULT hr = WriteState(pStm);
    if (SUCCEEDED(hr) && fClearDirty) m_bModified = false;
    return hr;
  });
}

STDMETHODIMP COleControl::GetSizeMax(ULARGE_INTEGER* pCbSize) {
  if (!pCbSize) return E_POINTER;
  return CatchToResult([&]() -> HRESULT {
    // The size of the state as it would be saved now.
    IStream* stream = nullptr;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    hr = WriteState(stream);
    STATSTG st = {};
    if (SUCCEEDED(hr)) hr = stream->Stat(&st, STATFLAG_NONAME);
    stream->Release();
    if (SUCCEEDED(hr)) pCbSize->QuadPart = st.cbSize.QuadPart;
    return hr;
  });
}

STDMETHODIMP COleControl::InitNew() {
  return CatchToResult([&]() -> HRESULT {
    OnResetState();
    return S_OK;
  });
}

STDMETHODIMP COleControl::InitNew(IStorage*) { return InitNew(); }

STDMETHODIMP COleControl::Load(IStorage* pStg) {
  return CatchToResult([&]() -> HRESULT {
    if (!pStg) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT hr = pStg->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(hr)) return hr;
    hr = ReadState(stream);
    stream->Release();
    return hr;
  });
}

STDMETHODIMP COleControl::Save(IStorage* pStgSave, BOOL fSameAsLoad) {
  return CatchToResult([&]() -> HRESULT {
    if (!pStgSave) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT hr = pStgSave->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE,
                                        0, 0, &stream);
    if (FAILED(hr)) return hr;
    hr = WriteState(stream);
    stream->Release();
    if (SUCCEEDED(hr) && fSameAsLoad) m_bModified = false;
    return hr;
  });
}

STDMETHODIMP COleControl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP COleControl::HandsOffStorage() { return S_OK; }

STDMETHODIMP COleControl::Load(IPropertyBag* pPropBag, IErrorLog*) {
  return CatchToResult([&]() -> HRESULT {
    if (!pPropBag) return E_POINTER;
    // Missing values keep their defaults: a bag written by hand may hold none.
    LONG version = 0, cx = m_sizeExtent.cx, cy = m_sizeExtent.cy;
    ReadProp(pPropBag, L"_Version", &version);
    ReadProp(pPropBag, L"_ExtentX", &cx);
    ReadProp(pPropBag, L"_ExtentY", &cy);
    m_sizeExtent.cx = cx;
    m_sizeExtent.cy = cy;
    CPropExchange px(pPropBag, true, GetControlVersion());
    DoPropExchange(px);
    m_bModified = false;
    return S_OK;
  });
}

STDMETHODIMP COleControl::Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL) {
  return CatchToResult([&]() -> HRESULT {
    if (!pPropBag) return E_POINTER;
    HRESULT hr = WriteProp(pPropBag, L"_Version", static_cast<LONG>(GetControlVersion()));
    if (SUCCEEDED(hr)) hr = WriteProp(pPropBag, L"_ExtentX", m_sizeExtent.cx);
    if (SUCCEEDED(hr)) hr = WriteProp(pPropBag, L"_ExtentY", m_sizeExtent.cy);
    if (SUCCEEDED(hr)) {
      CPropExchange px(pPropBag, false, GetControlVersion());
      DoPropExchange(px);
      hr = px.GetResult();
    }
    if (SUCCEEDED(hr) && fClearDirty) m_bModified = false;
    return hr;
  });
}

STDMETHODIMP COleControl::GetPages(CAUUID* pPages) {
  if (!pPages) return E_POINTER;
  const CLSID* ids = nullptr;
  UINT n = GetPropPageIDs(&ids);
  pPages->cElems = 0;
  pPages->pElems = nullptr;
  if (n == 0) return S_OK;
  pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(n * sizeof(GUID)));
  if (!pPages->pElems) return E_OUTOFMEMORY;
  for (UINT i = 0; i < n; ++i) pPages->pElems[i] = ids[i];
  pPages->cElems = n;
  return S_OK;
}
