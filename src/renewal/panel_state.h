// The renewal job's process-wide state, shared between the window's thread and the workers.
#pragma once

#include <atomic>
#include <mutex>

#include "runtime/text/text.h"

namespace korvan {

// panelCookies: the job's cookie text. One mutex is held for the site view's replacement and for
// each request of a run, so a replacement never lands in the middle of a request.
class PanelCookies {
 public:
  // Runs fn(Text&) with the lock held.
  template <typename Fn>
  decltype(auto) WithLock(Fn&& fn) {
    std::lock_guard lock(mutex_);
    return fn(text_);
  }
  void Replace(Text text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
  }
  Text Copy() {
    std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  std::mutex mutex_;
  Text text_;
};

PanelCookies& panelCookies();
// loginOk: true after a successful login, false after a wrong password; read by the status timer.
std::atomic<bool>& loginOk();

}  // namespace korvan
