#include "platform/win32/threads.h"

#include <windows.h>

#include <memory>

namespace korvan {
namespace {

DWORD WINAPI ThreadEntry(void* parameter) {
  // Takes over the routine that StartThread handed across.
  const std::unique_ptr<std::function<void()>> routine(static_cast<std::function<void()>*>(parameter));
  if (*routine) (*routine)();
  return 0;
}

}  // namespace

bool StartThread(std::function<void()> routine, UniqueHandle* threadHandle) {
  auto handedOver = std::make_unique<std::function<void()>>(std::move(routine));
  UniqueHandle thread(::CreateThread(nullptr, 0, ThreadEntry, handedOver.get(), 0, nullptr));
  if (!thread) return false;
  handedOver.release();  // the new thread owns it now
  if (threadHandle != nullptr) *threadHandle = std::move(thread);
  return true;
}

}  // namespace korvan
