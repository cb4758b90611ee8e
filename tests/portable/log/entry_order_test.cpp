#include "log/entry_order.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvan {
namespace {

using namespace std::chrono_literals;

struct OrderCase {
  const char* name;
  std::vector<int> stampDelaysMs;  // how long each entry, in the order handed in, waits for its stamp
};

class EntryOrderWrites : public ::testing::TestWithParam<OrderCase> {};

// Each entry is stamped on its own thread, as a save's entry is; they still land in call order.
TEST_P(EntryOrderWrites, InTheOrderTheyWereHandedIn) {
  const OrderCase& c = GetParam();
  EntryOrder order;
  std::mutex mutex;
  std::vector<int> written;
  std::vector<std::thread> threads;
  for (int i = 0; i < static_cast<int>(c.stampDelaysMs.size()); ++i) {
    const std::uint64_t turn = order.Take();
    threads.emplace_back([&, i, turn] {
      std::this_thread::sleep_for(std::chrono::milliseconds(c.stampDelaysMs[i]));
      const EntryTurn hold(order, turn, 10s);
      const std::lock_guard lock(mutex);
      written.push_back(i);
    });
  }
  for (auto& thread : threads)
    thread.join();
  std::vector<int> expected(c.stampDelaysMs.size());
  for (int i = 0; i < static_cast<int>(expected.size()); ++i)
    expected[i] = i;
  EXPECT_EQ(written, expected);
}

INSTANTIATE_TEST_SUITE_P(Delays,
                         EntryOrderWrites,
                         ::testing::Values(OrderCase{"FirstIsSlowest", {300, 0, 0, 0}},
                                           OrderCase{"LastIsSlowest", {0, 0, 0, 300}},
                                           OrderCase{"Reversed", {200, 150, 100, 50, 0}},
                                           OrderCase{"Mixed", {0, 120, 0, 60, 0, 180, 0}},
                                           OrderCase{"Many", std::vector<int>(40, 1)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EntryOrder, TurnsDoneOutOfOrderFreeTheLaterOnesOnlyWhenTheGapCloses) {
  EntryOrder order;
  const std::uint64_t first = order.Take();
  const std::uint64_t second = order.Take();
  const std::uint64_t third = order.Take();
  order.Done(second);
  EXPECT_FALSE(order.WaitTurn(third, 20ms));
  EXPECT_TRUE(order.WaitTurn(first, 0ms));
  order.Done(first);
  EXPECT_TRUE(order.WaitTurn(third, 0ms));
  order.Done(first);  // done twice changes nothing
  EXPECT_TRUE(order.WaitTurn(third, 0ms));
  EXPECT_FALSE(order.WaitTurn(order.Take(), 0ms));
}

TEST(EntryOrder, StuckTurnHoldsTheNextOnlyUntilTheLimit) {
  EntryOrder order;
  order.Take();  // never done
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(order.WaitTurn(order.Take(), 100ms));
  const auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_GE(waited, 100ms);
  EXPECT_LT(waited, 5s);
}

}  // namespace
}  // namespace korvan
