#include "app/skin/skin_setup.h"

#include <windows.h>

#include <vector>

#include "app/skin/program_resources.h"
#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "platform/win32/message_box.h"
#include "platform/win32/program_location.h"

namespace korvan {
namespace {

constexpr char kSkinLibraryFile[] = "SkinH_EL.dll";
constexpr char kAttachFunction[] = "SkinH_AttachRes";

using AttachRes =
    int(__stdcall*)(const void* data, int size, const char* password, int hue, int saturation, int brightness);

[[noreturn]] void ReportMissingExport() {
  // 无法找到指定DLL库文件“%s”中的输出命令“%s”
  const Text message = JoinTexts(
      "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
      "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0",
      kSkinLibraryFile, "\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0", kAttachFunction,
      "\xA1\xB1");
  ShowMessage(message, MB_ICONERROR, "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!");  // 运行时出错!
  ExitProcess(1);
}

// Loaded from the run directory when first needed and kept for the process's life: the skin's
// window procedures live in it. The full path, so no other SkinH_EL.dll on the search path is taken.
AttachRes ResolveAttach(const Text& path) {
  static UniqueModule library;
  static AttachRes attach = nullptr;
  if (attach) return attach;
  // A bogus file must end in our report, not in a system dialog about a bad image.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  library.Reset(LoadLibraryA(path.c_str()));
  SetErrorMode(oldMode);
  if (!library) return nullptr;
  attach = reinterpret_cast<AttachRes>(reinterpret_cast<void*>(GetProcAddress(library.Get(), kAttachFunction)));
  return attach;
}

Text SkinLibraryPath() { return FileBesideProgram(kSkinLibraryFile); }

}  // namespace

bool EnsureSkinLibrary() {
  const Text path = SkinLibraryPath();
  // Another program's library of that name may crash on our skins: it is compared, never replaced.
  if (FileExists(path)) return FileHoldsBytes(path, SkinLibraryImage());
  // Failures are left to the attach step, which then cannot find the library.
  WriteFileBytes(path, SkinLibraryImage());
  ChangeFileAttributes(path, FILE_ATTRIBUTE_HIDDEN);
  return true;
}

void SetSkin(std::int32_t skinNumber) {
  if (!EnsureSkinLibrary()) return;
  const auto skin = SkinBytes(skinNumber);
  const std::vector<std::uint8_t> copy(skin.begin(), skin.end());
  const AttachRes attach = ResolveAttach(SkinLibraryPath());
  if (!attach) ReportMissingExport();
  attach(copy.empty() ? nullptr : copy.data(), static_cast<int>(copy.size()), "", 0, 0, 0);
}

}  // namespace korvan
