// The renewal job's process-wide state, shared between the window's thread and the workers.
#pragma once

#include <atomic>
#include <mutex>

#include "runtime/text/text.h"

namespace korvan {

// panelCookies: the job's cookie text. The lock is held only to read or write the text, never
// across a request, so the site view's import never waits for the network. An import that comes
// while a run is under way goes under the run's cookies instead of replacing them: replacing them
// between two requests would drop the session the run's login has just set.
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
  // The site view's cookies: they replace the text between runs; during a run they are merged
  // under it (the imported entries are added, the run's own entries win).
  void Import(Text imported);

  // Marks a run as under way for its lifetime.
  class RunScope {
   public:
    explicit RunScope(PanelCookies& cookies);
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

   private:
    PanelCookies& cookies_;
  };

 private:
  std::mutex mutex_;
  Text text_;
  int runsUnderWay_ = 0;
};

PanelCookies& panelCookies();
// loginOk: true after a successful login, false after a wrong password; read by the status timer.
std::atomic<bool>& loginOk();

}  // namespace korvan
