// The demo container program, started as a user would, against a folder of
// its own: its window, the tree it builds without any registration, and a
// clean exit when closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "ProgramProcess.h"
#include "TestContainer.h"
#include "TestProcess.h"

namespace {
// One run of the demo program, from this test program's folder.
class DemoProcess : public testsupport::ProgramProcess {
public:
  bool Start(const std::wstring& args) {
    const std::wstring path = testsupport::ExeFolder() + L"QorTreeViewDemo.exe";
    return StartCommandLine(path, L"\"" + path + L"\" " + args);
  }
  // Its main window once shown (the control is in it by then).
  HWND WaitForMain() const { return WaitForWindow(L"QorTreeViewDemo", nullptr, 30000, true); }
  DWORD CloseAndWait(HWND main) { return PostAndWait(main, WM_CLOSE, 0, 20000); }
};

class DemoContainer : public ::testing::Test {
protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder = std::wstring(tmp) + L"qordemo" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    // Two records name only their leaves: their parents are made for them.
    const char text[] = "A|x|a\r\nA\\B\\C||c\r\nA\\D\r\nE||e\r\nE\\F|y|f\r\n";
    HANDLE f = CreateFileW((folder + L"\\tree.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, text, sizeof(text) - 1, &written, nullptr);
    CloseHandle(f);
  }
  void TearDown() override {
    DeleteFileW((folder + L"\\tree.txt").c_str());
    RemoveDirectoryW(folder.c_str());
  }
  static LRESULT TreeCount(HWND main) {
    HWND tree = testsupport::FindDescendant(main, WC_TREEVIEWW);
    return tree ? SendMessageW(tree, TVM_GETCOUNT, 0, 0) : -1;
  }
  // Presses a button of the demo's panel by its caption, as a click would.
  static void Press(HWND main, const wchar_t* caption) {
    HWND b = FindWindowExW(main, nullptr, L"Button", caption);
    ASSERT_NE(b, nullptr) << "no button";
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED),
                 reinterpret_cast<LPARAM>(b));
  }
  static std::wstring LogText(HWND main) {
    HWND list = FindWindowExW(main, nullptr, L"ListBox", nullptr);
    std::wstring all;
    LRESULT n = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < n; ++i) {
      wchar_t line[1024] = {};
      if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
      all += line;
      all += L"\n";
    }
    return all;
  }
  std::wstring folder;
};

TEST_F(DemoContainer, ShowsTheTreeFromALocalFolderAndExitsCleanly) {
  DemoProcess demo;
  ASSERT_TRUE(demo.Start(L"\"" + folder + L"\" tree.txt 0"));
  HWND main = demo.WaitForMain();
  ASSERT_NE(main, nullptr) << "no demo window";
  // A, B, C, D, E, F: the implied parent B counts too.
  EXPECT_EQ(TreeCount(main), 6);
  // Every property the panel holds, menu texts by index included, was taken.
  std::wstring log = LogText(main);
  EXPECT_NE(log.find(L"created from QorTreeView.ocx beside the program"), std::wstring::npos);
  EXPECT_EQ(log.find(L"failed"), std::wstring::npos) << std::string(log.begin(), log.end());
  EXPECT_EQ(demo.CloseAndWait(main), 0u);
}

TEST_F(DemoContainer, ListsTheSelectionAndDrivesTheControlFromItsButtons) {
  DemoProcess demo;
  ASSERT_TRUE(demo.Start(L"\"" + folder + L"\" tree.txt 0"));
  HWND main = demo.WaitForMain();
  ASSERT_NE(main, nullptr) << "no demo window";
  HWND tree = testsupport::FindDescendant(main, WC_TREEVIEWW);
  ASSERT_NE(tree, nullptr);
  LPARAM second = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                               SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  ASSERT_NE(second, 0);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, second);
  std::wstring log = LogText(main);
  EXPECT_NE(log.find(L"Changed SelectedNodes = \"E\""), std::wstring::npos)
      << std::string(log.begin(), log.end());
  EXPECT_NE(
      log.find(L"Event SelChanged: SelectedLabel=\"E\" SelectedNodes=\"E\" SelectedData=\"e\""),
      std::wstring::npos);

  // The node field is one record: path|icon|data, a missing parent made too.
  HWND node = nullptr;
  for (HWND e = nullptr; (e = FindWindowExW(main, e, L"Edit", nullptr)) != nullptr;)
    node = e;  // the last field of the panel
  ASSERT_NE(node, nullptr);
  SendMessageW(node, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"E\\G\\H|y|h"));
  Press(main, L"InsertNode");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 8);
  EXPECT_NE(LogText(main).find(L"InsertNode(\"E\\G\\H\", \"y\", \"h\") = True"),
            std::wstring::npos);
  Press(main, L"RemoveAll");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
  Press(main, L"Refresh");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(demo.CloseAndWait(main), 0u);
}

TEST_F(DemoContainer, AMissingConfigurationLeavesAnEmptyTreeNotAFailedProgram) {
  DemoProcess demo;
  ASSERT_TRUE(demo.Start(L"\"" + folder + L"\\absent\" tree.txt 0"));
  HWND main = demo.WaitForMain();
  ASSERT_NE(main, nullptr) << "no demo window";
  EXPECT_EQ(TreeCount(main), 0);
  EXPECT_EQ(demo.CloseAndWait(main), 0u);
}
}  // namespace

TEST_F(DemoContainer, EveryLabelAndButtonHoldsItsWholeTextAtTheScreensScale) {
  DemoProcess demo;
  ASSERT_TRUE(demo.Start(L"\"" + folder + L"\" tree.txt 0"));
  HWND main = demo.WaitForMain();
  ASSERT_NE(main, nullptr) << "no demo window";
  // The system's message font at the screen's scale, which the demo uses.
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof(ncm);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
  HFONT font = CreateFontIndirectW(&ncm.lfMessageFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  int checked = 0;
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[32] = {}, text[256] = {};
    GetClassNameW(child, cls, 32);
    GetWindowTextW(child, text, 256);
    const bool button = lstrcmpiW(cls, L"Button") == 0;
    if ((!button && lstrcmpiW(cls, L"Static") != 0) || !text[0]) continue;
    SIZE need = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &need);
    // A check box draws its box and a gap before the text; a push button
    // its edges around it.
    const LONG style = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (button) need.cx += style == BS_AUTOCHECKBOX ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 6;
    RECT rc;
    GetClientRect(child, &rc);
    EXPECT_LE(need.cx, rc.right) << "width of " << ToAnsi(std::wstring(text));
    EXPECT_LE(need.cy, rc.bottom) << "height of " << ToAnsi(std::wstring(text));
    ++checked;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  EXPECT_EQ(checked, 11);
  EXPECT_EQ(demo.CloseAndWait(main), 0u);
}
