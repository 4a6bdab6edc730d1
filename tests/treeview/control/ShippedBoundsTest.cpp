// The bounds the control ships with, unshortened: a server that goes silent
// after the head of the configuration ends the load after 30 s. A program of
// its own, which spends the half minute waiting beside the other tests.
#include <cstdio>
#include "InProcessFixtures.h"

using namespace treetest;

namespace {
class ShippedBounds : public BoundedLoad {
protected:
  const CDownload::Bounds* Bounds() const override { return nullptr; }
};
}  // namespace

TEST_F(ShippedBounds, ASilentServerEndsTheLoadAfterThirtySeconds) {
  server.ServeHostile("/tree.txt", RecordingHttpServer::Hostile::kSilent, "A\r\n", 100000);
  const DWORD took = TimedRefresh();
  std::printf("  the load ended after %lu ms\n", took);
  EXPECT_GE(took, CDownload::kBounds.silenceMs);
  EXPECT_LT(took, CDownload::kBounds.silenceMs + 5000);
}
