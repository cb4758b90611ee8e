#include "platform/state_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace korvan {
namespace {

std::string Failure(std::string_view what, const std::string& path, int error) {
  return JoinTexts(what, " ", path, ": ", std::strerror(error));
}

// Closes a descriptor whatever way the function leaves.
class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return descriptor_; }
  // The close's own error counts: NFS reports a failed write only there.
  int Close() {
    const int result = ::close(descriptor_);
    descriptor_ = -1;
    return result;
  }

 private:
  int descriptor_;
};

bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

struct StateLock::Held {
  explicit Held(int descriptor) : file(descriptor) {}
  Descriptor file;
};

std::string JoinPath(std::string_view directory, std::string_view name) {
  if (directory.empty()) return std::string(name);
  return directory.back() == '/' ? JoinTexts(directory, name) : JoinTexts(directory, "/", name);
}

std::string FullPath(const std::string& path) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  return failed ? path : absolute.lexically_normal().string();
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

std::string StemOf(const std::string& path) { return std::filesystem::path(path).stem().string(); }

std::string ShownPath(std::string_view path) { return std::string(path); }

std::string ReadSmallFile(const std::string& path, std::string& bytes) {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return Failure("cannot read", path, errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return Failure("cannot read", path, errno);
  if (!S_ISREG(status.st_mode)) return JoinTexts(path, " is not a file");
  // Read in pieces: a buffer of the largest size would be a megabyte of memory touched by every tick.
  char piece[16384];
  while (bytes.size() <= kLargestConfigFile) {
    const ssize_t got = ::read(file.get(), piece, sizeof piece);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure("cannot read", path, errno);
    if (got == 0) break;
    bytes.append(piece, static_cast<std::size_t>(got));
  }
  return {};
}

std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".tmp";
  Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (file.get() < 0) return Failure("cannot write", temporary, errno);
  if (!WriteAll(file.get(), bytes) || ::fsync(file.get()) != 0 || file.Close() != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Failure("cannot write", temporary, error);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Failure("cannot replace", path, error);
  }
  // The rename itself is on the disk only once the directory is.
  const Descriptor directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return {};
}

std::int64_t SystemHistoryFiles::FileSize(std::string_view path) {
  struct stat status {};
  if (::stat(std::string(path).c_str(), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

bool SystemHistoryFiles::AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) {
  Descriptor file(::open(std::string(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (file.get() < 0) return false;
  const bool written =
      WriteAll(file.get(), std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return file.Close() == 0 && written;
}

bool SystemHistoryFiles::MoveReplacing(std::string_view from, std::string_view to) {
  return ::rename(std::string(from).c_str(), std::string(to).c_str()) == 0;
}

StateLock::StateLock(const std::string& directory, std::string_view fileName) {
  std::error_code made;
  std::filesystem::create_directories(directory, made);
  const std::string path = JoinPath(directory, fileName);
  held_ = std::make_unique<Held>(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (held_->file.get() < 0) {
    error_ = Failure("cannot create", path, errno);
    return;
  }
  if (::flock(held_->file.get(), LOCK_EX | LOCK_NB) == 0) {
    state_ = State::Taken;
    // A run whose end cannot be kept would be run again at every tick.
    if (::access(directory.c_str(), W_OK) != 0) {
      error_ = Failure("cannot write in", directory, errno);
      state_ = State::Failed;
    }
  } else if (errno == EWOULDBLOCK) {
    state_ = State::Busy;
  } else {
    error_ = Failure("cannot lock", path, errno);
  }
}

StateLock::~StateLock() = default;

std::string DefaultConfigFile() { return "korvan.ini"; }
std::string_view DefaultConfigPlace() { return "korvan.ini in the current folder"; }

bool RootInStateOfAnotherUser(const std::string& stateDirectory) {
  struct stat status {};
  return ::geteuid() == 0 && ::stat(stateDirectory.c_str(), &status) == 0 && status.st_uid != 0;
}

}  // namespace korvan
