#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/synchapi.h"
#include "platform/win32/winbase.h"

namespace {

TEST(Events, AZeroTimeOutWaitSeesTheFirstSignalledEventAndResetsOnlyAutoResetOnes) {
  HANDLE automatic = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(automatic, nullptr);
  ASSERT_NE(manual, nullptr);
  HANDLE both[] = {automatic, manual};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);

  ASSERT_TRUE(SetEvent(manual));
  ASSERT_TRUE(SetEvent(automatic));
  // The lowest index wins when both are signalled; the auto-reset event is consumed.
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1); // manual stays set
  ASSERT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);

  // Waiting for all takes nothing until all are set.
  ASSERT_TRUE(SetEvent(automatic));
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(1, &automatic, FALSE, 0), WAIT_TIMEOUT);

  EXPECT_TRUE(CloseHandle(automatic));
  EXPECT_TRUE(CloseHandle(manual));
}

TEST(Events, AnInitiallySetEventIsSeenByTheFirstWait) {
  HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForMultipleObjects(1, &event, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(1, &event, FALSE, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(Events, BadHandlesAndCountsFailTheWait) {
  HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  // A closed handle is no event any more.
  EXPECT_EQ(WaitForMultipleObjects(1, &event, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(SetEvent(event));
  EXPECT_FALSE(CloseHandle(event));
  int notAnEvent = 0;
  EXPECT_FALSE(SetEvent(&notAnEvent));
  EXPECT_EQ(WaitForMultipleObjects(0, &event, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), WAIT_FAILED);
  // Names would mean sharing between processes, which is not offered.
  EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "shared"), nullptr);
}

TEST(Events, AWaitWithATimeOutEndsWhenAnotherThreadSetsTheEvent) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::thread setter([event] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SetEvent(event);
  });
  EXPECT_EQ(WaitForMultipleObjects(1, &event, FALSE, 10000), WAIT_OBJECT_0);
  setter.join();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForMultipleObjects(1, &event, FALSE, 30), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  CloseHandle(event);
}

} // namespace
