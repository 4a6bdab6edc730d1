// The control's own code linked into a test program (no registration), in
// the test container, where the test hooks of its parts reach; and the same
// in remote mode against a recording server, with the copies' bounds chosen
// by the test.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "framework/CLineReader.h"
#include "control/CDownload.h"
#include "control/CQorTreeViewCtrl.h"
#include "RecordingHttpServer.h"
#include "TreeFixture.h"

namespace treetest {
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

// Two seconds of silence, or under 4 KiB in any three, end a copy.
const CDownload::Bounds kShortBounds = {2000, 3000, 4096};

// A remote control whose tree holds one node, and a server to play against,
// with the copies' bounds of Bounds() (null: those the control ships with).
class BoundedLoad : public InProcessControl {
protected:
  void SetUp() override {
    InProcessControl::SetUp();
    // The copies go to the test's own folder: other test programs look
    // for copies left in the user's temporary folder meanwhile.
    GetEnvironmentVariableA("TMP", m_tmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", m_temp, MAX_PATH);
    SetEnvironmentVariableA("TMP", folder.c_str());
    SetEnvironmentVariableA("TEMP", folder.c_str());
    CDownload::SetBoundsForTest(Bounds());
    ASSERT_TRUE(server.Start());
    Configure(server.BaseUrl(), "tree.txt", 1);
    Activate();
    ASSERT_TRUE(Insert("Kept"));
    PutBool(kDispShowError, true);
  }
  void TearDown() override {
    server.Stop();
    CDownload::SetBoundsForTest(nullptr);
    SetEnvironmentVariableA("TMP", m_tmp[0] ? m_tmp : nullptr);
    SetEnvironmentVariableA("TEMP", m_temp[0] ? m_temp : nullptr);
    InProcessControl::TearDown();
  }
  // Refreshes; the time it took, in ms. The failure is reported as before.
  DWORD TimedRefresh() {
    MessageBoxCloser boxes;
    const DWORD start = GetTickCount();
    Refresh();
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(boxes.Texts(),
              (Lines{"Fail to load configuration: " + server.BaseUrl() + "/tree.txt"}));
    EXPECT_EQ(Dump(), (Lines{"Kept [0] {}"}));
    EXPECT_TRUE(LeftOverCopies().empty());
    return took;
  }
  virtual const CDownload::Bounds* Bounds() const { return &kShortBounds; }
  RecordingHttpServer server;

private:
  char m_tmp[MAX_PATH] = {}, m_temp[MAX_PATH] = {};
};
}  // namespace treetest
