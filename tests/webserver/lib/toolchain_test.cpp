#include <windows.h>
#include <gtest/gtest.h>
TEST(Toolchain, RunsUnderWine) { EXPECT_NE(GetCurrentProcessId(), 0u); }
