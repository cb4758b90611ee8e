// korvan.ini as the Linux program reads it, from any bytes: no undefined behaviour and no value
// longer than the profile functions give; the same settings whether an editor saved the file in
// code page 936, in UTF-8 (with a byte order mark, or without one when only UTF-8 finds a known
// section) or in UTF-16; and a value written reads back the same, also once saved and read again.
// Input: a section, a key and a value, each ended by 0x1F, then the file's bytes.
#include <algorithm>
#include <vector>

#include "config/ini_document.h"
#include "config/advanced_settings.h"
#include "config/config_file.h"
#include "fuzz_input.h"
#include "runtime/text/encoding.h"

namespace korvan::fuzz {
namespace {

constexpr std::string_view kKnownSections[] = {kLoginSection, kRenewHoursSection, kAdvancedSection};

// What the program reads, and the input's own names.
std::vector<Text> Readings(const IniDocument& document, std::string_view section, std::string_view key) {
  const std::pair<std::string_view, std::string_view> probes[] = {
      {kLoginSection, "user"},      {kLoginSection, "pass"}, {kRenewHoursSection, "time"},
      {kAdvancedSection, "verify"}, {kAdvancedSection, key}, {section, key}};
  std::vector<Text> values;
  for (const auto& [s, k] : probes)
    values.push_back(document.Read(s, k));
  return values;
}

// A name or value as one line holds it.
bool OneLine(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; };
  return text.find_first_of("\r\n") == std::string_view::npos &&
         (text.empty() || (!blank(text[0]) && !blank(text.back())));
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan;
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const Text section = input.Piece(), key = input.Piece(), value = input.Piece();
  const std::string_view bytes = input.Rest();

  // Any bytes, zeros and byte order marks included.
  const KnownIni known = ReadKnownIni(bytes, kKnownSections);
  for (const Text& read : Readings(known.document, section, key))
    FUZZ_CHECK(read.size() <= kLongestIniValue);

  // The same text in each encoding an editor may save it in.
  Text text;
  for (const char c : bytes)
    if (c != '\0') text += c;
  const Text formed = WellFormed(text), utf8 = AnsiToUtf8(formed);
  if (Utf8ToAnsi(utf8) == formed) {
    const std::vector<Text> expected = Readings(IniDocument(formed), section, key);
    const ByteSet wide = TextToWide(utf8);  // ends in a zero unit
    const Text utf16 = "\xFF\xFE" + Text(wide.begin(), wide.end() - std::min<std::size_t>(wide.size(), 2));
    for (const Text& saved : {"\xEF\xBB\xBF" + utf8, utf16})
      FUZZ_CHECK(Readings(ReadKnownIni(saved, kKnownSections).document, section, key) == expected);
    const auto holdsKnown = [](const IniDocument& document) {
      return std::ranges::any_of(kKnownSections, [&](std::string_view name) { return document.HasSection(name); });
    };
    if (holdsKnown(IniDocument(formed)) && !holdsKnown(IniDocument(utf8))) {
      const KnownIni unmarked = ReadKnownIni(utf8, kKnownSections);
      FUZZ_CHECK(unmarked.known && Readings(unmarked.document, section, key) == expected);
    }
  }

  // A value written, saved and read again, as the state files are kept; a line that starts with "["
  // and holds "]" is a section's.
  if (section.empty() || key.empty() || key.find_first_of("=[") != Text::npos || !OneLine(section) || !OneLine(key) ||
      !OneLine(value))
    return 0;
  IniDocument document = known.document;
  document.Write(section, key, value);
  const Text read = document.Read(section, key);
  const bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
  if (!quoted && value.size() <= kLongestIniValue) FUZZ_CHECK(read == value);
  FUZZ_CHECK(IniDocument(document.Serialize()).Read(section, key) == read);
  return 0;
}
