// The state files' reading and writing that both platforms share, over each platform's
// ReadSmallFile and ReplaceFileAtomically (state_files.cpp in its folder).
#include "platform/state_files.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "config/advanced_settings.h"
#include "platform/standard_streams.h"
#include "runtime/text/encoding.h"

namespace korvan {
std::string ContentDigest(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

namespace {

// The sections of korvan.ini that the command line reads; 重启软件时间 is the window's alone.
constexpr std::string_view kKnownSections[] = {kLoginSection, kRenewHoursSection, kAdvancedSection};

}  // namespace

ConfigFile ReadConfigFile(const std::string& path) {
  ConfigFile config;
  std::string bytes;
  config.error = ReadSmallFile(path, bytes);
  if (!config.error.empty()) return config;
  if (bytes.size() > kLargestConfigFile) {
    config.error = JoinTexts(ShownPath(path), " is larger than 1 MiB: not a korvan.ini");
    return config;
  }
  if (bytes.empty()) {
    config.error = JoinTexts(ShownPath(path), " is empty");
    return config;
  }
  KnownIni read = ReadKnownIni(bytes, kKnownSections);
  if (read.binary) {
    config.error = JoinTexts(ShownPath(path), " holds binary data: not a korvan.ini");
  } else if (!read.known) {
    config.error = JoinTexts(ShownPath(path), " holds none of the sections [", AnsiToUtf8(kLoginSection), "], [",
                             AnsiToUtf8(kRenewHoursSection), "] and [", AnsiToUtf8(kAdvancedSection),
                             "], read as GBK or as UTF-8: not a korvan.ini, or saved in another encoding"
                             " (GBK, UTF-8 or UTF-16 are read)");
  } else {
    config.document = std::move(read.document);
    config.digest = ContentDigest(bytes);
    config.utf8WithoutMark = read.utf8WithoutMark;
  }
  return config;
}

StateIniFile::StateIniFile(std::string path) : path_(std::move(path)) {
  // A state file is ours and small; one that cannot be read starts empty, as on Windows.
  std::string bytes;
  if (!ReadSmallFile(path_, bytes).empty() || bytes.size() > kLargestConfigFile) return;
  const IniText text = IniTextFromFileBytes(bytes);
  if (!text.binary) document_ = IniDocument(text.text);
}

StateIniFile::~StateIniFile() { Commit(); }

bool StateIniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  document_.Write(section, key, value);
  changed_ = true;
  return true;
}

bool StateIniFile::Commit() {
  if (!changed_) return true;
  changed_ = false;
  const std::string error = ReplaceFileAtomically(path_, document_.Serialize());
  if (error.empty()) return true;
  WriteStandardError(JoinTexts("korvan: ", error, "\n"));
  return false;
}

}  // namespace korvan
