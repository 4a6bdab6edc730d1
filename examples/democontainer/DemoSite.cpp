// DemoSite: creation from the module beside the program.
#include "DemoSite.h"
#include "ids/QorTreeViewIds.h"

DemoSite::DemoSite(HWND host, DemoNotice notice)
    : CContainerSite(host, DIID__DQorTreeViewEvents,
                     [notice](NoticeKind kind, DISPID id, const DISPPARAMS*) {
                       notice(kind == NoticeKind::Event ? L"event" : L"changed", id);
                     }),
      m_hModule(nullptr),
      m_hrLocal(S_OK) {}

DemoSite::~DemoSite() { Close(); }

HRESULT DemoSite::CreateFromModule(const std::wstring& modulePath, IUnknown** control) {
  *control = nullptr;
  m_hModule = LoadLibraryW(modulePath.c_str());
  if (!m_hModule) return HRESULT_FROM_WIN32(GetLastError());
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(m_hModule, "DllGetClassObject")));
  HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  if (getClassObject)
    hr = getClassObject(CLSID_QorTreeView, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (SUCCEEDED(hr)) {
    hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control));
    factory->Release();
  }
  if (FAILED(hr)) {
    *control = nullptr;
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
  }
  return hr;
}

HRESULT DemoSite::Create(const std::wstring& modulePath) {
  Close();
  IUnknown* control = nullptr;
  HRESULT hr = m_hrLocal = CreateFromModule(modulePath, &control);
  if (FAILED(hr))
    hr = CoCreateInstance(CLSID_QorTreeView, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(&control));
  if (FAILED(hr)) return hr;
  return CContainerSite::Create(control);
}

void DemoSite::Close() {
  CContainerSite::Close();
  // Only once nothing of the control is left may its code go.
  if (m_hModule) {
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
  }
}
