#include "resources/skin/skin_format.h"

#include <gtest/gtest.h>

#include <string>

namespace korvan::skin {
namespace {

TEST(ParseSkin, ReadsColoursAsColorRefs) {
  const auto colours = ParseSkin(".SHE\nversion 1\nname Test\nwindow 102030\r\ntext A0b0C0\nedit FFFFFF\n");
  ASSERT_TRUE(colours.has_value());
  EXPECT_EQ(colours->window, 0x302010u);  // 0x00BBGGRR
  EXPECT_EQ(colours->text, 0xC0B0A0u);
  EXPECT_EQ(colours->edit, 0xFFFFFFu);
  EXPECT_EQ(colours->button, SkinColours{}.button);  // absent keys keep their defaults
}

TEST(ParseSkin, RejectsWhatIsNoSkin) {
  const char* const cases[] = {
      "",                           // nothing
      "SHE.\nwindow 102030\n",      // wrong mark
      ".SHE\nwindow 10203\n",       // short colour
      ".SHE\nwindow 10203G\n",      // not hex
      ".SHE\nbutton 1020304050\n",  // long colour
  };
  for (const char* bytes : cases) {
    EXPECT_FALSE(ParseSkin(bytes).has_value()) << bytes;
  }
}

TEST(ParseSkin, SkipsUnknownLinesAndStopsAtTheGivenSize) {
  const std::string bytes = ".SHE\nshadow-depth 3\nwindow 010203\nwindow 0A0B0C";
  const auto colours = ParseSkin(std::string_view(bytes).substr(0, bytes.size() - 14));
  ASSERT_TRUE(colours.has_value());
  EXPECT_EQ(colours->window, 0x030201u);
}

}  // namespace
}  // namespace korvan::skin
