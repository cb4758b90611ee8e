// Where the program's executable lives. Taken once, at the first use; FixRunDirectory also makes that
// directory the current one so relative file names resolve beside the program.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Called once at start-up, before anything opens a file.
void FixRunDirectory();

// The directory of the executable, without a trailing "\".
Text RunDirectory();
// The executable's file name without its directory.
Text ExecutableName();
// The run directory, "\" and the name: where the program keeps every file of its own.
Text FileBesideProgram(std::string_view name);

struct SplitPath {
  Text directory;
  Text name;
};
// Splits at the last "\" that is a character of its own: in code page 936 the byte 0x5C may also be
// the second byte of a two-byte character, which is no separator.
SplitPath SplitAtLastBackslash(std::string_view path);

}  // namespace korvan
