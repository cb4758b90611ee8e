#include "config/ini_document.h"

#include <algorithm>
#include <utility>

#include "runtime/text/encoding.h"

namespace korvan {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

// The profile functions' blanks: white space and Ctrl-Z, the end-of-file mark of old editors.
bool IsIniBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }

std::string_view TrimStart(std::string_view text) {
  while (!text.empty() && IsIniBlank(text.front()))
    text.remove_prefix(1);
  return text;
}

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && IsIniBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) { return TrimEnd(TrimStart(text)); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters fold; the bytes of a double-byte character never do, though a trail byte may look
// like a letter.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t length = std::max<std::size_t>(CharacterLength(a, i), 1);
    if (length == 1 ? LowerAscii(a[i]) != LowerAscii(b[i]) : a.substr(i, length) != b.substr(i, length)) return false;
    i += length;
  }
  return true;
}

Text CutToLongestValue(std::string_view value) {
  std::size_t end = 0;
  while (end < value.size()) {
    const std::size_t length = std::max<std::size_t>(CharacterLength(value, end), 1);
    if (end + length > kLongestIniValue) break;
    end += length;
  }
  return Text(value.substr(0, end));
}

// The first section of that name, in a const document or not.
template <typename Sections>
auto FindSectionIn(Sections& sections, std::string_view name) {
  return std::find_if(sections.begin(), sections.end(), [&](const auto& s) { return SameName(s.name, name); });
}

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  sections_.push_back({});
  std::size_t position = 0;
  // A file that uses LF anywhere is cut at LF only; the rest of one without LF at CR.
  while (position < text.size()) {
    std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.find('\r', position);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(position, end - position));
    position = end + 1;
    if (line.empty()) continue;
    const std::size_t closing = line.rfind(']');
    if (line.front() == '[' && closing != std::string_view::npos) {
      sections_.push_back({Text(line.substr(1, closing - 1)), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      sections_.back().entries.push_back({Text(line), std::nullopt});
    } else {
      sections_.back().entries.push_back(
          {Text(TrimEnd(line.substr(0, equals))), Text(TrimStart(line.substr(equals + 1)))});
    }
  }
}

Text IniDocument::Read(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return {};
  const auto found = FindSectionIn(sections_, section);
  if (found == sections_.end()) return {};
  for (const Entry& entry : found->entries) {
    if (SameName(entry.name, key)) return CutToLongestValue(WithoutQuotes(entry.value.value_or(Text())));
  }
  return {};
}

bool IniDocument::HasSection(std::string_view section) const {
  section = Trim(section);
  return !section.empty() && FindSectionIn(sections_, section) != sections_.end();
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  value = TrimStart(value);
  if (section.empty() || key.empty()) return;
  auto found = FindSectionIn(sections_, section);
  if (found == sections_.end()) found = sections_.insert(sections_.end(), Section{Text(section), {}});
  for (Entry& entry : found->entries) {
    if (SameName(entry.name, key)) {
      entry.value = Text(value);
      return;
    }
  }
  found->entries.push_back({Text(key), Text(value)});
}

Text IniDocument::Serialize() const {
  Text text;
  for (const Section& section : sections_) {
    if (!section.name.empty()) text += JoinTexts("[", section.name, "]", kLineBreak);
    for (const Entry& entry : section.entries) {
      text += entry.name;
      if (entry.value) text += JoinTexts("=", *entry.value);
      text += kLineBreak;
    }
  }
  return text;
}

IniText IniTextFromFileBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LittleEndianMark) || bytes.starts_with(kUtf16BigEndianMark)) {
    const bool bigEndian = bytes.starts_with(kUtf16BigEndianMark);
    ByteSet wide(bytes.begin() + 2, bytes.begin() + 2 + (bytes.size() - 2) / 2 * 2);
    if (bigEndian) {
      for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
        std::swap(wide[i], wide[i + 1]);
    }
    wide.insert(wide.end(), {0, 0});
    return {WideToText(wide, kCodePage936)};
  }
  if (bytes.find('\0') != std::string_view::npos) return {{}, true};
  if (bytes.starts_with(kUtf8Mark)) return {Utf8ToAnsi(bytes.substr(kUtf8Mark.size()))};
  return {Text(bytes)};
}

KnownIni ReadKnownIni(std::string_view bytes, std::span<const std::string_view> knownSections) {
  const IniText text = IniTextFromFileBytes(bytes);
  if (text.binary) return {.document = {}, .binary = true, .known = false};
  const auto holdsKnown = [&](const IniDocument& document) {
    return std::any_of(knownSections.begin(), knownSections.end(),
                       [&](std::string_view section) { return document.HasSection(section); });
  };
  IniDocument document(text.text);
  if (holdsKnown(document)) return {.document = std::move(document), .binary = false, .known = true};
  const bool marked = bytes.starts_with(kUtf8Mark) || bytes.starts_with(kUtf16LittleEndianMark) ||
                      bytes.starts_with(kUtf16BigEndianMark);
  if (!marked) {
    IniDocument utf8(Utf8ToAnsi(bytes));
    if (holdsKnown(utf8)) return {.document = std::move(utf8), .binary = false, .known = true, .utf8WithoutMark = true};
  }
  return {.document = std::move(document), .binary = false, .known = false};
}

}  // namespace korvan
