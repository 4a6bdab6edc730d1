// Loading the configuration from a local folder: the records, their
// quoting and fields, invalid lines, line ends, icons, and what a load
// leaves of the tree and of URL.
#include <algorithm>
#include <functional>
#include "DialogWatcher.h"
#include "IconFile.h"
#include "TreeFixture.h"

using namespace treetest;

namespace {
const COLORREF kGrey = RGB(128, 128, 128), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
               kBlue = RGB(0, 0, 255);
const char kExample[] = "Plant|plant|P1\r\nPlant\\Line 1|line|L1\r\nPlant\\Line 1\\Pump 3\r\n";

class LocalLoad : public TreeFixture {
protected:
  void WriteIcons() {
    Write("Default.ico", IconFileBytes(kGrey));
    Write("plant.ico", IconFileBytes(kRed));
    Write("line.ico", IconFileBytes(kGreen));
  }
  // Loads a configuration's bytes through Refresh and returns the tree.
  Lines Load(const std::string& bytes) {
    Write("tree.txt", bytes);
    Refresh();
    return Dump();
  }
};
}  // namespace

TEST_F(LocalLoad, TheExampleFileBuildsTheTreeAtCreationWithIconsDataAndTheFirstNodeExpanded) {
  WriteIcons();
  Write("tree.txt", kExample);
  Configure(folder + "\\\\", "tree.txt", 0);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"Plant [1] {P1} +", "  Line 1 [2] {L1}", "    Pump 3 [0] {}"}));
  ASSERT_EQ(ImageCount(), 3);
  EXPECT_EQ(Colour(0), kGrey);
  EXPECT_EQ(Colour(1), kRed);
  EXPECT_EQ(Colour(2), kGreen);
  // The trailing backslashes are gone from URL itself, announced to nobody.
  EXPECT_EQ(c.GetString(kDispURL), folder);
  EXPECT_TRUE(c.Take().empty());
}

TEST_F(LocalLoad, TheRecordThatCreatesANodeDecidesItsIconAndData) {
  WriteIcons();
  Configure(folder, "tree.txt", 0);
  Activate();
  EXPECT_EQ(Load("Plant\\Line 1\\Pump 3\nPlant\\Line 1|line|L1\nPlant|plant|P1\n"),
            (Lines{"Plant [0] {} +", "  Line 1 [0] {}", "    Pump 3 [0] {}"}));
  EXPECT_EQ(ImageCount(), 1);  // the later records fetched no icon
}

TEST_F(LocalLoad, QuotesProtectBarsAndDoubledQuotesAndFieldsAfterTheThirdAreIgnored) {
  Configure(folder, "tree.txt", 0);
  Activate();
  EXPECT_EQ(
      Load("A||\"P1|P2\"\nB||\"say \"\"hi\"\"\"\nC||c|extra|more\nPlant |\n\"Q\" ||q\n"),
      (Lines{"A [0] {P1|P2}", "B [0] {say \"hi\"}", "C [0] {c}", "Plant  [0] {}", "Q [0] {q}"}));
}

TEST_F(LocalLoad, InvalidLinesAreReportedWhileShowErrorIsSetAndSkipped) {
  const std::string file = "A||1\r\n\r\n|plant|P1\r\nB||2";
  Configure(folder, "tree.txt", 0);
  Activate();
  {
    MessageBoxCloser none;
    EXPECT_EQ(Load(file), (Lines{"A [0] {1}", "B [0] {2}"}));
    EXPECT_TRUE(none.Texts().empty());
  }
  PutBool(kDispShowError, true);
  MessageBoxCloser boxes;
  EXPECT_EQ(Load(file), (Lines{"A [0] {1}", "B [0] {2}"}));
  EXPECT_EQ(boxes.Texts(), (Lines{"Invalid Node: ", "Invalid Node: |plant|P1"}));
  // Owned by the container's window, which they keep from taking input.
  EXPECT_EQ(boxes.Owners(), (std::vector<HWND>{c.HostWindow(), c.HostWindow()}));
}

