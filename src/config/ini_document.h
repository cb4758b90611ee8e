// An INI file in memory, read and written the way the Windows profile functions do it, so that the
// korvan.ini and korvan-status.ini of the Windows program mean the same here. Texts are code page 936.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/text/text.h"

namespace korvan {

// GetPrivateProfileString gives at most this many bytes of a value (its buffer less the zero).
inline constexpr std::size_t kLongestIniValue = 10239;

class IniDocument {
 public:
  IniDocument() = default;
  // Lines end at LF, or at CR in a file without LF. Blanks around every line, name and value are
  // dropped; "[name]" up to the last "]" opens a section; lines before the first one belong to a
  // section without a name.
  explicit IniDocument(std::string_view text);

  // The first section of that name and its first key of that name, both compared without ASCII
  // letter case; a value in matching quotes loses them. Empty when absent, and for a section or key
  // that is blank.
  Text Read(std::string_view section, std::string_view key) const;
  // Whether a section of that name is there, compared as Read compares.
  bool HasSection(std::string_view section) const;

  // Replaces the key's value, or adds the key at the end of its section, or the section at the end.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  // "[section]" and "key=value" lines, each ended by CR LF, as the profile functions save a file.
  Text Serialize() const;

 private:
  struct Entry {
    Text name;
    std::optional<Text> value;  // none for a line without "="
  };
  struct Section {
    Text name;
    std::vector<Entry> entries;
  };
  std::vector<Section> sections_;
};

// What a file's bytes say in code page 936: a UTF-8 or UTF-16 byte order mark is read and
// converted, anything else is taken as code page 936 already.
struct IniText {
  Text text;
  bool binary = false;  // a zero byte outside UTF-16: no text file at all
};
IniText IniTextFromFileBytes(std::string_view bytes);

// korvan.ini's bytes as IniTextFromFileBytes reads them; but a file without a byte order mark that
// holds none of the known sections so, and one of them when its bytes are taken as UTF-8 (every Linux
// editor's default), is read as UTF-8. Most UTF-8 is valid code page 936 too: the names decide.
struct KnownIni {
  IniDocument document;
  bool binary = false;
  bool known = false;            // a known section was found, one way or the other
  bool utf8WithoutMark = false;  // only as UTF-8 without a byte order mark, which the window program cannot read
};
KnownIni ReadKnownIni(std::string_view bytes, std::span<const std::string_view> knownSections);

}  // namespace korvan
