// Tests of OrraWebServer.exe as a process: which folder it serves, the
// refusal of a web root too long to keep, the ways to close it, its keys
// and its About dialog.
#include "HttpGet.h"
#include "ServerProcess.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <algorithm>
#include <string>

using testsupport::ServerProcess;
using testsupport::TempFolder;

namespace {

const DWORD kStartMs = 20000;
const DWORD kExitMs = 20000;

class WinsockEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  }
  void TearDown() override { WSACleanup(); }
};
::testing::Environment* const g_pWinsock =
    ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

// The About dialog once it is shown: it exists (and can be found) before
// its WM_INITDIALOG has placed it and filled in the count.
HWND WaitForAbout(ServerProcess& server) {
  HWND about = server.WaitForWindow(L"#32770", L"About", 5000);
  for (int i = 0; i < 250 && about && !IsWindowVisible(about); ++i) Sleep(20);
  return about;
}

// Starts the server with the argument and waits until it listens.
void StartListening(ServerProcess& server, const std::wstring& argument) {
  ASSERT_TRUE(server.Start(argument));
  ASSERT_TRUE(server.WaitForMainWindow(kStartMs));
  ASSERT_TRUE(server.WaitForLog(L"Listening...", kStartMs)) << "log: " << server.ReadLog().c_str();
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    inputs.push_back(in);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *--it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Gives the keyboard focus to a window of another process, as a click
// would: the two input queues are joined for the call.
bool FocusWindowOf(HWND top, HWND focus) {
  SetForegroundWindow(top);
  DWORD theirs = GetWindowThreadProcessId(top, nullptr);
  DWORD ours = GetCurrentThreadId();
  AttachThreadInput(ours, theirs, TRUE);
  SetFocus(focus);
  bool focused = GetFocus() == focus;
  AttachThreadInput(ours, theirs, FALSE);
  return focused;
}

}  // namespace

