#include "platform/win32/ini_file.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

namespace korvan {
namespace {

constexpr DWORD kIniValueBufferSize = 10240;

std::string_view SkipLeadingControlAndBlanks(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && static_cast<unsigned char>(text[start]) <= 0x20)
    ++start;
  return text.substr(start);
}

}  // namespace

Text ReadIniItem(std::string_view file,
                 std::string_view section,
                 std::string_view key,
                 std::optional<std::string_view> defaultValue) {
  const std::string fileName(SkipLeadingControlAndBlanks(file));
  const std::string sectionName(SkipLeadingControlAndBlanks(section));
  const std::string keyName(SkipLeadingControlAndBlanks(key));
  if (fileName.empty() || sectionName.empty() || keyName.empty()) return {};

  const std::string fallback(defaultValue.value_or(std::string_view{}));
  std::array<char, kIniValueBufferSize> buffer{};
  const DWORD length = ::GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(), fallback.c_str(), buffer.data(),
                                                  kIniValueBufferSize, fileName.c_str());
  return Text(buffer.data(), std::min<DWORD>(length, kIniValueBufferSize - 1));
}

bool WriteIniItem(std::string_view file,
                  std::string_view section,
                  std::optional<std::string_view> key,
                  std::optional<std::string_view> value) {
  const std::string fileName(file);
  const std::string sectionName(section);
  const std::optional<std::string> keyName = key ? std::optional<std::string>(*key) : std::nullopt;
  const std::optional<std::string> valueText = value ? std::optional<std::string>(*value) : std::nullopt;
  return ::WritePrivateProfileStringA(sectionName.c_str(), keyName ? keyName->c_str() : nullptr,
                                      keyName && valueText ? valueText->c_str() : nullptr, fileName.c_str()) != FALSE;
}

}  // namespace korvan
