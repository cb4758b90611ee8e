// FindText steps by characters so that it never matches on a trail byte; on a 1 MiB page it must
// still keep pace with a plain byte search (string_view::find over the same bytes).
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "bench_pages.h"
#include "runtime/text/text.h"

namespace korvan::bench {
namespace {

// A Chinese marker whose first word (续费) is all over the page, and an ASCII one whose first
// byte ("<") starts every tag.
constexpr std::string_view kChineseMarker = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6";  // 续费成功
constexpr std::string_view kAsciiMarker = "<input type=\"hidden\" name=\"vpsid\"";

std::string PageEndingIn(std::string_view marker) {
  return CodePage936Page(kPageBytes, std::string(marker) + "</td></tr></table></body></html>\r\n");
}

using PageBuilder = std::string (*)(std::string_view marker);

void FindTextOnPage(benchmark::State& state, std::string_view marker, bool ignoreCase, PageBuilder build) {
  const std::string page = build(marker);
  const auto expected = static_cast<int>(std::string_view(page).find(marker)) + 1;
  int found = 0;
  for (auto _ : state) {
    found = FindText(page, marker, std::nullopt, ignoreCase);
    benchmark::DoNotOptimize(found);
  }
  if (found != expected) state.SkipWithError("FindText disagrees with string_view::find");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(found));
}

std::string DenseTextEndingIn(std::string_view marker) { return DenseCodePage936Text(kPageBytes, marker); }

void StringViewFindOnPage(benchmark::State& state, std::string_view marker, PageBuilder build) {
  const std::string page = build(marker);
  std::size_t found = 0;
  for (auto _ : state) {
    found = std::string_view(page).find(marker);
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(found + 1));
}

BENCHMARK_CAPTURE(FindTextOnPage, chinese_marker, kChineseMarker, false, PageEndingIn);
BENCHMARK_CAPTURE(StringViewFindOnPage, chinese_marker, kChineseMarker, PageEndingIn);
BENCHMARK_CAPTURE(FindTextOnPage, ascii_marker, kAsciiMarker, false, PageEndingIn);
BENCHMARK_CAPTURE(StringViewFindOnPage, ascii_marker, kAsciiMarker, PageEndingIn);
BENCHMARK_CAPTURE(FindTextOnPage, ascii_marker_ignore_case, kAsciiMarker, true, PageEndingIn);
BENCHMARK_CAPTURE(FindTextOnPage, dense_chinese, kChineseMarker, false, DenseTextEndingIn);
BENCHMARK_CAPTURE(StringViewFindOnPage, dense_chinese, kChineseMarker, DenseTextEndingIn);

}  // namespace
}  // namespace korvan::bench
