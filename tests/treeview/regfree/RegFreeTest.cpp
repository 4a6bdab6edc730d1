// The control with no registration at all, as a container meets it: this
// program's manifest (the shipped example, renamed after it) names the
// control's side-by-side manifest beside QorTreeView.ocx, and COM finds the
// control by ProgID through CLSIDFromProgID and CoCreateInstance.
// run-regfree.sh runs it in a Wine prefix made afresh, where nothing was
// ever registered; the demo container run there without the control beside
// it shows what a user is told to do.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "ids/QorTreeViewIds.h"
#include "ProgramProcess.h"
#include "TestContainer.h"
#include "TestProcess.h"

namespace {

std::wstring Guid(REFGUID guid) {
  wchar_t buf[40] = {};
  StringFromGUID2(guid, buf, 40);
  return buf;
}

bool ClassesKeyExists(const std::wstring& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

class RegFree : public ::testing::Test {
protected:
  static void SetUpTestSuite() { OleInitialize(nullptr); }
  static void TearDownTestSuite() { OleUninitialize(); }
  void SetUp() override {
    // Nothing registered: whatever works below works through the manifests.
    ASSERT_FALSE(ClassesKeyExists(L"CLSID\\" + Guid(CLSID_QorTreeView)));
    ASSERT_FALSE(ClassesKeyExists(L"QORTREEVIEW.QorTreeViewCtrl.1"));
    ASSERT_FALSE(ClassesKeyExists(L"QORTREEVIEW.QorTreeViewCtrl"));
    ASSERT_FALSE(ClassesKeyExists(L"TypeLib\\" + Guid(LIBID_QorTreeViewLib)));
  }
};

TEST_F(RegFree, EitherProgIdGivesAWorkingControlFromTheModuleBesideTheProgram) {
  const std::wstring folder = testsupport::ExeFolder();
  HANDLE f = CreateFileW((folder + L"tree.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  const char text[] = "Plant|x|p\r\nPlant\\Line\\Pump||q\r\n";
  DWORD written = 0;
  WriteFile(f, text, sizeof(text) - 1, &written, nullptr);
  CloseHandle(f);

  for (const wchar_t* progId : {L"QORTREEVIEW.QorTreeViewCtrl.1", L"QORTREEVIEW.QorTreeViewCtrl"}) {
    SCOPED_TRACE(std::string(progId, progId + wcslen(progId)));
    TestContainer c;
    ASSERT_EQ(c.Create(progId), S_OK);
    RECT pos = {0, 0, 300, 200};
    ASSERT_EQ(c.Activate(pos), S_OK);
    ASSERT_EQ(c.PutString(kDispURL, std::string(folder.begin(), folder.end() - 1)), S_OK);
    ASSERT_EQ(c.PutString(kDispConfigFile, "tree.txt"), S_OK);
    VARIANT none;
    VariantInit(&none);
    ASSERT_EQ(c.Call(kDispRefresh, &none), S_OK);
    ASSERT_NE(c.TreeWindow(), nullptr);
    EXPECT_EQ(SendMessageW(c.TreeWindow(), TVM_GETCOUNT, 0, 0), 3);
    // The module the manifest names, not one found elsewhere.
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"QorTreeView.ocx"), loaded, MAX_PATH);
    EXPECT_EQ(_wcsicmp(loaded, (folder + L"QorTreeView.ocx").c_str()), 0);
    c.Close();
  }
  DeleteFileW((folder + L"tree.txt").c_str());
}

TEST_F(RegFree, TheTypeLibraryIsFoundThroughTheManifest) {
  ITypeLib* lib = nullptr;
  ASSERT_EQ(LoadRegTypeLib(LIBID_QorTreeViewLib, 1, 0, 0, &lib), S_OK);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(CLSID_QorTreeView, &info), S_OK);
  if (info) info->Release();
  lib->Release();
}

// The demo, copied alone into alone\ by the runner, finds neither the
// control beside it nor a registration.
TEST_F(RegFree, TheDemoWithoutTheControlNamesBothFixes) {
  const std::wstring path = testsupport::ExeFolder() + L"alone\\QorTreeViewDemo.exe";
  testsupport::ProgramProcess demo;
  ASSERT_TRUE(demo.StartCommandLine(path, L"\"" + path + L"\" . tree.txt 0"));
  HWND box = demo.WaitForWindow(L"#32770", nullptr, 30000, true);
  const std::wstring text = box ? testsupport::DescendantTexts(box) : std::wstring();
  const std::string shown(text.begin(), text.end());
  EXPECT_NE(text.find(L"0x80040154"), std::wstring::npos) << shown;
#ifdef _WIN64
  EXPECT_NE(text.find(L"put the 64-bit QorTreeView.ocx"), std::wstring::npos) << shown;
#else
  EXPECT_NE(text.find(L"put the 32-bit QorTreeView.ocx"), std::wstring::npos) << shown;
#endif
  EXPECT_NE(text.find(L"\\alone\\"), std::wstring::npos) << shown;
  EXPECT_NE(text.find(L"\\regsvr32.exe QorTreeView.ocx"), std::wstring::npos) << shown;
  EXPECT_NE(text.find(L"/n /i:user"), std::wstring::npos) << shown;
  EXPECT_EQ(demo.PostAndWait(box, WM_COMMAND, IDOK, 20000), 1u);
}
}  // namespace
