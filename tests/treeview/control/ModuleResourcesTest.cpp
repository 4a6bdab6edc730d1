// The module's resources as the system sees them: Portuguese (Brazil)
// strings, dialogs and menu; a manifest that binds only the common controls;
// and a version resource that announces self-registration.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "TestProcess.h"

namespace {
const WORD kPortugueseBrazil = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
const WORD kEnglishUS = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

class ModuleResources : public ::testing::Test {
protected:
  void SetUp() override {
    module = LoadLibraryExW(ControlModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override { FreeLibrary(module); }
  std::string Bytes(LPCWSTR type, LPCWSTR name, WORD lang) {
    HRSRC r = FindResourceExW(module, type, name, lang);
    if (!r) return std::string();
    const char* p = static_cast<const char*>(LockResource(LoadResource(module, r)));
    return std::string(p, SizeofResource(module, r));
  }
  std::wstring Version(const wchar_t* name) {
    DWORD handle = 0, size = GetFileVersionInfoSizeW(ControlModulePath().c_str(), &handle);
    std::vector<BYTE> data(size);
    if (!size || !GetFileVersionInfoW(ControlModulePath().c_str(), 0, size, data.data()))
      return L"<none>";
    wchar_t* value = nullptr;
    UINT len = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\040904e4\\") + name;
    if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &len))
      return L"<missing>";
    return len ? std::wstring(value, wcsnlen(value, len)) : std::wstring();
  }
  HMODULE module = nullptr;
};
}  // namespace

TEST_F(ModuleResources, TheResourcesAreInPortugueseOfBrazil) {
  EXPECT_FALSE(Bytes(RT_STRING, MAKEINTRESOURCEW(1), kPortugueseBrazil).empty());  // strings 0-15
  EXPECT_FALSE(
      Bytes(RT_STRING, MAKEINTRESOURCEW(13), kPortugueseBrazil).empty());  // strings 192-207
  EXPECT_FALSE(Bytes(RT_DIALOG, MAKEINTRESOURCEW(1), kPortugueseBrazil).empty());
  EXPECT_FALSE(Bytes(RT_DIALOG, MAKEINTRESOURCEW(200), kPortugueseBrazil).empty());
  EXPECT_FALSE(Bytes(RT_MENU, MAKEINTRESOURCEW(203), kPortugueseBrazil).empty());
  EXPECT_FALSE(Bytes(RT_BITMAP, MAKEINTRESOURCEW(1), kPortugueseBrazil).empty());
  EXPECT_FALSE(Bytes(L"TYPELIB", MAKEINTRESOURCEW(1), kPortugueseBrazil).empty());
  wchar_t text[64] = {};
  LoadStringW(module, 200, text, 64);
  EXPECT_STREQ(text, L"General");
  LoadStringW(module, 2, text, 64);
  EXPECT_STREQ(text, L"QorTreeView Property Page");
}

TEST_F(ModuleResources, TheManifestBindsTheCommonControlsAndNoOtherAssembly) {
  const std::string manifest = Bytes(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(2), kEnglishUS);
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  size_t count = 0;
  for (size_t p = manifest.find("<dependentAssembly"); p != std::string::npos;
       p = manifest.find("<dependentAssembly", p + 1))
    ++count;
  EXPECT_EQ(count, 1u);
}

TEST_F(ModuleResources, TheVersionResourceNamesTheFileAndAnnouncesSelfRegistration) {
  EXPECT_EQ(Version(L"InternalName"), L"QorTreeView.ocx");
  EXPECT_EQ(Version(L"OriginalFilename"), L"QorTreeView.ocx");
  EXPECT_EQ(Version(L"FileVersion"), L"1.0.0.1");
  EXPECT_EQ(Version(L"ProductVersion"), L"1.0.0.1");
  EXPECT_EQ(Version(L"OLESelfRegister"), L"");
}
