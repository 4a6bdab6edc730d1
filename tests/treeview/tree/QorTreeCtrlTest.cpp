// The tree's node model on a real tree-view window: insertion by path, keys,
// data, selection, clearing, the error report and the reports to its owner.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "tree/QorTreeCtrl.h"
#include "tree/QorTreeOwner.h"
#include "DialogWatcher.h"
#include "TempFolder.h"

namespace {
const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS |
                         TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;

// A parent window that records what the tree reports, in order.
class RecordingOwner : public CWnd, public QorTreeOwner {
public:
  std::vector<std::wstring> calls;
  void SetSelectedLabel(const std::wstring& t) override { calls.push_back(L"label=" + t); }
  void SetSelectedNodes(const std::wstring& t) override { calls.push_back(L"nodes=" + t); }
  void SetSelectedData(const std::wstring& t) override { calls.push_back(L"data=" + t); }
  void FireInsertData() override { calls.push_back(L"InsertData"); }
  void FireRemoveData() override { calls.push_back(L"RemoveData"); }
  void FireSelChanged() override { calls.push_back(L"SelChanged"); }
  int ResolveFile(const std::wstring& name, std::wstring*) override {
    calls.push_back(L"resolve=" + name);
    return 1;
  }
  void ReleaseFile(const std::wstring&) override {}
};

class TreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(
        CWnd::RegisterWndClass(L"QorTreeTestOwner", 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)));
    RECT rc = {0, 0, 300, 300};
    ASSERT_TRUE(
        owner.CreateEx(0, L"QorTreeTestOwner", L"tree test", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
    RECT rcTree = {1, 1, 299, 299};
    ASSERT_TRUE(tree.Create(kTreeStyle, rcTree, owner.GetSafeHwnd(), 101));
  }
  void TearDown() override {
    tree.Close();
    owner.Close();
  }

  // The child of an item with a label, or null.
  HTREEITEM Child(HTREEITEM parent, const std::wstring& label) {
    for (HTREEITEM h = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); h;
         h = tree.GetNextSiblingItem(h))
      if (tree.GetItemText(h) == label) return h;
    return nullptr;
  }
  std::vector<std::wstring> Labels(HTREEITEM parent) {
    std::vector<std::wstring> out;
    for (HTREEITEM h = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); h;
         h = tree.GetNextSiblingItem(h))
      out.push_back(tree.GetItemText(h));
    return out;
  }
  // The item that a key selects (through the selection, as the control does).
  HTREEITEM Select(const std::wstring& key) {
    tree.SelectNodePath(key);
    return tree.GetSelectedItem();
  }

  RecordingOwner owner;
  QorTreeCtrl tree;
};

using Strings = std::vector<std::wstring>;
}  // namespace

TEST_F(TreeTest, InsertingAPathCreatesEveryMissingNodeWithItsKeyAndData) {
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B\\C", L"folder", L"d1"));
  HTREEITEM a = Child(nullptr, L"A"), b = Child(a, L"B"), c = Child(b, L"C");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(tree.GetCount(), 3u);
  EXPECT_EQ(tree.GetItemData(a), 0u);
  EXPECT_EQ(tree.GetItemData(b), 1u);
  EXPECT_EQ(tree.GetItemData(c), 2u);
  EXPECT_EQ(Select(L"A"), a);
  EXPECT_EQ(Select(L"A\\B"), b);
  EXPECT_EQ(Select(L"A\\B\\C"), c);
  // Every node created by the call reports that call's data.
  EXPECT_EQ(owner.calls.back(), L"SelChanged");
  EXPECT_EQ(owner.calls[owner.calls.size() - 2], L"data=d1");
}

TEST_F(TreeTest, AKnownPrefixIsReusedAndAKnownPathChangesNothing) {
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B\\C", L"", L"first"));
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B\\E", L"", L"second"));
  HTREEITEM b = Child(Child(nullptr, L"A"), L"B");
  EXPECT_EQ(Labels(b), (Strings{L"C", L"E"}));
  EXPECT_EQ(tree.GetItemData(Child(b, L"E")), 3u);
  EXPECT_TRUE(tree.InsertNodePath(L"A\\B\\C", L"other", L"third"));
  EXPECT_EQ(tree.GetCount(), 4u);
  EXPECT_EQ(tree.GetNodeDataCount(), 4u);
  owner.calls.clear();
  Select(L"A\\B\\C");
  EXPECT_EQ(owner.calls, (Strings{L"label=C", L"nodes=A\\B\\C", L"data=first", L"SelChanged"}));
}

