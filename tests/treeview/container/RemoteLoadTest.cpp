// Loading in remote mode from a recording HTTP server and from file:
// locations: what is fetched and how often, what a failure leaves, the
// icons' cache, and that no temporary copy remains.
#include "IconFile.h"
#include "RecordingHttpServer.h"
#include "TreeFixture.h"

using namespace treetest;

namespace {
const COLORREF kGrey = RGB(128, 128, 128), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
               kBlue = RGB(0, 0, 255);
const char kExample[] = "Plant|plant|P1\r\nPlant\\Line 1|line|L1\r\nPlant\\Line 1\\Pump 3\r\n";
const Lines kExampleTree = {"Plant [1] {P1} +", "  Line 1 [2] {L1}", "    Pump 3 [0] {}"};

class RemoteLoad : public TreeFixture {
protected:
  void SetUp() override {
    TreeFixture::SetUp();
    ASSERT_TRUE(server.Start());
    before = TempCopies();
  }
  void TearDown() override {
    server.Stop();
    TreeFixture::TearDown();
  }
  // The temporary copies made since the test began that are still there.
  std::set<std::string> LeftOver() {
    std::set<std::string> now = TempCopies(), left;
    for (const std::string& n : now)
      if (!before.count(n)) left.insert(n);
    return left;
  }
  RecordingHttpServer server;
  std::set<std::string> before;
};
}  // namespace

