// Real clients that nobody here wrote: the system's script host (cscript)
// with JScript and VBScript creates the control by its ProgID and drives it
// through IDispatch; and the system's ATL control host window hosts it.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <fstream>
#include "ids/QorTreeViewIds.h"
#include "ProgramProcess.h"
#include "TestProcess.h"

namespace {
std::wstring Module() { return L"\"" + ControlModulePath() + L"\""; }

DWORD Regsvr32(const std::wstring& options) {
  return RunProcess(L"\"" + SystemProgram(L"regsvr32.exe") + L"\" /s " + options + L" " + Module())
      .exitCode;
}

class Registered : public ::testing::Environment {
public:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(Regsvr32(L""), 0u);
  }
  void TearDown() override {
    EXPECT_EQ(Regsvr32(L"/u"), 0u);
    CoUninitialize();
  }
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new Registered);

// Runs a script through cscript and gives its output with CR LF as LF.
std::string RunScript(const char* extension, const std::string& text) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + L"qortreeview_client" +
                      std::wstring(extension, extension + strlen(extension));
  {
    std::ofstream f(path.c_str(), std::ios::binary);
    f << text;
  }
  ProcessResult r =
      RunProcess(L"\"" + SystemProgram(L"cscript.exe") + L"\" //nologo \"" + path + L"\"");
  DeleteFileW(path.c_str());
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  std::string out;
  for (char ch : r.output)
    if (ch != '\r') out += ch;
  return out;
}
}  // namespace

TEST(ScriptClients, JScriptReadsDefaultsAndWritesAndReadsProperties) {
  const std::string out = RunScript(".js", R"(
var c = new ActiveXObject("QORTREEVIEW.QorTreeViewCtrl.1");
WScript.Echo("ShowError=" + c.ShowError + " LocalRemote=" + c.LocalRemote);
WScript.Echo("[" + c.ConfigFile + "][" + c.URL + "][" + c.SelectedNodes + "][" + c.SelectedLabel + "][" + c.SelectedData + "]");
WScript.Echo(c.PopupMenuText(0) + "," + c.PopupMenuText(1) + "," + c.PopupMenuText(2));
c.URL = "http://127.0.0.1/cfg"; c.ConfigFile = "tree.txt"; c.LocalRemote = 1; c.ShowError = true;
c.SelectedData = "data";
WScript.Echo(c.URL + " " + c.ConfigFile + " " + c.LocalRemote + " " + c.ShowError + " " + c.SelectedData);
WScript.Echo("InsertNode=" + c.InsertNode("A\\B", "", "d") + " RemoveAll=" + c.RemoveAll());
c.Refresh();
)");
  EXPECT_EQ(out,
            "ShowError=false LocalRemote=0\n"
            "[][][][][]\n"
            "Inserir,Remover,Invalid Number\n"
            "http://127.0.0.1/cfg tree.txt 1 true data\n"
            "InsertNode=false RemoveAll=false\n");
}

TEST(ScriptClients, VBScriptWritesThePopupTextsThroughTheirEntryNumber) {
  const std::string out = RunScript(".vbs", R"(
Set c = CreateObject("QORTREEVIEW.QorTreeViewCtrl.1")
WScript.Echo "ShowError=" & c.ShowError & " LocalRemote=" & c.LocalRemote
c.PopupMenuText(0) = "Add"
c.PopupMenuText(1) = "Delete"
c.PopupMenuText(2) = "Ignored"
WScript.Echo c.PopupMenuText(0) & "," & c.PopupMenuText(1) & "," & c.PopupMenuText(2)
c.LocalRemote = "7"
c.SelectedNodes = "A\B"
WScript.Echo c.LocalRemote & " " & c.SelectedNodes
)");
  EXPECT_EQ(out,
            "ShowError=False LocalRemote=0\n"
            "Add,Delete,Invalid Number\n"
            "7 A\\B\n");
}

namespace {
typedef BOOL(WINAPI* AtlAxWinInitFn)();
typedef HRESULT(WINAPI* AtlAxGetControlFn)(HWND, IUnknown**);

HRESULT CallInsertNode(IDispatch* d, const wchar_t* path, VARIANT* result) {
  VARIANT args[3];  // last argument first
  for (VARIANT& a : args) {
    VariantInit(&a);
    V_VT(&a) = VT_BSTR;
  }
  V_BSTR(&args[0]) = SysAllocString(L"data");
  V_BSTR(&args[1]) = SysAllocString(L"");
  V_BSTR(&args[2]) = SysAllocString(path);
  DISPPARAMS dp = {args, nullptr, 3, 0};
  VariantInit(result);
  HRESULT hr = d->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, &dp, result, nullptr, nullptr);
  for (VARIANT& a : args) VariantClear(&a);
  return hr;
}
}  // namespace

TEST(AtlHost, TheAtlHostWindowHostsTheControlAndInsertNodeFillsTheTree) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  auto init = reinterpret_cast<AtlAxWinInitFn>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  auto getControl = reinterpret_cast<AtlAxGetControlFn>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_TRUE(init && getControl);
  ASSERT_TRUE(init());

  // Shown only when a screenshot is wanted (showing costs seconds under Wine).
  wchar_t hold[16] = {};
  const DWORD holdSeconds =
      GetEnvironmentVariableW(L"QOR_HOLD_SECONDS", hold, 16) ? _wtoi(hold) : 0;
  HWND top = CreateWindowExW(0, L"STATIC", L"QorTreeView in the ATL host",
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 360, 300, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin", QORTREEVIEW_PROGID, WS_CHILD | WS_VISIBLE, 10, 10,
                              320, 240, top, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  IUnknown* unk = nullptr;
  ASSERT_EQ(getControl(host, &unk), S_OK);
  IDispatch* d = nullptr;
  ASSERT_EQ(unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)), S_OK);

  HWND tree = testsupport::FindDescendant(host, WC_TREEVIEWW);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(GetDlgCtrlID(tree), 101);
  const wchar_t* paths[] = {L"Documentos\\Relat\u00f3rios\\2026", L"Documentos\\Contratos",
                            L"Imagens\\Logotipos", L"Imagens\\Fotos\\Eventos", L"Leia-me"};
  for (const wchar_t* p : paths) {
    VARIANT r;
    ASSERT_EQ(CallInsertNode(d, p, &r), S_OK);
    EXPECT_EQ(V_VT(&r), VT_BOOL);
    EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE);
  }
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 9);

  if (holdSeconds) {
    VARIANT sel;
    VariantInit(&sel);
    V_VT(&sel) = VT_BSTR;
    V_BSTR(&sel) = SysAllocString(L"Imagens\\Fotos\\Eventos");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp = {&sel, &named, 1, 1};
    d->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr);
    VariantClear(&sel);
    ShowWindow(top, SW_SHOW);
    DWORD end = GetTickCount() + holdSeconds * 1000;
    while (GetTickCount() < end) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
  }
  d->Release();
  unk->Release();
  DestroyWindow(top);
}
