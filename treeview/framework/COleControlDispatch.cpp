// COleControl: IDispatch driven by the derived class's dispatch table, and
// IProvideClassInfo2. No C++ exception leaves these methods.
#include "framework/COleControl.h"
#include "framework/CModuleStateScope.h"
#include <new>

namespace {
// Variants that clear themselves.
struct VariantArray {
  std::vector<VARIANT> v;
  explicit VariantArray(size_t n) : v(n) {
    for (VARIANT& x : v) VariantInit(&x);
  }
  ~VariantArray() {
    for (VARIANT& x : v) VariantClear(&x);
  }
};
}  // namespace

STDMETHODIMP COleControl::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 1;
  return S_OK;
}

STDMETHODIMP COleControl::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0) return DISP_E_BADINDEX;
  ITypeLib* lib = nullptr;
  HRESULT hr = GetTypeLib(&lib);
  if (FAILED(hr)) return hr;
  hr = lib->GetTypeInfoOfGuid(m_iidPrimary, ppTInfo);
  lib->Release();
  return hr;
}

STDMETHODIMP COleControl::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                        DISPID* rgDispId) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!rgszNames || !rgDispId) return E_POINTER;
  if (cNames == 0) return E_INVALIDARG;
  for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
  UINT n = 0;
  const DispEntry* table = GetDispatchTable(&n);
  const DispEntry* e = nullptr;
  for (UINT i = 0; i < n && !e; ++i)
    if (rgszNames[0] && _wcsicmp(rgszNames[0], table[i].name) == 0) e = &table[i];
  if (!e) return DISP_E_UNKNOWNNAME;
  rgDispId[0] = e->dispid;
  HRESULT hr = S_OK;
  // Further names are the member's parameters, numbered by position.
  for (UINT i = 1; i < cNames; ++i) {
    for (UINT p = 0; p < e->cParams; ++p)
      if (rgszNames[i] && _wcsicmp(rgszNames[i], e->params[p].name) == 0)
        rgDispId[i] = static_cast<DISPID>(p);
    if (rgDispId[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

const DispEntry* COleControl::FindEntry(DISPID dispid) const {
  UINT n = 0;
  const DispEntry* table = GetDispatchTable(&n);
  for (UINT i = 0; i < n; ++i)
    if (table[i].dispid == dispid) return &table[i];
  return nullptr;
}

STDMETHODIMP COleControl::Invoke(DISPID dispid, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pParams,
                                 VARIANT* pResult, EXCEPINFO*, UINT* puArgErr) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!pParams) return E_INVALIDARG;
  const DispEntry* e = FindEntry(dispid);
  if (!e) return DISP_E_MEMBERNOTFOUND;
  CModuleStateScope scope;
  // Keep the control alive while a member runs: an event handler may release it.
  AddRef();
  HRESULT hr;
  try {
    hr = InvokeEntry(*e, wFlags, pParams, pResult, puArgErr);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  Release();
  return hr;
}

HRESULT COleControl::InvokeEntry(const DispEntry& e, WORD flags, DISPPARAMS* dispParams,
                                 VARIANT* out, UINT* argErr) {
  const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const bool isGet = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
  if (!isPut && !isGet) return DISP_E_MEMBERNOTFOUND;
  if (isPut) {
    if (e.kind == DispKind::Method || !e.pfnPut) return DISP_E_MEMBERNOTFOUND;
    // An object reference is put to an object property only.
    if (!(flags & DISPATCH_PROPERTYPUT) && e.vt != VT_DISPATCH) return DISP_E_MEMBERNOTFOUND;
    if (dispParams->cNamedArgs != 1 || !dispParams->rgdispidNamedArgs ||
        dispParams->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_PARAMNOTOPTIONAL;
    if (dispParams->cArgs != e.cParams + 1) return DISP_E_BADPARAMCOUNT;
  } else {
    if (dispParams->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (dispParams->cArgs != e.cParams) return DISP_E_BADPARAMCOUNT;
    if (!e.pfnGet) return DISP_E_MEMBERNOTFOUND;
  }
  if (dispParams->cArgs && !dispParams->rgvarg) return E_INVALIDARG;

  // The arguments arrive last first; a write's new value is rgvarg[0].
  VariantArray args(e.cParams);
  for (UINT i = 0; i < e.cParams; ++i) {
    UINT pos = dispParams->cArgs - 1 - i;
    if (FAILED(VariantChangeType(&args.v[i], &dispParams->rgvarg[pos], 0, e.params[i].vt))) {
      if (argErr) *argErr = pos;
      return DISP_E_TYPEMISMATCH;
    }
  }
  VARIANT* converted = e.cParams ? args.v.data() : nullptr;
  if (isPut) {
    VariantArray value(1);
    if (FAILED(VariantChangeType(&value.v[0], &dispParams->rgvarg[0], 0, e.vt))) {
      if (argErr) *argErr = 0;
      return DISP_E_TYPEMISMATCH;
    }
    return e.pfnPut(this, converted, value.v[0]);
  }
  VariantArray result(1);
  HRESULT hr = e.pfnGet(this, converted, &result.v[0]);
  if (SUCCEEDED(hr) && out) {
    VariantInit(out);
    *out = result.v[0];
    VariantInit(&result.v[0]);  // ownership passed to the caller
  }
  return hr;
}

STDMETHODIMP COleControl::GetClassInfo(ITypeInfo** ppTI) {
  if (!ppTI) return E_POINTER;
  *ppTI = nullptr;
  ITypeLib* lib = nullptr;
  HRESULT hr = GetTypeLib(&lib);
  if (FAILED(hr)) return hr;
  hr = lib->GetTypeInfoOfGuid(GetControlClsid(), ppTI);
  lib->Release();
  return hr;
}

STDMETHODIMP COleControl::GetGUID(DWORD dwGuidKind, GUID* pGUID) {
  if (!pGUID) return E_POINTER;
  if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *pGUID = GUID_NULL;
    return E_INVALIDARG;
  }
  *pGUID = m_cpEvents.GetIID();
  return S_OK;
}
