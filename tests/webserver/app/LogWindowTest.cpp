// Tests of the program's log: whole messages from many threads in order,
// the cut at 4,095 characters, and writers that never wait for the
// window's thread.
#include "app/LogWindow.h"
#include "lib/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_LOGPENDING) {
    FlushLog();
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

// A hidden host window with a log pane like the program's, attached to
// the log for the test's duration.
class LogWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetLogSink(WriteLog);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LogWindowTestHost";
    RegisterClassW(&wc);
    m_hHost = CreateWindowExW(0, L"LogWindowTestHost", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(m_hHost);
    m_pPane = new CWnd();
    ASSERT_TRUE(m_pPane->Create(L"edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0,
                                0, 400, 300, m_hHost, 2112));
    AttachLog(m_pPane, m_hHost);
  }
  void TearDown() override {
    delete DetachLog();
    DestroyWindow(m_hHost);
  }
  // Dispatches what is waiting, so that queued text reaches the pane.
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  std::wstring PaneText() { return m_pPane->ReadText().GetText(); }

  HWND m_hHost = nullptr;
  CWnd* m_pPane = nullptr;
};

DWORD WINAPI WriteStartingLine(LPVOID) {
  LogMessage(L"Starting Threads\r\n");
  return 0;
}

}  // namespace

TEST_F(LogWindowTest, AppendsTheTextExactlyWithoutAddingAnything) {
  LogMessage(L"Initializing sockets...\r\n");
  LogMessage(L"%s%d", L"Listening", 5);
  LogMessage(L"%S", "...");
  EXPECT_EQ(PaneText(), L"Initializing sockets...\r\nListening5...");
}

TEST_F(LogWindowTest, CutsAMessageAt4095Characters) {
  std::wstring longText(5000, L'a');
  for (size_t i = 0; i < longText.size(); ++i) longText[i] = L'a' + i % 26;
  LogMessage(L"%s", longText.c_str());
  EXPECT_EQ(PaneText(), longText.substr(0, 4095));

  LogMessage(L"%s", std::wstring(4095, L'b').c_str());
  EXPECT_EQ(PaneText().size(), 4095u * 2);
}

TEST_F(LogWindowTest, KeepsEveryLineOfManyThreadsWholeAndInEachThreadsOrder) {
  const int kThreads = 6, kLines = 40;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < kLines; ++i)
        LogMessage(L"thread %d line %d %s\r\n", t, i, L"------------------------");
    });
  for (std::thread& w : writers) w.join();
  Pump();

  std::wstring text = PaneText();
  std::vector<int> nextLine(kThreads, 0);
  size_t start = 0, lines = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    ASSERT_NE(std::wstring::npos, end) << "unterminated text at " << start;
    std::wstring line = text.substr(start, end - start);
    int t = -1, i = -1;
    ASSERT_EQ(swscanf(line.c_str(), L"thread %d line %d", &t, &i), 2) << line.size();
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(i, nextLine[t]) << "thread " << t;
    wchar_t expected[128];
    _snwprintf(expected, 128, L"thread %d line %d %s", t, i, L"------------------------");
    EXPECT_EQ(line, std::wstring(expected));
    nextLine[t] = i + 1;
    start = end + 2;
    ++lines;
  }
  EXPECT_EQ(lines, static_cast<size_t>(kThreads * kLines));
}

TEST_F(LogWindowTest, AWriterNeverWaitsForTheWindowsThread) {
  // The window's thread waits for a writer without pumping messages, as
  // it does while the server stops: the writer must still finish.
  HANDLE writer = CreateThread(nullptr, 0, WriteStartingLine, nullptr, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(writer, 5000), WAIT_OBJECT_0);
  CloseHandle(writer);
  Pump();
  EXPECT_EQ(PaneText(), L"Starting Threads\r\n");
}

TEST_F(LogWindowTest, QueuedTextComesBeforeTheWindowThreadsLaterText) {
  std::thread([] { LogMessage(L"first "); }).join();
  LogMessage(L"second");
  EXPECT_EQ(PaneText(), L"first second");
}

TEST_F(LogWindowTest, TextStillQueuedWhenThePaneGoesIsShownFirst) {
  std::thread([] { LogMessage(L"last words"); }).join();
  CWnd* pane = DetachLog();
  EXPECT_EQ(std::wstring(pane->ReadText().GetText()), L"last words");
  AttachLog(pane, m_hHost);
}

TEST(LogWithoutPane, KeepsTextUntilAPaneIsAttached) {
  SetLogSink(WriteLog);
  LogMessage(L"early ");
  std::thread([] { LogMessage(L"bird"); }).join();
  HWND host = CreateWindowExW(0, L"edit", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  CWnd* pane = new CWnd();
  ASSERT_TRUE(pane->Create(L"edit", L"", WS_CHILD | ES_MULTILINE, 0, 0, 10, 10, host, 1));
  AttachLog(pane, host);
  EXPECT_EQ(std::wstring(pane->ReadText().GetText()), L"early bird");
  delete DetachLog();
  DestroyWindow(host);
}
