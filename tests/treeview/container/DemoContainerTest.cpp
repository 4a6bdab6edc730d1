// The demo container program, started as a user would, against a folder of
// its own: its window, the tree it builds without any registration, and a
// clean exit when closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "TestProcess.h"

namespace {
struct Found {
  DWORD pid;
  HWND hwnd;
};

BOOL CALLBACK FindTopLevel(HWND h, LPARAM l) {
  Found* f = reinterpret_cast<Found*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  if (pid == f->pid && lstrcmpW(cls, L"QorTreeViewDemo") == 0) {
    f->hwnd = h;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTree(HWND h, LPARAM l) {
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  if (lstrcmpW(cls, WC_TREEVIEWW) == 0) {
    *reinterpret_cast<HWND*>(l) = h;
    return FALSE;
  }
  return TRUE;
}

// One run of the demo program; killed if a test leaves it running.
class DemoProcess {
public:
  explicit DemoProcess(const std::wstring& args) {
    std::wstring cmd = L"\"" + ProgramFolder() + L"QorTreeViewDemo.exe\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &pi) != FALSE;
  }
  ~DemoProcess() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  DemoProcess(const DemoProcess&) = delete;
  DemoProcess& operator=(const DemoProcess&) = delete;

  HWND WaitForWindow(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
      Found f = {pi.dwProcessId, nullptr};
      EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&f));
      if (f.hwnd && IsWindowVisible(f.hwnd)) return f.hwnd;
      if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }
  // The exit code after WM_CLOSE, or 0xFFFFFFFF when it did not end in time.
  DWORD CloseAndWait(HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }

  bool started = false;
  PROCESS_INFORMATION pi = {};
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
    HWND tree = nullptr;
    EnumChildWindows(main, FindTree, reinterpret_cast<LPARAM>(&tree));
    return tree ? SendMessageW(tree, TVM_GETCOUNT, 0, 0) : -1;
  }
  static HWND Tree(HWND main) {
    HWND tree = nullptr;
    EnumChildWindows(main, FindTree, reinterpret_cast<LPARAM>(&tree));
    return tree;
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
  DemoProcess demo(L"\"" + folder + L"\" tree.txt 0");
  ASSERT_TRUE(demo.started);
  HWND main = demo.WaitForWindow(30000);
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
  DemoProcess demo(L"\"" + folder + L"\" tree.txt 0");
  ASSERT_TRUE(demo.started);
  HWND main = demo.WaitForWindow(30000);
  ASSERT_NE(main, nullptr) << "no demo window";
  HWND tree = Tree(main);
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
  DemoProcess demo(L"\"" + folder + L"\\absent\" tree.txt 0");
  ASSERT_TRUE(demo.started);
  HWND main = demo.WaitForWindow(30000);
  ASSERT_NE(main, nullptr) << "no demo window";
  EXPECT_EQ(TreeCount(main), 0);
  EXPECT_EQ(demo.CloseAndWait(main), 0u);
}
}  // namespace
