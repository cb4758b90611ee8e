#include "app/skin/program_resources.h"

#include <windows.h>

#include "resources/resource_ids.h"

namespace korvan {
namespace {

// Resources of a loaded module stay mapped for its lifetime; nothing to free.
std::span<const std::uint8_t> RawResource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
  if (!info) return {};
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (!bytes) return {};
  return {bytes, SizeofResource(module, info)};
}

}  // namespace

std::span<const std::uint8_t> SkinLibraryImage() { return RawResource(kSkinLibraryResource); }

std::span<const std::uint8_t> SkinBytes(std::int32_t skinNumber) {
  if (skinNumber < 1 || skinNumber > kSkinCount) return {};
  return RawResource(SkinResource(skinNumber));
}

}  // namespace korvan
