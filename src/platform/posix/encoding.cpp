// Natively the conversions follow what Windows' MultiByteToWideChar / WideCharToMultiByte do with
// flags 0, so the portable tests see the same texts as the program: UTF-8 is decoded by hand, cutting
// ill-formed input into U+FFFD the way the platform does, and the other code pages go through glibc's
// iconv with the platform's substitutes.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "platform/posix/cp936_windows_tables.h"
#include "runtime/text/encoding.h"

namespace korvan {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid()) iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

std::string IconvName(int codePage) {
  if (codePage == kCodePageAnsi) codePage = kCodePage936;
  return "CP" + std::to_string(codePage);
}

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

// Decodes one UTF-8 sequence at the start of bytes; gives the code point (or U+FFFD) and how many
// bytes it took. Like the platform, an ill-formed sequence ends at the first byte that is not a
// continuation byte; an overlong, surrogate or out-of-range form is only noticed once its second
// byte is read, so that byte goes into the same U+FFFD.
struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

Decoded DecodeUtf8(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return {lead, 1};

  std::size_t needed = 0;
  char32_t codePoint = 0;
  unsigned char low = 0x80;  // range of the second byte, narrowed against overlongs and surrogates
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    needed = 1;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    needed = 2;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    needed = 3;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacementCharacter, 1};
  }

  for (std::size_t i = 1; i <= needed; ++i) {
    if (i >= bytes.size()) return {kReplacementCharacter, i};
    const auto next = static_cast<unsigned char>(bytes[i]);
    if (next < 0x80 || next > 0xBF) return {kReplacementCharacter, i};
    if (i == 1 && (next < low || next > high)) return {kReplacementCharacter, 2};
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  return {codePoint, needed + 1};
}

void AppendUnit(ByteSet& wide, char16_t unit) {
  wide.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  wide.push_back(static_cast<std::uint8_t>(unit >> 8));
}

ByteSet Utf8ToWide(std::string_view text) {
  ByteSet wide;
  wide.reserve(2 * text.size() + 2);
  while (!text.empty()) {
    const Decoded decoded = DecodeUtf8(text);
    if (decoded.codePoint >= 0x10000) {
      const char32_t offset = decoded.codePoint - 0x10000;
      AppendUnit(wide, static_cast<char16_t>(0xD800 + (offset >> 10)));
      AppendUnit(wide, static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    } else {
      AppendUnit(wide, static_cast<char16_t>(decoded.codePoint));
    }
    text.remove_prefix(decoded.length);
  }
  AppendUnit(wide, 0);
  return wide;
}

// The UTF-16 units up to, not including, the first zero unit; an odd last byte is not a unit.
std::u16string UnitsUpToZero(const ByteSet& wide) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const auto unit = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

void AppendUtf8(Text& text, char32_t codePoint) {
  if (codePoint < 0x80) {
    text += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    text += static_cast<char>(0xC0 | (codePoint >> 6));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    text += static_cast<char>(0xE0 | (codePoint >> 12));
    text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (codePoint >> 18));
    text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

Text WideToUtf8(const std::u16string& units) {
  Text text;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(text, kReplacementCharacter);
    } else {
      AppendUtf8(text, unit);
    }
  }
  return text;
}

// Runs iconv over input. Where it stops at a sequence it cannot convert, substitute appends what
// the platform gives for the bytes there and says how many it took, as Windows does without
// error flags.
template <typename Substitute>
bool ConvertWithSubstitutes(const IconvHandle& converter,
                            std::string_view input,
                            Substitute substitute,
                            std::string& output) {
  auto* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  std::vector<char> buffer(4 * input.size() + 16);
  while (inLeft > 0) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t result = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
    output.append(buffer.data(), out);
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    if (errno != EILSEQ && errno != EINVAL) return false;
    const std::size_t wanted = substitute(std::string_view(in, inLeft), output);
    const std::size_t taken = std::min(std::max<std::size_t>(wanted, 1), inLeft);
    in += taken;
    inLeft -= taken;
  }
  return true;
}

bool IsCodePage936(int codePage) { return codePage == kCodePage936 || codePage == kCodePageAnsi; }

bool IsCp936TrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

void AppendCp936Bytes(std::string& output, std::uint16_t bytes) {
  if (bytes >= 0x100) output += static_cast<char>(bytes >> 8);
  output += static_cast<char>(bytes & 0xFF);
}

