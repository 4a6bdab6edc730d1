// Registration by the system's regsvr32 (the one of the module's bitness),
// per machine and per user, checked with the system's reg query.
#include <gtest/gtest.h>
#include "framework/CClassRegistry.h"
#include "ids/QorTreeViewIds.h"
#include "TestProcess.h"

namespace {
std::wstring Module() { return L"\"" + ControlModulePath() + L"\""; }

DWORD Regsvr32(const std::wstring& options) {
  return RunProcess(L"\"" + SystemProgram(L"regsvr32.exe") + L"\" /s " + options + L" " + Module())
      .exitCode;
}

// reg query of a key (and a value, or the default one with L"/ve"); the output
// when found, or "<missing>".
std::string Query(const std::wstring& key, const std::wstring& value = L"") {
  ProcessResult r = RunProcess(L"\"" + SystemProgram(L"reg.exe") + L"\" query \"" + key + L"\"" +
                               (value.empty() ? L"" : L" " + value));
  return r.exitCode == 0 ? r.output : "<missing>";
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// What COM itself makes of a ProgID, as CreateObject would ask it.
bool ResolvesToTheControl(const wchar_t* progId) {
  CLSID clsid = {};
  return SUCCEEDED(CLSIDFromProgID(progId, &clsid)) && IsEqualCLSID(clsid, CLSID_QorTreeView);
}

const std::wstring kClsid = CClassRegistry::GuidString(CLSID_QorTreeView);
const std::wstring kPage = CClassRegistry::GuidString(CLSID_QorTreeViewPropPage);
const std::wstring kLibid = CClassRegistry::GuidString(LIBID_QorTreeViewLib);
const std::wstring kIface = CClassRegistry::GuidString(DIID__DQorTreeView);

#ifdef _WIN64
const wchar_t kSysKind[] = L"win64";
#else
const wchar_t kSysKind[] = L"win32";
#endif

// Checks the entries of one registration under a classes root.
void ExpectRegistered(const std::wstring& root) {
  const std::wstring cls = root + L"\\CLSID\\" + kClsid;
  EXPECT_NE(Query(root + L"\\QORTREEVIEW.QorTreeViewCtrl.1\\CLSID", L"/ve").find(Narrow(kClsid)),
            std::string::npos);
  EXPECT_NE(Query(cls, L"/ve").find("QorTreeView Control"), std::string::npos);
  EXPECT_NE(Query(cls + L"\\InprocServer32", L"/ve").find("QorTreeView.ocx"), std::string::npos);
  EXPECT_NE(Query(cls + L"\\InprocServer32", L"/v ThreadingModel").find("Apartment"),
            std::string::npos);
  EXPECT_NE(Query(cls + L"\\MiscStatus\\1", L"/ve").find("131473"), std::string::npos);
  EXPECT_NE(Query(cls + L"\\ToolboxBitmap32", L"/ve").find("QorTreeView.ocx, 1"),
            std::string::npos);
  EXPECT_NE(Query(cls + L"\\TypeLib", L"/ve").find(Narrow(kLibid)), std::string::npos);
  EXPECT_NE(Query(cls + L"\\Version", L"/ve").find("1.0"), std::string::npos);
  EXPECT_NE(Query(cls + L"\\ProgID", L"/ve").find("QORTREEVIEW.QorTreeViewCtrl.1"),
            std::string::npos);
  EXPECT_NE(Query(cls + L"\\Control"), "<missing>");
  // The version-independent ProgID, as scripts and VB name the control.
  EXPECT_NE(Query(cls + L"\\VersionIndependentProgID", L"/ve").find("QORTREEVIEW.QorTreeViewCtrl"),
            std::string::npos);
  EXPECT_NE(Query(root + L"\\QORTREEVIEW.QorTreeViewCtrl\\CLSID", L"/ve").find(Narrow(kClsid)),
            std::string::npos);
  EXPECT_NE(Query(root + L"\\QORTREEVIEW.QorTreeViewCtrl\\CurVer", L"/ve")
                .find("QORTREEVIEW.QorTreeViewCtrl.1"),
            std::string::npos);
  EXPECT_NE(Query(root + L"\\CLSID\\" + kPage, L"/ve").find("QorTreeView Property Page"),
            std::string::npos);
  EXPECT_NE(Query(root + L"\\TypeLib\\" + kLibid + L"\\1.0\\0\\" + kSysKind, L"/ve")
                .find("QorTreeView.ocx"),
            std::string::npos);
  EXPECT_NE(Query(root + L"\\Interface\\" + kIface + L"\\TypeLib", L"/ve").find(Narrow(kLibid)),
            std::string::npos);
  // The help folder ends in a backslash in both scopes, as an installer writes it.
  std::string helpDir = Query(root + L"\\TypeLib\\" + kLibid + L"\\1.0\\HELPDIR", L"/ve");
  helpDir = helpDir.substr(0, helpDir.find_last_not_of(" \r\n") + 1);
  ASSERT_FALSE(helpDir.empty());
  EXPECT_EQ(helpDir.back(), '\\') << helpDir;
}

void ExpectUnregistered(const std::wstring& root) {
  EXPECT_EQ(Query(root + L"\\CLSID\\" + kClsid), "<missing>");
  EXPECT_EQ(Query(root + L"\\CLSID\\" + kPage), "<missing>");
  EXPECT_EQ(Query(root + L"\\QORTREEVIEW.QorTreeViewCtrl.1"), "<missing>");
  EXPECT_EQ(Query(root + L"\\QORTREEVIEW.QorTreeViewCtrl"), "<missing>");
  EXPECT_EQ(Query(root + L"\\TypeLib\\" + kLibid), "<missing>");
}
}  // namespace

TEST(Registration, RegisteringTwiceSucceedsAndUnregisteringRemovesEverything) {
  ASSERT_EQ(Regsvr32(L""), 0u);
  ASSERT_EQ(Regsvr32(L""), 0u);
  ExpectRegistered(L"HKLM\\Software\\Classes");
  // One set of entries: the ProgID names one class.
  std::string progid = Query(L"HKCR\\QORTREEVIEW.QorTreeViewCtrl.1", L"/s");
  EXPECT_EQ(progid.find("CLSID"), progid.rfind("CLSID"));

  EXPECT_TRUE(ResolvesToTheControl(L"QORTREEVIEW.QorTreeViewCtrl"));

  ASSERT_EQ(Regsvr32(L"/u"), 0u);
  ExpectUnregistered(L"HKLM\\Software\\Classes");
  EXPECT_FALSE(ResolvesToTheControl(L"QORTREEVIEW.QorTreeViewCtrl"));
}

TEST(Registration, PerUserRegistrationWritesOnlyTheUsersClasses) {
  ASSERT_EQ(Regsvr32(L"/u"), 0u);  // nothing per machine to begin with
  ASSERT_EQ(Regsvr32(L"/n /i:user"), 0u);
  ASSERT_EQ(Regsvr32(L"/n /i:user"), 0u);
  ExpectRegistered(L"HKCU\\Software\\Classes");
  EXPECT_EQ(Query(L"HKLM\\Software\\Classes\\CLSID\\" + kClsid), "<missing>");

  // Not resolved through COM here: Wine's HKCR does not show the user's
  // classes (neither ProgID resolves), which Windows merges in.

  ASSERT_EQ(Regsvr32(L"/u /n /i:user"), 0u);
  ExpectUnregistered(L"HKCU\\Software\\Classes");
  EXPECT_EQ(Query(L"HKCU\\Software\\Classes\\Interface\\" + kIface), "<missing>");
}

TEST(Registration, UnregisteringLeavesTheVersionIndependentProgIdOfANewerVersion) {
  const std::wstring current = L"HKCU\\Software\\Classes\\QORTREEVIEW.QorTreeViewCtrl";
  ASSERT_EQ(Regsvr32(L"/n /i:user"), 0u);
  // A later version registered since then has taken the name over.
  ASSERT_EQ(RunProcess(L"\"" + SystemProgram(L"reg.exe") + L"\" add \"" + current +
                       L"\\CurVer\" /ve /d QORTREEVIEW.QorTreeViewCtrl.2 /f")
                .exitCode,
            0u);
  ASSERT_EQ(Regsvr32(L"/u /n /i:user"), 0u);
  EXPECT_NE(Query(current + L"\\CurVer", L"/ve").find("QORTREEVIEW.QorTreeViewCtrl.2"),
            std::string::npos);
  EXPECT_EQ(Query(L"HKCU\\Software\\Classes\\QORTREEVIEW.QorTreeViewCtrl.1"), "<missing>");
  RunProcess(L"\"" + SystemProgram(L"reg.exe") + L"\" delete \"" + current + L"\" /f");
}

TEST(Registration, AnUnknownInstallCommandIsRefused) {
  EXPECT_NE(Regsvr32(L"/n /i:everyone"), 0u);
  EXPECT_EQ(Query(L"HKCU\\Software\\Classes\\CLSID\\" + kClsid), "<missing>");
}
