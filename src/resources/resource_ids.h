// Ids of korvan.exe's resources: the icon (src/resources/CMakeLists.txt) and the RCDATA of the skin
// library and skins (src/resources/skin/CMakeLists.txt).
#pragma once

namespace korvan {

// The program's icon group (16, 32 and 48 pixels), drawn by src/resources/make_icon.py.
inline constexpr int kProgramIcon = 1;

inline constexpr int kSkinLibraryResource = 100;
// Skin n (1..33) is resource kSkinLibraryResource + n.
inline constexpr int kSkinCount = 33;
inline constexpr int SkinResource(int number) { return kSkinLibraryResource + number; }

}  // namespace korvan
