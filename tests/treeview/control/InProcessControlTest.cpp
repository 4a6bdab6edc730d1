// The control's own code linked into this program, in the test container,
// where the test hooks of its parts reach: a load that raises an exception
// in the window's creation or in Refresh stays inside the control.
#include <windows.h>
#include <commctrl.h>
#include "framework/CLineReader.h"
#include "control/CQorTreeViewCtrl.h"
#include "TreeFixture.h"

using namespace treetest;

namespace {
class InProcessControl : public TreeFixture {
protected:
  HRESULT CreateControl() override {
    static const bool com = SUCCEEDED(CoInitialize(nullptr));
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    return com ? c.Create(CQorTreeViewCtrl::CreateObject()) : E_FAIL;
  }
  void TearDown() override {
    CLineReader::SetLineLimitForTest(0);
    TreeFixture::TearDown();
  }
  bool HasScrollBar() const {
    return (GetWindowLongW(c.TreeWindow(), GWL_STYLE) & WS_VSCROLL) != 0;
  }
};
}  // namespace

TEST_F(InProcessControl, ALineTooLongToHoldEndsTheLoadWithTheNodesBeforeItAndTheTreeDrawing) {
  const std::string config = "A\nB\n" + std::string(5000, 'x') + "\nC\n";
  Write("tree.txt", "Z\n");
  Configure(folder, "tree.txt", 0);
  Activate();
  CLineReader::SetLineLimitForTest(1000);
  Write("tree.txt", config);
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"A [0] {}", "B [0] {}"}));
  // The widget draws again: nodes inserted now bring their scroll bar.
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(Insert("N" + std::to_string(i)));
  EXPECT_TRUE(HasScrollBar());

  // The same at the window's creation, under the container's DoVerb.
  c.Close();
  ASSERT_EQ(CreateControl(), S_OK);
  Configure(folder, "tree.txt", 0);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"A [0] {}", "B [0] {}"}));
}
