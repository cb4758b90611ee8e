// Reading numbers from texts, cutting doubles to integers and writing values as text.
#include "runtime/datetime/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace korvan {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FoldCase {
  std::string text;
  std::string folded;
};

TEST(NumberHalfWidthFolding, FoldsFullWidthFormsAndKeepsCharactersWhole) {
  const FoldCase cases[] = {
      {"\xA3\xB1\xA3\xB2\xA3\xB3", "123"},  // １２３
      {"\xA3\xA1", "!"},                    // first full-width form
      {"\xA3\xFE", "~"},                    // last full-width form
      {"\xA3\xAD\xA3\xAE", "-."},           // －．
      {"\xA1\xA1", " "},                    // full-width space
      {"\xA1\xAB", "~"},
      {"\xA1\xEE\xA1\xEF", "**"},
      {"\xA3\xA0", "\xA3\xA0"},  // just below the full-width forms
      {"\xA3\xFF", "\xA3\xFF"},  // just above
      {"\xD6\xD0\xA3\xB1",
       "\xD6\xD0"
       "1"},           // 中１
      {"a\xA3", "a"},  // lone lead byte at the end is dropped
      {"\xA3", ""},
      // B0 A3 is one character, so the A3 is no lead byte and B1 is a lone lead at the end.
      {"\xB0\xA3\xB1", "\xB0\xA3"},
      {"plain ASCII 7", "plain ASCII 7"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FoldToHalfWidth(c.text), c.folded) << "text: " << c.text;
  }
}

struct IntegerCase {
  std::string text;
  std::int32_t value;
};

TEST(ToIntegerFromText, ReadsTheLeadingNumber) {
  const IntegerCase cases[] = {
      {"123", 123},
      {"\xA3\xB1\xA3\xB2\xA3\xB3", 123},  // full-width digits
      {" -7x", -7},
      {"abc", 0},
      {"", 0},
      {"\t\n\v\f\r+42", 42},
      {"\xA1\xA1"
       "12",
       12},  // full-width space is white space after folding
      {"\xA3\xAD"
       "5",
       -5},  // full-width minus
      {"12.9", 12},
      {"1 2", 1},
      {"- 5", 0},
      {"+-5", 0},
      {"0x1A", 0},
      {"007", 7},
      {"\xD6\xD0"
       "12",
       0},  // a Chinese character before the digits
      {"5\xA3", 5},
      {"\xA3", 0},
      {"\xFF\xFF\xFF", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToInteger(c.text), c.value) << "text: " << c.text;
  }
}

TEST(ToIntegerFromText, WrapsAtThirtyTwoBits) {
  const IntegerCase cases[] = {
      {"2147483647", kInt32Max},  {"2147483648", kInt32Min}, {"-2147483648", kInt32Min},
      {"-2147483649", kInt32Max}, {"4294967295", -1},        {"4294967296", 0},
      {"4294967297", 1},          {"-4294967297", -1},       {"100000000000000000000", 1661992960},  // 10^20 mod 2^32
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToInteger(c.text), c.value) << "text: " << c.text;
  }
}

