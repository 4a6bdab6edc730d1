// COleObjectFactory: IClassFactory, the module's factory list, registration.
#include "framework/COleObjectFactory.h"
#include "framework/COleControlModule.h"
#include "framework/CModuleStateScope.h"

COleObjectFactory* COleObjectFactory::s_pFirst = nullptr;

COleObjectFactory::COleObjectFactory(REFCLSID clsid, CreateFn pfnCreate, bool multiInstance,
                                     const wchar_t* pszProgID)
    : m_pNext(s_pFirst),
      m_clsid(clsid),
      m_pfnCreate(pfnCreate),
      m_bMultiInstance(multiInstance),
      m_pszProgID(pszProgID) {
  s_pFirst = this;
}

COleObjectFactory::~COleObjectFactory() {
  for (COleObjectFactory** pp = &s_pFirst; *pp; pp = &(*pp)->m_pNext) {
    if (*pp == this) {
      *pp = m_pNext;
      break;
    }
  }
}

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleObjectFactory::AddRef() {
  if (COleControlModule* m = COleControlModule::Get()) m->Lock();
  return 2;
}

STDMETHODIMP_(ULONG) COleObjectFactory::Release() {
  if (COleControlModule* m = COleControlModule::Get()) m->Unlock();
  return 1;
}

STDMETHODIMP COleObjectFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (pOuter) return CLASS_E_NOAGGREGATION;
  CModuleStateScope scope;
  IUnknown* pUnk = nullptr;
  try {
    pUnk = m_pfnCreate();
  } catch (...) {
    pUnk = nullptr;
  }
  if (!pUnk) return E_OUTOFMEMORY;
  HRESULT hr = pUnk->QueryInterface(riid, ppv);
  pUnk->Release();
  return hr;
}

STDMETHODIMP COleObjectFactory::LockServer(BOOL fLock) {
  if (COleControlModule* m = COleControlModule::Get()) {
    if (fLock)
      m->Lock();
    else
      m->Unlock();
  }
  return S_OK;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (COleObjectFactory* p = s_pFirst; p; p = p->m_pNext)
    if (p->m_clsid == clsid) return p->QueryInterface(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool COleObjectFactory::UpdateRegistryAll(bool registering, CClassRegistry& registry) {
  bool ok = true;
  for (COleObjectFactory* p = s_pFirst; p; p = p->m_pNext)
    if (!p->UpdateRegistry(registering, registry)) ok = false;
  return ok;
}
