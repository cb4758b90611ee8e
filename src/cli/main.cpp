// korvan for Linux: the renewal of the Windows program without a window, one command per job, for
// a person at a terminal or a systemd timer.
#include <CLI/CLI.hpp>

#include <csignal>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "korvan/hosts.h"
#include "runtime/text/text.h"

namespace {

constexpr char kExitStatusHelp[] = R"(Exit status:
  0   a good run, a check, a tick with nothing due (or with a run under way), a test push delivered
  1   a failed run (登录失败, 未找到免费VPS, 续费结果未知, 到期时间未变化), a run stopped by a
      signal, a test push that failed
  2   密码不正确: the panel refused the password; retrying will not help
  64  the command line is wrong
  75  run, check: a run of the same state directory is under way
  78  korvan.ini cannot be read, holds none of its sections or sets no user name or password, the
      state directory cannot be written, test-push without any channel)";

}  // namespace

int main(int argc, char** argv) {
  // Standard output may be a journal that restarts or a pipe closed early: an entry that cannot be
  // shown must not end the run.
  std::signal(SIGPIPE, SIG_IGN);
  CLI::App app(
      "Korvan renews the free VPS of one account at the provider's web panel, with the settings of "
      "the Windows program's korvan.ini.",
      "korvan");
  // The hosts are the build's: which panel a package was made for is its one question.
  app.set_version_flag("--version", korvan::JoinTexts("korvan " KORVAN_VERSION " (panel ", korvan::hosts::kSite,
                                                      ", time page ", korvan::hosts::kTime, ")"));
  app.footer(kExitStatusHelp);
  app.require_subcommand(1, 1);
  // The options may stand before the command or after it.
  app.fallthrough();

  korvan::CommandPaths paths{"korvan.ini", {}};
  app.add_option("--config", paths.config, "the korvan.ini to read (default: korvan.ini in the current folder)");
  app.add_option("--state-dir", paths.stateDirectory,
                 "where korvan.log, korvan-status.ini, korvan-tick.ini and the lock are kept (default: the "
                 "config file's folder)");

  const auto* run = app.add_subcommand("run", "one renewal run now");
  const auto* check = app.add_subcommand("check", "log in, read the VPS list and the renewal page; never renew");
  const auto* tick =
      app.add_subcommand("tick",
                         "for a timer: a run when one is due (none yet, 监控时间 hours since the last, or a run of the "
                         "plan with deadline=1, which may be a check), else nothing");
  const auto* status =
      app.add_subcommand("status", "the run record and the next run, as the window's 运行状况 shows them");
  const auto* testPush = app.add_subcommand("test-push", "send \"Korvan：测试消息\" to every configured channel");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int shown = app.exit(error);
    return shown == 0 ? korvan::kExitOk : korvan::kExitUsage;
  }
  if (paths.stateDirectory.empty()) {
    const std::filesystem::path folder = std::filesystem::path(paths.config).parent_path();
    paths.stateDirectory = folder.empty() ? "." : folder.string();
  }

  if (*run) return korvan::RunCommand(paths, korvan::RenewalMode::Renew);
  if (*check) return korvan::RunCommand(paths, korvan::RenewalMode::CheckOnly);
  if (*tick) return korvan::TickCommand(paths);
  if (*status) return korvan::StatusCommand(paths);
  if (*testPush) return korvan::TestPushCommand(paths);
  return korvan::kExitUsage;
}
