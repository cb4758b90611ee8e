// The byte sets the program carries in its own file: the skin library image and the skins.
#pragma once

#include <cstdint>
#include <span>

namespace korvan {

// Views into the loaded executable image; empty when the resource is missing.
std::span<const std::uint8_t> SkinLibraryImage();
// Skin 1..33; empty for any other number.
std::span<const std::uint8_t> SkinBytes(std::int32_t skinNumber);

}  // namespace korvan