TEST(ProgramWebRoot, WithATrailingBackslashServesTheFolder) {
  TempFolder root(L"site");
  ASSERT_TRUE(root.WriteFile(L"index.html", "<p>root</p>"));
  ASSERT_TRUE(root.WriteFile(L"sub\\a.txt", "in sub"));
  ServerProcess server;
  StartListening(server, root.Path());
  EXPECT_EQ(HttpGet("/").body, "<p>root</p>");
  EXPECT_EQ(HttpGet("/sub/a.txt").body, "in sub");
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

TEST(ProgramWebRoot, WithoutATrailingBackslashIsJoinedToTheRequestAsItIs) {
  TempFolder parent(L"par");
  ASSERT_TRUE(parent.WriteFile(L"site\\index.html", "inside"));
  ASSERT_TRUE(parent.WriteFile(L"siteindex.html", "beside"));
  ServerProcess server;
  StartListening(server, parent.Path() + L"site");
  // No separator is added between the root and the request's path.
  EXPECT_NE(HttpGet("/").body, "inside");
  EXPECT_EQ(HttpGet("/\\index.html").body, "inside");
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

TEST(ProgramWebRoot, QuotedServesTheFolderInsideTheQuotesAndLogsIt) {
  TempFolder root(L"quoted site ");
  ASSERT_TRUE(root.WriteFile(L"index.html", "unquoted"));
  ServerProcess server;
  StartListening(server, L"\"" + root.Path() + L"\"");
  EXPECT_EQ(HttpGet("/").body, "unquoted");
  std::wstring log = server.ReadLog();
  EXPECT_EQ(log.find(L"Serving the folder " + root.Path() + L"\r\n"), 0u);
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

TEST(ProgramWebRoot, WithoutArgumentIsTheProgramsOwnFolder) {
  std::wstring probe = testsupport::ExeFolder() + L"webroot_probe.txt";
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  WriteFile(h, "next to the program", 19, &n, nullptr);
  CloseHandle(h);
  ServerProcess server;
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(server.WaitForMainWindow(kStartMs));
  ASSERT_TRUE(server.WaitForLog(L"Listening...", kStartMs));
  EXPECT_EQ(HttpGet("/webroot_probe.txt").body, "next to the program");
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
  DeleteFileW(probe.c_str());
}

TEST(ProgramWebRoot, MayBeAFolderWithAnyUnicodeName) {
  TempFolder root(L"sit\u00E9_\u00FCn\u00EF\u2014\u6587\u5B57_");
  ASSERT_FALSE(root.Path().empty());
  ASSERT_TRUE(root.WriteFile(L"index.html", "unicode root"));
  ServerProcess server;
  StartListening(server, root.Path());
  EXPECT_EQ(HttpGet("/").body, "unicode root");
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

TEST(ProgramWebRoot, TooLongIsRefusedWithAMessageAndExitCode1) {
  std::wstring tooLong = L"C:\\" + std::wstring(1021, L'x');  // 1,024 characters
  ServerProcess server;
  ASSERT_TRUE(server.Start(tooLong));
  HWND box = server.WaitForWindow(L"#32770", L"OrraWebServer", kStartMs);
  ASSERT_TRUE(box);
  std::wstring message;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    message += testsupport::ReadWindowText(child) + L"\n";
  EXPECT_NE(std::wstring::npos, message.find(L"longer than 1,023 characters")) << message.c_str();
  EXPECT_TRUE(
      testsupport::FindProcessWindows(server.ProcessId(), L"OrraWebServer", nullptr).empty());

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD code = 0;
  EXPECT_TRUE(server.WaitForExit(kExitMs, &code));
  EXPECT_EQ(code, 1u);
}

TEST(ProgramWebRoot, Of1023CharactersIsAccepted) {
  std::wstring longest = L"C:\\" + std::wstring(1019, L'x') + L"\\";  // 1,023 characters
  ServerProcess server;
  ASSERT_TRUE(server.Start(longest));
  EXPECT_TRUE(server.WaitForMainWindow(kStartMs));
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

TEST(ProgramClosing, ByTheCloseBoxTheMenuOrWmCloseEndsWithExitCode0) {
  const UINT kCloseBox = 0, kMenuExit = 1, kWindowClose = 2;
  for (UINT way : {kCloseBox, kMenuExit, kWindowClose}) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(L"C:\\"));
    HWND window = server.WaitForMainWindow(kStartMs);
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.WaitForLog(L"Listening...", kStartMs));
    if (way == kCloseBox)
      PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (way == kMenuExit)
      PostMessageW(window, WM_COMMAND, 40002, 0);
    else
      PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_TRUE(server.WaitForExit(kExitMs, &code)) << "way " << way;
    EXPECT_EQ(code, 0u) << "way " << way;
  }
}

TEST(ProgramClosing, RightAfterTheWindowAppearsNeverHangs) {
  for (int i = 0; i < 30; ++i) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(L"C:\\"));
    ASSERT_TRUE(server.WaitForMainWindow(kStartMs)) << "run " << i;
    DWORD code = server.CloseAndWait(kExitMs);
    ASSERT_EQ(code, 0u) << "run " << i
                        << (code == testsupport::kKilledExitCode ? ": hung and was killed" : "");
  }
}

TEST(ProgramKeys, AltSlashAndAltF4WorkWhileTheLogPaneHasTheFocus) {
  ServerProcess server;
  StartListening(server, L"C:\\");
  HWND mainWindow = server.MainWindow();
  ASSERT_TRUE(FocusWindowOf(mainWindow, server.LogPane()));

  PressKeys({VK_MENU, VK_OEM_2});
  HWND about = WaitForAbout(server);
  ASSERT_TRUE(about) << "Alt+/ opened no About dialog";
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 250 && IsWindow(about); ++i) Sleep(20);
  ASSERT_FALSE(IsWindow(about));

  ASSERT_TRUE(FocusWindowOf(mainWindow, server.LogPane()));
  PressKeys({VK_MENU, VK_F4});
  DWORD code = 0;
  EXPECT_TRUE(server.WaitForExit(kExitMs, &code)) << "Alt+F4 did not end the program";
  EXPECT_EQ(code, 0u);
}

