// DemoSite: the shared container site for the demo's one control, created
// from the module beside the program without registration when it can be.
// Owns the module it loaded, which goes only after the control has.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "CContainerSite.h"

class DemoSite : public CContainerSite {
public:
  // kind: "event" or "changed"; id: the event's or property's dispatch id.
  using DemoNotice = std::function<void(const wchar_t* kind, DISPID id)>;

  DemoSite(HWND host, DemoNotice notice);
  ~DemoSite() override;

  // Creates the control from the module beside the program, without any
  // registration; falls back to the registered class. Connects both sinks.
  HRESULT Create(const std::wstring& modulePath);
  // True when the control came from the module beside the program.
  bool FromLocalModule() const { return m_hModule != nullptr; }
  // Why the module beside the program gave no control (S_OK when it did).
  HRESULT LocalModuleResult() const { return m_hrLocal; }
  // Releases the control, then frees its module; idempotent.
  void Close();

private:
  HRESULT CreateFromModule(const std::wstring& modulePath, IUnknown** control);

  HMODULE m_hModule;
  HRESULT m_hrLocal;  // of the last attempt with the module beside the program
};
