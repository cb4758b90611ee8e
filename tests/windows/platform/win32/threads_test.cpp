#include "platform/win32/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace korvan {
namespace {

TEST(StartThreadTest, RunsTheRoutineWithItsParameterOnAnotherThread) {
  std::atomic<int> seen{0};
  std::atomic<DWORD> threadId{0};
  const int parameter = 42;
  UniqueHandle thread;
  ASSERT_TRUE(StartThread(
      [&, parameter] {
        threadId = ::GetCurrentThreadId();
        seen = parameter;
      },
      &thread));
  ASSERT_TRUE(thread);
  ASSERT_EQ(::WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(seen, 42);
  EXPECT_NE(threadId, ::GetCurrentThreadId());
}

TEST(StartThreadTest, DetachedThreadRunsWithoutAHandle) {
  std::atomic<bool> ran{false};
  ASSERT_TRUE(StartThread([&ran] { ran = true; }));
  for (int i = 0; i < 200 && !ran; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_TRUE(ran);
}

TEST(StartThreadTest, CapturesLiveUntilTheThreadEnds) {
  // The routine's captures travel with the thread, so a caller's locals may go out of scope.
  auto shared = std::make_shared<int>(0);
  std::weak_ptr<int> watch = shared;
  UniqueHandle thread;
  ASSERT_TRUE(StartThread([owned = std::move(shared)] { *owned = 7; }, &thread));
  ASSERT_EQ(::WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(watch.expired()) << "the routine was released after it ran";
}

}  // namespace
}  // namespace korvan
