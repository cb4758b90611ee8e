// Prints, as Markdown, how the plan renews against the plain N-hour schedule over many replayed
// windows (plan_replay.h). scripts/bench puts the table into docs/performance.md.
//
//   korvan_plan_simulation [--windows 10000] [--seed 1] [--hours 10]
//
// Below the tables, how often the first goal is missed over ten seeds from --seed on, without faults
// and with them: it is met or missed by single windows, so one seed alone says little.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plan_simulation/plan_replay.h"

int main(int argc, char** argv) {
  long windows = 10000;
  unsigned long long seed = 1;
  long hours = 10;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view option = argv[i];
    if (option == "--windows") {
      windows = std::strtol(argv[i + 1], nullptr, 10);
    } else if (option == "--seed") {
      seed = std::strtoull(argv[i + 1], nullptr, 10);
    } else if (option == "--hours") {
      hours = std::strtol(argv[i + 1], nullptr, 10);
    } else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (windows < 1 || windows > 1000000 || hours < 1 || hours > 1000) {
    std::fprintf(stderr, "--windows 1..1000000, --hours 1..1000\n");
    return 2;
  }
  using korvan::plan_replay::Replay;
  std::printf(
      "%s",
      korvan::plan_replay::MarkdownTable(Replay(static_cast<int>(windows), seed, static_cast<int>(hours))).c_str());
  constexpr int kSeeds = 10;
  using korvan::plan_replay::Cadence;
  using korvan::plan_replay::kCadences;
  long long answering = 0, missed = 0, missedWithHourSteps = 0;
  std::array<long long, kCadences> missedWithFaults{};
  for (int i = 0; i < kSeeds; ++i) {
    const auto figures = Replay(static_cast<int>(windows), seed + i, static_cast<int>(hours));
    answering += figures.answering;
    missed += figures.answering - figures.plan.answeringRenewed;
    missedWithHourSteps += figures.answering - figures.planHourSteps.answeringRenewed;
    for (int cadence = 0; cadence < kCadences; ++cadence)
      missedWithFaults[cadence] += figures.answering - figures.faults[cadence].answeringRenewed;
  }
  std::printf(
      "\nOver seeds %llu to %llu (%lld windows answering 10 minutes in a row): the plan missed %lld of them, "
      "the plan with retries going on to every 60 minutes %lld. With faults:",
      seed, seed + kSeeds - 1, answering, missed, missedWithHourSteps);
  for (int cadence = 0; cadence < kCadences; ++cadence) {
    std::printf("%s %s missed %lld", cadence == 0 ? "" : ";",
                std::string(CadenceName(static_cast<Cadence>(cadence))).c_str(), missedWithFaults[cadence]);
  }
  std::printf(".\n");
  return 0;
}
