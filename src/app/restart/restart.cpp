#include "app/restart/restart.h"

#include <windows.h>

#include "app/form/append_log.h"
#include "app/restart/restart_script.h"
#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "platform/win32/processes.h"
#include "platform/win32/program_location.h"

namespace korvan {
namespace {

// 自动重启失败，程序继续运行
constexpr char kRestartFailedMessage[] =
    "\xD7\xD4\xB6\xAF\xD6\xD8\xC6\xF4\xCA\xA7\xB0\xDC\xA3\xAC\xB3\xCC\xD0\xF2\xBC\xCC\xD0\xF8\xD4\xCB\xD0\xD0";

}  // namespace

Text ShortFileName(std::string_view name) {
  const Text longName(name);
  Text buffer = BlankText(255);
  // The capacity is the name's own length: the platform writes only a short form that is strictly
  // shorter, which is exactly when it is worth using.
  const DWORD written = ::GetShortPathNameA(longName.c_str(), buffer.data(), static_cast<DWORD>(longName.size()));
  if (written == 0 || written >= longName.size() || TrimBlanks(buffer).empty()) return longName;
  return buffer.substr(0, written);
}

bool KillProcess(std::optional<unsigned long> processId) {
  const DWORD id = processId ? static_cast<DWORD>(*processId) : ::GetCurrentProcessId();
  const UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
  if (!process) return false;
  return ::TerminateProcess(process.Get(), 0) != FALSE;
}

Text WriteRestartScript(std::optional<int> delay) {
  const Text name = ExecutableName();
  if (!FileExists(name)) return {};
  const Text path = FileBesideProgram("Restart.bat");
  if (!WriteFileBytes(path, TextToBytes(RestartScriptText(ShortFileName(name), delay)))) return {};
  return path;
}

void RestartProgram(std::optional<int> delay) {
  if (!FileExists(ExecutableName())) return;
  const Text path = WriteRestartScript(delay);
  // Quoted, so a program kept in a folder whose path has spaces restarts too.
  if (path.empty() || !RunProgram("\"" + path + "\"", false, 1)) {
    // Ending now would end the program for good; the restart timer ticks again and so tries again.
    AppendLog(kRestartFailedMessage);
    return;
  }
  KillProcess();
}

}  // namespace korvan
