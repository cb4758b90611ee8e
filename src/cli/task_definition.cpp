#include "cli/task_definition.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/state_files.h"
#include "runtime/datetime/datetime.h"

namespace korvan {
namespace {

constexpr std::string_view kTaskNamespace = "http://schemas.microsoft.com/windows/2004/02/mit/task";
// The OLE date of 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;
constexpr std::int64_t kSecondsPerDay = 24 * 3600;

// Windows names a file in any letter case and with either slash.
std::string FoldedPath(std::string_view path) {
  std::string folded(path);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '/') c = '\\';
  }
  return folded;
}

// The last part of a path with either slash, and what stands before it.
std::string_view LastPart(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
std::string_view BeforeLastPart(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string AccountName(std::string_view configPath) {
  std::string_view stem = LastPart(configPath);
  if (const std::size_t dot = stem.rfind('.'); dot != std::string_view::npos && dot > 0) stem = stem.substr(0, dot);
  if (FoldedPath(stem) == "korvan") {
    const std::string_view folder = LastPart(BeforeLastPart(configPath));
    // A drive's root ("C:") names no account.
    if (!folder.empty() && folder.back() != ':') return std::string(folder);
  }
  return stem.empty() ? std::string("korvan") : std::string(stem);
}

std::string TaskTime(TaskMoment moment) {
  const std::int64_t local = moment.unixSeconds + moment.utcOffsetSeconds;
  const DateTimeFields fields =
      SplitDateTime(DateTime{kUnixEpochDays + static_cast<double>(local) / static_cast<double>(kSecondsPerDay)});
  const int offsetMinutes = std::abs(moment.utcOffsetSeconds) / 60;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", fields.year, fields.month, fields.day,
                fields.hour, fields.minute, fields.second, moment.utcOffsetSeconds < 0 ? '-' : '+', offsetMinutes / 60,
                offsetMinutes % 60);
  return text;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::int64_t SecondsOf(const std::tm& fields) {
  return DaysFromCivil(fields.tm_year + 1900LL, fields.tm_mon + 1, fields.tm_mday) * kSecondsPerDay +
         fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
}

std::string Element(std::string_view name, std::string_view text) {
  return JoinTexts("<", name, ">", EscapeXml(text), "</", name, ">");
}
std::string Logical(std::string_view name, bool value) { return Element(name, value ? "true" : "false"); }

enum class Schedule { Tick, Wake };

std::string TaskXml(const TaskDefinition& task, Schedule schedule, TaskMoment at) {
  const bool wake = schedule == Schedule::Wake;
  // A trigger's elements stand in the schema's order (Enabled, StartBoundary, Repetition).
  std::string triggers = JoinTexts("<TimeTrigger>", Logical("Enabled", true), Element("StartBoundary", TaskTime(at)));
  if (!wake) {
    // No Duration: repeated indefinitely.
    triggers += JoinTexts("<Repetition>", Element("Interval", JoinTexts("PT", std::to_string(kTickEveryMinutes), "M")),
                          "</Repetition>");
  }
  triggers += "</TimeTrigger>";
  if (!wake) {
    if (task.loggedOff) {
      triggers += JoinTexts("<BootTrigger>", Logical("Enabled", true), "</BootTrigger>");
    } else {
      // Without a user, any user's logon would start it.
      triggers += JoinTexts("<LogonTrigger>", Logical("Enabled", true),
                            task.userId.empty() ? std::string() : Element("UserId", task.userId), "</LogonTrigger>");
    }
  }
  const std::string principal =
      JoinTexts("<Principal id=\"Author\">", task.userId.empty() ? std::string() : Element("UserId", task.userId),
                Element("LogonType", task.loggedOff ? "S4U" : "InteractiveToken"),
                Element("RunLevel", "LeastPrivilege"), "</Principal>");
  const std::string settings =
      JoinTexts(Element("MultipleInstancesPolicy", "IgnoreNew"), Logical("DisallowStartIfOnBatteries", false),
                Logical("StopIfGoingOnBatteries", false), Logical("AllowHardTerminate", true),
                Logical("StartWhenAvailable", !wake), Logical("RunOnlyIfNetworkAvailable", false), "<IdleSettings>",
                Logical("StopOnIdleEnd", false), Logical("RestartOnIdle", false), "</IdleSettings>",
                Logical("AllowStartOnDemand", true), Logical("Enabled", true), Logical("Hidden", false),
                Logical("RunOnlyIfIdle", false), Logical("WakeToRun", wake),
                Element("ExecutionTimeLimit", JoinTexts("PT", std::to_string(kTaskLimitMinutes), "M")));
  const std::string action = JoinTexts(
      "<Exec>", Element("Command", task.program),
      Element("Arguments",
              JoinTexts("tick --scheduled", task.loggedOff ? " --logged-off" : "", " --config \"", task.config, "\"")),
      Element("WorkingDirectory", task.workingFolder), "</Exec>");
  // No XML declaration: the text reaches the Task Scheduler as UTF-16, which a declared UTF-8
  // would contradict.
  return JoinTexts("<Task version=\"1.2\" xmlns=\"", kTaskNamespace, "\">", "<RegistrationInfo>",
                   Element("Description", JoinTexts("Korvan: korvan-cli tick for ", task.config)),
                   "</RegistrationInfo>", "<Triggers>", triggers, "</Triggers>", "<Principals>", principal,
                   "</Principals>", "<Settings>", settings, "</Settings>", "<Actions Context=\"Author\">", action,
                   "</Actions>", "</Task>");
}

}  // namespace

std::string EscapeXml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

TaskMoment ComputerTaskMoment(std::int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  // Copied at once: both calls hand back one shared buffer.
  const std::tm* local = std::localtime(&time);
  if (local == nullptr) return {unixSeconds, 0};
  const std::tm localFields = *local;
  const std::tm* utc = std::gmtime(&time);
  if (utc == nullptr) return {unixSeconds, 0};
  return {unixSeconds, static_cast<int>(SecondsOf(localFields) - SecondsOf(*utc))};
}

TaskName TaskNameForConfig(std::string_view configFullPath) {
  // Eight hex digits tell two files of one account apart; the name stays short in the library's list.
  const std::string digest = ContentDigest(FoldedPath(configFullPath)).substr(0, 8);
  return {std::string(kTaskFolder), JoinTexts(AccountName(configFullPath), " ", digest)};
}

TaskName WakeTaskName(const TaskName& tickTask) { return {tickTask.folder, JoinTexts(tickTask.leaf, kWakeTaskEnding)}; }

std::string TickTaskXml(const TaskDefinition& task) { return TaskXml(task, Schedule::Tick, task.start); }

std::string WakeTaskXml(const TaskDefinition& task, TaskMoment wakeAt) { return TaskXml(task, Schedule::Wake, wakeAt); }

}  // namespace korvan
