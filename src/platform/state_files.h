// What a command-line run asks of the file system, the same on every platform: korvan.ini read whole
// once, the state directory's INI files replaced whole, korvan.log appended, and the lock that keeps
// two runs of one account apart. state_files.cpp beside this file holds what both platforms share;
// platform/posix and platform/win32 give the rest in files of the same name.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "config/ini_document.h"
#include "log/log_history.h"

namespace korvan {

// Far beyond any korvan.ini; a larger file is something else given by mistake.
inline constexpr std::size_t kLargestConfigFile = 1024 * 1024;

std::string JoinPath(std::string_view directory, std::string_view name);
// The path as a full one, normalised; the path as given when it cannot be made one.
std::string FullPath(const std::string& path);
// The folder a path names its file in ("." for a bare name), and the file's name without its last
// extension. On Windows a code page 936 path is split at its real backslashes: the standard library
// would read its bytes as another encoding.
std::string FolderOf(const std::string& path);
std::string StemOf(const std::string& path);
// A path as a message on the standard streams shows it, UTF-8: Windows paths are code page 936.
std::string ShownPath(std::string_view path);

// A regular file of at most kLargestConfigFile bytes (one byte more tells a larger one), read whole
// into `bytes`; empty, or what went wrong (the path, then the reason).
std::string ReadSmallFile(const std::string& path, std::string& bytes);

// korvan.ini as the Windows program reads it, or as UTF-8 when only that finds its sections (see
// ReadKnownIni); `error` says why it cannot be used (the path, then the reason), for a file without
// any of the sections too.
struct ConfigFile {
  IniDocument document;
  std::string error;
  std::string digest;            // of the file's bytes: tells a changed file from the same one, whatever its time stamp
  bool utf8WithoutMark = false;  // read as UTF-8 without a byte order mark, which the window program cannot
};
ConfigFile ReadConfigFile(const std::string& path);

// The settings of korvan.ini for ReadRunSnapshot. The command never writes korvan.ini: it is the
// user's, often read-only, and the Windows program writes it only from its settings boxes.
class ConfigDocumentStore final : public IniStore {
 public:
  explicit ConfigDocumentStore(const IniDocument& document) : document_(document) {}
  Text Read(std::string_view section, std::string_view key) override { return document_.Read(section, key); }
  bool Write(std::string_view, std::string_view, std::string_view) override { return false; }

 private:
  const IniDocument& document_;
};

// Writes path + ".tmp", puts it on the disk and renames it over path, so that a reader, a kill or a
// power cut finds the old content or the new, never a part. Empty, or what went wrong.
std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// An INI file of the state directory (korvan-status.ini, korvan-tick.ini), read whole on opening; a
// missing or unreadable file reads as empty. The writes of one opening go to the disk together, by
// one atomic replacement at Commit or, at the latest, when it is closed; a failure is told on
// standard error, as the run goes on without it.
class StateIniFile final : public IniStore {
 public:
  explicit StateIniFile(std::string path);
  ~StateIniFile() override;
  StateIniFile(const StateIniFile&) = delete;
  StateIniFile& operator=(const StateIniFile&) = delete;

  Text Read(std::string_view section, std::string_view key) override { return document_.Read(section, key); }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override;
  bool Commit();

 private:
  std::string path_;
  IniDocument document_;
  bool changed_ = false;
};

// korvan.log's file operations on the platform's file system.
class SystemHistoryFiles final : public HistoryFiles {
 public:
  std::int64_t FileSize(std::string_view path) override;
  bool AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) override;
  bool MoveReplacing(std::string_view from, std::string_view to) override;
};

// The lock that keeps two runs of one state directory and NAME apart, taken without waiting and held
// while the object lives; the system lets go of it however the process ends. The directory is made
// when it is missing. On Linux it is the lock file NAME.lock; on Windows a system-wide named mutex
// of the full path, which the window program takes too and which leaves no file behind. Held by
// the thread that took it.
class StateLock {
 public:
  enum class State { Taken, Busy, Failed };
  StateLock(const std::string& directory, std::string_view fileName);
  ~StateLock();
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;

  State state() const { return state_; }
  const std::string& error() const { return error_; }

 private:
  struct Held;  // the platform's open lock file
  std::unique_ptr<Held> held_;
  State state_ = State::Failed;
  std::string error_;
};

// korvan.ini without --config, and how --help names the place: the current folder's on Linux, the
// one beside the program on Windows, which is the window program's own.
std::string DefaultConfigFile();
std::string_view DefaultConfigPlace();

// FNV-1a, 64 bits, in hex: enough to tell an edited korvan.ini or another path, stable across builds.
std::string ContentDigest(std::string_view bytes);

// True when root runs an account by hand in a state directory of another user (the service's): the
// files it left there could not be written by the service. Never where the platform has no such user.
bool RootInStateOfAnotherUser(const std::string& stateDirectory);

}  // namespace korvan