TEST_F(RemoteLoad, EveryFileIsFetchedWithTwoRequestsAndNoCopyRemains) {
  server.Serve("/cfg/tree.txt", kExample);
  server.Serve("/cfg/Default.ico", IconFileBytes(kGrey));
  server.Serve("/cfg/plant.ico", IconFileBytes(kRed));
  server.Serve("/cfg/line.ico", IconFileBytes(kGreen));
  // Backslashes in URL and the joining one travel as slashes.
  Configure(server.BaseUrl() + "\\cfg\\", "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), kExampleTree);
  EXPECT_EQ(server.Take(), (Lines{"GET /cfg/tree.txt", "GET /cfg/tree.txt", "GET /cfg/Default.ico",
                                  "GET /cfg/Default.ico", "GET /cfg/plant.ico",
                                  "GET /cfg/plant.ico", "GET /cfg/line.ico", "GET /cfg/line.ico"}));
  EXPECT_EQ(Colour(1), kRed);
  EXPECT_EQ(Colour(2), kGreen);
  EXPECT_EQ(c.GetString(kDispURL), server.BaseUrl() + "\\cfg");
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(RemoteLoad, AFileAnsweredWith404IsAskedForThreeTimesLoadsNothingAndIsReported) {
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  ASSERT_TRUE(Insert("Kept"));
  server.Take();
  PutBool(kDispShowError, true);
  MessageBoxCloser boxes;
  Refresh();
  EXPECT_EQ(boxes.Texts(),
            (Lines{"Fail to load configuration: " + server.BaseUrl() + "/tree.txt"}));
  EXPECT_EQ(server.Take(), (Lines{"GET /tree.txt", "GET /tree.txt", "GET /tree.txt"}));
  EXPECT_EQ(Dump(), (Lines{"Kept [0] {}"}));
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(RemoteLoad, RefreshShowsTheFileAsItIsNowDespiteTheCacheHeaders) {
  server.Serve("/tree.txt", "First\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"First [0] {}"}));
  server.Serve("/tree.txt", "Second\n");
  server.Take();
  Refresh();
  EXPECT_EQ(server.Count(server.Take(), "/tree.txt"), 2u);
  EXPECT_EQ(Dump(), (Lines{"Second [0] {}"}));
}

TEST_F(RemoteLoad, AnIconIsFetchedOncePerNameAndCaseAcrossLoads) {
  server.Serve("/Default.ico", IconFileBytes(kGrey));
  server.Serve("/plant.ico", IconFileBytes(kRed));
  server.Serve("/Plant.ico", IconFileBytes(kBlue));
  server.Serve("/tree.txt", "A|plant\nB|plant\nC|Plant\nD\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"A [1] {}", "B [1] {}", "C [2] {}", "D [0] {}"}));
  Lines asked = server.Take();
  EXPECT_EQ(server.Count(asked, "/plant.ico"), 2u);
  EXPECT_EQ(server.Count(asked, "/Plant.ico"), 2u);
  EXPECT_EQ(Colour(1), kRed);
  EXPECT_EQ(Colour(2), kBlue);
  // The cache outlives the clear of a new load.
  Refresh();
  EXPECT_EQ(server.Take(), (Lines{"GET /tree.txt", "GET /tree.txt"}));
  EXPECT_EQ(Dump(), (Lines{"A [1] {}", "B [1] {}", "C [2] {}", "D [0] {}"}));
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(RemoteLoad, AMissingIconShowsNoImageAndIsAskedForOncePerLoadOrInsertion) {
  server.Serve("/Default.ico", IconFileBytes(kGrey));
  server.Serve("/broken.ico", "not an icon");
  server.Serve("/tree.txt", "A|gone\nB|gone\nC|broken\nD|broken\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"A [-2] {}", "B [-2] {}", "C [-2] {}", "D [-2] {}"}));
  Lines asked = server.Take();
  EXPECT_EQ(server.Count(asked, "/gone.ico"), 3u);  // 404: three requests, for the first node only
  EXPECT_EQ(server.Count(asked, "/broken.ico"), 2u);  // fetched, did not load: two, once
  EXPECT_EQ(ImageCount(), 1);
  // The next load, and each insertion, try again once.
  Refresh();
  EXPECT_EQ(server.Count(server.Take(), "/gone.ico"), 3u);
  ASSERT_TRUE(Insert("E\\F\\G", "gone"));
  EXPECT_EQ(server.Count(server.Take(), "/gone.ico"), 3u);
  EXPECT_TRUE(LeftOver().empty());  // the copies that did not load are gone too
}

TEST_F(RemoteLoad, WithoutADefaultIconTheFirstNamedIconIsImageZero) {
  server.Serve("/plant.ico", IconFileBytes(kRed));
  server.Serve("/tree.txt", "A\nB|plant\nC\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"A [0] {}", "B [0] {}", "C [0] {}"}));
  EXPECT_EQ(ImageCount(), 1);
  EXPECT_EQ(Colour(0), kRed);
  EXPECT_EQ(server.Count(server.Take(), "/Default.ico"), 3u);  // tried once, at the first node
}

TEST_F(RemoteLoad, FileLocationsAreCopiedLoadedAndDeleted) {
  Write("tree.txt", kExample);
  Write("Default.ico", IconFileBytes(kGrey));
  Write("plant.ico", IconFileBytes(kRed));
  Write("line.ico", IconFileBytes(kGreen));
  Configure("file://" + folder, "tree.txt", 1);
  Activate();
  EXPECT_EQ(Dump(), kExampleTree);
  EXPECT_TRUE(LeftOver().empty());
  // The URL form with forward slashes names the same folder.
  std::string url = "file:///" + folder;
  for (char& ch : url)
    if (ch == '\\') ch = '/';
  ASSERT_TRUE(Insert("Other"));
  Configure(url, "tree.txt", 1);
  Refresh();
  EXPECT_EQ(Dump(), kExampleTree);
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(RemoteLoad, APlainFolderOrAMissingFileLocationLoadsNothing) {
  Write("tree.txt", "A\n");
  Configure(folder, "tree.txt", 1);
  Activate();
  EXPECT_TRUE(Dump().empty());
  ASSERT_TRUE(Insert("Kept"));
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"Kept [0] {}"}));
  Configure("file://" + folder + "\\nowhere", "tree.txt", 1);
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"Kept [0] {}"}));
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(RemoteLoad, WithNoTemporaryFolderTheDownloadFailsAndTouchesNoFile) {
  server.Serve("/tree.txt", "A\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  ASSERT_TRUE(Insert("Kept"));
  char tmp[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", tmp, MAX_PATH);
  GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
  const std::string nowhere = folder + "\\no such folder";
  SetEnvironmentVariableA("TMP", nowhere.c_str());
  SetEnvironmentVariableA("TEMP", nowhere.c_str());
  Refresh();
  SetEnvironmentVariableA("TMP", tmp[0] ? tmp : nullptr);
  SetEnvironmentVariableA("TEMP", temp[0] ? temp : nullptr);
  EXPECT_EQ(Dump(),
            (Lines{"A [0] {}", "Kept [0] {}"}));  // the first load's node and the inserted one
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(RemoteLoad, AConfigurationCutShortOrAnEndlessIconFailsItsCopyAndLeavesNoFile) {
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  ASSERT_TRUE(Insert("Kept"));
  // 72 bytes of an announced 100000, then the close.
  server.ServeHostile("/tree.txt", RecordingHttpServer::Hostile::kCutShort,
                      std::string(70, 'A') + "\r\n", 100000);
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"Kept [0] {}"}));
  // An icon without end is cut at its bound; the node shows no image.
  server.ServeHostile("/endless.ico", RecordingHttpServer::Hostile::kEndless, "");
  server.Serve("/tree.txt", "A|endless\n");
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"A [-2] {}"}));
  EXPECT_TRUE(LeftOver().empty());
}
