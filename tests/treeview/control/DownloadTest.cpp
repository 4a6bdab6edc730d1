// Copies of remote files against hostile servers: a body without end, a
// length over the bound and a body cut short each fail the copy and leave
// no temporary file.
#include <gtest/gtest.h>
#include "control/CQorTreeViewCtrl.h"
#include "RecordingHttpServer.h"
#include "TreeFixture.h"

using treetest::TempCopies;
using Hostile = RecordingHttpServer::Hostile;

namespace {
class Download : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    before = TempCopies();
  }
  void TearDown() override {
    server.Stop();
    EXPECT_EQ(TempCopies(), before);
  }
  bool Copy(const std::string& path, ULONGLONG maxBytes, std::string& bytes) {
    const std::string url = server.BaseUrl() + path;  // ASCII
    std::wstring temp = L"untouched";
    bool ok = CQorTreeViewCtrl::DownloadToTempFile(std::wstring(url.begin(), url.end()), &temp,
                                                   maxBytes) != FALSE;
    if (!ok) {
      EXPECT_EQ(temp, L"");
      return false;
    }
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char buf[4096];
    DWORD got = 0;
    bytes.clear();
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got) bytes.append(buf, got);
    CloseHandle(h);
    DeleteFileW(temp.c_str());
    return true;
  }
  RecordingHttpServer server;
  std::set<std::string> before;
};
}  // namespace

TEST_F(Download, ACopyUpToItsBoundSucceedsAndOneByteMoreFails) {
  const std::string body(100000, 'a');
  server.Serve("/exact", body);
  std::string got;
  ASSERT_TRUE(Copy("/exact", body.size(), got));
  EXPECT_EQ(got, body);
  EXPECT_FALSE(Copy("/exact", body.size() - 1, got));  // announced over the bound
  server.ServeHostile("/endless", Hostile::kEndless, "");
  EXPECT_FALSE(Copy("/endless", 1 << 20, got));  // no length: cut at the bound
}

TEST_F(Download, ABodyCutShortOfItsAnnouncedLengthFails) {
  server.ServeHostile("/short", Hostile::kCutShort, std::string(72, 'b'), 100000);
  std::string got;
  EXPECT_FALSE(Copy("/short", CQorTreeViewCtrl::kMaxConfigBytes, got));
}
