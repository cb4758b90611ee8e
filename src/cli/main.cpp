// korvan (Linux) and korvan-cli.exe (Windows): the renewal of the window program without a window,
// one command per job, for a person at a terminal, a systemd timer or the Task Scheduler.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_status.h"
#ifdef _WIN32
#include "cli/schedule_commands.h"
#endif
#include "korvan/hosts.h"
#include "platform/standard_streams.h"
#include "platform/state_files.h"
#include "runtime/text/text.h"

namespace {

constexpr char kExitStatusHelp[] = R"(Exit status:
  0   a good run, a check, a tick with nothing due (or with a run under way), a test push delivered,
      a watch stopped between runs
  1   a failed run (登录失败, 未找到免费VPS, 续费结果未知, 到期时间未变化), a run stopped by a
      signal, a test push that failed
  2   密码不正确: the panel refused the password; retrying will not help
  64  the command line is wrong
  73  run, check, tick: korvan-tick.ini cannot be written (disk full, read-only, I/O error);
      nothing was sent
  75  run, check: a run of the same state directory is under way
  78  korvan.ini cannot be read, holds none of its sections or sets no user name or password, the
      state directory cannot be written, test-push without any channel)";

#if !KORVAN_WINDOW_PROGRAM_RULES
#define KORVAN_PLAN_RULE "the plan is on unless deadline=0"
#else
#define KORVAN_PLAN_RULE "the plan is off unless deadline=1, as in the window program"
#endif

constexpr char kJsonHelp[] =
    "as one line of JSON: lastRun, lastResult, lastRenewed, expiry, failures, lastExitStatus, nextRun {time, kind: "
    "periodic, renew, retry or check}, nextRenewalRun, deadline, plan {windowOpens, nextRun, nextRunKind, attempts, "
    "waitingForUser}, clockOffsetSeconds, recordFile; "
    "times in ISO 8601 at +08:00, null when none";

// The first word that is neither an option nor an option's value, when it names no command.
std::string UnknownCommand(const CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--config" || word == "--state-dir") {
      ++i;
      continue;
    }
    if (word.empty() || word[0] == '-') continue;
    for (const CLI::App* command : app.get_subcommands({}))
      if (command->get_name() == word) return {};
    return word;
  }
  return {};
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string NearestCommand(const CLI::App& app, const std::string& word) {
  std::string nearest;
  std::size_t best = std::string::npos;
  for (const CLI::App* command : app.get_subcommands({})) {
    const std::size_t distance = EditDistance(word, command->get_name());
    if (distance < best) {
      best = distance;
      nearest = command->get_name();
    }
  }
  return nearest;
}

}  // namespace

int main(int argc, char** argv) {
  // Standard output may be a journal that restarts or a pipe closed early: an entry that cannot be
  // shown must not end the run.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
  CLI::App app(
      "Korvan renews the free VPS of one account at the provider's web panel, with the settings of "
      "the Windows program's korvan.ini.",
      KORVAN_PROGRAM);
  // The hosts are the build's: which panel a package was made for is its one question.
  app.set_version_flag("--version", korvan::JoinTexts(KORVAN_PROGRAM " " KORVAN_VERSION " (panel ",
                                                      korvan::hosts::kSite, ", time page ", korvan::hosts::kTime, ")"));
  app.footer(kExitStatusHelp);
  app.require_subcommand(1, 1);
  // The options may stand before the command or after it.
  app.fallthrough();

  korvan::CommandLine paths{korvan::DefaultConfigFile(), {}};
  app.add_option("--config", paths.config,
                 korvan::JoinTexts("the korvan.ini to read (default: ", korvan::DefaultConfigPlace(), ")"));
  app.add_option("--state-dir", paths.stateDirectory,
                 "where NAME.log, NAME-status.ini, NAME-tick.ini and NAME.lock are kept, NAME being the config "
                 "file's name (default: /var/lib/korvan/NAME for a config in /etc/korvan, else the config file's "
                 "folder)");
#ifdef _WIN32
  app.add_flag("--scheduled", paths.scheduled,
               "run, check, tick, watch: started by the Task Scheduler: write korvan.log whatever history says");
  app.add_flag("--logged-off", paths.loggedOff,
               "schedule: run whether you are logged on or not, without a stored password (needs an administrator)");
#endif
  app.add_flag("-q,--quiet", paths.quiet,
               "run, check, tick, watch: print a run's entries only when it fails (for cron)");

  const auto* run = app.add_subcommand("run", "one renewal run now");
  const auto* check = app.add_subcommand("check", "log in, read the VPS list and the renewal page; never renew");
  const auto* tick = app.add_subcommand(
      "tick",
      "for a timer: a run when one is due (none yet, 监控时间 hours since the last one started, or a "
      "run of the plan, which may be a check; " KORVAN_PLAN_RULE "), else nothing");
  const auto* watch = app.add_subcommand(
      "watch", "tick every 5 minutes until stopped (Ctrl-C or SIGTERM), for a machine without a timer");
  auto* status = app.add_subcommand("status",
                                    "the run record and the next run, as the window's 运行状况 shows them; exits 1 "
                                    "when the last run failed, 2 when the password was refused");
  status->add_flag("--json", paths.json, kJsonHelp);
  const auto* testPush = app.add_subcommand("test-push", "send \"Korvan：测试消息\" to every configured channel");
#ifdef _WIN32
  const auto* schedule = app.add_subcommand(
      "schedule", "register a Task Scheduler task for this korvan.ini: a tick every 5 minutes (again: replaced)");
  const auto* unschedule = app.add_subcommand("unschedule", "remove this korvan.ini's Task Scheduler task");
#endif
  const auto* help = app.add_subcommand("help", "this text");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);
    const std::string unknown = UnknownCommand(app, argc, argv);
    if (!unknown.empty()) {
      korvan::WriteStandardError(korvan::JoinTexts("korvan: unknown command '", unknown, "'; did you mean '",
                                                   NearestCommand(app, unknown), "'? (korvan --help lists them)\n"));
    } else {
      korvan::WriteStandardError(korvan::JoinTexts("korvan: ", error.what(), " (korvan --help explains)\n"));
    }
    return korvan::kExitUsage;
  }
  if (*help) {
    // app.help() would give the help command's own help, as it was the one chosen.
    korvan::WriteStandardOutput(app.get_formatter()->make_help(&app, KORVAN_PROGRAM, CLI::AppFormatMode::Normal));
    return korvan::kExitOk;
  }
  korvan::ChooseStatePaths(paths);

  if (*run) return korvan::RunCommand(paths, korvan::RenewalMode::Renew);
  if (*check) return korvan::RunCommand(paths, korvan::RenewalMode::CheckOnly);
  if (*tick) return korvan::TickCommand(paths);
  if (*watch) return korvan::WatchCommand(paths);
  if (*status) return korvan::StatusCommand(paths);
  if (*testPush) return korvan::TestPushCommand(paths);
#ifdef _WIN32
  if (*schedule) return korvan::ScheduleCommand(paths, paths.loggedOff);
  if (*unschedule) return korvan::UnscheduleCommand(paths);
#endif
  return korvan::kExitUsage;
}
