// The control's own code linked into this program, in the test container,
// where the test hooks of its parts reach: a load that raises an exception
// in the window's creation or in Refresh stays inside the control; and a
// remote load against a server that stalls, trickles or refuses ends within
// its bounds (shortened here through the copy's test hook).
#include "InProcessFixtures.h"

using namespace treetest;

TEST_F(InProcessControl, ALineTooLongToHoldEndsTheLoadWithTheNodesBeforeItAndTheTreeDrawing) {
  const std::string config = "A\nB\n" + std::string(5000, 'x') + "\nC\n";
  Write("tree.txt", "Z\n");
  Configure(folder, "tree.txt", 0);
  Activate();
  CLineReader::SetLineLimitForTest(1000);
  Write("tree.txt", config);
  Refresh();
  EXPECT_EQ(Dump(), (Lines{"A [0] {}", "B [0] {}"}));
  // The widget draws again: nodes inserted now bring their scroll bar.
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(Insert("N" + std::to_string(i)));
  EXPECT_TRUE(HasScrollBar());

  // The same at the window's creation, under the container's DoVerb.
  c.Close();
  ASSERT_EQ(CreateControl(), S_OK);
  Configure(folder, "tree.txt", 0);
  Activate();
  EXPECT_EQ(Dump(), (Lines{"A [0] {}", "B [0] {}"}));
}

TEST_F(BoundedLoad, AServerSilentAfterTheHeadOrTricklingEndsTheLoadWithinItsBound) {
  server.ServeHostile("/tree.txt", RecordingHttpServer::Hostile::kSilent, "A\r\n", 100000);
  server.Take();
  DWORD took = TimedRefresh();
  EXPECT_GE(took, kShortBounds.silenceMs);
  EXPECT_LT(took, kShortBounds.silenceMs + 2000);
  EXPECT_EQ(server.Take(), (Lines{"GET /tree.txt", "GET /tree.txt"}));  // the probe, the copy

  server.ServeHostile("/tree.txt", RecordingHttpServer::Hostile::kTrickle, "", 100000);
  took = TimedRefresh();
  EXPECT_GE(took, kShortBounds.windowMs);
  EXPECT_LT(took, kShortBounds.windowMs + 2000);
  EXPECT_EQ(server.Take(), (Lines{"GET /tree.txt", "GET /tree.txt"}));
}

TEST_F(BoundedLoad, AServerThatRefusesConnectionsIsTriedOncePerLoad) {
  server.RefuseConnections(true);
  // The server closes the connections it still holds at its next turn (50 ms).
  // Until then WinInet may pick one of them, kept alive from an earlier load
  // of this program, and then reconnect: a connection this load did not make.
  // A copy that the test before gave up on may reconnect the same way, later
  // on a loaded machine: the count is taken once it has stood for 500 ms.
  int before = server.Connections();
  for (ULONGLONG still = GetTickCount64(), end = still + 5000; GetTickCount64() < end;) {
    Sleep(50);
    const int now = server.Connections();
    if (now != before) {
      before = now;
      still = GetTickCount64();
    } else if (GetTickCount64() - still >= 500) {
      break;
    }
  }
  EXPECT_LT(TimedRefresh(), 2000u);
  EXPECT_EQ(server.Connections() - before, 1);
}
