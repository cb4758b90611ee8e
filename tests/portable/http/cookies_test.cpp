#include "http/cookies.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

struct MergeCase {
  const char* name;
  Text older;
  Text newer;
  Text merged;
  Text newerAfter;  // what the caller's newCookies holds afterwards
};

const MergeCase kMergeCases[] = {
    {"EmptyOlder", "", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
    {"EmptyNewer", "a=1; b=2", "", "a=1; b=2", ""},
    {"BothEmpty", "", "", "", ""},
    {"NewerValueWinsAndComesFirst", "a=1; b=2", "b=3", "b=3; a=1", "b=3"},
    {"DeletedCookieGoneFromBothSides", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
    {"DeletedInOlderIsDroppedToo", "a=deleted; b=2", "", "b=2", ""},
    {"RepeatedOlderNameKeepsFirst", "a=1; a=2", "", "a=1", ""},
    {"RepeatedNewerNameWithDifferentValuesBothStay", "", "c=1; c=2", "c=1; c=2", "c=1;c=2"},
    {"IdenticalNewerEntriesCollapse", "", "c=1; c=1", "c=1", "c=1;c=1"},
    {"SpacesInsideValuesAreLost", "a=hello world", "", "a=helloworld", ""},
    {"SpacesAroundEqualsAreLost", "a = 1", "", "a=1", ""},
    {"FullWidthSpacesAreLost",
     "a=\xA1\xA1"
     "1",
     "", "a=1", ""},
    {"TabsStay", "a=\t1", "", "a=\t1", ""},
    {"EmptyPieceSurvivesOnce", "x=1;;y=2", "", "x=1; ; y=2", ""},
    {"EntryWithoutEqualsIsNamedWhole", "flag; z=1", "flag=1", "flag=1; z=1", "flag=1"},
    {"EntryWithoutEqualsReplacedBySame", "flag", "flag", "flag", "flag"},
    {"CapitalDeletedStays", "", "x=Deleted", "x=Deleted", "x=Deleted"},
    {"ExactlyDeletedMarkerIsDropped", "a=1", "=deleted", "a=1", "=deleted"},
    {"ShortEntryIsNotDeleted", "", "d", "d", "d"},
    {"NamesAreCaseSensitive", "A=1", "a=2", "a=2; A=1", "a=2"},
    {"OlderOrderKeptBehindNewer", "a=1; b=2; c=3", "b=9; d=4", "b=9; d=4; a=1; c=3", "b=9;d=4"},
    {"TrailingSeparatorMakesNoEmptyEntry", "a=1;", "", "a=1", ""},
    {"ValueWithEqualsKeepsFullValue", "t=a=b", "", "t=a=b", ""},
};

class MergeCookiesTest : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, NewerWinsDeletedGoneNothingRepeated) {
  const auto& c = GetParam();
  Text cookies = c.older;
  Text newCookies = c.newer;
  const Text result = MergeCookies(cookies, newCookies);
  EXPECT_EQ(cookies, c.merged);
  EXPECT_EQ(result, c.merged);
  EXPECT_EQ(newCookies, c.newerAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeCookiesTest, testing::ValuesIn(kMergeCases), [](const auto& info) {
  return std::string(info.param.name);
});

TEST(CookieNameTest, NameIsBeforeFirstEqualsTrimmed) {
  EXPECT_EQ(CookieName(" sid = x=y"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName("=v"), "");
  EXPECT_EQ(CookieName(""), "");
}

struct DuplicateCase {
  const char* name;
  std::string_view text;
  std::string_view separator;
  std::string_view expected;
};

const DuplicateCase kDuplicateCases[] = {
    {"LaterRepeatsRemoved", "a; b; a; c; b", "; ", "a; b; c"},
    {"EmptyPieceTakenOnce", "a; ; b; ; c", "; ", "a; ; b; c"},
    {"ByteForByteOnly", "a; A", "; ", "a; A"},
    {"Empty", "", "; ", ""},
    {"OtherSeparator", "x|x|y|", "|", "x|y"},
};

class RemoveDuplicateEntriesTest : public testing::TestWithParam<DuplicateCase> {};

TEST_P(RemoveDuplicateEntriesTest, KeepsFirstOfEachEntry) {
  const auto& c = GetParam();
  EXPECT_EQ(RemoveDuplicateEntries(c.text, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveDuplicateEntriesTest, testing::ValuesIn(kDuplicateCases), [](const auto& info) {
  return std::string(info.param.name);
});

struct PickCase {
  const char* name;
  Text cookies;
  std::string_view cookieName;
  bool valueOnly;
  std::string_view picked;
  std::string_view cookiesAfter;
};

const PickCase kPickCases[] = {
    {"NameAndValue", "a=1; sid=xyz; b=2", "sid", false, "sid=xyz", "a=1; sid=xyz; b=2;"},
    {"ValueOnly", "a=1; sid=xyz; b=2", "sid", true, "xyz", "a=1; sid=xyz; b=2;"},
    {"FirstEntry", "sid=xyz; b=2", "sid", false, "sid=xyz", "sid=xyz; b=2;"},
    {"MissingName", "a=1", "sid", false, "", "a=1;"},
    {"EmptyCookiesBecomeSeparator", "", "sid", false, "", ";"},
    {"TrimmedAndFinalSeparatorKept", "  a=1;  ", "a", true, "1", "a=1;"},
    {"EmptyValueGivesEmpty", "sid=; a=1", "sid", false, "", "sid=; a=1;"},
    // "id=" also occurs at the end of "sid=": the picked cookie must be the one named id.
    {"NameInsideLongerNameIsNotPicked", "sid=xyz", "id", false, "", "sid=xyz;"},
    {"NameAfterLongerNameIsFound", "sid=xyz; id=7", "id", false, "id=7", "sid=xyz; id=7;"},
    {"NameInsideValueIsNotPicked", "q=id=5; id=6", "id", true, "6", "q=id=5; id=6;"},
    {"CaseSensitive", "SID=1", "sid", false, "", "SID=1;"},
};

class PickCookieTest : public testing::TestWithParam<PickCase> {};

TEST_P(PickCookieTest, PicksNamedCookie) {
  const auto& c = GetParam();
  Text cookies = c.cookies;
  EXPECT_EQ(PickCookie(cookies, c.cookieName, c.valueOnly), c.picked);
  EXPECT_EQ(cookies, c.cookiesAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, PickCookieTest, testing::ValuesIn(kPickCases), [](const auto& info) {
  return std::string(info.param.name);
});

Text Buffer(std::string_view reading) {
  // A store buffer: 3,000 spaces with the reading written over its start, zero-terminated.
  Text buffer(3000, ' ');
  buffer.replace(0, reading.size() + 1, Text(reading) + '\0');
  return buffer;
}

struct ReadingsCase {
  const char* name;
  Text plain;
  Text full;
  std::string_view cookieName;
  std::string_view merged;
};

const ReadingsCase kReadingsCases[] = {
    {"NothingStoredGivesEmpty", Text(3000, ' '), Text(3000, ' '), "", ""},
    {"FullReadingAddsHttpOnly", Buffer("a=1; b=2"), Buffer("a=1; b=2; h=3"), "", "a=1; b=2; h=3"},
    {"FullReadingWins", Buffer("a=1"), Buffer("a=2"), "", "a=2"},
    {"PlainOnlyWhenFullCallFailed", Buffer("a=1; b=2"), Text(3000, ' '), "", "a=1; b=2"},
    {"TextAfterTheZeroIsIgnored", Buffer("a=1") + "junk=1", Buffer("b=2"), "", "b=2; a=1"},
    {"NarrowedToName", Buffer("a=1; sid=xyz; b=2"), Buffer(""), "sid", "sid=xyz"},
    {"NameNotStoredGivesEmpty", Buffer("a=1"), Buffer("b=1"), "sid", ""},
};

class MergeCookieReadingsTest : public testing::TestWithParam<ReadingsCase> {};

TEST_P(MergeCookieReadingsTest, MergesStoreReadings) {
  const auto& c = GetParam();
  EXPECT_EQ(MergeCookieReadings(c.plain, c.full, c.cookieName), c.merged);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeCookieReadingsTest, testing::ValuesIn(kReadingsCases), [](const auto& info) {
  return std::string(info.param.name);
});

}  // namespace
}  // namespace korvan