TEST_F(TreeTest, LabelsAreCaseSensitiveAndKeepTheirBlanksAndBytes) {
  ASSERT_TRUE(tree.InsertNodePath(L"a\\b", L"", L""));
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B", L"", L""));
  ASSERT_TRUE(tree.InsertNodePath(L"X \\ Y", L"", L""));
  EXPECT_EQ(Labels(nullptr), (Strings{L"a", L"A", L"X "}));
  EXPECT_EQ(Labels(Child(nullptr, L"X ")), (Strings{L" Y"}));
  const std::wstring high = L"Caf\xe9 \xa0\xff";  // system code page bytes survive
  ASSERT_TRUE(tree.InsertNodePath(high, L"", L""));
  EXPECT_NE(Child(nullptr, high), nullptr);
  const std::wstring longLabel(1000, L'L');
  ASSERT_TRUE(tree.InsertNodePath(longLabel, L"", L""));
  EXPECT_EQ(tree.GetItemText(Select(longLabel)), longLabel);
}

TEST_F(TreeTest, EmptySegmentsMakeNodesWithEmptyLabels) {
  ASSERT_TRUE(tree.InsertNodePath(L"", L"", L"root"));
  EXPECT_EQ(Labels(nullptr), (Strings{L""}));
  EXPECT_EQ(Select(L""), tree.GetRootItem());

  ASSERT_TRUE(tree.DeleteAllNodes());
  ASSERT_TRUE(tree.InsertNodePath(L"A\\", L"", L""));
  EXPECT_EQ(Labels(Child(nullptr, L"A")), (Strings{L""}));

  ASSERT_TRUE(tree.DeleteAllNodes());
  ASSERT_TRUE(tree.InsertNodePath(L"A\\\\B", L"", L""));
  HTREEITEM empty = Child(Child(nullptr, L"A"), L"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Labels(empty), (Strings{L"B"}));
  EXPECT_EQ(tree.GetCount(), 3u);
}

TEST_F(TreeTest, ALeadingBackslashMakesAnEmptyTopNodeWhoseChildKeyHasNoBackslash) {
  ASSERT_TRUE(tree.InsertNodePath(L"\\A", L"", L""));
  HTREEITEM top = tree.GetRootItem();
  ASSERT_EQ(tree.GetItemText(top), L"");
  HTREEITEM a = Child(top, L"A");
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B", L"", L""));
  EXPECT_EQ(Labels(a), (Strings{L"B"}));
  EXPECT_EQ(Labels(nullptr), (Strings{L""}));
  // The path built from labels differs from the key, so it finds nothing.
  EXPECT_EQ(tree.GetNodePath(a), L"\\A");
  EXPECT_EQ(Select(L"A"), a);
  EXPECT_EQ(Select(L"\\A"), top);
}

TEST_F(TreeTest, QuotedSegmentsLoseTheirQuotesButThePrefixSearchReadsThePathAsWritten) {
  ASSERT_TRUE(tree.InsertNodePath(L"\"X\"\\Y", L"", L""));
  EXPECT_EQ(Labels(nullptr), (Strings{L"X"}));
  EXPECT_EQ(Select(L"X\\Y"), Child(Child(nullptr, L"X"), L"Y"));
  ASSERT_TRUE(tree.InsertNodePath(L"\"X\"\\Z", L"", L""));
  EXPECT_EQ(Labels(nullptr), (Strings{L"X", L"X"}));
}

TEST_F(TreeTest, AQuotedSegmentHoldingABackslashIsRefusedAndCreatesNothing) {
  EXPECT_FALSE(tree.InsertNodePath(L"\"A\\B\"\\C", L"", L""));
  EXPECT_FALSE(tree.InsertNodePath(L"\"A\\B\"", L"", L""));
  EXPECT_EQ(tree.GetCount(), 0u);
  EXPECT_EQ(tree.GetNodeDataCount(), 0u);
  // Below a known node, too.
  ASSERT_TRUE(tree.InsertNodePath(L"P", L"", L""));
  EXPECT_FALSE(tree.InsertNodePath(L"P\\\"q\\r\\s\"", L"", L""));
  EXPECT_EQ(tree.GetCount(), 1u);
}

TEST_F(TreeTest, PathsUpToTheDepthLimitAreBuiltDeeperOnesAreRefusedWholeAndAtOnce) {
  std::wstring path = L"L0";
  for (size_t i = 1; i < QorTreeCtrl::kMaxPathDepth; ++i) path += L"\\L" + std::to_wstring(i);
  ASSERT_TRUE(tree.InsertNodePath(path, L"", L"bottom"));
  EXPECT_EQ(tree.GetCount(), QorTreeCtrl::kMaxPathDepth);
  EXPECT_EQ(tree.GetNodePath(Select(path)), path);
  // One level more, below the known chain: nothing new, not even a prefix.
  EXPECT_FALSE(tree.InsertNodePath(path + L"\\deeper", L"", L""));
  EXPECT_FALSE(tree.InsertNodePath(L"Other" + path.substr(2) + L"\\deeper", L"", L""));
  // A line of 200,000 levels: keys are whole paths, so building it would
  // take tens of gigabytes; it must be turned down before any of that.
  std::wstring abyss = L"A";
  for (int i = 0; i < 200000; ++i) abyss += L"\\a";
  EXPECT_FALSE(tree.InsertNodePath(abyss, L"", L""));
  EXPECT_EQ(tree.GetCount(), QorTreeCtrl::kMaxPathDepth);
  EXPECT_EQ(tree.GetNodeDataCount(), QorTreeCtrl::kMaxPathDepth);
}

TEST_F(TreeTest, GetNodePathJoinsTheLabelsFromTheTopLevelDown) {
  ASSERT_TRUE(tree.InsertNodePath(L"First", L"", L""));
  ASSERT_TRUE(tree.InsertNodePath(L"Second\\Mid\\Leaf", L"", L""));
  HTREEITEM leaf = Child(Child(Child(nullptr, L"Second"), L"Mid"), L"Leaf");
  EXPECT_EQ(tree.GetNodePath(leaf), L"Second\\Mid\\Leaf");
  EXPECT_EQ(tree.GetNodePath(Child(nullptr, L"First")), L"First");
  EXPECT_EQ(tree.GetNodePath(nullptr), L"");
}

TEST_F(TreeTest, SelectingReportsLabelPathDataThenTheEventInOrder) {
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B\\C", L"", L"dc"));
  ASSERT_TRUE(tree.InsertNodePath(L"Z\\Y", L"", L"dy"));
  owner.calls.clear();
  Select(L"Z\\Y");
  EXPECT_EQ(owner.calls, (Strings{L"label=Y", L"nodes=Z\\Y", L"data=dy", L"SelChanged"}));
  owner.calls.clear();
  Select(L"Z\\Y");  // already selected: the widget reports no change
  EXPECT_TRUE(owner.calls.empty());
}

TEST_F(TreeTest, AnUnknownKeySelectsTheFirstTopNodeOrNothingInAnEmptyTree) {
  Select(L"nothing");
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);
  EXPECT_TRUE(owner.calls.empty());
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B", L"", L"a"));
  ASSERT_TRUE(tree.InsertNodePath(L"C", L"", L"c"));
  Select(L"A\\B");
  owner.calls.clear();
  EXPECT_EQ(Select(L"no\\such"), Child(nullptr, L"A"));
  EXPECT_EQ(owner.calls, (Strings{L"label=A", L"nodes=A", L"data=a", L"SelChanged"}));
}

