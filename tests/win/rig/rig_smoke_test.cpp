#include <windows.h>
#include <gtest/gtest.h>
#include <thread>

// The rig runs Windows binaries in a Chinese locale: the ANSI code page must be 936.
TEST(Rig, AnsiCodePageIs936) { EXPECT_EQ(GetACP(), 936u); }

TEST(Rig, ThreadsRun) {
  int v = 0;
  std::thread t([&] { v = 1; });
  t.join();
  EXPECT_EQ(v, 1);
}
