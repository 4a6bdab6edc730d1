// DemoWindow: layout, the buttons' actions and the notice list.
#include "DemoWindow.h"
#include <commctrl.h>
#include <olectl.h>
#include "ids/QorTreeViewIds.h"
#include "Variants.h"

namespace {
enum : int {
  kUrl = 1001,
  kConfig,
  kLocalRemote,
  kShowError,
  kMenu0,
  kMenu1,
  kNode,
  kApply,
  kRefresh,
  kInsert,
  kRemoveAll,
  kAbout,
  kLog,
  kLabelFirst = 1100
};
// Lengths at 100 % scale, in pixels; Scaled() gives them at the window's.
constexpr int kPanel = 360;  // width of the right-hand panel
constexpr int kMargin = 8;

// The screen's scale, for anything not drawn in a window yet.
UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// A window's own scale where the system has one per window (Windows 10
// 1607 on), else the screen's.
UINT WindowDpi(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi ? dpi : ScreenDpi();
}

// Names for the notice list; "?" for an id the control does not declare.
const wchar_t* PropertyName(DISPID id) {
  const wchar_t* name = qortreeview::MemberName(id);
  return name ? name : L"?";
}

const wchar_t* EventName(DISPID id) {
  const wchar_t* name = qortreeview::EventName(id);
  return name ? name : L"?";
}

std::wstring ModuleBeside(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path, n < MAX_PATH ? n : 0);
  size_t slash = s.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : s.substr(0, slash + 1)) + name;
}

// "0x80040154: Class not registered", as the system words it.
std::wstring ErrorText(HRESULT hr) {
  wchar_t code[16];
  wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(hr));
  std::wstring text = code;
  wchar_t* words = nullptr;
  if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&words), 0,
                     nullptr)) {
    std::wstring w = words;
    LocalFree(words);
    while (!w.empty() &&
           (w.back() == L'\r' || w.back() == L'\n' || w.back() == L'.' || w.back() == L' '))
      w.pop_back();
    if (!w.empty()) text += L": " + w;
  }
  return text;
}

// What a user can do when neither the module beside the program nor a
// registration gave a control: the two fixes, for this program's bitness.
std::wstring CreationFailureText(HRESULT hr, HRESULT hrLocal, const std::wstring& modulePath) {
#ifdef _WIN64
  const wchar_t* bits = L"64-bit";
  const wchar_t* systemFolder = L"System32";
#else
  const wchar_t* bits = L"32-bit";
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const wchar_t* systemFolder = wow64 ? L"SysWOW64" : L"System32";
#endif
  wchar_t windows[MAX_PATH] = L"C:\\Windows";
  GetSystemWindowsDirectoryW(windows, MAX_PATH);
  const size_t slash = modulePath.find_last_of(L'\\');
  const std::wstring folder =
      slash == std::wstring::npos ? modulePath : modulePath.substr(0, slash + 1);

  std::wstring text = L"The control could not be created (" + ErrorText(hr) + L").\n\n";
  if (hrLocal == HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT))
    text +=
        L"The QorTreeView.ocx beside this program is not a " + std::wstring(bits) + L" module.\n\n";
  else if (FAILED(hrLocal) && hrLocal != HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) &&
           hrLocal != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
    text += L"The QorTreeView.ocx beside this program could not be used (" + ErrorText(hrLocal) +
            L").\n\n";
  text += L"This is a " + std::wstring(bits) +
          L" program. Either:\n\n"
          L"1. put the " +
          bits + L" QorTreeView.ocx (from the same zip as this program) beside it, in\n   " +
          folder +
          L"\n\nor\n\n"
          L"2. register a " +
          bits + L" QorTreeView.ocx with\n   " + windows + L"\\" + systemFolder +
          L"\\regsvr32.exe QorTreeView.ocx\n   (add /n /i:user to register it for this user only, "
          L"without administrator rights).";
  return text;
}
}  // namespace

DemoWindow::~DemoWindow() { Close(); }

void DemoWindow::Close() {
  if (m_site) m_site->Close();
  m_site.reset();
  if (m_hWnd) DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
  if (m_hFont) DeleteObject(m_hFont);
  m_hFont = nullptr;
}

