#include "cli/commands.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>

#include "cli/exit_status.h"
#include "cli/program_ports.h"
#include "plan/plan_status_text.h"
#include "run/plan_book.h"
#include "cli/state_files.h"
#include "cli/tick_decision.h"
#include "alerts/push_answers.h"
#include "log/log_entry.h"
#include "renewal/panel_state.h"
#include "run/run_status_text.h"
#include "run/run_once.h"

namespace korvan {
namespace {

void Complain(std::string_view message) {
  std::fprintf(stderr, "korvan: %.*s\n", static_cast<int>(message.size()), message.data());
}

void Print(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::int64_t NowSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

// What a command takes from korvan.ini, read once.
struct Settings {
  RunSnapshot snapshot;
  Text userName;
  Text password;
  std::optional<std::int64_t> period;  // none: a negative 监控时间, the timer stopped
};

// Nothing when korvan.ini cannot be used, after saying why; a run also needs the user name and the
// password, and without them no request is sent.
std::optional<Settings> LoadSettings(const std::string& path, bool needAccount) {
  const ConfigFile file = ReadConfigFile(path);
  if (!file.error.empty()) {
    Complain(file.error);
    return std::nullopt;
  }
  ConfigDocumentStore store(file.document);
  Settings settings{ReadRunSnapshot(store), store.Read(kLoginSection, kUserKey),
                    store.Read(kLoginSection, kPasswordKey),
                    RenewalPeriodMilliseconds(store.Read(kRenewHoursSection, kHoursKey))};
  if (!needAccount || (!settings.userName.empty() && !settings.password.empty())) return settings;
  const std::string_view missing = settings.userName.empty() ? "user name (key user" : "password (key pass";
  Complain(JoinTexts(path, " sets no ", missing, " in section [", TerminalText(kLoginSection), "])"));
  return std::nullopt;
}

std::string StatePath(const CommandPaths& paths, std::string_view name) { return JoinPath(paths.stateDirectory, name); }

// A stopped run ends at once: korvan-status.ini and korvan-tick.ini are only ever replaced whole,
// korvan.log gets whole entries, and the kernel lets go of the lock.
void StopRunAtSignal(int signal) {
  constexpr char kTerminated[] = "korvan: stopped by SIGTERM during the run; the files keep the last finished run\n";
  constexpr char kInterrupted[] = "korvan: stopped by SIGINT during the run; the files keep the last finished run\n";
  constexpr char kHungUp[] = "korvan: stopped by SIGHUP during the run; the files keep the last finished run\n";
  const char* message = signal == SIGTERM ? kTerminated : signal == SIGINT ? kInterrupted : kHungUp;
  const std::size_t length = signal == SIGTERM  ? sizeof kTerminated
                             : signal == SIGINT ? sizeof kInterrupted
                                                : sizeof kHungUp;
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, length - 1);
  ::_exit(kExitFailedRun);
}

void StopRunsAtSignals() {
  struct sigaction action {};
  action.sa_handler = StopRunAtSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP})
    ::sigaction(signal, &action, nullptr);
}

// The plan with the run record, or in the state directory's korvan-tick.ini without it: a tick must
// find it whatever history says.
PlanBook PlanOf(const CommandPaths& paths) {
  return PlanBook([&paths] { return std::make_unique<StateIniFile>(StatePath(paths, kStatusFileName)); },
                  [&paths] { return std::make_unique<StateIniFile>(StatePath(paths, kTickFileName)); });
}

std::optional<PlannedRun> PlannedRunOf(const Settings& settings, const CommandPaths& paths) {
  if (!settings.snapshot.advanced.deadline) return std::nullopt;
  return NextPlannedRun(PlanOf(paths).Current(settings.snapshot.advanced.history));
}

RunReport RunWithPorts(const Settings& settings, const CommandPaths& paths, RenewalMode mode) {
  PanelCookies cookies;  // every run starts without cookies
  PosixHistoryFiles files;
  LogHistory history(files, StatePath(paths, kHistoryFileName));
  RunRecordBook record([&] { return std::make_unique<StateIniFile>(StatePath(paths, kStatusFileName)); });
  RunPorts ports;
  ports.cookies = &cookies;
  ports.exchange = PanelExchangeOverCurl();
  ports.userName = [&] { return settings.userName; };
  ports.password = [&] { return settings.password; };
  ports.appendLog = [&](std::string_view message, bool keep) {
    const DateTime stamp = FetchNetworkTimeOverCurl();
    PrintEntry(stamp, message);
    if (keep) history.Append(LogEntryText(stamp, message));
    return DateTimeToText(stamp);
  };
  // There is no status light to show a login by.
  ports.setLoginOk = [](bool) {};
  ports.send = PushOverCurl;
  ports.unixMilliseconds = NetworkUnixMillisecondsOverCurl;
  // The next run is a period after this one, as the window's timer has it.
  ports.nextCheck = [&] { return DueText(settings.period.value_or(0)); };
  ports.record = &record;
  PlanBook plan = PlanOf(paths);
  ports.plan = &plan;
  return RunOnce(ports, settings.snapshot, mode);
}