TEST(ToIntegerFromText, TakesMegabyteTexts) {
  // 10^n is a multiple of 2^32 once n >= 32, so a one followed by many zeros wraps to 0.
  EXPECT_EQ(ToInteger("1" + std::string(1'000'000, '0')), 0);
  EXPECT_EQ(ToInteger(std::string(1'000'000, ' ') + "-9"), -9);
  std::string fullWidthSevens;
  for (int i = 0; i < 500'000; ++i)
    fullWidthSevens += "\xA3\xB7";
  // 7 repeated wraps through the same 32-bit arithmetic as the reference below.
  std::uint32_t expected = 0;
  for (int i = 0; i < 500'000; ++i)
    expected = expected * 10u + 7u;
  EXPECT_EQ(ToInteger(fullWidthSevens), static_cast<std::int32_t>(expected));
  EXPECT_EQ(ToInteger(std::string(1'000'000, '\xFF')), 0);
}

struct DoubleToIntegerCase {
  double number;
  std::int32_t value;
};

TEST(ToIntegerFromDouble, TruncatesTowardZeroAndSaturates) {
  const DoubleToIntegerCase cases[] = {
      {3.9, 3},
      {-3.9, -3},
      {-0.5, 0},
      {2147483647.9, kInt32Max},
      {-2147483648.9, kInt32Min},
      {2147483648.0, kInt32Max},
      {-2147483649.0, kInt32Min},
      {1e10, kInt32Max},
      {-1e300, kInt32Min},
      {kInfinity, kInt32Max},
      {-kInfinity, kInt32Min},
      {kNaN, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToInteger(c.number), c.value) << "number: " << c.number;
  }
  EXPECT_EQ(ToInteger(true), 1);
  EXPECT_EQ(ToInteger(false), 0);
}

struct NumberCase {
  std::string text;
  double value;
};

TEST(ToNumberFromText, ReadsTheLongestLeadingDecimalNumber) {
  const NumberCase cases[] = {
      {"3.25", 3.25},
      {"  -0.5x", -0.5},
      {"+7", 7.0},
      {"1e3", 1000.0},
      {"1E3", 1000.0},
      {"1d3", 1000.0},
      {"1D-2", 0.01},
      {"2.5e+2", 250.0},
      {"2.5d+2", 250.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"1e", 1.0},
      {"1e+", 1.0},
      {"1d-x", 1.0},
      {"1.5.5", 1.5},
      {"1,5", 1.0},
      {"abc", 0.0},
      {"", 0.0},
      {".", 0.0},
      {"-", 0.0},
      {"e5", 0.0},
      {"0x10", 0.0},
      {"inf", 0.0},
      {"nan", 0.0},
      {"\xA3\xB1\xA3\xAE\xA3\xB5", 1.5},    // １．５
      {"\xA3\xB2\xA3\xE4\xA3\xB2", 200.0},  // ２ｄ２
      {"1700000000123", 1700000000123.0},   // the time page's millisecond count
      {"0.1", 0.1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {"0e999999999999999999999", 0.0},
      {"1e400", kInfinity},
      {"-1e400", -kInfinity},
      {"0.0001e400", kInfinity},
      {"1e-400", 0.0},
      {"1000e-325", 1e-322},  // a denormal
      {"5\xA3", 5.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToNumber(c.text), c.value) << "text: " << c.text;
  }
}

TEST(ToNumberFromText, TakesMegabyteTexts) {
  EXPECT_EQ(ToNumber("1" + std::string(1'000'000, '0')), kInfinity);
  EXPECT_EQ(ToNumber("0." + std::string(1'000'000, '0') + "1"), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber("0." + std::string(999'999, '0') + "15e1000000"), 1.5);
  EXPECT_DOUBLE_EQ(ToNumber(std::string(1'000'000, '9') + "e-999999"), 10.0);
  EXPECT_EQ(ToNumber(std::string(1'000'000, '\xA1')), 0.0);
}

TEST(ToNumberFromNumber, PassesNumbersThrough) {
  EXPECT_EQ(ToNumber(2.75), 2.75);
  EXPECT_TRUE(std::isnan(ToNumber(kNaN)));
}

struct TruncateCase {
  double number;
  std::int64_t value;
};

TEST(TruncateToInteger, CutsTowardZeroAndSaturates) {
  const TruncateCase cases[] = {
      {3.9, 3},
      {-3.9, -3},
      {0.999, 0},
      {-0.999, 0},
      {1700000000123.0 / 1000.0, 1700000000},
      {4294967296.5, 4294967296},
      {9223372036854774784.0, 9223372036854774784},  // largest double below 2^63
      {9223372036854775808.0, kInt64Max},            // 2^63
      {-9223372036854775808.0, kInt64Min},           // -2^63 fits exactly
      {1e19, kInt64Max},
      {-1e19, kInt64Min},
      {kInfinity, kInt64Max},
      {-kInfinity, kInt64Min},
      {kNaN, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TruncateToInteger(c.number), c.value) << "number: " << c.number;
  }
}

TEST(NumberToText, WritesIntegersInPlainDecimal) {
  EXPECT_EQ(ToText(std::int64_t{0}), "0");
  EXPECT_EQ(ToText(std::int64_t{-1}), "-1");
  EXPECT_EQ(ToText(std::int64_t{1000000}), "1000000");
  EXPECT_EQ(ToText(kInt64Min), "-9223372036854775808");
  EXPECT_EQ(ToText(kInt64Max), "9223372036854775807");
  EXPECT_EQ(ToText(kInt32Min), "-2147483648");
  EXPECT_EQ(ToText(std::int32_t{3}), "3");
  EXPECT_EQ(ToText(std::uint8_t{255}), "255");
}

TEST(NumberToText, WritesLogicalsAsChineseWords) {
  EXPECT_EQ(ToText(true), "\xD5\xE6");   // 真
  EXPECT_EQ(ToText(false), "\xBC\xD9");  // 假
}

TEST(NumberToText, WritesByteSetsUpToTheFirstZeroByte) {
  EXPECT_EQ(ToText(ByteSet{0x61, 0x62, 0x00, 0x63}), "ab");
  EXPECT_EQ(ToText(ByteSet{0xD6, 0xD0}), "\xD6\xD0");
  EXPECT_EQ(ToText(ByteSet{}), "");
}

TEST(NumberToText, WritesDateTimesInTheChineseForm) {
  // 2015-05-04 12:00 is day 42128 and a half.
  EXPECT_EQ(ToText(DateTime{42128.5}),
            "2015\xC4\xEA"
            "5\xD4\xC2"
            "4\xC8\xD5"
            "12\xCA\xB1");
}

}  // namespace
}  // namespace korvan
