// COleObjectFactory: IClassFactory, the module's factory list, registration.
#include "framework/COleObjectFactory.h"
#include "framework/COleControlModule.h"
#include "framework/CModuleStateScope.h"

COleObjectFactory* COleObjectFactory::s_pFirst = nullptr;

COleObjectFactory::COleObjectFactory(REFCLSID clsid, CreateFn create, bool multiInstance,
                                     const wchar_t* progId)
    : m_pNext(s_pFirst),
      m_clsid(clsid),
      m_pfnCreate(create),
      m_bMultiInstance(multiInstance),
      m_pszProgID(progId) {
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
  IUnknown* object = nullptr;
  try {
    object = m_pfnCreate();
  } catch (...) {
    object = nullptr;
  }
  if (!object) return E_OUTOFMEMORY;
  HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
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

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (COleObjectFactory* p = s_pFirst; p; p = p->m_pNext)
    if (p->m_clsid == clsid) return p->QueryInterface(iid, object);
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool COleObjectFactory::UpdateRegistryAll(bool registering, CClassRegistry& registry) {
  bool ok = true;
  for (COleObjectFactory* p = s_pFirst; p; p = p->m_pNext)
    if (!p->UpdateRegistry(registering, registry)) ok = false;
  return ok;
}
