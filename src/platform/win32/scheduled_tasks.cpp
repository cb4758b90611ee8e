// The Task Scheduler 2.0 interface: one connection per call, every interface in a ComPtr, every BSTR
// and VARIANT in its owner.
#include "platform/scheduled_tasks.h"

#define SECURITY_WIN32
#include <windows.h>
#include <security.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <cstdio>

#include "platform/win32/com_owners.h"
#include "platform/win32/program_location.h"
#include "platform/win32/wide_text.h"

namespace korvan {
namespace {

using Microsoft::WRL::ComPtr;

// 1999-11-30 is what the Task Scheduler reports for a task that never ran; no run is older than 2000.
constexpr DATE kFirstRealRun = 36526.0;  // 2000-01-01
constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

std::string HresultText(HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  // The system has no text for the Task Scheduler's own codes (SCHED_E_*): the code alone then.
  const std::string message = SystemMessage(static_cast<DWORD>(result));
  return message.starts_with("error ") ? std::string(code) : JoinTexts(message, " (", code, ")");
}

bool NotFound(HRESULT result) {
  return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

std::string TaskPath(std::string_view folder, std::string_view name) { return JoinTexts("\\", folder, "\\", name); }

// A connection to this computer's Task Scheduler, with the COM apartment it was made in.
class TaskService {
 public:
  TaskService() {
    // The Task Scheduler's samples ask for impersonation; a process that already chose keeps its choice.
    ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY, RPC_C_IMP_LEVEL_IMPERSONATE,
                           nullptr, EOAC_NONE, nullptr);
    result_ = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service_));
    if (FAILED(result_)) return;
    const OwnedVariant none;
    result_ = service_->Connect(*none.Get(), *none.Get(), *none.Get(), *none.Get());
  }

  // Empty, with the reason, when there is no connection.
  std::string Failure() const {
    return SUCCEEDED(result_) ? std::string() : JoinTexts("cannot reach the Task Scheduler: ", HresultText(result_));
  }

  HRESULT Folder(std::string_view path, ComPtr<ITaskFolder>& folder) const {
    const UniqueBstr wanted = Utf8ToBstr(JoinTexts("\\", path));
    return service_->GetFolder(wanted.Get(), folder.ReleaseAndGetAddressOf());
  }

  HRESULT FolderMadeWhenMissing(std::string_view path, ComPtr<ITaskFolder>& folder) const {
    const HRESULT found = Folder(path, folder);
    if (!NotFound(found)) return found;
    ComPtr<ITaskFolder> root;
    if (const HRESULT rooted = Folder("", root); FAILED(rooted)) return rooted;
    const UniqueBstr wanted = Utf8ToBstr(path);
    const OwnedVariant defaultSecurity;
    return root->CreateFolder(wanted.Get(), *defaultSecurity.Get(), folder.ReleaseAndGetAddressOf());
  }

 private:
  ComInitialization com_;
  ComPtr<ITaskService> service_;
  HRESULT result_ = E_FAIL;
};

std::optional<std::int64_t> UnixSecondsOfLocalDate(DATE date) {
  SYSTEMTIME local{}, utc{};
  FILETIME file{};
  if (date < kFirstRealRun || !::VariantTimeToSystemTime(date, &local) ||
      !::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &file))
    return std::nullopt;
  const std::int64_t ticks = (static_cast<std::int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
  return (ticks - kUnixEpochIn100ns) / 10000000;
}

}  // namespace

std::string ProgramPath() { return FileBesideProgram(ExecutableName()); }

std::string CurrentUserId() {
  wchar_t name[512];
  ULONG size = static_cast<ULONG>(std::size(name));
  if (!::GetUserNameExW(NameSamCompatible, name, &size)) return {};
  return WideToUtf8(std::wstring_view(name, size));
}