TEST_F(LocalLoad, LineEndsDoNotMatterAndAByteOrderMarkIsNoPartOfTheFirstLabel) {
  Configure(folder, "tree.txt", 0);
  Activate();
  const Lines expected = {"A [0] {a} +", "  B [0] {b}", "C [0] {c\rd}"};
  EXPECT_EQ(Load("A||a\r\nA\\B||b\r\nC||c\rd\r\n"), expected);
  EXPECT_EQ(Load("A||a\nA\\B||b\nC||c\rd"), expected);
  EXPECT_EQ(Load("\xEF\xBB\xBFPlant|\nPlant\\Leaf"), (Lines{"Plant [0] {} +", "  Leaf [0] {}"}));
}

TEST_F(LocalLoad, LongLinesAndBytesThatAreNotTextLoadWithoutALimit) {
  Configure(folder, "tree.txt", 0);
  Activate();
  const std::string longData(200000, 'd');
  Write("tree.txt", "A||" + longData + "\nB\n");
  Refresh();
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A"), S_OK);
  EXPECT_EQ(c.GetString(kDispSelectedData), longData);
  // A zero byte ends its line's text; the lines after it still load.
  std::string binary = "X||x";
  binary += '\0';
  binary += "hidden\n\x01\x02\xff|\x80\nY";
  binary += '\0';
  binary += "\xff\xfe";
  EXPECT_EQ(Load(binary), (Lines{"X [0] {x}", "\x01\x02\xff [-2] {}", "Y [0] {}"}));
}

TEST_F(LocalLoad, AMissingFileEmptiesTheTreeAndAnEmptyNameLeavesItAlone) {
  Configure(folder, "tree.txt", 0);
  Activate();
  ASSERT_TRUE(Insert("Kept"));
  ASSERT_EQ(c.PutString(kDispConfigFile, ""), S_OK);
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"Kept [0] {}"}));
  ASSERT_EQ(c.PutString(kDispConfigFile, "missing.txt"), S_OK);
  Refresh();
  EXPECT_TRUE(Dump().empty());
  // A file: location in local mode is a file name that does not exist.
  ASSERT_TRUE(Insert("Kept"));
  Write("tree.txt", "A\n");
  Configure("file://" + folder, "tree.txt", 0);
  Refresh();
  EXPECT_TRUE(Dump().empty());
}

TEST_F(LocalLoad, RefreshTwiceGivesTheSameTreeAndKeepsTheSelectionProperties) {
  WriteIcons();
  Write("tree.txt", kExample);
  Configure(folder, "tree.txt", 0);
  Activate();
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "Plant\\Line 1"), S_OK);
  c.Take();
  Refresh();
  Lines first = Dump();
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "Plant\\Line 1"), S_OK);
  c.Take();
  Refresh();
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "Plant\\Line 1");
  EXPECT_EQ(c.GetString(kDispSelectedData), "L1");
  EXPECT_TRUE(c.Take().empty());
  EXPECT_EQ(Dump(), first);
  EXPECT_EQ(first.size(), 3u);
  EXPECT_EQ(ImageCount(), 3);  // no image added by the second load
}

namespace {
// Records, in order, the redraw switches and insertions that reach a window.
HWND g_watched = nullptr;
std::vector<std::string>* g_seen = nullptr;
LRESULT CALLBACK WatchSent(int code, WPARAM w, LPARAM l) {
  auto* m = reinterpret_cast<CWPSTRUCT*>(l);
  if (code == HC_ACTION && m->hwnd == g_watched && g_seen) {
    if (m->message == WM_SETREDRAW) g_seen->push_back(m->wParam ? "redraw on" : "redraw off");
    const bool insert = m->message == TVM_INSERTITEMA || m->message == TVM_INSERTITEMW;
    if (insert && (g_seen->empty() || g_seen->back() != "insert")) g_seen->push_back("insert");
  }
  return CallNextHookEx(nullptr, code, w, l);
}
}  // namespace

TEST_F(LocalLoad, TheTreeDoesNotRedrawWhileALoadInsertsItsNodes) {
  Configure(folder, "tree.txt", 0);
  Activate();
  Write("tree.txt", "A\\B\nC\nD\\E\\F\n");
  std::vector<std::string> seen;
  g_watched = c.TreeWindow();
  g_seen = &seen;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchSent, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  Refresh();
  UnhookWindowsHookEx(hook);
  g_seen = nullptr;
  EXPECT_EQ(seen, (Lines{"redraw off", "insert", "redraw on"}));
}