TEST_F(TreeTest, ClearingEmptiesTheTreeAndRestartsTheDataIndexes) {
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B", L"", L"old"));
  EXPECT_TRUE(tree.DeleteAllNodes());
  EXPECT_EQ(tree.GetCount(), 0u);
  EXPECT_EQ(tree.GetNodeDataCount(), 0u);
  // The old keys are gone: the same path creates new nodes.
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B", L"", L"new"));
  EXPECT_EQ(tree.GetCount(), 2u);
  EXPECT_EQ(tree.GetItemData(Child(nullptr, L"A")), 0u);
  owner.calls.clear();
  Select(L"A\\B");
  EXPECT_EQ(owner.calls[2], L"data=new");
}

TEST_F(TreeTest, PopupTextsHaveDefaultsAndOnlyEntriesZeroAndOneChange) {
  EXPECT_EQ(tree.GetPopupMenuText(0), L"Inserir");
  EXPECT_EQ(tree.GetPopupMenuText(1), L"Remover");
  EXPECT_EQ(tree.GetPopupMenuText(2), L"Invalid Number");
  EXPECT_EQ(tree.GetPopupMenuText(-1), L"Invalid Number");
  tree.SetPopupMenuText(2, L"x");
  tree.SetPopupMenuText(-1, L"y");
  EXPECT_EQ(tree.GetPopupMenuText(0), L"Inserir");
  EXPECT_EQ(tree.GetPopupMenuText(1), L"Remover");
  tree.SetPopupMenuText(0, L"Add");
  tree.SetPopupMenuText(1, L"Delete");
  EXPECT_EQ(tree.GetPopupMenuText(0), L"Add");
  EXPECT_EQ(tree.GetPopupMenuText(1), L"Delete");
}

