#include "platform/win32/program_location.h"

#include <windows.h>

#include <string>

namespace korvan {
namespace {

// Long paths may exceed MAX_PATH; the buffer grows until the whole path fits.
Text ExecutablePath() {
  std::string buffer(MAX_PATH, '\0');
  while (buffer.size() <= 32768) {
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return buffer.substr(0, length);
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

const SplitPath& ProgramLocation() {
  static const SplitPath location = SplitAtLastBackslash(ExecutablePath());
  return location;
}

}  // namespace

SplitPath SplitAtLastBackslash(std::string_view path) {
  std::size_t lastSeparator = std::string_view::npos;
  for (std::size_t offset = 0; offset < path.size();) {
    if (path[offset] == '\\') lastSeparator = offset;
    const std::size_t step = CharacterLength(path, offset);
    if (step == 0) break;
    offset += step;
  }
  if (lastSeparator == std::string_view::npos) return {Text(), Text(path)};
  return {Text(path.substr(0, lastSeparator)), Text(path.substr(lastSeparator + 1))};
}

void FixRunDirectory() {
  const Text& directory = ProgramLocation().directory;
  // A drive root like "C:" needs its "\" back, or it would mean that drive's current directory.
  const Text target = (directory.size() == 2 && directory[1] == ':') ? directory + "\\" : directory;
  ::SetCurrentDirectoryA(target.c_str());
}

Text RunDirectory() { return ProgramLocation().directory; }

Text ExecutableName() { return ProgramLocation().name; }

Text FileBesideProgram(std::string_view name) { return JoinTexts(RunDirectory(), "\\", name); }

}  // namespace korvan
