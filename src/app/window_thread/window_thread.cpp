#include "app/window_thread/window_thread.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace korvan {
namespace {

std::atomic<HWND>& MainWindowSlot() {
  static std::atomic<HWND> window{nullptr};
  return window;
}

struct PostedWork {
  DWORD thread = 0;
  std::function<void()> work;
};

// Posted work waits here rather than in the message, so none is lost or leaked when its window
// goes before the message is read.
struct PostedQueue {
  std::mutex mutex;
  std::vector<PostedWork> waiting;
};

PostedQueue& Posted() {
  static PostedQueue queue;
  return queue;
}

void RunPostedWorkOfThisThread() {
  std::vector<PostedWork> mine;
  {
    PostedQueue& queue = Posted();
    const std::lock_guard lock(queue.mutex);
    const DWORD thread = GetCurrentThreadId();
    for (auto it = queue.waiting.begin(); it != queue.waiting.end();) {
      if (it->thread == thread) {
        mine.push_back(std::move(*it));
        it = queue.waiting.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (PostedWork& posted : mine)
    posted.work();
}

}  // namespace

HWND MainWindowHandle() { return MainWindowSlot().load(); }

void SetMainWindowHandle(HWND window) { MainWindowSlot().store(window); }

// SendMessage waits for the window's thread; a window destroyed meanwhile answers 0.
bool RunOnWindowThread(const std::function<void()>& work) {
  HWND window = MainWindowHandle();
  if (!window) return false;
  return SendMessageW(window, kRunOnWindowThreadMessage, 0, reinterpret_cast<LPARAM>(&work)) != 0;
}

bool PostToWindowThread(HWND window, std::function<void()> work) {
  const DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  if (thread == 0) return false;
  {
    PostedQueue& queue = Posted();
    const std::lock_guard lock(queue.mutex);
    queue.waiting.push_back({thread, std::move(work)});
  }
  // A lost wake-up leaves the work to the next one on this thread.
  return PostMessageW(window, kRunPostedWorkMessage, 0, 0) != FALSE;
}

LRESULT RunCarriedWork(UINT message, LPARAM lParam) {
  if (message == kRunOnWindowThreadMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
  }
  RunPostedWorkOfThisThread();
  return 0;
}

bool OnWindowThread() {
  HWND window = MainWindowHandle();
  return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace korvan
