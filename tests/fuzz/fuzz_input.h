// What every fuzz target shares: reading arguments out of the fuzzer's bytes and stopping loudly
// when a promised relation does not hold.
//
// Input layout, so seeds can be written by hand: the target first reads its small integers and
// flags, one byte each, then its texts, separated by the byte 0x1F. A byte 0x00..0xEF reads as the
// integer (byte - 0x40), so "@" is 0, "A" is 1 and "?" is -1; 0xF0..0xFE pick values at the edges
// of the int range; 0xFF means "argument omitted" where a target has optional integers.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text/text.h"

#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

namespace korvan::fuzz {

inline constexpr char kPieceSeparator = '\x1F';

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(reinterpret_cast<const char*>(data), size) {}

  std::optional<int> OptionalInteger() {
    if (offset_ >= bytes_.size()) return 0;
    const auto byte = static_cast<unsigned char>(bytes_[offset_++]);
    if (byte == 0xFF) return std::nullopt;
    if (byte < 0xF0) return static_cast<int>(byte) - 0x40;
    static constexpr int kEdges[] = {INT_MIN,     INT_MIN + 1, -1000000, -65536, -4096, -257, -256,   INT_MAX,
                                     INT_MAX - 1, 1000000,     65536,    4096,   257,   256,  1 << 30};
    return kEdges[byte - 0xF0];
  }

  int Integer() { return OptionalInteger().value_or(INT_MAX); }

  // sizeof(T) raw bytes as a T; missing bytes read as zero.
  template <typename T>
  T Raw() {
    unsigned char bytes[sizeof(T)] = {};
    const std::size_t taken = std::min(sizeof(T), bytes_.size() - offset_);
    std::memcpy(bytes, bytes_.data() + offset_, taken);
    offset_ += taken;
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
  }

  bool Flag() { return offset_ < bytes_.size() && (static_cast<unsigned char>(bytes_[offset_++]) & 1) != 0; }

  // The next text up to the separator. Zero bytes are dropped: a Text ends at its first zero.
  Text Piece() {
    Text piece;
    while (offset_ < bytes_.size() && bytes_[offset_] != kPieceSeparator) {
      if (bytes_[offset_] != '\0') piece.push_back(bytes_[offset_]);
      ++offset_;
    }
    if (offset_ < bytes_.size()) ++offset_;
    return piece;
  }

  // Everything not read yet, zero bytes included.
  std::string_view Rest() const { return bytes_.substr(offset_); }

 private:
  std::string_view bytes_;
  std::size_t offset_ = 0;
};

// The offsets where characters begin when the text is read by characters from `from`, as every
// stepping operation reads it; the text's end is not included.
inline std::vector<std::size_t> CharacterStarts(std::string_view text, std::size_t from) {
  std::vector<std::size_t> starts;
  for (std::size_t offset = from; offset < text.size();) {
    starts.push_back(offset);
    const std::size_t step = CharacterLength(text, offset);
    if (step == 0) break;
    offset += step;
  }
  return starts;
}

// Rewrites the bytes into well-formed code page 936: every lead byte 81..FE is followed by a trail
// byte 40..FE other than 7F, other high bytes become "?". In such a text the bytes below 0x40
// (space, ";", "=", ":", "%", CR, LF) can only be characters of their own, never trail bytes, so
// byte-level checks on them are sound.
inline Text WellFormed(std::string_view text) {
  Text result;
  for (std::size_t offset = 0; offset < text.size(); ++offset) {
    const auto byte = static_cast<unsigned char>(text[offset]);
    if (byte < 0x80) {
      result.push_back(text[offset]);
      continue;
    }
    const bool lead = byte >= 0x81 && byte <= 0xFE;
    const auto trail = offset + 1 < text.size() ? static_cast<unsigned char>(text[offset + 1]) : 0;
    if (lead && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
      result.push_back(text[offset]);
      result.push_back(text[++offset]);
    } else {
      result.push_back('?');
    }
  }
  return result;
}

inline Text JoinPieces(const TextList& pieces, std::string_view separator) {
  Text joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined.append(separator);
    joined.append(pieces[i]);
  }
  return joined;
}

}  // namespace korvan::fuzz
