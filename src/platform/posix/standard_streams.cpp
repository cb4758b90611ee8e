#include "platform/standard_streams.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace korvan {
namespace {

void Write(std::FILE* stream, std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

void WriteStandardOutput(std::string_view utf8) { Write(stdout, utf8); }
void WriteStandardError(std::string_view utf8) { Write(stderr, utf8); }

bool StandardOutputIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  struct stat status {};
  if (!stream || ::fstat(STDOUT_FILENO, &status) != 0) return false;
  unsigned long long device = 0, inode = 0;
  if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2) return false;
  return device == static_cast<unsigned long long>(status.st_dev) &&
         inode == static_cast<unsigned long long>(status.st_ino);
}

}  // namespace korvan
