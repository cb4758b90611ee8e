#include "log/entry_order.h"

namespace korvan {

std::uint64_t EntryOrder::Take() {
  const std::lock_guard lock(mutex_);
  return nextTurn_++;
}

bool EntryOrder::WaitTurn(std::uint64_t turn, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return turnDone_.wait_for(lock, limit, [&] { return firstOpen_ >= turn; });
}

void EntryOrder::Done(std::uint64_t turn) {
  {
    const std::lock_guard lock(mutex_);
    if (turn < firstOpen_) return;
    doneLater_.insert(turn);
    while (!doneLater_.empty() && *doneLater_.begin() == firstOpen_) {
      doneLater_.erase(doneLater_.begin());
      ++firstOpen_;
    }
  }
  turnDone_.notify_all();
}

}  // namespace korvan
