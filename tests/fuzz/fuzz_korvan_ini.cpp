// korvan.ini as the Linux program reads it, from any bytes: no undefined behaviour and no value
// longer than the profile functions give; the same settings whether an editor saved the file in
// code page 936, in UTF-8 (with a byte order mark, or without one when only UTF-8 finds the known
// sections) or in UTF-16; and a value written into the file reads back the same after it was saved
// and read again, as the state files are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cli/ini_document.h"
#include "config/advanced_settings.h"
#include "config/config_file.h"
#include "fuzz_input.h"
#include "runtime/text/encoding.h"

namespace korvan::fuzz {
namespace {

constexpr std::string_view kKnownSections[] = {kLoginSection, kRenewHoursSection, kAdvancedSection};

bool IsIniBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }

// A name or value as one line holds it: no line breaks, no blanks at either end.
Text OneLine(std::string_view text, std::string_view alsoDropped = {}) {
  Text line;
  for (const char c : text) {
    if (c != '\r' && c != '\n' && alsoDropped.find(c) == std::string_view::npos) line += c;
  }
  while (!line.empty() && IsIniBlank(line.back()))
    line.pop_back();
  std::size_t start = 0;
  while (start < line.size() && IsIniBlank(line[start]))
    ++start;
  return line.substr(start);
}

// What the program and the probes ask for: each known section with the keys read from it, and
// the input's own names.
std::vector<std::pair<Text, Text>> Probes(const Text& section, const Text& key) {
  std::vector<std::pair<Text, Text>> probes = {
      {Text(kLoginSection), "user"},
      {Text(kLoginSection), "pass"},
      {Text(kRenewHoursSection), "time"},
      {Text(kAdvancedSection), "verify"},
      {Text(kAdvancedSection), "wecom"},
      {Text(kAdvancedSection), "notify"},
      {section, key},
      {Text(kAdvancedSection), key},
  };
  return probes;
}

void CheckSameReading(const IniDocument& expected, const IniDocument& read, const Text& section, const Text& key) {
  for (const auto& [s, k] : Probes(section, key))
    FUZZ_CHECK(read.Read(s, k) == expected.Read(s, k));
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan;
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const Text section = input.Piece();
  const Text key = input.Piece();
  const Text value = input.Piece();
  const std::string_view bytes = input.Rest();

  // Any bytes, zeros and byte order marks included.
  const KnownIni known = ReadKnownIni(bytes, kKnownSections);
  for (const auto& [s, k] : Probes(section, key))
    FUZZ_CHECK(known.document.Read(s, k).size() <= kLongestIniValue);

  // The same text in each encoding an editor may save it in.
  Text text;
  for (const char c : bytes)
    if (c != '\0') text += c;
  const Text formed = WellFormed(text);
  const IniDocument cp936(formed);
  const Text utf8 = AnsiToUtf8(formed);
  if (Utf8ToAnsi(utf8) == formed) {
    CheckSameReading(cp936, ReadKnownIni("\xEF\xBB\xBF" + utf8, kKnownSections).document, section, key);
    ByteSet wide = TextToWide(utf8);
    if (!wide.empty()) {
      wide.resize(wide.size() - 2);  // its closing zero unit
      const Text utf16 = "\xFF\xFE" + Text(wide.begin(), wide.end());
      CheckSameReading(cp936, ReadKnownIni(utf16, kKnownSections).document, section, key);
    }
    // Without a mark, UTF-8 is taken when the bytes as code page 936 hold no known section.
    const KnownIni unmarked = ReadKnownIni(utf8, kKnownSections);
    const IniDocument utf8AsCp936(utf8);
    bool foundAsCp936 = false;
    for (const std::string_view name : kKnownSections)
      foundAsCp936 = foundAsCp936 || utf8AsCp936.HasSection(name);
    bool holdsKnown = false;
    for (const std::string_view name : kKnownSections)
      holdsKnown = holdsKnown || cp936.HasSection(name);
    if (holdsKnown && !foundAsCp936) {
      FUZZ_CHECK(unmarked.known);
      CheckSameReading(cp936, unmarked.document, section, key);
    }
  }

  // A value written, saved and read again, as the state files are kept.
  const Text writtenSection = OneLine(section);
  // A line that starts with "[" and holds "]" is a section's.
  const Text writtenKey = OneLine(key, "=[");
  const Text writtenValue = OneLine(value);
  if (writtenSection.empty() || writtenKey.empty()) return 0;
  IniDocument document = known.document;
  document.Write(writtenSection, writtenKey, writtenValue);
  const Text read = document.Read(writtenSection, writtenKey);
  const bool quoted = writtenValue.size() >= 2 && (writtenValue.front() == '"' || writtenValue.front() == '\'') &&
                      writtenValue.back() == writtenValue.front();
  if (!quoted && writtenValue.size() <= kLongestIniValue) FUZZ_CHECK(read == writtenValue);
  FUZZ_CHECK(IniDocument(document.Serialize()).Read(writtenSection, writtenKey) == read);
  return 0;
}