TEST_F(LocalLoad, AConfigurationThatCannotBeReadIsReportedOnceWhileShowErrorIsSet) {
  Configure(folder, "missing.txt", 0);
  Activate();
  {
    MessageBoxCloser none;
    Refresh();
    EXPECT_TRUE(none.Texts().empty());
  }
  PutBool(kDispShowError, true);
  MessageBoxCloser boxes;
  Refresh();
  EXPECT_EQ(boxes.Texts(), (Lines{"Fail to load configuration: " + folder + "\\missing.txt"}));
}

namespace {
std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                      nullptr);
  return bytes;
}
// Russian, Greek, Japanese and a tree outside the BMP (a surrogate pair).
const wchar_t kPlant[] = L"\u0417\u0430\u0432\u043E\u0434";
const wchar_t kGreece[] = L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1";
const wchar_t kShow[] = L"\u8868\u793A \U0001F333";
const wchar_t kData[] = L"\u30C7\u30FC\u30BF";
}  // namespace

TEST_F(LocalLoad, EveryCharacterOfAConfigurationInUtf8OrUtf16ReachesTheTreeAndTheProperties) {
  Configure(folder, "tree.txt", 0);
  Activate();
  const std::wstring text = std::wstring(kPlant) + L"||" + kGreece + L"\r\n" + kPlant + L"\\" +
                            kShow + L"||" + kData + L"\r\n";
  const WLines expected = {std::wstring(kPlant) + L" [0] {" + kGreece + L"} +",
                           std::wstring(L"  ") + kShow + L" [0] {" + kData + L"}"};
  std::string utf16le = "\xFF\xFE";
  utf16le.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  for (const std::string& bytes : {Utf8(text), "\xEF\xBB\xBF" + Utf8(text), utf16le}) {
    Write("tree.txt", bytes);
    Refresh();
    EXPECT_EQ(WideDump(), expected);
    const std::wstring path = std::wstring(kPlant) + L"\\" + kShow;
    ASSERT_EQ(c.PutString(kDispSelectedNodes, path), S_OK);
    EXPECT_EQ(c.GetWideString(kDispSelectedLabel), kShow);
    EXPECT_EQ(c.GetWideString(kDispSelectedNodes), path);
    EXPECT_EQ(c.GetWideString(kDispSelectedData), kData);
  }
}

TEST_F(LocalLoad, FilesNamedOutsideTheCodePageAreFoundInAFolderAndAFileLocation) {
  const std::wstring config = L"\u0434\u0435\u0440\u0435\u0432\u043E.txt", icon = L"\u6CF5";
  Write(config, Utf8(std::wstring(kPlant) + L"|" + icon + L"|" + kData + L"\r\n"));
  Write(icon + L".ico", IconFileBytes(kBlue));
  Write("Default.ico", IconFileBytes(kGrey));
  const WLines expected = {std::wstring(kPlant) + L" [1] {" + kData + L"}"};
  Configure(FromAnsi(folder), config, 0);
  Activate();
  EXPECT_EQ(WideDump(), expected);
  Configure(L"file://" + FromAnsi(folder), config, 1);
  VARIANT removed;
  ASSERT_EQ(c.Call(kDispRemoveAll, &removed), S_OK);
  Refresh();
  EXPECT_EQ(WideDump(), expected);
  ASSERT_EQ(ImageCount(), 2);
  EXPECT_EQ(Colour(1), kBlue);
}

namespace {
TestContainer* g_switcher = nullptr;
void CALLBACK SwitchToRemote(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_switcher->Put(kDispLocalRemote, VarI4(1));
}
}  // namespace

