// Loading in remote mode from a recording HTTP server and from file:
// locations: what is fetched and how often, what a failure leaves, the
// icons' cache, that no temporary copy remains, and the asynchronous load.
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include "IconFile.h"
#include "RecordingHttpServer.h"
#include "TreeFixture.h"

using namespace treetest;

namespace {
// The abandoned copies one server may hold (CDownload.h).
const size_t kAbandonedPerServer = 2;
const COLORREF kGrey = RGB(128, 128, 128), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
               kBlue = RGB(0, 0, 255);
const char kExample[] = "Plant|plant|P1\r\nPlant\\Line 1|line|L1\r\nPlant\\Line 1\\Pump 3\r\n";
const Lines kExampleTree = {"Plant [1] {P1} +", "  Line 1 [2] {L1}", "    Pump 3 [0] {}"};

class RemoteLoad : public TreeFixture {
protected:
  void SetUp() override {
    TreeFixture::SetUp();
    ASSERT_TRUE(server.Start());
  }
  void TearDown() override {
    server.Stop();
    TreeFixture::TearDown();
  }
  std::set<std::string> LeftOver() const { return LeftOverCopies(); }
  RecordingHttpServer server;
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

namespace {
using Hostile = RecordingHttpServer::Hostile;

int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 te = {};
  te.dwSize = sizeof(te);
  int n = 0;
  for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

class AsyncLoad : public RemoteLoad {
protected:
  void SetUp() override {
    RemoteLoad::SetUp();
    PutBool(kDispAsyncLoad, true);
  }
  DWORD TimedRefresh() {
    const DWORD start = GetTickCount();
    Refresh();
    return GetTickCount() - start;
  }
};
}  // namespace

TEST_F(AsyncLoad, RefreshReturnsAtOnceAndLoadCompleteFollowsWithTheTreeFilled) {
  server.Serve("/Default.ico", IconFileBytes(kGrey));
  server.Serve("/plant.ico", IconFileBytes(kRed));
  server.Serve("/tree.txt", "First\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();  // its load runs while the test goes on
  ASSERT_TRUE(WaitForLog("event:LoadComplete(True)", 20000));
  EXPECT_EQ(Dump(), (Lines{"First [0] {}"}));
  // The server answers each request after 3 s.
  server.ServeHostile("/tree.txt", Hostile::kLate, "A|plant|a\nB|plant|b\n", 3000);
  server.Take();
  const DWORD took = TimedRefresh();
  std::printf("  Refresh returned after %lu ms\n", took);
  EXPECT_LT(took, 100u);
  // The tree answers meanwhile.
  EXPECT_TRUE(Insert("During"));
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "During"), S_OK);
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "During");
  EXPECT_EQ(c.Take(), (Lines{"changed:SelectedLabel", "changed:SelectedNodes",
                             "changed:SelectedData", "event:SelChanged"}));
  ASSERT_TRUE(WaitForLog("event:LoadComplete(True)", 20000));
  EXPECT_EQ(Dump(), (Lines{"A [1] {a}", "B [1] {b}"}));
  EXPECT_EQ(Colour(1), kRed);
  EXPECT_EQ(server.Take(),
            (Lines{"GET /tree.txt", "GET /tree.txt", "GET /plant.ico", "GET /plant.ico"}));
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(AsyncLoad, ASecondRefreshCancelsTheFirstWhichReportsNothing) {
  Configure(server.BaseUrl(), "first.txt", 1);
  server.ServeHostile("/first.txt", Hostile::kLate, "First\n", 1500);
  server.Serve("/second.txt", "Second\n");
  const DWORD start = GetTickCount();
  Activate();
  ASSERT_EQ(c.PutString(kDispConfigFile, "second.txt"), S_OK);
  Refresh();
  ASSERT_TRUE(WaitForLog("event:LoadComplete(True)", 20000));
  // Past the time the first load's two answers take: no event of its own.
  WaitForLog("none", 4000 - (GetTickCount() - start));
  EXPECT_EQ(c.Take(), (Lines{"event:LoadComplete(True)"}));
  EXPECT_EQ(Dump(), (Lines{"Second [0] {}"}));
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(AsyncLoad, DestroyingTheControlMidLoadLeavesNoThreadAndNoCopy) {
  const int threads = ThreadCount();
  server.ServeHostile("/tree.txt", Hostile::kLate, "A\n", 3000);
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  WaitForLog("none", 500);
  const DWORD start = GetTickCount();
  c.Close();
  EXPECT_LT(GetTickCount() - start, 1000u);
  // A copy's thread still inside the platform's network call ends when the
  // server answers.
  for (int i = 0; i < 100 && ThreadCount() > threads; ++i) Sleep(100);
  EXPECT_LE(ThreadCount(), threads);
  EXPECT_TRUE(LeftOver().empty());
}

TEST_F(AsyncLoad, TheIconNamedDefaultShowsTheDefaultIconsImage) {
  server.Serve("/Default.ico", IconFileBytes(kGrey));
  server.Serve("/tree.txt", "n|Default|d\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  ASSERT_TRUE(WaitForLog("event:LoadComplete(True)", 20000));
  EXPECT_EQ(Dump(), (Lines{"n [0] {d}"}));
  EXPECT_EQ(Colour(0), kGrey);
  EXPECT_TRUE(LeftOver().empty());
}

namespace {
// A server that accepts connections (the system's backlog does) and never
// answers; owns its listening socket.
class MuteServer {
public:
  MuteServer() : m_socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(a);
    if (bind(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 &&
        listen(m_socket, SOMAXCONN) == 0 &&
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      m_port = ntohs(a.sin_port);
  }
  ~MuteServer() { closesocket(m_socket); }
  MuteServer(const MuteServer&) = delete;
  MuteServer& operator=(const MuteServer&) = delete;
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }
  bool Listening() const { return m_port != 0; }

private:
  SOCKET m_socket;
  unsigned short m_port = 0;
};
}  // namespace

TEST_F(AsyncLoad, LoadsGivenUpOnASilentServerLeaveABoundedNumberOfThreads) {
  // The platform's network threads start with the first load.
  server.Serve("/tree.txt", "First\n");
  Configure(server.BaseUrl(), "tree.txt", 1);
  Activate();
  ASSERT_TRUE(WaitForLog("event:LoadComplete(True)", 20000));
  const int threads = ThreadCount();
  MuteServer mute;
  ASSERT_TRUE(mute.Listening());
  ASSERT_EQ(c.PutString(kDispURL, mute.BaseUrl()), S_OK);
  c.Take();
  // Each Refresh gives up the copy of the one before.
  for (int i = 0; i < 20; ++i) {
    Refresh();
    WaitForLog("none", 100);
  }
  // The loads past the bound fail at once.
  ASSERT_TRUE(WaitForLog("event:LoadComplete(False)", 5000));
  const int bound = static_cast<int>(kAbandonedPerServer);
  for (int i = 0; i < 40 && ThreadCount() - threads > bound; ++i) WaitForLog("none", 50);
  const int extra = ThreadCount() - threads;
  std::printf("  %d threads more after 20 loads given up\n", extra);
  EXPECT_LE(extra, bound);
}
