// MergeCookies on arbitrary cookie texts. Any bytes must merge without a fault; on well-formed code
// page 936 texts (where ";", "=" and the space can only stand for themselves) the merged text must
// also keep its promises: blank-free entries, no "=deleted" entry, no repeated entry, the newer
// entries first and in order, and a merged text that merges into itself unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "http/cookies.h"
#include "runtime/text/text.h"

namespace korvan::fuzz {
namespace {

bool EndsInDeleted(std::string_view entry) {
  constexpr std::string_view kDeleted = "=deleted";
  return entry.size() >= kDeleted.size() && entry.substr(entry.size() - kDeleted.size()) == kDeleted;
}

// Entries of a text written with "; " between them; in a well-formed text no entry holds ";".
TextList MergedEntries(std::string_view merged) {
  TextList entries;
  if (merged.empty()) return entries;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = merged.find("; ", begin);
    entries.emplace_back(merged.substr(begin, end == std::string_view::npos ? end : end - begin));
    if (end == std::string_view::npos) break;
    begin = end + 2;
  }
  return entries;
}

bool Contains(const TextList& list, std::string_view entry) {
  return std::find(list.begin(), list.end(), entry) != list.end();
}

void CheckWellFormedMerge(const Text& older, const Text& newer, const Text& merged) {
  const Text olderBare = RemoveBlanks(older);
  const Text newerBare = RemoveBlanks(newer);
  const TextList oldEntries = SplitText(olderBare, ";");
  const TextList newEntries = SplitText(newerBare, ";");
  const TextList entries = MergedEntries(merged);

  TextList seen;
  for (const Text& entry : entries) {
    FUZZ_CHECK(entry.find(' ') == Text::npos);
    FUZZ_CHECK(entry.find(';') == Text::npos);
    FUZZ_CHECK(RemoveBlanks(entry) == entry);
    FUZZ_CHECK(!EndsInDeleted(entry));
    FUZZ_CHECK(!Contains(seen, entry));
    FUZZ_CHECK(Contains(newEntries, entry) || Contains(oldEntries, entry));
    seen.push_back(entry);
  }

  // The newer entries (deletions dropped, repeats folded into their first copy) come first and in
  // their order. Empty entries are left out of this comparison: a final empty one is lost when the
  // trailing separator is cut.
  TextList expectedHead;
  for (const Text& entry : newEntries) {
    if (!entry.empty() && !EndsInDeleted(entry) && !Contains(expectedHead, entry)) expectedHead.push_back(entry);
  }
  TextList nonEmpty;
  for (const Text& entry : entries) {
    if (!entry.empty()) nonEmpty.push_back(entry);
  }
  FUZZ_CHECK(nonEmpty.size() >= expectedHead.size());
  FUZZ_CHECK(std::equal(expectedHead.begin(), expectedHead.end(), nonEmpty.begin()));

  // An older entry carries over exactly when neither the newer text nor an earlier older entry has
  // its name; every other older entry is gone unless an entry that stays has its very bytes.
  TextList newNames;
  for (const Text& entry : newEntries)
    newNames.push_back(CookieName(entry));
  TextList carriedNames;
  TextList carried;
  for (const Text& entry : oldEntries) {
    const Text name = CookieName(entry);
    const bool kept = !Contains(newNames, name) && !Contains(carriedNames, name);
    if (kept) {
      carriedNames.push_back(name);
      carried.push_back(entry);
      if (!entry.empty() && !EndsInDeleted(entry)) FUZZ_CHECK(Contains(entries, entry));
    } else if (!Contains(newEntries, entry) && !Contains(carried, entry)) {
      FUZZ_CHECK(!Contains(entries, entry));
    }
  }

  // A merged text merges into itself, or into nothing, unchanged, except that a dangling "; "
  // left by an empty entry at the end goes: the next split does not produce that entry.
  Text settled = merged;
  while (settled.size() >= 2 && settled.substr(settled.size() - 2) == "; ")
    settled.resize(settled.size() - 2);
  Text again = merged;
  Text sameAgain = merged;
  FUZZ_CHECK(MergeCookies(again, sameAgain) == settled);
  Text empty;
  Text asNewer = merged;
  FUZZ_CHECK(MergeCookies(empty, asNewer) == settled);
  Text settledAgain = settled;
  Text settledNewer = settled;
  FUZZ_CHECK(MergeCookies(settledAgain, settledNewer) == settled);
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const bool raw = input.Flag();
  korvan::Text older = input.Piece();
  korvan::Text newer = input.Piece();
  if (!raw) {
    older = WellFormed(older);
    newer = WellFormed(newer);
  }
  const korvan::Text olderBefore = older;
  const korvan::Text newerBefore = newer;

  const korvan::Text merged = korvan::MergeCookies(older, newer);
  FUZZ_CHECK(merged == older);
  FUZZ_CHECK(newer == korvan::RemoveBlanks(newerBefore));

  const korvan::Text deduplicated = korvan::RemoveDuplicateEntries(merged, "; ");
  FUZZ_CHECK(korvan::RemoveDuplicateEntries(deduplicated, "; ") == deduplicated);

  if (!raw) CheckWellFormedMerge(olderBefore, newerBefore, merged);
  return 0;
}
