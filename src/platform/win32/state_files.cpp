// Paths are code page 936 texts, as everywhere in the Windows program; what goes wrong is told in
// UTF-8, the standard streams' text.
#include "platform/state_files.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "platform/win32/program_location.h"
#include "platform/win32/wide_text.h"
#include "runtime/text/encoding.h"

namespace korvan {
namespace {

std::string Failure(std::string_view what, const std::string& path, DWORD error) {
  return JoinTexts(what, " ", AnsiToUtf8(path), ": ", SystemMessage(error));
}

}  // namespace

struct StateLock::Held {
  explicit Held(HANDLE handle) : mutex(handle) {}
  ~Held() {
    if (owned) ::ReleaseMutex(mutex.Get());
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  UniqueHandle mutex;
  bool owned = false;
};

std::string JoinPath(std::string_view directory, std::string_view name) {
  if (directory.empty()) return std::string(name);
  const char last = directory.back();
  return last == '\\' || last == '/' ? JoinTexts(directory, name) : JoinTexts(directory, "\\", name);
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

namespace {

// '/' is never the second byte of a two-byte character, so it can be made a backslash.
SplitPath SplitFilePath(std::string path) {
  for (char& byte : path)
    if (byte == '/') byte = '\\';
  return SplitAtLastBackslash(path);
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const SplitPath split = SplitFilePath(path);
  if (!split.directory.empty()) return split.directory;
  return split.name.size() == path.size() ? "." : "\\";
}

std::string StemOf(const std::string& path) {
  const std::string name = SplitFilePath(path).name;
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string ShownPath(std::string_view path) { return AnsiToUtf8(path); }

std::string ReadSmallFile(const std::string& path, std::string& bytes) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return JoinTexts(AnsiToUtf8(path), " is not a file");
  const UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Failure("cannot read", path, ::GetLastError());
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return JoinTexts(AnsiToUtf8(path), " is not a file");
  char piece[16384];
  while (bytes.size() <= kLargestConfigFile) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), piece, sizeof piece, &got, nullptr))
      return Failure("cannot read", path, ::GetLastError());
    if (got == 0) break;
    bytes.append(piece, got);
  }
  return {};
}

std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".tmp";
  {
    const UniqueFileHandle file(
        ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failure("cannot write", temporary, ::GetLastError());
    std::string_view rest = bytes;
    while (!rest.empty()) {
      DWORD written = 0;
      const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 0x40000000));
      if (!::WriteFile(file.Get(), rest.data(), piece, &written, nullptr) || written == 0) break;
      rest.remove_prefix(written);
    }
    if (!rest.empty() || !::FlushFileBuffers(file.Get())) {
      const DWORD error = ::GetLastError();
      ::DeleteFileA(temporary.c_str());
      return Failure("cannot write", temporary, error);
    }
  }
  if (!::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileA(temporary.c_str());
    return Failure("cannot replace", path, error);
  }
  return {};
}

std::int64_t SystemHistoryFiles::FileSize(std::string_view path) { return korvan::FileSize(path); }

bool SystemHistoryFiles::AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) {
  return AppendFileBytes(path, bytes);
}

bool SystemHistoryFiles::MoveReplacing(std::string_view from, std::string_view to) {
  return MoveFileReplacing(from, to);
}

StateLock::StateLock(const std::string& directory, std::string_view fileName) {
  std::error_code made;
  std::filesystem::create_directories(std::filesystem::path(AnsiToWide(directory)), made);
  // One name for one file however it is spelt: the full path, in one letter case. Global, so that a
  // run in another logon session (the Task Scheduler's) is kept apart too.
  std::wstring path = AnsiToWide(JoinPath(directory, fileName));
  wchar_t full[MAX_PATH * 4];
  const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  if (length > 0 && length < std::size(full)) path.assign(full, length);
  // kernel32's own lower case: user32's would load the window system into a console program.
  std::wstring lower(path.size(), L'\0');
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, path.data(), static_cast<int>(path.size()), lower.data(),
                      static_cast<int>(lower.size()), nullptr, nullptr, 0) > 0)
    path = lower;
  const std::string digest =
      ContentDigest(std::string_view(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t)));
  const std::wstring name = L"Global\\Korvan-" + AnsiToWide(digest);
  held_ = std::make_unique<Held>(::CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!held_->mutex) {
    // Another user's run made it: what it keeps apart is under way.
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      state_ = State::Busy;
    } else {
      error_ = Failure("cannot lock", JoinPath(directory, fileName), error);
    }
    return;
  }
  // An abandoned mutex is a run that died: the lock is ours.
  const DWORD waited = ::WaitForSingleObject(held_->mutex.Get(), 0);
  held_->owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  state_ = held_->owned ? State::Taken : State::Busy;
}

StateLock::~StateLock() = default;

std::string DefaultConfigFile() { return FileBesideProgram(kConfigFileName); }
std::string_view DefaultConfigPlace() { return "korvan.ini beside the program"; }

// No user of Windows writes in another's state directory by running as root.
bool RootInStateOfAnotherUser(const std::string&) { return false; }

}  // namespace korvan