TEST(ProgramAbout, ShowsTheNumberOfRequestsServed) {
  TempFolder root(L"about");
  ASSERT_TRUE(root.WriteFile(L"index.html", "x"));
  ServerProcess server;
  StartListening(server, root.Path());
  EXPECT_EQ(HttpGet("/").status, 200);
  EXPECT_EQ(HttpGet("/missing").status, 404);
  EXPECT_EQ(HttpGet("/index.html").status, 200);

  PostMessageW(server.MainWindow(), WM_COMMAND, 40003, 0);
  HWND about = WaitForAbout(server);
  ASSERT_TRUE(about);
  HWND countLabel = GetDlgItem(about, 1001);
  ASSERT_TRUE(countLabel);
  EXPECT_EQ(testsupport::ReadWindowText(countLabel), L"3");
  EXPECT_TRUE(IsWindowVisible(countLabel));
  RECT count, dialog;
  GetWindowRect(countLabel, &count);
  GetClientRect(about, &dialog);
  MapWindowPoints(about, nullptr, reinterpret_cast<POINT*>(&dialog), 2);
  EXPECT_TRUE(count.left >= dialog.left && count.right <= dialog.right && count.top >= dialog.top &&
              count.bottom <= dialog.bottom);

  PostMessageW(about, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 250 && IsWindow(about); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(about));
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

namespace {

// Opens the About dialog, returns its screen rectangle and closes it.
bool AboutDialogRect(ServerProcess& server, RECT* rect) {
  PostMessageW(server.MainWindow(), WM_COMMAND, 40003, 0);
  HWND about = WaitForAbout(server);
  if (!about) return false;
  GetWindowRect(about, rect);
  PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
  for (int i = 0; i < 250 && IsWindow(about); ++i) Sleep(20);
  return !IsWindow(about);
}

}  // namespace

TEST(ProgramWindow, TheLogPaneFillsTheClientAreaAfterAResize) {
  ServerProcess server;
  StartListening(server, L"C:\\");
  HWND mainWindow = server.MainWindow();
  SetWindowPos(mainWindow, nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
  for (int i = 0; i < 50; ++i) {
    RECT client, pane;
    GetClientRect(mainWindow, &client);
    GetClientRect(server.LogPane(), &pane);
    RECT paneOnScreen;
    GetWindowRect(server.LogPane(), &paneOnScreen);
    POINT origin = {0, 0};
    ClientToScreen(mainWindow, &origin);
    if (paneOnScreen.left == origin.x && paneOnScreen.top == origin.y &&
        paneOnScreen.right - paneOnScreen.left == client.right &&
        paneOnScreen.bottom - paneOnScreen.top == client.bottom)
      break;
    ASSERT_LT(i, 49) << "pane " << paneOnScreen.right - paneOnScreen.left << "x"
                     << paneOnScreen.bottom - paneOnScreen.top << ", client " << client.right << "x"
                     << client.bottom;
    Sleep(20);
  }
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}

TEST(ProgramAbout, OpensCentredOnTheClientAreaSizeWhereverTheWindowLies) {
  ServerProcess server;
  StartListening(server, L"C:\\");
  HWND mainWindow = server.MainWindow();
  SetWindowPos(mainWindow, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT first, second, client;
  ASSERT_TRUE(AboutDialogRect(server, &first));
  GetClientRect(mainWindow, &client);
  int width = first.right - first.left, height = first.bottom - first.top;
  EXPECT_EQ(first.left, std::max(0L, (client.right - width) / 2));
  EXPECT_EQ(first.top, std::max(0L, (client.bottom - height) / 2));

  SetWindowPos(mainWindow, nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(AboutDialogRect(server, &second));
  EXPECT_EQ(second.left, first.left);
  EXPECT_EQ(second.top, first.top);
  EXPECT_EQ(server.CloseAndWait(kExitMs), 0u);
}
