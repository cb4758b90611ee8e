// The skin format of our skin library: ASCII text that begins with the line ".SHE", followed by
// "key RRGGBB" lines. Unknown lines are skipped so that later versions can add keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvan::skin {

// 0x00BBGGRR, the layout of a Win32 COLORREF.
using Colour = std::uint32_t;

struct SkinColours {
  Colour window = 0xF0F0F0;
  Colour control = 0xE0E0E0;
  Colour text = 0x000000;
  Colour button = 0xD4D0C8;
  Colour buttonLight = 0xFFFFFF;
  Colour buttonShadow = 0x808080;
  Colour buttonText = 0x000000;
  Colour edit = 0xFFFFFF;
  Colour editText = 0x000000;
};

// Empty when the bytes do not begin with ".SHE" or a colour line is malformed.
std::optional<SkinColours> ParseSkin(std::string_view bytes);

}  // namespace korvan::skin
