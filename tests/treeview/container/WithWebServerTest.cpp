// The control and OrraWebServer.exe together: the server publishes a
// configuration and its icons from a folder, and the control in remote mode
// builds the full tree from http://127.0.0.1 and from a subfolder.
#include "IconFile.h"
#include "ids/QorTreeViewIds.h"
#include "ServerProcess.h"
#include "TestProcess.h"
#include "TreeFixture.h"

using namespace treetest;
using testsupport::ServerProcess;
using testsupport::TempFolder;

namespace {
const COLORREF kGrey = RGB(128, 128, 128), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
               kBlue = RGB(0, 0, 255);

// Registers the control module for this program, and removes it after.
class RegisteredModule : public ::testing::Environment {
public:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    m_module = LoadLibraryW(ControlModulePath().c_str());
    ASSERT_NE(m_module, nullptr);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
  }
  void TearDown() override {
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    CoUninitialize();
  }

private:
  HRESULT Call(const char* name) {
    typedef HRESULT(STDAPICALLTYPE * ExportFn)();
    auto fn = reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    return fn ? fn() : E_FAIL;
  }
  HMODULE m_module = nullptr;
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new RegisteredModule);

class WithWebServer : public TreeFixture {
protected:
  void SetUp() override {
    TreeFixture::SetUp();
    ASSERT_FALSE(root.Path().empty());
    const std::string tree =
        "Plant|plant|P1\r\nPlant\\Line 1|line|L1\r\nPlant\\Line 1\\Pump 3|pump|Pump 3 data\r\n"
        "Plant\\Line 1\\Valve 7\r\nPlant\\Line "
        "2|line|L2\r\nOffice|office|O\r\nOffice\\Printer|pump|pr\r\n";
    for (const wchar_t* dir : {L"", L"cfg\\"}) {
      std::wstring d = dir;
      root.WriteFile(d + L"tree.txt", tree);
      root.WriteFile(d + L"Default.ico", IconFileBytes(kGrey));
      root.WriteFile(d + L"plant.ico", IconFileBytes(kRed));
      root.WriteFile(d + L"line.ico", IconFileBytes(kGreen));
      root.WriteFile(d + L"pump.ico", IconFileBytes(kBlue));
      root.WriteFile(d + L"office.ico", IconFileBytes(RGB(255, 160, 0)));
    }
    ASSERT_TRUE(server.Start(root.Path()));
    ASSERT_TRUE(server.WaitForMainWindow(15000));
    ASSERT_TRUE(server.WaitForLog(L"Listening...", 15000));
    before = TempCopies();
  }
  void TearDown() override {
    if (server.IsRunning()) {
      EXPECT_EQ(server.CloseAndWait(15000), 0u);
    }
    TreeFixture::TearDown();
  }
  TempFolder root{L"qtv-site"};
  ServerProcess server;
  std::set<std::string> before;
};

const Lines kTree = {"Plant [1] {P1} +",   "  Line 1 [2] {L1}", "    Pump 3 [3] {Pump 3 data}",
                     "    Valve 7 [0] {}", "  Line 2 [2] {L2}", "Office [4] {O}",
                     "  Printer [3] {pr}"};
}  // namespace

TEST_F(WithWebServer, TheControlBuildsTheFullTreeWithItsIconsFromTheServersRootAndASubfolder) {
  Configure("http://127.0.0.1", "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), kTree);
  ASSERT_EQ(ImageCount(), 5);
  EXPECT_EQ(Colour(0), kGrey);
  EXPECT_EQ(Colour(1), kRed);
  EXPECT_EQ(Colour(2), kGreen);
  EXPECT_EQ(Colour(3), kBlue);
  EXPECT_EQ(TempCopies(), before);

  root.WriteFile(L"cfg\\tree.txt", "Elsewhere|plant|E\r\nElsewhere\\Deep|pump|D\r\n");
  Configure("http://127.0.0.1/cfg\\", "tree.txt", 1);
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"Elsewhere [1] {E} +", "  Deep [3] {D}"}));
  EXPECT_EQ(TempCopies(), before);

  // Held open on request, for a picture of the control with the server's tree.
  wchar_t hold[16] = {};
  if (GetEnvironmentVariableW(L"QOR_HOLD_SECONDS", hold, 16)) {
    Configure("http://127.0.0.1", "tree.txt", 1);
    Refresh();
    ASSERT_EQ(c.PutString(kDispSelectedNodes, "Plant\\Line 1\\Pump 3"), S_OK);
    SetWindowTextW(c.HostWindow(), L"QorTreeView with OrraWebServer");
    ShowWindow(c.HostWindow(), SW_SHOW);
    const DWORD end = GetTickCount() + 1000u * static_cast<DWORD>(_wtoi(hold));
    while (GetTickCount() < end) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(20);
    }
  }
}

TEST_F(WithWebServer, NamesWithSpacesReachTheServerAsTheWebClientEncodesThem) {
  // The web client sends "my tree.txt" as /my%20tree.txt; the server decodes it.
  root.WriteFile(L"my tree.txt", "Pump house|bomba 1|B\r\n");
  root.WriteFile(L"bomba 1.ico", IconFileBytes(kBlue));
  Configure("http://127.0.0.1", "my tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"Pump house [1] {B}"}));
  ASSERT_EQ(ImageCount(), 2);
  EXPECT_EQ(Colour(1), kBlue);
  EXPECT_EQ(TempCopies(), before);
}

TEST_F(WithWebServer, NamesOutsideAsciiReachTheServerAsUtf8Escapes) {
  // "tree" in Russian, and "pump" in Chinese for the icon.
  const std::wstring config = L"\u0434\u0435\u0440\u0435\u0432\u043E.txt";
  root.WriteFile(config, "\xD0\x9D\xD0\xB0\xD1\x81\xD0\xBE\xD1\x81|\xE6\xB3\xB5|B\r\n");
  root.WriteFile(L"\u6CF5.ico", IconFileBytes(kBlue));
  Configure(L"http://127.0.0.1", config, 1);
  Activate();
  EXPECT_EQ(WideDump(), (WLines{L"\u041D\u0430\u0441\u043E\u0441 [1] {B}"}));
  ASSERT_EQ(ImageCount(), 2);
  EXPECT_EQ(Colour(1), kBlue);
  EXPECT_EQ(TempCopies(), before);
}
