// MergeCookies runs after every response; with the 3,000-byte texts the cookie store hands back it
// must stay far below the time of the exchange itself.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_pages.h"
#include "http/cookies.h"

namespace korvan::bench {
namespace {

void MergeCookiesOf3000Bytes(benchmark::State& state) {
  // Overlapping names, so newer values replace older ones and some entries repeat.
  const std::string older = CookieText(3000, 1, 150);
  const std::string newer = CookieText(3000, 2, 150);
  for (auto _ : state) {
    Text cookies = older;
    Text newCookies = newer;
    benchmark::DoNotOptimize(MergeCookies(cookies, newCookies));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(older.size() + newer.size()));
}

BENCHMARK(MergeCookiesOf3000Bytes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvan::bench
