// The skin: SkinH_EL.dll beside the program, and attaching one of the program's skins through it.
#pragma once

#include <cstdint>

namespace korvan {

// Writes the library image to RunDirectory()\SkinH_EL.dll as a hidden file, unless a file of that
// name exists, which is never replaced. False when that file is not the image this program writes
// (another program's library of that name).
bool EnsureSkinLibrary();

// Hands skin skinNumber (1..33; no data outside) to SkinH_AttachRes. Beside another program's
// SkinH_EL.dll nothing is loaded and the program runs unskinned. When our library cannot be loaded
// or lacks the export, reports the run-time error and ends the process.
void SetSkin(std::int32_t skinNumber);

}  // namespace korvan
