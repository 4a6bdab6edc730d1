// The window layer: the window-to-object map, subclassing of system
// windows, and the reflection of a child's notification back to the child.
#include <gtest/gtest.h>
#include "framework/CWnd.h"

namespace {
class Recorder : public CWnd {
public:
  std::vector<UINT> seen;
  bool Created() const { return m_hWnd != nullptr; }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == CWnd::kReflectBase + WM_NOTIFY) {
      seen.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
      return 42;
    }
    return CWnd::HandleMessage(msg, wParam, lParam);
  }
};

HWND NewTopWindow(CWnd& wnd) {
  EXPECT_TRUE(CWnd::RegisterWndClass(L"QorFrameworkTest", 0, nullptr));
  RECT rc = {0, 0, 100, 100};
  EXPECT_TRUE(wnd.CreateEx(0, L"QorFrameworkTest", L"", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
  return wnd.GetSafeHwnd();
}
}  // namespace

TEST(Window, TheMapFindsAnObjectOnlyWhileItsWindowLives) {
  Recorder wnd;
  HWND h = NewTopWindow(wnd);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CWnd::FromHandle(h), &wnd);
  DestroyWindow(h);  // destroyed from outside: the object lets go of it
  EXPECT_EQ(CWnd::FromHandle(h), nullptr);
  EXPECT_FALSE(wnd.Created());
  wnd.Close();  // nothing left to close
  EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
}

TEST(Window, ASubclassedSystemWindowKeepsItsOwnBehaviour) {
  Recorder parent;
  HWND hp = NewTopWindow(parent);
  HWND h = CreateWindowExW(0, L"STATIC", L"before", WS_CHILD, 0, 0, 50, 20, hp, nullptr, nullptr,
                           nullptr);
  ASSERT_NE(h, nullptr);
  Recorder child;
  ASSERT_TRUE(child.SubclassWindow(h));
  EXPECT_EQ(CWnd::FromHandle(h), &child);
  SetWindowTextW(h, L"after");
  wchar_t text[16] = {};
  GetWindowTextW(h, text, 16);
  EXPECT_STREQ(text, L"after");
  child.Close();
  EXPECT_FALSE(IsWindow(h));
  parent.Close();
  EXPECT_FALSE(IsWindow(hp));
}

TEST(Window, AChildsNotificationIsReflectedToTheChildsObject) {
  Recorder parent;
  HWND hp = NewTopWindow(parent);
  HWND h =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 20, hp, nullptr, nullptr, nullptr);
  Recorder child;
  ASSERT_TRUE(child.SubclassWindow(h));
  NMHDR hdr = {h, 7, 1234};
  EXPECT_EQ(SendMessageW(hp, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&hdr)), 42);
  EXPECT_EQ(child.seen, std::vector<UINT>{1234});
  // A notification from a window without an object goes to the default handling.
  HWND plain =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, hp, nullptr, nullptr, nullptr);
  NMHDR other = {plain, 8, 99};
  EXPECT_EQ(SendMessageW(hp, WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&other)), 0);
  EXPECT_TRUE(parent.seen.empty());
}
