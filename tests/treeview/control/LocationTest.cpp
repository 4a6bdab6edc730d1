// Locations of configuration and icon files, from tables: how a name joins
// URL, and which file a file: location names.
#include <gtest/gtest.h>
#include "control/CLocation.h"

TEST(Location, NamesJoinWithABackslashAndWebAddressesTravelWithSlashes) {
  const struct {
    const char* url;
    const char* name;
    const char* location;
  } cases[] = {
      {"C:\\Data", "tree.txt", "C:\\Data\\tree.txt"},
      {"\\\\server\\share\\cfg", "a.ico", "\\\\server\\share\\cfg\\a.ico"},
      {"http://127.0.0.1", "tree.txt", "http://127.0.0.1/tree.txt"},
      {"HTTPS://host\\cfg", "tree.txt", "HTTPS://host/cfg/tree.txt"},
      {"http://host/cfg/", "tree.txt", "http://host/cfg//tree.txt"},
      {"file://C:\\Data", "tree.txt", "file://C:\\Data\\tree.txt"},
      {"ftp://host\\x", "y", "ftp://host\\x\\y"},
      {"httpx://host", "y", "httpx://host\\y"},
  };
  for (const auto& t : cases) EXPECT_EQ(CLocation::Join(t.url, t.name), t.location) << t.url;
}

TEST(Location, FileLocationsNameLocalFilesAndSharesAndNothingElse) {
  const struct {
    const char* location;
    bool isFile;
    const char* path;
  } cases[] = {
      {"file://C:\\Data\\tree.txt", true, "C:\\Data\\tree.txt"},
      {"file://C:\\My%20Data\\t.txt", true, "C:\\My%20Data\\t.txt"},  // written as a name: kept
      {"FILE://c:/Data/tree.txt", true, "c:/Data/tree.txt"},
      {"file:///C:/My%20Data/tree.txt", true, "C:\\My Data\\tree.txt"},
      {"file:///C|/Data/tree.txt", true, "C:\\Data\\tree.txt"},
      {"file://localhost/C:/Data/t.txt", true, "C:\\Data\\t.txt"},
      {"file://server/share/t.txt", true, "\\\\server\\share\\t.txt"},
      {"file:C:\\Data\\t.txt", false, ""},
      {"C:\\Data\\tree.txt", false, ""},
      {"http://host/tree.txt", false, ""},
      {"file://", false, ""},
  };
  for (const auto& t : cases) {
    std::string path;
    EXPECT_EQ(CLocation::FileUrlToPath(t.location, &path), t.isFile) << t.location;
    if (t.isFile) {
      EXPECT_EQ(path, t.path) << t.location;
    }
  }
}