bool DemoWindow::Create(HINSTANCE instance, const Settings& settings, int show) {
  m_settings = settings;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
  // Centred on the work area, so a server window started first at the corner stays in view.
  m_dpi = ScreenDpi();
  const int width = Scaled(760), height = Scaled(560);
  RECT work = {0, 0, width, height};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + ((work.right - work.left) - width) / 2;
  const int top = work.top + ((work.bottom - work.top) - height) / 2;
  m_hWnd = CreateWindowExW(0, kClassName, L"QorTreeView demo container",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left > 0 ? left : 0,
                           top > 0 ? top : 0, width, height, nullptr, nullptr, instance, this);
  if (!m_hWnd) return false;
  m_dpi = WindowDpi(m_hWnd);
  MakeFont();
  CreateChildren();

  m_site.reset(
      new DemoSite(m_hWnd, [this](const wchar_t* kind, DISPID id) { OnNotice(kind, id); }));
  const std::wstring module = ModuleBeside(L"QorTreeView.ocx");
  HRESULT hr = m_site->Create(module);
  const bool created = SUCCEEDED(hr);
  if (created) {
    Log(m_site->FromLocalModule() ? L"Control created from QorTreeView.ocx beside the program"
                                  : L"Control created from its registration");
    // Properties before activation: the tree loads when the control's window is made.
    Apply();
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    RECT pos = {Scaled(kMargin), Scaled(kMargin), rc.right - Scaled(kPanel) - Scaled(kMargin),
                rc.bottom - Scaled(kMargin)};
    hr = m_site->Activate(pos);
  }
  if (FAILED(hr)) {
    // Only a control that was never made has the two fixes to offer.
    const std::wstring msg = created
                                 ? L"The control could not be activated (" + ErrorText(hr) + L")."
                                 : CreationFailureText(hr, m_site->LocalModuleResult(), module);
    MessageBoxW(m_hWnd, msg.c_str(), L"QorTreeView demo", MB_ICONERROR | MB_OK);
    return false;
  }
  Layout();
  ShowWindow(m_hWnd, show);
  UpdateWindow(m_hWnd);
  return true;
}

void DemoWindow::MakeFont() {
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof(ncm);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) return;
  // The system gives it at the screen's scale.
  ncm.lfMessageFont.lfHeight =
      MulDiv(ncm.lfMessageFont.lfHeight, static_cast<int>(m_dpi), static_cast<int>(ScreenDpi()));
  HFONT font = CreateFontIndirectW(&ncm.lfMessageFont);
  if (!font) return;
  for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgCtrlID(child) >= kUrl)
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (m_hFont) DeleteObject(m_hFont);
  m_hFont = font;
}