TEST_F(LocalLoad, SwitchingToRemoteModeWhileAMessageBoxOfTheLoadIsUpLeavesTheLocalFile) {
  Write("tree.txt", "A\n\nB\n");  // the empty line's report opens a box
  Configure(folder, "tree.txt", 0);
  Activate();
  PutBool(kDispShowError, true);
  // A script of the page, run by the box's message loop.
  g_switcher = &c;
  UINT_PTR timer = SetTimer(nullptr, 0, 10, SwitchToRemote);
  DialogWatcher box(L"QorTreeView");
  Refresh();
  EXPECT_TRUE(box.Seen());
  KillTimer(nullptr, timer);
  VARIANT v;
  ASSERT_EQ(c.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_I4(&v), 1);
  EXPECT_NE(GetFileAttributesA((folder + "\\tree.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Dump(), (Lines{"A [0] {}", "B [0] {}"}));
}

namespace {
// What a script of the page does once the control's message box is up, run
// by the box's own message loop; then the box, and any later one, is closed.
std::function<void()> g_whileBoxIsUp;
bool g_ranWhileBoxIsUp = false;
void CALLBACK RunWhileBoxIsUp(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindOwnDialog(L"QorTreeView");
  if (!box) return;
  if (!g_ranWhileBoxIsUp) {
    g_ranWhileBoxIsUp = true;
    g_whileBoxIsUp();
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// A configuration whose empty second line opens a box in the middle of its fill.
const char kBoxInTheMiddle[] = "Alpha\n\nAlpha\\Tail1\nAlpha\\Tail2\n";

class FillWithABox : public LocalLoad, public ::testing::WithParamInterface<bool> {
protected:
  void SetUp() override {
    LocalLoad::SetUp();
    Write("a.txt", kBoxInTheMiddle);
    Write("b.txt", "Beta\nBeta\\Child\n");
    Configure(folder, "a.txt", 0);
    PutBool(kDispAsyncLoad, GetParam());
    Activate();
    if (GetParam()) {
      ASSERT_TRUE(WaitForLog("event:LoadComplete(True)", 5000));
    }
    c.Take();
    PutBool(kDispShowError, true);
  }
  // Loads a.txt again, running the action from the message loop of its box; true
  // when the box was seen.
  bool LoadWhileBoxIsUp(std::function<void()> action) {
    g_whileBoxIsUp = std::move(action);
    g_ranWhileBoxIsUp = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, RunWhileBoxIsUp);
    c.Call(kDispRefresh, nullptr);  // the synchronous load runs here, the other one after
    for (int i = 0; i < 500 && !g_ranWhileBoxIsUp; ++i) WaitForLog("none", 20);
    if (GetParam()) WaitForLog("event:LoadComplete(True)", 2000);
    KillTimer(nullptr, timer);
    g_whileBoxIsUp = nullptr;
    return g_ranWhileBoxIsUp;
  }
  size_t LoadCompletes() {
    WaitForLog("none", 500);  // a second event would have come by now
    const Lines log = c.Take();
    return static_cast<size_t>(std::count(log.begin(), log.end(), "event:LoadComplete(True)"));
  }
};
}  // namespace

TEST_P(FillWithABox, ARefreshFromTheBoxEndsTheFillAndLeavesExactlyTheNewTree) {
  ASSERT_TRUE(LoadWhileBoxIsUp([this] {
    ASSERT_EQ(c.PutString(kDispConfigFile, "b.txt"), S_OK);
    Refresh();
  }));
  EXPECT_EQ(LoadCompletes(), GetParam() ? 1u : 0u);
  EXPECT_EQ(Dump(), (Lines{"Beta [0] {} +", "  Child [0] {}"}));
}

TEST_P(FillWithABox, RemoveAllFromTheBoxEndsTheFillAndLeavesTheTreeEmpty) {
  ASSERT_TRUE(LoadWhileBoxIsUp([this] {
    VARIANT removed;
    ASSERT_EQ(c.Call(kDispRemoveAll, &removed), S_OK);
  }));
  EXPECT_EQ(Dump(), Lines{});
}

TEST_P(FillWithABox, ReleasingTheControlFromTheBoxEndsCleanly) {
  ASSERT_TRUE(LoadWhileBoxIsUp([this] { c.Close(); }));
  WaitForLog("none", 500);
  EXPECT_EQ(c.Take(), Lines{});
  EXPECT_TRUE(LeftOverCopies().empty());
}

INSTANTIATE_TEST_SUITE_P(Load, FillWithABox, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return p.param ? "Asynchronous" : "Synchronous";
                         });
