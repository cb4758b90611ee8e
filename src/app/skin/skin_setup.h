// The skin: SkinH_EL.dll beside the program, and attaching one of the program's skins through it.
#pragma once

#include <cstdint>

namespace korvan {

// Writes the library image to RunDirectory()\SkinH_EL.dll as a hidden file, unless a file of that
// name exists (whatever it holds).
void EnsureSkinLibrary();

// Hands skin skinNumber (1..33; no data outside) to SkinH_AttachRes. When the library cannot be
// loaded or lacks the export, reports the run-time error and ends the process.
void SetSkin(std::int32_t skinNumber);

}  // namespace korvan
