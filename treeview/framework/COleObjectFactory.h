// COleObjectFactory: the class factory (IClassFactory) of one class of the
// module; factories are static objects chained in the module's list, which
// hands them out and registers their classes.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include "framework/CClassRegistry.h"

class COleObjectFactory : public IClassFactory {
public:
  // Creates one object and gives its IUnknown with one reference, or null.
  typedef IUnknown* (*CreateFn)();

  COleObjectFactory(REFCLSID clsid, CreateFn create, bool multiInstance, const wchar_t* progId);
  virtual ~COleObjectFactory();
  COleObjectFactory(const COleObjectFactory&) = delete;
  COleObjectFactory& operator=(const COleObjectFactory&) = delete;

  // IUnknown: static objects; references lock the module.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IClassFactory
  STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
  STDMETHODIMP LockServer(BOOL fLock) override;

  // Writes or removes this class's entries.
  virtual bool UpdateRegistry(bool registering, CClassRegistry& registry) = 0;

  REFCLSID GetClassID() const { return m_clsid; }
  const wchar_t* GetProgID() const { return m_pszProgID; }

  // The module's list: DllGetClassObject and every factory's registration.
  static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
  static bool UpdateRegistryAll(bool registering, CClassRegistry& registry);

private:
  static COleObjectFactory* s_pFirst;
  COleObjectFactory* m_pNext;
  const CLSID m_clsid;
  CreateFn m_pfnCreate;
  bool m_bMultiInstance;  // kept for the record; every object is independent
  const wchar_t* m_pszProgID;
};
