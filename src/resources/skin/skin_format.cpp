#include "resources/skin/skin_format.h"

namespace korvan::skin {
namespace {

constexpr std::string_view kMagic = ".SHE";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "RRGGBB" as a COLORREF.
std::optional<Colour> ParseColour(std::string_view hex) {
  if (hex.size() != 6) return std::nullopt;
  Colour rgb = 0;
  for (char c : hex) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<Colour>(digit);
  }
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

Colour* Slot(SkinColours& colours, std::string_view key) {
  struct Entry {
    std::string_view key;
    Colour SkinColours::*slot;
  };
  static constexpr Entry kEntries[] = {
      {"window", &SkinColours::window},
      {"control", &SkinColours::control},
      {"text", &SkinColours::text},
      {"button", &SkinColours::button},
      {"buttonlight", &SkinColours::buttonLight},
      {"buttonshadow", &SkinColours::buttonShadow},
      {"buttontext", &SkinColours::buttonText},
      {"edit", &SkinColours::edit},
      {"edittext", &SkinColours::editText},
  };
  for (const auto& entry : kEntries) {
    if (entry.key == key) return &(colours.*entry.slot);
  }
  return nullptr;
}

// string_view::substr with the bounds already checked by the caller: the skin library is built without
// the C++ runtime, which substr's out-of-range exception would need.
std::string_view Slice(std::string_view text, std::size_t from, std::size_t count) {
  return std::string_view(text.data() + from, count);
}

std::string_view TrimLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
    line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ')
    line.remove_prefix(1);
  return line;
}

}  // namespace

std::optional<SkinColours> ParseSkin(std::string_view bytes) {
  if (!bytes.starts_with(kMagic)) return std::nullopt;
  SkinColours colours;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = TrimLine(Slice(bytes, start, end - start));
    start = end + 1;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) continue;
    Colour* slot = Slot(colours, Slice(line, 0, space));
    if (slot == nullptr) continue;
    const auto colour = ParseColour(TrimLine(Slice(line, space + 1, line.size() - space - 1)));
    if (!colour) return std::nullopt;
    *slot = *colour;
  }
  return colours;
}

}  // namespace korvan::skin
