#include "cli/commands.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "cli/messages.h"
#include "cli/entry_output.h"
#ifdef _WIN32
#include "cli/schedule_commands.h"
#endif
#include "platform/network.h"
#include "cli/exit_status.h"
#include "cli/status_json.h"
#include "cli/terminal_text.h"
#include "plan/plan_status_text.h"
#include "run/plan_book.h"
#include "platform/standard_streams.h"
#include "platform/state_files.h"
#include "platform/stop_request.h"
#include "run/tick_decision.h"
#include "alerts/push_answers.h"
#include "log/log_entry.h"
#include "log/network_clock.h"
#include "renewal/panel_state.h"
#include "run/next_run.h"
#include "run/planned_run_watch.h"
#include "run/run_status_text.h"
#include "run/run_once.h"

namespace korvan {
namespace {

#if !KORVAN_WINDOW_PROGRAM_RULES
// 按时续期：已开启（Linux 版默认开启；deadline=0 关闭）
constexpr std::string_view kDeadlineOnLine =
    "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xA3\xBA\xD2\xD1\xBF\xAA\xC6\xF4\xA3\xA8Linux \xB0\xE6\xC4\xAC\xC8\xCF"
    "\xBF\xAA\xC6\xF4\xA3\xBB"
    "deadline=0 \xB9\xD8\xB1\xD5\xA3\xA9";
// 按时续期：已关闭（deadline=0）
constexpr std::string_view kDeadlineOffLine =
    "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xA3\xBA\xD2\xD1\xB9\xD8\xB1\xD5\xA3\xA8"
    "deadline=0\xA3\xA9";
#else
// 按时续期：已开启（deadline=1）
constexpr std::string_view kDeadlineOnLine =
    "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xA3\xBA\xD2\xD1\xBF\xAA\xC6\xF4\xA3\xA8"
    "deadline=1\xA3\xA9";
// 按时续期：已关闭（deadline=1 开启）
constexpr std::string_view kDeadlineOffLine =
    "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xA3\xBA\xD2\xD1\xB9\xD8\xB1\xD5\xA3\xA8"
    "deadline=1 \xBF\xAA\xC6\xF4\xA3\xA9";
#endif

// What a command takes from korvan.ini, read once.
struct Settings {
  RunSnapshot snapshot;                // with the account of [登录配置]
  std::optional<std::int64_t> period;  // none: a negative 监控时间, the timer stopped
  std::string digest;                  // of korvan.ini as read
};

// Nothing when korvan.ini cannot be used, after saying why; a run also needs the user name and the
// password, and without them no request is sent.
// On Linux the plan is on unless korvan.ini says deadline=0: there is no older behaviour to keep,
// and renewing within minutes of the window's opening is what the program is run for. On Windows
// the window program's reading holds, as both may read one korvan.ini.
bool PlanOn(IniStore& store, bool windowsReading) {
  if (KORVAN_WINDOW_PROGRAM_RULES) return windowsReading;
  return TrimBlanks(store.Read(kAdvancedSection, kDeadlineKey)) != "0";
}

std::optional<Settings> LoadSettings(const std::string& path, bool needAccount) {
  const ConfigFile file = ReadConfigFile(path);
  if (!file.error.empty()) {
    Complain(file.error);
    return std::nullopt;
  }
  // The window program reads korvan.ini in the system's code page: one saved by an editor as UTF-8
  // without a byte order mark would give it empty boxes, and the two programs would differ.
  if (KORVAN_WINDOW_PROGRAM_RULES && file.utf8WithoutMark) {
    Complain(JoinTexts(ShownPath(path),
                       " is saved as UTF-8 without a byte order mark, which the window program cannot read: save it "
                       "as ANSI (GBK) or as UTF-8 with a byte order mark (Notepad: Save as, Encoding)"));
    return std::nullopt;
  }
  ConfigDocumentStore store(file.document);
  Settings settings{ReadRunSnapshot(store), RenewalPeriodMilliseconds(store.Read(kRenewHoursSection, kHoursKey)),
                    file.digest};
  settings.snapshot.userName = store.Read(kLoginSection, kUserKey);
  settings.snapshot.password = store.Read(kLoginSection, kPasswordKey);
  settings.snapshot.advanced.deadline = PlanOn(store, settings.snapshot.advanced.deadline);
  const RunSnapshot& account = settings.snapshot;
  if (!needAccount || (!account.userName.empty() && !account.password.empty())) return settings;
  const std::string_view missing = account.userName.empty() ? "user name (key user" : "password (key pass";
  Complain(JoinTexts(ShownPath(path), " sets no ", missing, " in section [", TerminalText(kLoginSection), "])"));
  return std::nullopt;
}

std::int64_t NowSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

// The state files behind the config file's name: alice.ini's are alice-tick.ini and so on.
constexpr std::string_view kLogEnding = ".log";
constexpr std::string_view kStatusEnding = "-status.ini";
constexpr std::string_view kTickEnding = "-tick.ini";
constexpr std::string_view kLockEnding = ".lock";

std::string StateFileName(const CommandLine& paths, std::string_view ending) {
  return JoinTexts(paths.stateName, ending);
}
std::string StatePath(const CommandLine& paths, std::string_view ending) {
  return JoinPath(paths.stateDirectory, StateFileName(paths, ending));
}

std::string AbsoluteConfigPath(const CommandLine& paths) { return FullPath(paths.config); }

// The plan with the run record, or in the state directory's korvan-tick.ini without it: a tick must
// find it whatever history says.
PlanBook PlanOf(const CommandLine& paths) {
  return PlanBook([&paths] { return std::make_unique<StateIniFile>(StatePath(paths, kStatusEnding)); },
                  [&paths] { return std::make_unique<StateIniFile>(StatePath(paths, kTickEnding)); });
}

// The run record with the run record's switch, or without it in the tick state, so that `korvan
// status` knows the last outcome and the failures in a row whatever history says.
RunRecordBook RecordOf(const CommandLine& paths) {
  return RunRecordBook([&paths] { return std::make_unique<StateIniFile>(StatePath(paths, kStatusEnding)); },
                       [&paths] { return std::make_unique<StateIniFile>(StatePath(paths, kTickEnding)); });
}

// The tick state, read once per command; the network clock takes its reading.
TickState LoadTickState(const CommandLine& paths) {
  StateIniFile file(StatePath(paths, kTickEnding));
  TickState state = ReadTickState(file);
  ProgramNetworkClock().Restore(state.clock);
  return state;
}

// The state as it stands, on the disk before anything is sent: a tick that could not keep it would
// log in again at every tick. False after saying why (after a run: that the next may run again).
bool KeepTickState(const CommandLine& paths, TickState state, bool beforeSending = true) {
  state.clock = ProgramNetworkClock().Reading();
  state.config = AbsoluteConfigPath(paths);
  StateIniFile file(StatePath(paths, kTickEnding));
  WriteTickState(file, state);
  if (file.Commit()) return true;
  Complain(JoinTexts("cannot keep ", ShownPath(StatePath(paths, kTickEnding)),
                     beforeSending ? "; nothing was sent" : "; the next tick may run again"));
  return false;
}

// The plan waits for a new password while korvan.ini is the one the panel refused.
bool WaitsForUser(const TickState& state, const Settings& settings) {
  return state.waitingForUser && state.configDigest == settings.digest;
}

// How long until a tick starts the N-hour run: one due now is the next tick's; a stopped period has none.
std::int64_t MillisecondsToPeriodicRun(const TickState& state, const Settings& settings) {
  const TickDecision next = DecideTick(state, settings.period, NowSeconds());
  return next.due ? 1 : next.millisecondsToDue;
}

// The plan as a tick decides by: resumed when korvan.ini changed since a refused password.
RenewalPlan PlanForTick(const Settings& settings, const CommandLine& paths, TickState& state) {
  PlanBook book = PlanOf(paths);
  const bool history = settings.snapshot.advanced.history;
  if (state.waitingForUser && !WaitsForUser(state, settings)) {
    state.waitingForUser = false;
    return book.Resume(ProgramNetworkClock().Now(), history);
  }
  RenewalPlan plan = book.Current(history);
  plan.waitingForUser = WaitsForUser(state, settings);
  return plan;
}

RunReport RunWithPorts(const Settings& settings,
                       const CommandLine& paths,
                       RenewalMode mode,
                       const TickState& state,
                       EntryOutput& output) {
  PanelCookies cookies;  // every run starts without cookies
  SystemHistoryFiles files;
  LogHistory history(files, StatePath(paths, kLogEnding));
  RunRecordBook record = RecordOf(paths);
  RunPorts ports;
  ports.cookies = &cookies;
  ports.exchange = PanelExchange();
  ports.appendLog = [&](std::string_view message, bool keep, RunOutcome outcome) {
    const DateTime stamp = FetchNetworkTime();
    output.Entry(stamp, message, outcome);
    if (keep || paths.scheduled) history.Append(LogEntryText(stamp, KeptMessage(message)));
    return DateTimeToText(stamp);
  };
  // There is no status light to show a login by.
  ports.setLoginOk = [](bool) {};
  ports.send = SendPushRequest;
  ports.unixMilliseconds = NetworkUnixMilliseconds;
  ports.networkNow = [] { return ProgramNetworkClock().Now(); };
  ports.millisecondsToPeriodicRun = [&] { return MillisecondsToPeriodicRun(state, settings); };
  ports.record = &record;
  PlanBook plan = PlanOf(paths);
  ports.plan = &plan;
  return RunOnce(ports, settings.snapshot, mode);
}

#ifdef _WIN32
// When the wake task should wake the computer for the plan's next run, by the computer's clock; none
// with the plan or the wake off, or without a planned run ahead.
std::optional<std::int64_t> WakeMoment(const Settings& settings, const CommandLine& paths) {
  const AdvancedSettings& advanced = settings.snapshot.advanced;
  if (!advanced.deadline || !advanced.wake) return std::nullopt;
  const std::int64_t networkNow = ProgramNetworkClock().Now();
  const std::optional<std::int64_t> at =
      WakeTimeFor(NextPlannedRun(PlanOf(paths).Current(advanced.history)), true, networkNow);
  if (!at) return std::nullopt;
  return *at - (networkNow - NowSeconds());
}
#endif

// With the lock held. The run's start is on the disk before its first request, and its end, the
// plan's wait for a new password and the network time after it, whatever the run record's switch says.
int RunHoldingLock(const Settings& settings,
                   const CommandLine& paths,
                   RenewalMode mode,
                   TickState state,
                   std::int64_t waitSeconds = 0) {
  EndRunAtStopRequest(kExitFailedRun);
  if (mode == RenewalMode::Renew) state.lastRunStarted = NowSeconds();
  if (!KeepTickState(paths, state)) return kExitCannotKeepState;
  if (waitSeconds > 0) std::this_thread::sleep_for(std::chrono::seconds(waitSeconds));
  EntryOutput output(paths.quiet);
  const RunReport report = RunWithPorts(settings, paths, mode, state, output);
  if (!report.entries.empty()) output.RunEnded(report.outcome, RunResultMessage(report));
  const int exitStatus = ExitStatusOfRun(report.outcome);
  // Quiet, for cron: the entries only of a run that failed.
  if (exitStatus != kExitOk) output.Flush();
  if (mode == RenewalMode::Renew) state.lastRunEnded = NowSeconds();
  if (report.outcome == RunOutcome::WrongPassword) {
    state.waitingForUser = true;
    state.configDigest = settings.digest;
  } else if (!report.entries.empty() && report.outcome != RunOutcome::LoginFailed &&
             report.outcome != RunOutcome::LoginPageUnknown) {
    state.waitingForUser = false;  // it logged in
  }
  if (!report.entries.empty()) state.lastExit = exitStatus;
  KeepTickState(paths, state, false);
#ifdef _WIN32
  if (paths.scheduled) MoveWakeTask(paths, WakeMoment(settings, paths));
#endif
  return exitStatus;
}

// root running an account's run by hand in the service's own state directory would leave files
// the service's user cannot write, and every later tick would fail: refused before touching it.
bool StateOfAnotherUser(const CommandLine& paths) {
  if (!RootInStateOfAnotherUser(paths.stateDirectory)) return false;
  const std::string name = std::filesystem::path(paths.stateDirectory).lexically_normal().filename().string();
  Complain(JoinTexts(ShownPath(paths.stateDirectory),
                     " belongs to another user (the service's): run the account now with "
                     "`systemctl start korvan@",
                     name.empty() ? "NAME" : name, ".service`"));
  return true;
}

// Two configs never share one state: a state directory that holds another's is refused.
bool StateOfAnotherConfig(const CommandLine& paths, const TickState& state) {
  const std::string config = AbsoluteConfigPath(paths);
  if (state.config.empty() || state.config == config) return false;
  Complain(JoinTexts(ShownPath(StatePath(paths, kTickEnding)), " holds the state of ", ShownPath(state.config),
                     ", not of ", ShownPath(config), "; give this config a --state-dir of its own"));
  return true;
}

}  // namespace

void ChooseStatePaths(CommandLine& paths) {
  paths.stateName = StemOf(paths.config);
  if (paths.stateName.empty()) paths.stateName = "korvan";
  if (!paths.stateDirectory.empty()) return;
  if (FolderOf(FullPath(paths.config)) == "/etc/korvan") {
    paths.stateDirectory = JoinPath("/var/lib/korvan", paths.stateName);
    return;
  }
  paths.stateDirectory = FolderOf(paths.config);
}

int RunCommand(const CommandLine& paths, RenewalMode mode) {
  const std::optional<Settings> settings = LoadSettings(paths.config, true);
  if (!settings) return kExitConfig;
  if (StateOfAnotherUser(paths)) return kExitConfig;
  const StateLock lock(paths.stateDirectory, StateFileName(paths, kLockEnding));
  switch (lock.state()) {
    case StateLock::State::Failed: Complain(lock.error()); return kExitConfig;
    case StateLock::State::Busy:
      Complain(JoinTexts("a run of ", ShownPath(paths.stateDirectory), " is under way; nothing done"));
      return kExitBusy;
    case StateLock::State::Taken: break;
  }
  const TickState state = LoadTickState(paths);
  if (StateOfAnotherConfig(paths, state)) return kExitConfig;
  return RunHoldingLock(*settings, paths, mode, state);
}

int TickCommand(const CommandLine& paths) {
  const std::optional<Settings> settings = LoadSettings(paths.config, true);
  if (!settings) return kExitConfig;
  if (StateOfAnotherUser(paths)) return kExitConfig;
  const StateLock lock(paths.stateDirectory, StateFileName(paths, kLockEnding));
  switch (lock.state()) {
    case StateLock::State::Failed: Complain(lock.error()); return kExitConfig;
    // The run under way is this tick's work done.
    case StateLock::State::Busy: return kExitOk;
    case StateLock::State::Taken: break;
  }
  TickState state = LoadTickState(paths);
  if (StateOfAnotherConfig(paths, state)) return kExitConfig;
  std::optional<PlannedRun> planned;
  // The plan switched on (a changed korvan.ini) before any expiry was read for it: one check now.
  const bool configChanged = state.seenConfig != settings->digest;
  state.seenConfig = settings->digest;
  bool checkForPlan = false;
  if (settings->snapshot.advanced.deadline) {
    const RenewalPlan plan = PlanForTick(*settings, paths, state);
    checkForPlan = configChanged && PlanWaitsForExpiry(plan);
    planned = NextPlannedRun(plan);
    // A planned run is decided by a fresh network time: the computer's clock may have been stepped
    // or the computer rebooted since the last read.
    if (planned && ProgramNetworkClock().AskRead(planned->at)) {
      if (!KeepTickState(paths, state)) return kExitCannotKeepState;
      ReadNetworkSeconds();
    }
  }
  const TickDecision decision =
      DecideTick(state, settings->period, NowSeconds(), planned, ProgramNetworkClock().Now(), checkForPlan);
  if (!decision.due) {
    if (!KeepTickState(paths, state)) return kExitCannotKeepState;
    return kExitOk;
  }
  return RunHoldingLock(*settings, paths, decision.mode, state, decision.waitSeconds);
}

int WatchCommand(const CommandLine& paths) {
  for (bool first = true;; first = false) {
    const auto started = std::chrono::steady_clock::now();
    const int status = TickCommand(paths);
    if (first && status == kExitConfig) return status;
    EndWatchAtStopRequest();
    std::this_thread::sleep_until(started + std::chrono::seconds(kWatchSeconds));
  }
}

int StatusCommand(const CommandLine& paths) {
  const std::optional<Settings> settings = LoadSettings(paths.config, false);
  if (!settings) return kExitConfig;
  const bool history = settings->snapshot.advanced.history;
  RecordSource source = RecordSource::StatusFile;
  const RunRecord record = RecordOf(paths).Current(history, &source);
  const TickState state = LoadTickState(paths);
  // There are no restarts.
  const std::int64_t toNextRun = MillisecondsToPeriodicRun(state, *settings);
  std::optional<RenewalPlan> plan;
  if (settings->snapshot.advanced.deadline) {
    plan = PlanOf(paths).Current(history);
    plan->waitingForUser = WaitsForUser(state, *settings);
  }
  // The one next run, by the network time the plan goes by.
  const std::int64_t now = ProgramNetworkClock().Now();
  const std::optional<NextRun> nextRun = ChooseNextRun(PeriodicRunAt(toNextRun, now), plan);
  // A script or a monitor asks how the last run ended: 1 failed, 2 the password was refused.
  const int exitStatus = state.lastExit.value_or(kExitOk);
  if (paths.json) {
    WriteStandardOutput(StatusJson(
        {.record = record,
         .nextRenewalRun = toNextRun > 0 ? std::optional(NowSeconds() + (toNextRun + 999) / 1000) : std::nullopt,
         .nextRun = nextRun,
         .plan = plan,
         .clockOffsetSeconds = ClockOffset(state.clock),
         .lastExit = state.lastExit,
         .recordFile = StateFileName(paths, history ? kStatusEnding : kTickEnding)}));
    return exitStatus;
  }
  Text text = JoinTexts(NextRunLine(nextRun, now), "\r\n",
                        RunStatusText(record, source, toNextRun, std::nullopt, {}, {},
                                      StateFileName(paths, history ? kStatusEnding : kTickEnding)));
  text += JoinTexts("\r\n", plan ? kDeadlineOnLine : kDeadlineOffLine);
  if (plan) {
    for (const Text& line : PlanStatusLines(*plan, kUnplannedHintCommand))
      text += JoinTexts("\r\n", line);
    if (const std::optional<Text> offset = ClockOffsetLine(ClockOffset(state.clock)))
      text += JoinTexts("\r\n", *offset);
  }
  WriteStandardOutput(TerminalText(JoinTexts(text, "\n")));
#ifdef _WIN32
  WriteStandardOutput(JoinTexts(ScheduledTaskLine(paths), "\n"));
#endif
  return exitStatus;
}

int TestPushCommand(const CommandLine& paths) {
  const std::optional<Settings> settings = LoadSettings(paths.config, false);
  if (!settings) return kExitConfig;
  const AlertSettings& alerts = settings->snapshot.alerts;
  if (!AnyAlertConfigured(alerts)) {
    Complain(JoinTexts(ShownPath(paths.config), " sets no push channel and no heartbeat (section [",
                       TerminalText(kAdvancedSection), "])"));
    return kExitConfig;
  }
  const AlertPorts ports{.send = SendPushRequest,
                         .appendLog = [](std::string_view message) { PrintEntry(FetchNetworkTime(), message); },
                         .unixMilliseconds = NetworkUnixMilliseconds,
                         .nextCheck = {}};  // a test message names no next run
  const std::vector<PushTestResult> results =
      SendTestMessages(alerts, settings->snapshot.userName, DateTimeToText(FetchNetworkTime()), ports);
  WriteStandardOutput(TerminalText(JoinTexts(PushTestResultsText(results), "\n")));
  const bool allDelivered =
      std::all_of(results.begin(), results.end(), [](const PushTestResult& result) { return result.delivered; });
  return allDelivered ? kExitOk : kExitFailedRun;
}

}  // namespace korvan
