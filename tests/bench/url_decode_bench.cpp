// UrlDecodeText over a 1 MiB answer, with and without the UTF-8 to code page 936 conversion.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_pages.h"
#include "http/url_decode.h"

namespace korvan::bench {
namespace {

void UrlDecodeAnswer(benchmark::State& state, bool utf8) {
  const std::string answer = PercentEscapedAnswer(kPageBytes);
  for (auto _ : state)
    benchmark::DoNotOptimize(UrlDecodeText(answer, utf8));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(answer.size()));
}

BENCHMARK_CAPTURE(UrlDecodeAnswer, bytes_only, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UrlDecodeAnswer, utf8_to_936, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvan::bench
