// What the user does in the tree reaches the container: selection by the
// keyboard, and the right-click menu with its current texts, its choices
// and its cancelling.
#include <cstring>
#include "TreeFixture.h"

using namespace treetest;

namespace {
// The texts of every popup menu that opens on this thread while it lives,
// and the screen corner of the last menu window placed.
Lines* g_menuTexts = nullptr;
POINT g_menuCorner;
LRESULT CALLBACK WatchMenus(int code, WPARAM w, LPARAM l) {
  auto* m = reinterpret_cast<CWPSTRUCT*>(l);
  char cls[16] = {};
  if (code == HC_ACTION && m->message == WM_WINDOWPOSCHANGED &&
      GetClassNameA(m->hwnd, cls, sizeof(cls)) && std::string(cls) == "#32768") {
    RECT rc;
    GetWindowRect(m->hwnd, &rc);
    g_menuCorner = {rc.left, rc.top};
  }
  if (code == HC_ACTION && m->message == WM_INITMENUPOPUP && g_menuTexts) {
    HMENU menu = reinterpret_cast<HMENU>(m->wParam);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[256] = {};
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
      g_menuTexts->push_back(std::to_string(GetMenuItemID(menu, i)) + " " + text);
    }
  }
  // The release of the button ends the widget's own tracking of the press,
  // which follows the menu.
  if (code == HC_ACTION && m->message == WM_EXITMENULOOP)
    PostMessageW(m->hwnd, WM_RBUTTONUP, 0, MAKELPARAM(20, 5));
  return CallNextHookEx(nullptr, code, w, l);
}

class Events : public TreeFixture {
protected:
  void SetUp() override {
    TreeFixture::SetUp();
    Activate();
    ASSERT_TRUE(Insert("A", "", "a"));
    ASSERT_TRUE(Insert("B\\C", "", "c"));
    ASSERT_TRUE(Insert("D", "", "d"));
  }
  // Right-clicks the tree with the given keys waiting for the menu, then
  // lets the chosen command arrive. The texts of the menu that opened.
  Lines RightClick(std::initializer_list<WPARAM> keys) {
    return OpenMenu(keys, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 5));
  }
  // The same with the keyboard's request (Shift+F10, the menu key).
  Lines MenuKey(std::initializer_list<WPARAM> keys) {
    return OpenMenu(keys, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.TreeWindow()), -1);
  }
  Lines OpenMenu(std::initializer_list<WPARAM> keys, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND tree = c.TreeWindow();
    for (WPARAM k : keys) PostMessageW(tree, WM_KEYDOWN, k, 0);
    Lines texts;
    g_menuTexts = &texts;
    g_menuCorner = {-1000, -1000};
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchMenus, nullptr, GetCurrentThreadId());
    SendMessageW(tree, message, wParam, lParam);
    UnhookWindowsHookEx(hook);
    g_menuTexts = nullptr;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return texts;
  }
};
}  // namespace

TEST_F(Events, AKeyboardMoveReportsLabelPathAndDataInOrderThenFiresOnce) {
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A"), S_OK);
  c.Take();
  SendMessageW(c.TreeWindow(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "changed:SelectedNodes",
                             "changed:SelectedData", "event:SelChanged"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "B");
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "B");
  EXPECT_EQ(c.GetString(kDispSelectedData), "c");         // B was created by the record of B\C
  SendMessageW(c.TreeWindow(), WM_KEYDOWN, VK_RIGHT, 0);  // expands B
  SendMessageW(c.TreeWindow(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "changed:SelectedNodes",
                             "changed:SelectedData", "event:SelChanged"}));
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "B\\C");
}