TaskRegistration RegisterScheduledTask(std::string_view folder,
                                       std::string_view name,
                                       std::string_view xml,
                                       bool loggedOff) {
  const TaskService service;
  if (std::string failure = service.Failure(); !failure.empty()) return {false, std::move(failure)};
  const std::string path = TaskPath(folder, name);
  ComPtr<ITaskFolder> taskFolder;
  HRESULT result = service.FolderMadeWhenMissing(folder, taskFolder);
  if (SUCCEEDED(result)) {
    const UniqueBstr leaf = Utf8ToBstr(name);
    const UniqueBstr definition = Utf8ToBstr(xml);
    const OwnedVariant none;
    ComPtr<IRegisteredTask> registered;
    result = taskFolder->RegisterTask(leaf.Get(), definition.Get(), TASK_CREATE_OR_UPDATE, *none.Get(), *none.Get(),
                                      loggedOff ? TASK_LOGON_S4U : TASK_LOGON_INTERACTIVE_TOKEN, *none.Get(),
                                      registered.GetAddressOf());
  }
  if (SUCCEEDED(result)) return {true, {}};
  if (result == E_ACCESSDENIED && loggedOff) {
    return {false, JoinTexts("cannot register the task ", path,
                             ": a task that starts at boot and runs while nobody is logged on needs an administrator; "
                             "run it again in a console opened as administrator, or schedule without --logged-off "
                             "(the ticks then run while you are logged on)")};
  }
  return {false, JoinTexts("cannot register the task ", path, ": ", HresultText(result))};
}

TaskRemovalResult RemoveScheduledTask(std::string_view folder, std::string_view name) {
  const TaskService service;
  if (std::string failure = service.Failure(); !failure.empty()) return {TaskRemoval::Failed, std::move(failure)};
  ComPtr<ITaskFolder> taskFolder;
  HRESULT result = service.Folder(folder, taskFolder);
  if (SUCCEEDED(result)) {
    const UniqueBstr leaf = Utf8ToBstr(name);
    result = taskFolder->DeleteTask(leaf.Get(), 0);
  }
  if (NotFound(result)) return {TaskRemoval::NotFound, {}};
  if (FAILED(result))
    return {TaskRemoval::Failed,
            JoinTexts("cannot remove the task ", TaskPath(folder, name), ": ", HresultText(result))};
  return {TaskRemoval::Removed, {}};
}

ScheduledTaskState ReadScheduledTask(std::string_view folder, std::string_view name) {
  ScheduledTaskState state;
  const TaskService service;
  if (state.error = service.Failure(); !state.error.empty()) return state;
  ComPtr<ITaskFolder> taskFolder;
  ComPtr<IRegisteredTask> task;
  HRESULT result = service.Folder(folder, taskFolder);
  if (SUCCEEDED(result)) {
    const UniqueBstr leaf = Utf8ToBstr(name);
    result = taskFolder->GetTask(leaf.Get(), task.GetAddressOf());
  }
  if (NotFound(result)) return state;
  if (FAILED(result)) {
    state.error = JoinTexts("cannot read the task ", TaskPath(folder, name), ": ", HresultText(result));
    return state;
  }
  state.registered = true;
  // What the Task Scheduler cannot say stays unset rather than failing the whole reading.
  BSTR xml = nullptr;
  if (SUCCEEDED(task->get_Xml(&xml))) {
    const UniqueBstr owned(xml);
    state.xml = BstrToUtf8(owned.Get());
  }
  LONG lastResult = 0;
  if (SUCCEEDED(task->get_LastTaskResult(&lastResult))) state.lastResult = lastResult;
  DATE lastRun = 0;
  if (SUCCEEDED(task->get_LastRunTime(&lastRun)) && state.lastResult != SCHED_S_TASK_HAS_NOT_RUN)
    state.lastRunUnixSeconds = UnixSecondsOfLocalDate(lastRun);
  TASK_STATE running = TASK_STATE_UNKNOWN;
  if (SUCCEEDED(task->get_State(&running))) state.running = running == TASK_STATE_RUNNING;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  if (SUCCEEDED(task->get_Enabled(&enabled))) state.enabled = enabled != VARIANT_FALSE;
  return state;
}

}  // namespace korvan
