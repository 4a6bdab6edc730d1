// Locations of configuration and icon files, from tables: how a name joins
// URL, which file a file: location names, and which server answers one.
#include <gtest/gtest.h>
#include "control/CLocation.h"

TEST(Location, NamesJoinWithABackslashAndWebAddressesTravelWithSlashes) {
  const struct {
    const wchar_t* url;
    const wchar_t* name;
    const wchar_t* location;
  } cases[] = {
      {L"C:\\Data", L"tree.txt", L"C:\\Data\\tree.txt"},
      {L"\\\\server\\share\\cfg", L"a.ico", L"\\\\server\\share\\cfg\\a.ico"},
      {L"http://127.0.0.1", L"tree.txt", L"http://127.0.0.1/tree.txt"},
      {L"HTTPS://host\\cfg", L"tree.txt", L"HTTPS://host/cfg/tree.txt"},
      {L"http://host/cfg/", L"tree.txt", L"http://host/cfg//tree.txt"},
      {L"file://C:\\Data", L"tree.txt", L"file://C:\\Data\\tree.txt"},
      {L"ftp://host\\x", L"y", L"ftp://host\\x\\y"},
      {L"httpx://host", L"y", L"httpx://host\\y"},
  };
  for (const auto& t : cases) EXPECT_EQ(CLocation::Join(t.url, t.name), t.location) << t.url;
}

TEST(Location, FileLocationsNameLocalFilesAndSharesAndNothingElse) {
  const struct {
    const wchar_t* location;
    bool isFile;
    const wchar_t* path;
  } cases[] = {
      {L"file://C:\\Data\\tree.txt", true, L"C:\\Data\\tree.txt"},
      {L"file://C:\\My%20Data\\t.txt", true, L"C:\\My%20Data\\t.txt"},  // written as a name: kept
      {L"FILE://c:/Data/tree.txt", true, L"c:/Data/tree.txt"},
      {L"file:///C:/My%20Data/tree.txt", true, L"C:\\My Data\\tree.txt"},
      {L"file:///C|/Data/tree.txt", true, L"C:\\Data\\tree.txt"},
      {L"file://localhost/C:/Data/t.txt", true, L"C:\\Data\\t.txt"},
      {L"file://server/share/t.txt", true, L"\\\\server\\share\\t.txt"},
      {L"file:C:\\Data\\t.txt", false, L""},
      {L"C:\\Data\\tree.txt", false, L""},
      {L"http://host/tree.txt", false, L""},
      {L"file://", false, L""},
  };
  for (const auto& t : cases) {
    std::wstring path;
    EXPECT_EQ(CLocation::FileUrlToPath(t.location, &path), t.isFile) << t.location;
    if (t.isFile) {
      EXPECT_EQ(path, t.path) << t.location;
    }
  }
}

TEST(Location, NamesOutsideAsciiTravelAsUtf8EscapesAndFileEscapesDecodeFromUtf8) {
  // A web address: after the host only, one escape per UTF-8 byte; a
  // character outside the BMP is one four-byte sequence.
  EXPECT_EQ(CLocation::EncodeWebAddress(L"http://host/cfg\\\u0413\u0440\u0430\u0434.ico"),
            L"http://host/cfg\\%D0%93%D1%80%D0%B0%D0%B4.ico");
  EXPECT_EQ(CLocation::EncodeWebAddress(L"http://host/\U0001F333 %41"),
            L"http://host/%F0%9F%8C%B3 %41");
  EXPECT_EQ(CLocation::EncodeWebAddress(L"http://host"), L"http://host");
  std::wstring path;
  EXPECT_TRUE(CLocation::FileUrlToPath(L"file:///C:/%E8%A1%A8%E7%A4%BA/\u00E9.txt", &path));
  EXPECT_EQ(path, L"C:\\\u8868\u793A\\\u00E9.txt");
}

TEST(Location, AWebAddressesServerIsItsSchemeHostAndPortInLowerCase) {
  const struct {
    const wchar_t* location;
    const wchar_t* server;
  } cases[] = {
      {L"HTTP://Host:81/cfg/tree.txt", L"http://host:81"},
      {L"http://127.0.0.1\\tree.txt", L"http://127.0.0.1"},
      {L"https://host", L"https://host"},
      {L"file://C:\\Data\\tree.txt", L"file:"},
      {L"C:\\Data\\tree.txt", L"file:"},
  };
  for (const auto& t : cases) EXPECT_EQ(CLocation::ServerOf(t.location), t.server) << t.location;
}