// With the lock held. A renewal's end is kept for the ticks, whatever the run record's switch says.
int RunHoldingLock(const Settings& settings, const CommandPaths& paths, RenewalMode mode) {
  StopRunsAtSignals();
  const RunReport report = RunWithPorts(settings, paths, mode);
  if (mode == RenewalMode::Renew) {
    StateIniFile tick(StatePath(paths, kTickFileName));
    WriteTickState(tick, {NowSeconds()});
    tick.Commit();
  }
  return ExitStatusOfRun(report.outcome);
}

}  // namespace

int RunCommand(const CommandPaths& paths, RenewalMode mode) {
  const std::optional<Settings> settings = LoadSettings(paths.config, true);
  if (!settings) return kExitConfig;
  const StateLock lock(paths.stateDirectory);
  switch (lock.state()) {
    case StateLock::State::Failed: Complain(lock.error()); return kExitConfig;
    case StateLock::State::Busy:
      Complain(JoinTexts("a run of ", paths.stateDirectory, " is under way; nothing done"));
      return kExitBusy;
    case StateLock::State::Taken: break;
  }
  return RunHoldingLock(*settings, paths, mode);
}

int TickCommand(const CommandPaths& paths) {
  const std::optional<Settings> settings = LoadSettings(paths.config, true);
  if (!settings) return kExitConfig;
  const StateLock lock(paths.stateDirectory);
  switch (lock.state()) {
    case StateLock::State::Failed: Complain(lock.error()); return kExitConfig;
    // The run under way is this tick's work done.
    case StateLock::State::Busy: return kExitOk;
    case StateLock::State::Taken: break;
  }
  TickDecision decision;
  {
    StateIniFile tick(StatePath(paths, kTickFileName));
    decision = DecideTick(ReadTickState(tick), settings->period, NowSeconds(), PlannedRunOf(*settings, paths));
  }
  if (!decision.due) return kExitOk;
  return RunHoldingLock(*settings, paths, decision.mode);
}

int StatusCommand(const CommandPaths& paths) {
  const std::optional<Settings> settings = LoadSettings(paths.config, false);
  if (!settings) return kExitConfig;
  RunRecordBook book([&] { return std::make_unique<StateIniFile>(StatePath(paths, kStatusFileName)); });
  RecordSource source = RecordSource::StatusFile;
  const RunRecord record = book.Current(settings->snapshot.advanced.history, &source);
  StateIniFile tick(StatePath(paths, kTickFileName));
  const TickDecision next = DecideTick(ReadTickState(tick), settings->period, NowSeconds());
  // Due now is the next tick's work; a stopped period has nothing scheduled. There are no restarts.
  const std::int64_t toNextRun = next.due ? 1 : next.millisecondsToDue;
  Text text = RunStatusText(record, source, toNextRun, 0);
  if (settings->snapshot.advanced.deadline) {
    for (const Text& line : PlanStatusLines(PlanOf(paths).Current(settings->snapshot.advanced.history)))
      text += JoinTexts("\r\n", line);
  }
  Print(TerminalText(JoinTexts(text, "\n")));
  return kExitOk;
}

int TestPushCommand(const CommandPaths& paths) {
  const std::optional<Settings> settings = LoadSettings(paths.config, false);
  if (!settings) return kExitConfig;
  const AlertSettings& alerts = settings->snapshot.alerts;
  if (!AnyAlertConfigured(alerts)) {
    Complain(JoinTexts(paths.config, " sets no push channel and no heartbeat (section [",
                       TerminalText(kAdvancedSection), "])"));
    return kExitConfig;
  }
  const AlertPorts ports{.send = PushOverCurl,
                         .appendLog = [](std::string_view message) { PrintEntry(FetchNetworkTimeOverCurl(), message); },
                         .unixMilliseconds = NetworkUnixMillisecondsOverCurl,
                         .nextCheck = [&] { return DueText(settings->period.value_or(0)); }};
  const Text lines = SendTestMessages(alerts, settings->userName, DateTimeToText(FetchNetworkTimeOverCurl()), ports);
  Print(TerminalText(JoinTexts(lines, "\n")));

  // Each line is its channel's, in the order of the settings, the heartbeat last.
  std::vector<PushChannel> channels;
  for (const PushTarget& target : PushTargets(alerts))
    channels.push_back(target.channel);
  if (!alerts.heartbeat.empty()) channels.push_back(PushChannel::Heartbeat);
  const TextList results = SplitText(lines, "\r\n");
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (i >= results.size() || results[i] != PushTestResultText(channels[i], {.delivered = true, .reason = {}})) {
      return kExitFailedRun;
    }
  }
  return kExitOk;
}

}  // namespace korvan
