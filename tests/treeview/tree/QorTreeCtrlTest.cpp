// The tree's node model on a real tree-view window: insertion by path, keys,
// data, selection, clearing, the error report and the reports to its owner.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "tree/QorTreeCtrl.h"
#include "tree/QorTreeOwner.h"
#include "DialogWatcher.h"

namespace {
const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS |
                         TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;

// A parent window that records what the tree reports, in order.
class RecordingOwner : public CWnd, public QorTreeOwner {
public:
  std::vector<std::string> calls;
  void SetSelectedLabel(const std::string& t) override { calls.push_back("label=" + t); }
  void SetSelectedNodes(const std::string& t) override { calls.push_back("nodes=" + t); }
  void SetSelectedData(const std::string& t) override { calls.push_back("data=" + t); }
  void FireInsertData() override { calls.push_back("InsertData"); }
  void FireRemoveData() override { calls.push_back("RemoveData"); }
  void FireSelChanged() override { calls.push_back("SelChanged"); }
  int ResolveFile(const std::string& name, std::string*) override {
    calls.push_back("resolve=" + name);
    return 1;
  }
  void ReleaseFile(const std::string&) override {}
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
  HTREEITEM Child(HTREEITEM parent, const std::string& label) {
    for (HTREEITEM h = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); h;
         h = tree.GetNextSiblingItem(h))
      if (tree.GetItemText(h) == label) return h;
    return nullptr;
  }
  std::vector<std::string> Labels(HTREEITEM parent) {
    std::vector<std::string> out;
    for (HTREEITEM h = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); h;
         h = tree.GetNextSiblingItem(h))
      out.push_back(tree.GetItemText(h));
    return out;
  }
  // The item that a key selects (through the selection, as the control does).
  HTREEITEM Select(const std::string& key) {
    tree.SelectNodePath(key);
    return tree.GetSelectedItem();
  }

  RecordingOwner owner;
  QorTreeCtrl tree;
};

using Strings = std::vector<std::string>;
}  // namespace

TEST_F(TreeTest, InsertingAPathCreatesEveryMissingNodeWithItsKeyAndData) {
  ASSERT_TRUE(tree.InsertNodePath("A\\B\\C", "folder", "d1"));
  HTREEITEM a = Child(nullptr, "A"), b = Child(a, "B"), c = Child(b, "C");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(tree.GetCount(), 3u);
  EXPECT_EQ(tree.GetItemData(a), 0u);
  EXPECT_EQ(tree.GetItemData(b), 1u);
  EXPECT_EQ(tree.GetItemData(c), 2u);
  EXPECT_EQ(Select("A"), a);
  EXPECT_EQ(Select("A\\B"), b);
  EXPECT_EQ(Select("A\\B\\C"), c);
  // Every node created by the call reports that call's data.
  EXPECT_EQ(owner.calls.back(), "SelChanged");
  EXPECT_EQ(owner.calls[owner.calls.size() - 2], "data=d1");
}

TEST_F(TreeTest, AKnownPrefixIsReusedAndAKnownPathChangesNothing) {
  ASSERT_TRUE(tree.InsertNodePath("A\\B\\C", "", "first"));
  ASSERT_TRUE(tree.InsertNodePath("A\\B\\E", "", "second"));
  HTREEITEM b = Child(Child(nullptr, "A"), "B");
  EXPECT_EQ(Labels(b), (Strings{"C", "E"}));
  EXPECT_EQ(tree.GetItemData(Child(b, "E")), 3u);
  EXPECT_TRUE(tree.InsertNodePath("A\\B\\C", "other", "third"));
  EXPECT_EQ(tree.GetCount(), 4u);
  EXPECT_EQ(tree.GetNodeDataCount(), 4u);
  owner.calls.clear();
  Select("A\\B\\C");
  EXPECT_EQ(owner.calls, (Strings{"label=C", "nodes=A\\B\\C", "data=first", "SelChanged"}));
}

TEST_F(TreeTest, LabelsAreCaseSensitiveAndKeepTheirBlanksAndBytes) {
  ASSERT_TRUE(tree.InsertNodePath("a\\b", "", ""));
  ASSERT_TRUE(tree.InsertNodePath("A\\B", "", ""));
  ASSERT_TRUE(tree.InsertNodePath("X \\ Y", "", ""));
  EXPECT_EQ(Labels(nullptr), (Strings{"a", "A", "X "}));
  EXPECT_EQ(Labels(Child(nullptr, "X ")), (Strings{" Y"}));
  const std::string high = "Caf\xe9 \xa0\xff";  // system code page bytes survive
  ASSERT_TRUE(tree.InsertNodePath(high, "", ""));
  EXPECT_NE(Child(nullptr, high), nullptr);
  const std::string longLabel(1000, 'L');
  ASSERT_TRUE(tree.InsertNodePath(longLabel, "", ""));
  EXPECT_EQ(tree.GetItemText(Select(longLabel)), longLabel);
}