TEST_F(TreeTest, PopupCommandsReportTheSelectedLabelThenFire) {
  SendMessageW(tree.GetSafeHwnd(), WM_COMMAND, QorTreeCtrl::kIdRemoveCommand, 0);
  EXPECT_EQ(owner.calls, (Strings{L"label=", L"RemoveData"}));
  ASSERT_TRUE(tree.InsertNodePath(L"A\\B", L"", L""));
  Select(L"A\\B");
  owner.calls.clear();
  SendMessageW(tree.GetSafeHwnd(), WM_COMMAND, QorTreeCtrl::kIdInsertCommand, 0);
  EXPECT_EQ(owner.calls, (Strings{L"label=B", L"InsertData"}));
}

// Presses OK on the first message box of this process that shows up, and
// keeps its text.
class MessageBoxWatcher {
public:
  MessageBoxWatcher() : m_thread([this] { Run(); }) {}
  ~MessageBoxWatcher() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
  }
  std::wstring Text() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    return m_text;
  }

private:
  void Run() {
    while (!m_stop) {
      HWND box = FindOwnDialog(L"QorTreeView");
      if (box) {
        wchar_t buf[512] = {};
        GetDlgItemTextW(box, 0xFFFF, buf, 512);
        m_text = buf;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  }
  std::atomic<bool> m_stop{false};
  std::wstring m_text;
  std::thread m_thread;
};

TEST_F(TreeTest, ARefusedPathIsShownOnlyWhileShowErrorIsSet) {
  {
    MessageBoxWatcher watcher;
    EXPECT_FALSE(tree.InsertNodePath(L"\"a\\b\"", L"", L""));  // silent: returns at once
    Sleep(300);
    EXPECT_EQ(watcher.Text(), L"");
  }
  tree.SetShowError(TRUE);
  MessageBoxWatcher watcher;
  EXPECT_FALSE(tree.InsertNodePath(L"\"a\\b\"", L"", L""));  // returns once the box is closed
  EXPECT_EQ(watcher.Text(), L"Fail to insert node: \"a\\b\"");
}

// Run by treeview.tree.cp932 with the locale that gives code page 932;
// skipped elsewhere, and failed when that run did not get it.
TEST_F(TreeTest, AShiftJisFileSplitsBetweenCharactersUnderADoubleByteCodePage) {
  if (GetACP() != 932) {
    if (GetEnvironmentVariableW(L"QOR_EXPECT_ACP", nullptr, 0)) FAIL() << "code page " << GetACP();
    GTEST_SKIP() << "needs code page 932";
  }
  testsupport::TempFolder folder;
  // The second byte of the first kanji is 0x5C ('\'), that of the first
  // katakana 0x7C ('|').
  ASSERT_TRUE(folder.WriteFile(L"sjis.txt", "\x95\x5C\x8E\xA6\n\x83\x7C\x83\x93\x83\x76|x|b\n"));
  ASSERT_TRUE(tree.LoadNodesFromFile(L"", folder.Path() + L"sjis.txt"));
  EXPECT_EQ(Labels(nullptr), (Strings{L"\u8868\u793A", L"\u30DD\u30F3\u30D7"}));
  EXPECT_EQ(tree.GetCount(), 2u);
}
