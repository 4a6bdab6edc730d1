// TestContainer: host window, the log by name and the string helpers.
#include "TestContainer.h"
#include <cwchar>
#include "ids/QorTreeViewIds.h"

namespace {
LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
}  // namespace

TestContainer::TestContainer()
    : CContainerSite(
          nullptr, DIID__DQorTreeViewEvents,
          [this](NoticeKind kind, DISPID id, const DISPPARAMS* args) { Record(kind, id, args); }) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"QorTestContainer";
  RegisterClassW(&wc);
  // Hidden: showing a top-level window costs seconds under Wine, and nothing here needs it.
  SetHostWindow(CreateWindowExW(0, L"QorTestContainer", L"Test container",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 500, 400, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr));
}

TestContainer::~TestContainer() {
  Close();
  if (HostWindow()) DestroyWindow(HostWindow());
}

void TestContainer::Record(NoticeKind kind, DISPID id, const DISPPARAMS* args) {
  const wchar_t* name =
      kind == NoticeKind::Event ? qortreeview::EventName(id) : qortreeview::MemberName(id);
  std::string text = name ? std::string(name, name + wcslen(name)) : std::to_string(id);
  if (kind != NoticeKind::Event) {
    log.push_back("changed:" + text);
    return;
  }
  // The arguments as text, first first: "event:LoadComplete(True)".
  for (UINT i = args->cArgs; i > 0; --i) {
    VARIANT v;
    VariantInit(&v);
    VariantChangeType(&v, &args->rgvarg[i - 1], VARIANT_ALPHABOOL, VT_BSTR);
    text += (i == args->cArgs ? "(" : ",") + (V_VT(&v) == VT_BSTR ? ToAnsi(V_BSTR(&v)) : "?");
    VariantClear(&v);
  }
  log.push_back("event:" + text + (args->cArgs ? ")" : ""));
}

HRESULT TestContainer::Create(const wchar_t* progId) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  IUnknown* control = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                        reinterpret_cast<void**>(&control));
  if (FAILED(hr)) return hr;
  return Create(control);
}

HWND TestContainer::TreeWindow() const {
  HWND c = ControlWindow();
  return c ? GetDlgItem(c, IDC_TREE) : nullptr;
}

std::vector<std::string> TestContainer::Take() {
  std::vector<std::string> out;
  out.swap(log);
  return out;
}

std::string TestContainer::GetString(DISPID id) {
  VARIANT v;
  if (FAILED(Get(id, &v)) || V_VT(&v) != VT_BSTR) {
    VariantClear(&v);
    return "<not a string>";
  }
  std::string s = ToAnsi(V_BSTR(&v));
  VariantClear(&v);
  return s;
}

HRESULT TestContainer::PutString(DISPID id, const std::string& value) {
  return PutString(id, FromAnsi(value));
}

HRESULT TestContainer::PutString(DISPID id, const std::wstring& value) {
  VARIANT v = VarBstr(value);
  HRESULT hr = Put(id, v);
  VariantClear(&v);
  return hr;
}

VARIANT VarBstr(const std::string& s) { return VarBstr(FromAnsi(s)); }

std::wstring FromAnsi(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (n) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string ToAnsi(BSTR b) { return ToAnsi(std::wstring(b, SysStringLen(b))); }

std::string ToAnsi(const std::wstring& w) {
  int n = static_cast<int>(w.size());
  int cb = WideCharToMultiByte(CP_ACP, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(cb), '\0');
  if (cb) WideCharToMultiByte(CP_ACP, 0, w.data(), n, &s[0], cb, nullptr, nullptr);
  return s;
}