TEST_F(Events, TheMenuShowsTheCurrentTextsAndItsEntriesFireTheirEvents) {
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "D"), S_OK);
  c.Take();
  EXPECT_EQ(RightClick({VK_DOWN, VK_RETURN}), (Lines{"32768 Inserir", "32769 Remover"}));
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "event:InsertData"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "D");

  VARIANT idx = VarI4(0), text = VarBstr("Add");
  ASSERT_EQ(c.Put(kDispPopupMenuText, text, &idx, 1), S_OK);
  VariantClear(&text);
  idx = VarI4(1);
  text = VarBstr("Delete");
  ASSERT_EQ(c.Put(kDispPopupMenuText, text, &idx, 1), S_OK);
  VariantClear(&text);
  ASSERT_EQ(c.PutString(kDispSelectedLabel, "stale"), S_OK);
  EXPECT_EQ(RightClick({VK_DOWN, VK_DOWN, VK_RETURN}), (Lines{"32768 Add", "32769 Delete"}));
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "event:RemoveData"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "D");
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "D");  // untouched by the command
}

TEST_F(Events, CancellingTheMenuFiresNothingAndChangesNothing) {
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A"), S_OK);
  c.Take();
  EXPECT_EQ(RightClick({VK_ESCAPE}).size(), 2u);
  EXPECT_TRUE(c.Take().empty());
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "A");
  // The menu opens for the selected node, wherever the press was.
  EXPECT_EQ(RightClick({VK_DOWN, VK_RETURN}).size(), 2u);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "event:InsertData"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "A");
}

TEST_F(Events, TextOfAnyCharacterComesBackExactlyThroughSelectionAndTheMenu) {
  // Greek, with a character outside the BMP (a surrogate pair) in the leaf.
  const std::wstring path =
      L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1\\\u03A3\u03C0\u03AC\u03C1"
      L"\u03C4\u03B7 \U0001F333";
  const std::wstring leaf = path.substr(path.find(L'\\') + 1), data = L"\u30C7\u30FC\u30BF";
  ASSERT_TRUE(Insert(path, L"", data));
  c.Take();
  ASSERT_EQ(c.PutString(kDispSelectedNodes, path), S_OK);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "changed:SelectedNodes",
                             "changed:SelectedData", "event:SelChanged"}));
  EXPECT_EQ(c.GetWideString(kDispSelectedLabel), leaf);
  EXPECT_EQ(c.GetWideString(kDispSelectedNodes), path);
  EXPECT_EQ(c.GetWideString(kDispSelectedData), data);
  ASSERT_EQ(c.PutString(kDispSelectedLabel, L"stale"), S_OK);
  EXPECT_EQ(RightClick({VK_DOWN, VK_RETURN}).size(), 2u);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "event:InsertData"}));
  EXPECT_EQ(c.GetWideString(kDispSelectedLabel), leaf);
}

TEST_F(Events, TheMenuKeyOpensTheSameMenuBelowTheSelectedLabelOrAtTheCornerWithoutOne) {
  HWND tree = c.TreeWindow();
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "D"), S_OK);
  c.Take();
  RECT label;
  const auto selected =
      reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  memcpy(&label, &selected, sizeof(selected));  // the message's input: the item
  ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)));
  POINT below = {label.left, label.bottom};
  ClientToScreen(tree, &below);
  EXPECT_EQ(MenuKey({VK_DOWN, VK_RETURN}), (Lines{"32768 Inserir", "32769 Remover"}));
  EXPECT_EQ(g_menuCorner.x, below.x);
  EXPECT_EQ(g_menuCorner.y, below.y);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "event:InsertData"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "D");

  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
  c.Take();
  POINT corner = {0, 0};
  ClientToScreen(tree, &corner);
  EXPECT_EQ(MenuKey({VK_DOWN, VK_DOWN, VK_RETURN}).size(), 2u);
  EXPECT_EQ(g_menuCorner.x, corner.x);
  EXPECT_EQ(g_menuCorner.y, corner.y);
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "event:RemoveData"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "");
  // A mouse's request at a point opens nothing more: its press did.
  EXPECT_TRUE(OpenMenu({VK_ESCAPE}, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree),
                       MAKELPARAM(corner.x + 5, corner.y + 5))
                  .empty());
}
