// Ids of the RCDATA resources of korvan.exe (written by src/resources/skin/CMakeLists.txt).
#pragma once

namespace korvan {

inline constexpr int kSkinLibraryResource = 100;
// Skin n (1..33) is resource kSkinLibraryResource + n.
inline constexpr int kSkinCount = 33;
inline constexpr int SkinResource(int number) { return kSkinLibraryResource + number; }

}  // namespace korvan
