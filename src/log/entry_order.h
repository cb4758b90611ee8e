// The order of log entries: each takes a turn when it is handed in, and is written only when every
// earlier one has been written, however long each waited for its stamp.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>

namespace korvan {

class EntryOrder {
 public:
  // The next turn, in the order of the calls.
  std::uint64_t Take();
  // Waits until every earlier turn is done, or the limit passes (a stuck entry must not stop the
  // log for good); true when it was the turn's time.
  bool WaitTurn(std::uint64_t turn, std::chrono::milliseconds limit);
  // Marks the turn done, in any order; later turns go on once all before them are done.
  void Done(std::uint64_t turn);

 private:
  std::mutex mutex_;
  std::condition_variable turnDone_;
  std::uint64_t nextTurn_ = 0;
  std::uint64_t firstOpen_ = 0;        // every turn before it is done
  std::set<std::uint64_t> doneLater_;  // done while an earlier one was still open
};

// Waits for the turn on construction and marks it done on destruction.
class EntryTurn {
 public:
  EntryTurn(EntryOrder& order, std::uint64_t turn, std::chrono::milliseconds limit) : order_(order), turn_(turn) {
    order_.WaitTurn(turn_, limit);
  }
  ~EntryTurn() { order_.Done(turn_); }
  EntryTurn(const EntryTurn&) = delete;
  EntryTurn& operator=(const EntryTurn&) = delete;

 private:
  EntryOrder& order_;
  std::uint64_t turn_;
};

}  // namespace korvan
