// The control's icons at the display scale of the prefix it runs in
// (QOR_TEST_DPI, 96 when unset), and after a scale change.
#include <gtest/gtest.h>
#include <cstdlib>
#include "framework/WindowDpi.h"
#include "IconFile.h"
#include "InProcessFixtures.h"

namespace treetest {
namespace {
// One colour per image side of the icon file the node names.
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
               kYellow = RGB(255, 255, 0);
const std::vector<IconImage> kSizedIcon = {{16, kRed}, {24, kGreen}, {32, kBlue}, {48, kYellow}};

UINT TestDpi() {
  const char* dpi = getenv("QOR_TEST_DPI");
  return dpi ? static_cast<UINT>(atoi(dpi)) : 96;
}

// A remote control showing one node with the sized icon, from a server
// that counts the requests.
class ScaledControl : public InProcessControl {
protected:
  void SetUp() override {
    InProcessControl::SetUp();
    ASSERT_TRUE(server.Start());
    server.Serve("/tree.txt", "Pump|sized|\r\n");
    server.Serve("/Default.ico", IconFileBytes({{16, kYellow}, {32, kYellow}}));
    server.Serve("/sized.ico", IconFileBytes(kSizedIcon));
    Configure(server.BaseUrl(), "tree.txt", 1);
    FONTDESC fd = {
        sizeof(fd), const_cast<LPOLESTR>(L"Tahoma"), {}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE,
        FALSE};
    fd.cySize.int64 = 12 * 10000;
    ASSERT_EQ(OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&font)), S_OK);
    c.SetAmbientFont(font);
    Activate();
    ASSERT_EQ(Dump(), (Lines{"Pump [1] {}"}));
  }
  void TearDown() override {
    SetWindowDpiForTest(0);
    server.Stop();
    InProcessControl::TearDown();
    if (font) font->Release();
  }
  // The list's image side, the colour of the node's image, the font's
  // height at dpi and whether the item height holds the image.
  void ExpectIcons(UINT dpi, int side, COLORREF colour) {
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.TreeWindow(), WM_GETFONT, 0, 0)), sizeof(lf),
               &lf);
    EXPECT_EQ(lf.lfHeight, -MulDiv(12, static_cast<int>(dpi), 72)) << dpi;
    auto list = reinterpret_cast<HIMAGELIST>(
        SendMessageW(c.TreeWindow(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, side);
    EXPECT_EQ(cy, side);
    EXPECT_EQ(Colour(1), colour);
    EXPECT_GE(SendMessageW(c.TreeWindow(), TVM_GETITEMHEIGHT, 0, 0), side);
  }
  RecordingHttpServer server;
  IFontDisp* font = nullptr;  // the container's ambient font, 12 points
};

struct Scale {
  UINT dpi;
  int side;
  COLORREF colour;
};
const Scale kScales[] = {{96, 16, kRed}, {120, 20, kGreen}, {144, 24, kGreen}, {192, 32, kBlue}};
const Scale& ScaleOf(UINT dpi) {
  for (const Scale& s : kScales)
    if (s.dpi == dpi) return s;
  return kScales[0];
}
}  // namespace

TEST_F(ScaledControl, IconsTakeTheFilesImageOfTheScreensSmallIconSize) {
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), static_cast<int>(TestDpi())) << "prefix set-up";
  ReleaseDC(nullptr, screen);
  const Scale& s = ScaleOf(TestDpi());
  ExpectIcons(TestDpi(), s.side, s.colour);
}

TEST_F(ScaledControl, AScaleChangeResizesTheIconsWithoutFetchingThemAgain) {
  server.Take();
  bool bySystem = true;
  for (UINT dpi : {192u, 120u, 144u, 96u}) {
    const Scale& s = ScaleOf(dpi);
    SetWindowDpiForTest(s.dpi);
    // The system's notice to the control's window, then to the tree's; or
    // the container's, which names no property.
    if (bySystem) {
      SendMessageW(c.ControlWindow(), kWmDpiChangedAfterParent, 0, 0);
      SendMessageW(c.TreeWindow(), kWmDpiChangedAfterParent, 0, 0);
    } else {
      EXPECT_EQ(c.AmbientChanged(DISPID_UNKNOWN), S_OK);
    }
    bySystem = !bySystem;
    ExpectIcons(s.dpi, s.side, s.colour);
    EXPECT_EQ(ImageCount(), 2) << s.dpi;
  }
  EXPECT_TRUE(server.Take().empty());
  EXPECT_TRUE(LeftOverCopies().empty());
}
}  // namespace treetest