HWND DemoWindow::AddChild(const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  HWND h = CreateWindowExW(
      lstrcmpW(cls, L"EDIT") == 0 || lstrcmpW(cls, L"LISTBOX") == 0 ? WS_EX_CLIENTEDGE : 0, cls,
      text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, m_hWnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (h && m_hFont) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
  return h;
}

void DemoWindow::CreateChildren() {
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  AddChild(L"STATIC", L"URL", 0, kLabelFirst);
  AddChild(L"EDIT", m_settings.url.c_str(), edit, kUrl);
  AddChild(L"STATIC", L"ConfigFile", 0, kLabelFirst + 1);
  AddChild(L"EDIT", m_settings.configFile.c_str(), edit, kConfig);
  AddChild(L"BUTTON", L"LocalRemote (remote)", WS_TABSTOP | BS_AUTOCHECKBOX, kLocalRemote);
  AddChild(L"BUTTON", L"ShowError", WS_TABSTOP | BS_AUTOCHECKBOX, kShowError);
  AddChild(L"STATIC", L"Popup menu texts", 0, kLabelFirst + 2);
  AddChild(L"EDIT", L"Inserir", edit, kMenu0);
  AddChild(L"EDIT", L"Remover", edit, kMenu1);
  AddChild(L"STATIC", L"Node (path|icon|data)", 0, kLabelFirst + 3);
  AddChild(L"EDIT", L"", edit, kNode);
  AddChild(L"BUTTON", L"Apply", button, kApply);
  AddChild(L"BUTTON", L"Refresh", button, kRefresh);
  AddChild(L"BUTTON", L"InsertNode", button, kInsert);
  AddChild(L"BUTTON", L"RemoveAll", button, kRemoveAll);
  AddChild(L"BUTTON", L"About", button, kAbout);
  AddChild(L"LISTBOX", L"", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, kLog);
  SendDlgItemMessageW(m_hWnd, kLog, LB_SETHORIZONTALEXTENT, 1200, 0);
  CheckDlgButton(m_hWnd, kLocalRemote, m_settings.localRemote ? BST_CHECKED : BST_UNCHECKED);
}

void DemoWindow::Layout() {
  RECT rc;
  GetClientRect(m_hWnd, &rc);
  const int margin = Scaled(kMargin), panel = Scaled(kPanel);
  if (m_site) m_site->Move({margin, margin, rc.right - panel - margin, rc.bottom - margin});
  // Rows hold the font's height; the rest scales with the window.
  const int buttons[] = {kApply, kRefresh, kInsert, kRemoveAll, kAbout};
  int textHeight = Scaled(13), widest = 0;
  if (HDC dc = GetDC(m_hWnd)) {
    HGDIOBJ old = SelectObject(dc, m_hFont ? m_hFont : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm;
    if (GetTextMetricsW(dc, &tm)) textHeight = tm.tmHeight;
    for (int id : buttons) {
      const std::wstring caption = Text(id);
      SIZE size = {};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
      if (size.cx > widest) widest = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
  }
  const int x = rc.right - panel, w = panel - margin, gap = Scaled(4);
  const int label = textHeight + Scaled(3), row = textHeight + Scaled(9),
            buttonRow = textHeight + Scaled(13);
  int y = margin;
  auto place = [&](int id, int left, int width, int height) {
    MoveWindow(GetDlgItem(m_hWnd, id), x + left, y, width, height, TRUE);
  };
  auto line = [&](int id, int height) {
    place(id, 0, w, height);
    y += height + gap;
  };
  line(kLabelFirst, label);
  line(kUrl, row);
  line(kLabelFirst + 1, label);
  line(kConfig, row);
  place(kLocalRemote, 0, w * 3 / 5, row);
  place(kShowError, w * 3 / 5, w * 2 / 5, row);
  y += row + gap;
  line(kLabelFirst + 2, label);
  place(kMenu0, 0, w / 2 - gap / 2, row);
  place(kMenu1, w / 2 + gap / 2, w / 2 - gap / 2, row);
  y += row + gap;
  line(kLabelFirst + 3, label);
  line(kNode, row);
  // As many buttons to a row as hold their widest caption, the row shared out.
  int perRow = (w + gap) / (widest + Scaled(16) + gap);
  perRow = perRow < 1 ? 1 : perRow > 5 ? 5 : perRow;
  const int b = (w - (perRow - 1) * gap) / perRow;
  for (int i = 0; i < 5; ++i) {
    place(buttons[i], (i % perRow) * (b + gap), b, buttonRow);
    if (i % perRow == perRow - 1 || i == 4) y += buttonRow + gap;
  }
  int rest = rc.bottom - margin - y;
  line(kLog, rest > Scaled(40) ? rest : Scaled(40));
}

std::wstring DemoWindow::Text(int id) const {
  HWND h = GetDlgItem(m_hWnd, id);
  int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, &s[0], n + 1);
  s.resize(static_cast<size_t>(n > 0 ? n : 0));
  return s;
}

void DemoWindow::Log(const std::wstring& line) {
  HWND list = GetDlgItem(m_hWnd, kLog);
  LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  // A long session must not grow without bound.
  while (SendMessageW(list, LB_GETCOUNT, 0, 0) > 2000)
    at = SendMessageW(list, LB_DELETESTRING, 0, 0) - 1;
  if (at >= 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(at), 0);
}

void DemoWindow::Apply() {
  // A refused write is reported, not lost: the list shows which one.
  auto report = [this](DISPID id, HRESULT hr) {
    if (FAILED(hr)) {
      wchar_t code[16];
      wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(hr));
      Log(std::wstring(L"Setting ") + PropertyName(id) + L" failed: " + code);
    }
  };
  auto putString = [this, &report](DISPID id, const std::wstring& s,
                                   const VARIANT* index = nullptr) {
    VARIANT v = VarBstr(s);
    report(id, m_site->Put(id, v, index, index ? 1 : 0));
    VariantClear(&v);
  };
  putString(kDispURL, Text(kUrl));
  putString(kDispConfigFile, Text(kConfig));
  report(kDispLocalRemote,
         m_site->Put(kDispLocalRemote,
                     VarI4(IsDlgButtonChecked(m_hWnd, kLocalRemote) == BST_CHECKED ? 1 : 0)));
  VARIANT flag;
  VariantInit(&flag);
  V_VT(&flag) = VT_BOOL;
  V_BOOL(&flag) =
      IsDlgButtonChecked(m_hWnd, kShowError) == BST_CHECKED ? VARIANT_TRUE : VARIANT_FALSE;
  report(kDispShowError, m_site->Put(kDispShowError, flag));
  VARIANT first = VarI4(0), second = VarI4(1);
  putString(kDispPopupMenuText, Text(kMenu0), &first);
  putString(kDispPopupMenuText, Text(kMenu1), &second);
}

void DemoWindow::InsertNode() {
  // path|icon|data, as one configuration record.
  std::wstring record = Text(kNode), fields[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    size_t bar = record.find(L'|', start);
    fields[i] = record.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  VARIANT args[3] = {VarBstr(fields[0]), VarBstr(fields[1]), VarBstr(fields[2])};
  VARIANT result;
  HRESULT hr = m_site->Call(kDispInsertNode, &result, args, 3);
  bool ok = SUCCEEDED(hr) && V_VT(&result) == VT_BOOL && V_BOOL(&result) != VARIANT_FALSE;
  Log(L"InsertNode(\"" + fields[0] + L"\", \"" + fields[1] + L"\", \"" + fields[2] + L"\") = " +
      (ok ? L"True" : L"False"));
  VariantClear(&result);
  for (VARIANT& v : args) VariantClear(&v);
}

void DemoWindow::OnCommand(int id) {
  if (!m_site) return;
  VARIANT result;
  switch (id) {
    case kApply:
      Apply();
      Log(L"Properties applied");
      break;
    case kRefresh:
      Apply();
      m_site->Call(kDispRefresh, nullptr);
      Log(L"Refresh()");
      break;
    case kInsert:
      InsertNode();
      break;
    case kRemoveAll: {
      HRESULT hr = m_site->Call(kDispRemoveAll, &result);
      Log(std::wstring(L"RemoveAll() = ") +
          (SUCCEEDED(hr) && V_VT(&result) == VT_BOOL && V_BOOL(&result) ? L"True" : L"False"));
      VariantClear(&result);
      break;
    }
    case kAbout:
      m_site->Call(kDispAboutBox, nullptr);
      break;
    default:
      break;
  }
}

void DemoWindow::OnNotice(const wchar_t* kind, DISPID id) {
  std::wstring line;
  if (lstrcmpW(kind, L"event") == 0) {
    line = std::wstring(L"Event ") + EventName(id) + L": SelectedLabel=\"" +
           m_site->GetWideString(kDispSelectedLabel) + L"\" SelectedNodes=\"" +
           m_site->GetWideString(kDispSelectedNodes) + L"\" SelectedData=\"" +
           m_site->GetWideString(kDispSelectedData) + L"\"";
  } else {
    line = std::wstring(L"Changed ") + PropertyName(id);
    if (id == kDispSelectedLabel || id == kDispSelectedNodes || id == kDispSelectedData)
      line += L" = \"" + m_site->GetWideString(id) + L"\"";
  }
  Log(line);
}

LRESULT CALLBACK DemoWindow::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  DemoWindow* self = reinterpret_cast<DemoWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (m == WM_NCCREATE) {
    self = static_cast<DemoWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = h;
  }
  return self ? self->Handle(m, w, l) : DefWindowProcW(h, m, w, l);
}

LRESULT DemoWindow::Handle(UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_SIZE:
      Layout();
      return 0;
    case 0x02E0: {  // WM_DPICHANGED: moved to a screen of another scale
      m_dpi = HIWORD(w);
      MakeFont();
      const RECT* r = reinterpret_cast<const RECT*>(l);
      SetWindowPos(m_hWnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) OnCommand(LOWORD(w));
      return 0;
    case WM_DESTROY:
      // The control goes before its host window does.
      if (m_site) m_site->Close();
      SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
      m_hWnd = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(m_hWnd, m, w, l);
  }
}
