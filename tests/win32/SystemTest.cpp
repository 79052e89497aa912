#include <gtest/gtest.h>

#include <SDL.h>
#include <sched.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/desktop.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/winbase.h"
#include "platform/win32/winuser.h"

namespace {

class SystemParameters : public ::testing::Test {
protected:
  void TearDown() override {
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    win32::setDesktopBlankingControl(true);
  }
};

TEST_F(SystemParameters, ScreensaverRunningFlagHoldsOffTheDesktopBlanking) {
  ASSERT_TRUE(win32::ensureVideo());
  BOOL previous = TRUE;
  ASSERT_TRUE(SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &previous, 0));
  EXPECT_FALSE(previous);
  BOOL running = FALSE;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
  EXPECT_TRUE(running);
  EXPECT_TRUE(win32::desktopBlankingInhibited());
  EXPECT_FALSE(SDL_IsScreenSaverEnabled());

  ASSERT_TRUE(SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &previous, 0));
  EXPECT_TRUE(previous);
  EXPECT_FALSE(win32::desktopBlankingInhibited());
  EXPECT_TRUE(SDL_IsScreenSaverEnabled());
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, nullptr, 0));
}

TEST_F(SystemParameters, InsideADaemonsWindowTheDaemonKeepsTheBlanking) {
  ASSERT_TRUE(win32::ensureVideo());
  win32::setDesktopBlankingControl(false);
  ASSERT_TRUE(SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0));
  EXPECT_FALSE(win32::desktopBlankingInhibited());
  EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

TEST_F(SystemParameters, AFlagSetBeforeVideoStartsAppliesWhenItDoes) {
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  ASSERT_TRUE(SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0));
  EXPECT_FALSE(win32::desktopBlankingInhibited());
  ASSERT_TRUE(win32::ensureVideo());
  EXPECT_TRUE(win32::desktopBlankingInhibited());
  EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

TEST(ThreadPriority, IdlePutsTheCallingThreadInTheIdleClass) {
  int policy = -1;
  int priority = 0;
  BOOL set = FALSE;
  std::thread worker([&] {
    set = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
    policy = sched_getscheduler(0);
    priority = GetThreadPriority(GetCurrentThread());
  });
  worker.join();
  EXPECT_TRUE(set);
  EXPECT_EQ(policy, SCHED_IDLE);
  EXPECT_EQ(priority, THREAD_PRIORITY_IDLE);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
  EXPECT_FALSE(SetThreadPriority(reinterpret_cast<HANDLE>(0x1234), THREAD_PRIORITY_IDLE));
}

long residentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

TEST(ProcessHeap, CompactingGivesFreedMemoryBackToTheSystem) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer keeps its own heap";
#else
  EXPECT_EQ(HeapCompact(reinterpret_cast<HANDLE>(0x1234), 0), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  // 64 MB in blocks below the size the allocator maps on its own, with one block kept after
  // them: freeing them leaves a hole the allocator does not give back by itself.
  std::vector<char*> blocks;
  for (int i = 0; i < 1024; ++i) {
    blocks.push_back(new char[64 * 1024]);
    std::memset(blocks.back(), 1, 64 * 1024);
  }
  char* kept = new char[64];
  for (char* block : blocks)
    delete[] block;
  const long before = residentKb();
  HeapCompact(GetProcessHeap(), 0);
  const long after = residentKb();
  delete[] kept;
  EXPECT_LT(after, before - 32 * 1024) << before << " kB before, " << after << " kB after";
#endif
}

TEST(CommandLine, IsTheProcessCommandLineUntilSet) {
  const std::string initial = GetCommandLineA();
  EXPECT_EQ(initial.rfind("\"", 0), 0u);
  EXPECT_NE(initial.find("tickwood_win32_tests"), std::string::npos);
  win32::setCommandLine("\"tickwood\" /p 1234");
  EXPECT_STREQ(GetCommandLineA(), "\"tickwood\" /p 1234");
}

} // namespace