TEST_F(TreeTest, EmptySegmentsMakeNodesWithEmptyLabels) {
  ASSERT_TRUE(tree.InsertNodePath("", "", "root"));
  EXPECT_EQ(Labels(nullptr), (Strings{""}));
  EXPECT_EQ(Select(""), tree.GetRootItem());

  ASSERT_TRUE(tree.DeleteAllNodes());
  ASSERT_TRUE(tree.InsertNodePath("A\\", "", ""));
  EXPECT_EQ(Labels(Child(nullptr, "A")), (Strings{""}));

  ASSERT_TRUE(tree.DeleteAllNodes());
  ASSERT_TRUE(tree.InsertNodePath("A\\\\B", "", ""));
  HTREEITEM empty = Child(Child(nullptr, "A"), "");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Labels(empty), (Strings{"B"}));
  EXPECT_EQ(tree.GetCount(), 3u);
}

TEST_F(TreeTest, ALeadingBackslashMakesAnEmptyTopNodeWhoseChildKeyHasNoBackslash) {
  ASSERT_TRUE(tree.InsertNodePath("\\A", "", ""));
  HTREEITEM top = tree.GetRootItem();
  ASSERT_EQ(tree.GetItemText(top), "");
  HTREEITEM a = Child(top, "A");
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(tree.InsertNodePath("A\\B", "", ""));
  EXPECT_EQ(Labels(a), (Strings{"B"}));
  EXPECT_EQ(Labels(nullptr), (Strings{""}));
  // The path built from labels differs from the key, so it finds nothing.
  EXPECT_EQ(tree.GetNodePath(a), "\\A");
  EXPECT_EQ(Select("A"), a);
  EXPECT_EQ(Select("\\A"), top);
}

TEST_F(TreeTest, QuotedSegmentsLoseTheirQuotesButThePrefixSearchReadsThePathAsWritten) {
  ASSERT_TRUE(tree.InsertNodePath("\"X\"\\Y", "", ""));
  EXPECT_EQ(Labels(nullptr), (Strings{"X"}));
  EXPECT_EQ(Select("X\\Y"), Child(Child(nullptr, "X"), "Y"));
  ASSERT_TRUE(tree.InsertNodePath("\"X\"\\Z", "", ""));
  EXPECT_EQ(Labels(nullptr), (Strings{"X", "X"}));
}

TEST_F(TreeTest, AQuotedSegmentHoldingABackslashIsRefusedAndCreatesNothing) {
  EXPECT_FALSE(tree.InsertNodePath("\"A\\B\"\\C", "", ""));
  EXPECT_FALSE(tree.InsertNodePath("\"A\\B\"", "", ""));
  EXPECT_EQ(tree.GetCount(), 0u);
  EXPECT_EQ(tree.GetNodeDataCount(), 0u);
  // Below a known node, too.
  ASSERT_TRUE(tree.InsertNodePath("P", "", ""));
  EXPECT_FALSE(tree.InsertNodePath("P\\\"q\\r\\s\"", "", ""));
  EXPECT_EQ(tree.GetCount(), 1u);
}

TEST_F(TreeTest, PathsUpToTheDepthLimitAreBuiltDeeperOnesAreRefusedWholeAndAtOnce) {
  std::string path = "L0";
  for (size_t i = 1; i < QorTreeCtrl::kMaxPathDepth; ++i) path += "\\L" + std::to_string(i);
  ASSERT_TRUE(tree.InsertNodePath(path, "", "bottom"));
  EXPECT_EQ(tree.GetCount(), QorTreeCtrl::kMaxPathDepth);
  EXPECT_EQ(tree.GetNodePath(Select(path)), path);
  // One level more, below the known chain: nothing new, not even a prefix.
  EXPECT_FALSE(tree.InsertNodePath(path + "\\deeper", "", ""));
  EXPECT_FALSE(tree.InsertNodePath("Other" + path.substr(2) + "\\deeper", "", ""));
  // A line of 200,000 levels: keys are whole paths, so building it would
  // take tens of gigabytes; it must be turned down before any of that.
  std::string abyss = "A";
  for (int i = 0; i < 200000; ++i) abyss += "\\a";
  EXPECT_FALSE(tree.InsertNodePath(abyss, "", ""));
  EXPECT_EQ(tree.GetCount(), QorTreeCtrl::kMaxPathDepth);
  EXPECT_EQ(tree.GetNodeDataCount(), QorTreeCtrl::kMaxPathDepth);
}

TEST_F(TreeTest, GetNodePathJoinsTheLabelsFromTheTopLevelDown) {
  ASSERT_TRUE(tree.InsertNodePath("First", "", ""));
  ASSERT_TRUE(tree.InsertNodePath("Second\\Mid\\Leaf", "", ""));
  HTREEITEM leaf = Child(Child(Child(nullptr, "Second"), "Mid"), "Leaf");
  EXPECT_EQ(tree.GetNodePath(leaf), "Second\\Mid\\Leaf");
  EXPECT_EQ(tree.GetNodePath(Child(nullptr, "First")), "First");
  EXPECT_EQ(tree.GetNodePath(nullptr), "");
}