// Code page 936 bytes glibc refuses: a lead byte at the end or before a byte that cannot trail
// gives "?" (taking the pair), the user-defined areas and 0xFF give their private-use units.
std::size_t SubstituteCp936Bytes(std::string_view rest, std::string& wide) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  std::uint16_t bytes = lead;
  std::size_t taken = 1;
  if (lead >= 0x81 && lead <= 0xFE) {
    if (rest.size() < 2) {
      wide.append("?\0", 2);
      return 1;
    }
    const auto trail = static_cast<unsigned char>(rest[1]);
    taken = 2;
    if (!IsCp936TrailByte(trail)) {
      wide.append("?\0", 2);
      return 2;
    }
    bytes = static_cast<std::uint16_t>(lead << 8 | trail);
  }
  char16_t unit = u'?';
  for (const auto& run : cp936::kPrivateUse) {
    if (bytes >= run.firstBytes && bytes < run.firstBytes + run.count) {
      unit = static_cast<char16_t>(run.firstUnit + (bytes - run.firstBytes));
      break;
    }
  }
  wide += static_cast<char>(unit & 0xFF);
  wide += static_cast<char>(unit >> 8);
  return taken;
}

// A UTF-16 unit glibc cannot put into code page 936: the platform's best fit or private-use
// mapping when there is one, else "?". Surrogates come here one unit at a time.
std::size_t SubstituteCp936Unit(std::string_view rest, std::string& text) {
  if (rest.size() < 2) return rest.size();
  const auto unit =
      static_cast<char16_t>(static_cast<unsigned char>(rest[0]) | static_cast<unsigned char>(rest[1]) << 8);
  const auto* bestFit =
      std::lower_bound(std::begin(cp936::kBestFit), std::end(cp936::kBestFit), unit,
                       [](const cp936::BestFit& entry, char16_t value) { return entry.unit < value; });
  if (bestFit != std::end(cp936::kBestFit) && bestFit->unit == unit) {
    AppendCp936Bytes(text, bestFit->bytes);
    return 2;
  }
  for (const auto& run : cp936::kPrivateUse) {
    if (unit >= run.firstUnit && unit < run.firstUnit + run.count) {
      AppendCp936Bytes(text, static_cast<std::uint16_t>(run.firstBytes + (unit - run.firstUnit)));
      return 2;
    }
  }
  text += '?';
  return 2;
}

}  // namespace

ByteSet TextToWide(std::string_view text, std::optional<int> codePage) {
  text = UpToZero(text);
  const int page = codePage.value_or(kCodePageUtf8);
  if (page == kCodePageUtf8) return Utf8ToWide(text);

  const IconvHandle converter("UTF-16LE", IconvName(page).c_str());
  if (!converter.valid()) return {};
  std::string wide;
  const auto substitute = [page](std::string_view rest, std::string& output) -> std::size_t {
    if (IsCodePage936(page)) return SubstituteCp936Bytes(rest, output);
    output.append("?\0", 2);
    return 1;
  };
  if (!ConvertWithSubstitutes(converter, text, substitute, wide)) return {};
  wide.append(2, '\0');
  return ByteSet(wide.begin(), wide.end());
}

Text WideToText(const ByteSet& wide, std::optional<int> codePage) {
  const std::u16string units = UnitsUpToZero(wide);
  const int page = codePage.value_or(kCodePageAnsi);
  if (page == kCodePageUtf8) return WideToUtf8(units);

  // UCS-2 rather than UTF-16: Windows maps each unit of a surrogate pair on its own, so a
  // character outside the BMP becomes two substitutes.
  const IconvHandle converter(IconvName(page).c_str(), "UCS-2LE");
  if (!converter.valid()) return {};
  std::string bytes;
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  Text text;
  const auto substitute = [page](std::string_view rest, std::string& output) -> std::size_t {
    if (IsCodePage936(page)) return SubstituteCp936Unit(rest, output);
    output += '?';
    return 2;
  };
  if (!ConvertWithSubstitutes(converter, bytes, substitute, text)) return {};
  return Text(UpToZero(text));
}

Text Utf8ToAnsi(std::string_view text) { return WideToText(TextToWide(text), kCodePage936); }

Text AnsiToUtf8(std::string_view text) { return WideToText(TextToWide(text, kCodePage936), kCodePageUtf8); }

}  // namespace korvan
