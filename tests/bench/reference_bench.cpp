// The standard-library references that scripts/bench sets the runtime's figures against: the same
// inputs as merge_cookies_bench.cpp and url_decode_bench.cpp, done the plain way with std::string,
// std::string_view and std::unordered_map.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bench_pages.h"

namespace korvan::bench {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return text;
}

// Older entries first, a newer entry of the same name replaces the older value in place.
std::string StdMergeCookies(std::string_view older, std::string_view newer) {
  std::vector<std::pair<std::string_view, std::string_view>> entries;
  std::unordered_map<std::string_view, std::size_t> byName;
  for (std::string_view text : {older, newer}) {
    while (!text.empty()) {
      const std::size_t end = text.find(';');
      const std::string_view entry = Trimmed(text.substr(0, end));
      text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
      const std::size_t equals = entry.find('=');
      if (entry.empty() || equals == std::string_view::npos) continue;
      const std::string_view name = entry.substr(0, equals);
      if (auto found = byName.find(name); found != byName.end()) {
        entries[found->second].second = entry;
      } else {
        byName.emplace(name, entries.size());
        entries.emplace_back(name, entry);
      }
    }
  }
  std::string merged;
  for (const auto& [name, entry] : entries) {
    if (!merged.empty()) merged += "; ";
    merged += entry;
  }
  return merged;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string StdPercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

void StdMergeCookiesOf3000Bytes(benchmark::State& state) {
  const std::string older = CookieText(3000, 1, 150);
  const std::string newer = CookieText(3000, 2, 150);
  for (auto _ : state)
    benchmark::DoNotOptimize(StdMergeCookies(older, newer));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(older.size() + newer.size()));
}

void StdPercentDecodeAnswer(benchmark::State& state) {
  const std::string answer = PercentEscapedAnswer(kPageBytes);
  for (auto _ : state)
    benchmark::DoNotOptimize(StdPercentDecode(answer));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(answer.size()));
}

BENCHMARK(StdMergeCookiesOf3000Bytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(StdPercentDecodeAnswer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvan::bench
