#include "app/restart/restart.h"

#include <windows.h>

#include "app/restart/restart_script.h"
#include "runtime/system/files.h"
#include "runtime/system/handles.h"
#include "runtime/system/processes.h"
#include "runtime/system/program_location.h"

namespace korvan {

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
  const Text script = RestartScriptText(ShortFileName(name), delay);
  const Text path = RunDirectory() + "\\Restart.bat";
  WriteFileBytes(path, TextToBytes(script));
  return path;
}

void RestartProgram(std::optional<int> delay) {
  const Text path = WriteRestartScript(delay);
  if (path.empty()) return;
  // Quoted, so a program kept in a folder whose path has spaces restarts too.
  RunProgram("\"" + path + "\"", false, 1);
  KillProcess();
}

}  // namespace korvan