TEST_F(TreeTest, SelectingReportsLabelPathDataThenTheEventInOrder) {
  ASSERT_TRUE(tree.InsertNodePath("A\\B\\C", "", "dc"));
  ASSERT_TRUE(tree.InsertNodePath("Z\\Y", "", "dy"));
  owner.calls.clear();
  Select("Z\\Y");
  EXPECT_EQ(owner.calls, (Strings{"label=Y", "nodes=Z\\Y", "data=dy", "SelChanged"}));
  owner.calls.clear();
  Select("Z\\Y");  // already selected: the widget reports no change
  EXPECT_TRUE(owner.calls.empty());
}

TEST_F(TreeTest, AnUnknownKeySelectsTheFirstTopNodeOrNothingInAnEmptyTree) {
  Select("nothing");
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);
  EXPECT_TRUE(owner.calls.empty());
  ASSERT_TRUE(tree.InsertNodePath("A\\B", "", "a"));
  ASSERT_TRUE(tree.InsertNodePath("C", "", "c"));
  Select("A\\B");
  owner.calls.clear();
  EXPECT_EQ(Select("no\\such"), Child(nullptr, "A"));
  EXPECT_EQ(owner.calls, (Strings{"label=A", "nodes=A", "data=a", "SelChanged"}));
}

TEST_F(TreeTest, ClearingEmptiesTheTreeAndRestartsTheDataIndexes) {
  ASSERT_TRUE(tree.InsertNodePath("A\\B", "", "old"));
  EXPECT_TRUE(tree.DeleteAllNodes());
  EXPECT_EQ(tree.GetCount(), 0u);
  EXPECT_EQ(tree.GetNodeDataCount(), 0u);
  // The old keys are gone: the same path creates new nodes.
  ASSERT_TRUE(tree.InsertNodePath("A\\B", "", "new"));
  EXPECT_EQ(tree.GetCount(), 2u);
  EXPECT_EQ(tree.GetItemData(Child(nullptr, "A")), 0u);
  owner.calls.clear();
  Select("A\\B");
  EXPECT_EQ(owner.calls[2], "data=new");
}

TEST_F(TreeTest, PopupTextsHaveDefaultsAndOnlyEntriesZeroAndOneChange) {
  EXPECT_EQ(tree.GetPopupMenuText(0), "Inserir");
  EXPECT_EQ(tree.GetPopupMenuText(1), "Remover");
  EXPECT_EQ(tree.GetPopupMenuText(2), "Invalid Number");
  EXPECT_EQ(tree.GetPopupMenuText(-1), "Invalid Number");
  tree.SetPopupMenuText(2, "x");
  tree.SetPopupMenuText(-1, "y");
  EXPECT_EQ(tree.GetPopupMenuText(0), "Inserir");
  EXPECT_EQ(tree.GetPopupMenuText(1), "Remover");
  tree.SetPopupMenuText(0, "Add");
  tree.SetPopupMenuText(1, "Delete");
  EXPECT_EQ(tree.GetPopupMenuText(0), "Add");
  EXPECT_EQ(tree.GetPopupMenuText(1), "Delete");
}

TEST_F(TreeTest, PopupCommandsReportTheSelectedLabelThenFire) {
  SendMessageW(tree.GetSafeHwnd(), WM_COMMAND, QorTreeCtrl::kIdRemoveCommand, 0);
  EXPECT_EQ(owner.calls, (Strings{"label=", "RemoveData"}));
  ASSERT_TRUE(tree.InsertNodePath("A\\B", "", ""));
  Select("A\\B");
  owner.calls.clear();
  SendMessageW(tree.GetSafeHwnd(), WM_COMMAND, QorTreeCtrl::kIdInsertCommand, 0);
  EXPECT_EQ(owner.calls, (Strings{"label=B", "InsertData"}));
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
  std::string Text() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    return m_text;
  }

private:
  void Run() {
    while (!m_stop) {
      HWND box = FindOwnDialog(L"QorTreeView");
      if (box) {
        char buf[512] = {};
        GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
        m_text = buf;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  }
  std::atomic<bool> m_stop{false};
  std::string m_text;
  std::thread m_thread;
};

TEST_F(TreeTest, ARefusedPathIsShownOnlyWhileShowErrorIsSet) {
  {
    MessageBoxWatcher watcher;
    EXPECT_FALSE(tree.InsertNodePath("\"a\\b\"", "", ""));  // silent: returns at once
    Sleep(300);
    EXPECT_EQ(watcher.Text(), "");
  }
  tree.SetShowError(TRUE);
  MessageBoxWatcher watcher;
  EXPECT_FALSE(tree.InsertNodePath("\"a\\b\"", "", ""));  // returns once the box is closed
  EXPECT_EQ(watcher.Text(), "Fail to insert node: \"a\\b\"");
}
