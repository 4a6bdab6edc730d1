// TestContainer: the shared container site with a hidden host window of its
// own and a log of what the control reported, in order. Owns the window.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <string>
#include <vector>
#include "CContainerSite.h"
#include "Variants.h"

class TestContainer : public CContainerSite {
public:
  TestContainer();
  ~TestContainer() override;

  // Creates the control by ProgID and connects both sinks; no window yet.
  HRESULT Create(const wchar_t* progId);
  // The same for a control made in this process; takes over its reference.
  using CContainerSite::Create;

  // The control's tree window (IDC_TREE), or null.
  HWND TreeWindow() const;

  // Everything the sinks received since the last Take, by name:
  // "event:SelChanged", "event:LoadComplete(True)", "changed:SelectedLabel".
  std::vector<std::string> log;
  std::vector<std::string> Take();

  // Convenience forms for strings in the system code page.
  std::string GetString(DISPID id);
  HRESULT PutString(DISPID id, const std::string& value);
  // Text of any character (GetWideString reads).
  HRESULT PutString(DISPID id, const std::wstring& value);

private:
  void Record(NoticeKind kind, DISPID id, const DISPPARAMS* args);
};

// Text of the system code page as a VARIANT (Variants.h makes the others).
VARIANT VarBstr(const std::string& s);  // caller clears
std::wstring FromAnsi(const std::string& s);
std::string ToAnsi(BSTR b);
std::string ToAnsi(const std::wstring& w);
