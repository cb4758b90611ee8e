// Whether the program runs under Wine rather than on Windows, for the few places where the two
// platforms' objects must be treated differently.
#pragma once

namespace korvan {

// True when the process's ntdll is Wine's (it exports wine_get_version); asked once.
bool RunsUnderWine();

}  // namespace korvan
