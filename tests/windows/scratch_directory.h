// A fresh directory under the temporary folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <windows.h>

namespace korvan::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    path_ =
        std::string(temp) + "korvan-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter_++);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    // Read-only files must lose the flag before they can go.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The path of a name inside the directory, with Windows separators.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace korvan::testing
