// What a reader sees: names, trimming, quotes, comments, duplicates, integers.
#include <gtest/gtest.h>

#include <climits>

#include "ini/ini_document.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::docOf;
using testing::utf16File;
using testing::valueOfLine;

TEST(IniLookup, NamesMatchWithoutRegardToCaseAndSurroundingBlanks) {
  const IniDocument doc = docOf("[Profile1]\r\nIndexPic65=1\r\n");
  EXPECT_EQ(doc.find(u"PROFILE1", u"indexpic65"), u"1");
  EXPECT_EQ(doc.find(u" \tprofile1 ", u"\tINDEXPIC65  "), u"1");
  EXPECT_EQ(doc.find(u"Profile2", u"IndexPic65"), std::nullopt);
  EXPECT_EQ(doc.find(u"Profile1", u"IndexPic66"), std::nullopt);
  EXPECT_TRUE(doc.hasSection(u"pROFILE1"));
  EXPECT_FALSE(doc.hasSection(u"Profile"));
}

TEST(IniLookup, NonAsciiNamesFoldCaseAsWindowsDoes) {
  const IniDocument doc =
      docOf(utf16File(u"[\u00C4rger \u0416\u03A3]\r\nk\u00E9y\u0101\uFF41=1\r\n"));
  EXPECT_EQ(doc.find(u"\u00E4RGER \u0436\u03C3", u"K\u00C9Y\u0100\uFF21"), u"1");
  // Dotless i and sharp s have no one-to-one partner: they match only themselves.
  const IniDocument odd = docOf(utf16File(u"[S]\r\n\u0131=1\r\n\u00DF=2\r\n"));
  EXPECT_EQ(odd.find(u"S", u"I"), std::nullopt);
  EXPECT_EQ(odd.find(u"S", u"\u0131"), u"1");
  EXPECT_EQ(odd.find(u"S", u"SS"), std::nullopt);
}

TEST(IniLookup, GetStringFallsBackOnlyWhenTheKeyIsMissing) {
  const IniDocument doc = docOf("[S]\r\nempty=\r\nquoted=\"\"\r\n");
  EXPECT_EQ(doc.getString(u"S", u"empty", u"x"), u"");
  EXPECT_EQ(doc.getString(u"S", u"quoted", u"x"), u"");
  EXPECT_EQ(doc.getString(u"S", u"missing", u"x"), u"x");
  // Windows strips trailing spaces from the default, not tabs.
  EXPECT_EQ(doc.getString(u"S", u"missing", u" x  "), u" x");
  EXPECT_EQ(doc.getString(u"S", u"missing", u"x\t"), u"x\t");
  EXPECT_EQ(doc.getString(u"S", u"missing"), u"");
}

TEST(IniLookup, ValuesAreReadWhole) {
  const std::string macro(5000, '7');
  EXPECT_EQ(valueOfLine("MacroKey0=" + macro, u"MacroKey0"), widen(macro));
}

struct ValueCase {
  const char* line;
  const char16_t* expected;
};

TEST(IniLookup, ValuesAreTrimmedAndLoseOnePairOfMatchingQuotes) {
  const ValueCase cases[] = {
      {"k=v", u"v"},
      {"  k  =  two words \t ", u"two words"},
      {"\tk\t=\tv\t", u"v"},
      {"k=a=b", u"a=b"},
      {"k='x'", u"x"},
      {"k=\"x\"", u"x"},
      {"k = \" padded \" ", u" padded "},
      {"k=''", u""},
      {"k=\"x'", u"\"x'"},
      {"k='", u"'"},
      {"k=\"", u"\""},
      {"k=''x''", u"'x'"},
      {"k='a'b'", u"a'b"},
      {"k=x'", u"x'"},
      // Only spaces and tabs are blanks; other white space is text.
      {"k=\xE3\x80\x80x\xC2\xA0", u"\u3000x\u00A0"},
      {"k=\x0Bv", u"\vv"},
  };
  for (const ValueCase& c : cases) {
    EXPECT_EQ(valueOfLine(c.line, u"k"), std::u16string(c.expected)) << c.line;
  }
}

TEST(IniLookup, CommentsAndLinesWithoutEqualsAreNoKeys) {
  const IniDocument doc = docOf(
      "[S]\r\n"
      ";hidden=1\r\n"
      "  ;indented=2\r\n"
      "alone\r\n"
      "alone=3\r\n"
      "#hash=4\r\n"
      "=5\r\n"
      "[broken\r\n"
      "after=6\r\n");
  EXPECT_EQ(doc.find(u"S", u";hidden"), std::nullopt);
  EXPECT_EQ(doc.find(u"S", u";indented"), std::nullopt);
  EXPECT_EQ(doc.find(u"S", u"alone"), u"3");
  EXPECT_EQ(doc.find(u"S", u"#hash"), u"4");  // only ';' starts a comment
  EXPECT_EQ(doc.find(u"S", u""), u"5");
  // A '[' line without ']' is no header: what follows stays in [S].
  EXPECT_FALSE(doc.hasSection(u"broken"));
  EXPECT_EQ(doc.find(u"S", u"after"), u"6");
  EXPECT_EQ(doc.keysOf(u"S"), (std::vector<std::u16string>{u"alone", u"#hash", u"", u"after"}));
}

TEST(IniLookup, HeaderNameRunsToTheLastBracketAndIsTrimmed) {
  const IniDocument doc = docOf("[A] trailing text\r\na=1\r\n[B]x]\r\nb=2\r\n  [ C ]  \r\nc=3\r\n");
  EXPECT_EQ(doc.find(u"A", u"a"), u"1");
  EXPECT_EQ(doc.find(u"B]x", u"b"), u"2");
  EXPECT_FALSE(doc.hasSection(u"B"));
  EXPECT_EQ(doc.find(u"C", u"c"), u"3");
}

TEST(IniLookup, LinesBeforeTheFirstHeaderBelongToNoSection) {
  const IniDocument doc = docOf("top=1\r\n[]\r\nempty=2\r\n");
  EXPECT_EQ(doc.find(u"", u"top"), std::nullopt);
  EXPECT_EQ(doc.find(u"", u"empty"), u"2");
  EXPECT_EQ(docOf("top=1\r\n").find(u"", u"top"), std::nullopt);
}

TEST(IniLookup, OnlyTheFirstSectionAndFirstKeyOfANameAreSeen) {
  const IniDocument doc = docOf(
      "[A]\r\nk=1\r\nK=2\r\nj=3\r\n"
      "[a]\r\nk=4\r\nonlyLater=5\r\n");
  EXPECT_EQ(doc.find(u"A", u"k"), u"1");
  EXPECT_EQ(doc.find(u"A", u"onlyLater"), std::nullopt);
  EXPECT_EQ(doc.keysOf(u"a"), (std::vector<std::u16string>{u"k", u"j"}));
  EXPECT_TRUE(doc.keysOf(u"missing").empty());
}

TEST(IniLookup, LinesEndAtCrLfLfOrALoneCr) {
  const IniDocument doc = docOf("[S]\na=1\rb=2\r\nc=3\n\nd=4");
  EXPECT_EQ(doc.find(u"S", u"a"), u"1");
  EXPECT_EQ(doc.find(u"S", u"b"), u"2");
  EXPECT_EQ(doc.find(u"S", u"c"), u"3");
  EXPECT_EQ(doc.find(u"S", u"d"), u"4");
}

struct IntCase {
  const char* value;
  std::int32_t expected;
};

TEST(IniInt, GetIntReadsAsGetPrivateProfileIntW) {
  const IntCase cases[] = {
      {"42", 42},
      {"+7", 7},
      {"-12abc", -12},
      {"12 34", 12},
      {"- 5", 0},
      {"abc", 0},
      {"\"42\"", 42},
      {"'-3'", -3},
      {"017", 17},
      {"0x1F", 31},
      {"0x1f", 31},
      {"-0x10", -16},
      {"0X1F", 0},
      {"0xg", 0},
      {"0b101", 5},
      {"0o17", 15},
      {"0o8", 0},
      {"4294967297", 1},
      {"2147483648", INT_MIN},
      {"-2147483649", INT_MAX},
      {"12345678901234567890123456789", 1849262357},
      {"\x01\x02 9", 9},
  };
  for (const IntCase& c : cases) {
    const IniDocument doc = docOf(std::string("[S]\r\nk=") + c.value + "\r\n");
    EXPECT_EQ(doc.getInt(u"S", u"k", -99), c.expected) << c.value;
  }
}

TEST(IniInt, MissingOrEmptyValuesGiveTheFallback) {
  const IniDocument doc = docOf("[S]\r\nempty=\r\nblank=  \t\r\nquotes=''\r\nspace=' '\r\n");
  EXPECT_EQ(doc.getInt(u"S", u"missing", 7), 7);
  EXPECT_EQ(doc.getInt(u"Nope", u"missing", -1), -1);
  EXPECT_EQ(doc.getInt(u"S", u"empty", 7), 7);
  EXPECT_EQ(doc.getInt(u"S", u"blank", 7), 7);
  EXPECT_EQ(doc.getInt(u"S", u"quotes", 7), 7);
  EXPECT_EQ(doc.getInt(u"S", u"space", 7), 0);  // one character: no number, but not empty
}

TEST(IniInt, ParseProfileIntIsDecimalOnlyLikeWtoi) {
  EXPECT_EQ(parseProfileInt(u"1966080"), 1966080);
  EXPECT_EQ(parseProfileInt(u"-2145517568"), -2145517568);
  EXPECT_EQ(parseProfileInt(u" \t\r\n\v\f+65,1"), 65);
  EXPECT_EQ(parseProfileInt(u"0x1F"), 0);
  EXPECT_EQ(parseProfileInt(u"0b1"), 0);
  EXPECT_EQ(parseProfileInt(u""), 0);
  EXPECT_EQ(parseProfileInt(u"-"), 0);
  EXPECT_EQ(parseProfileInt(u"\x01"
                            u"5"),
            0);
}

TEST(IniInt, ParseProfileIntSaturatesLikeTheCRuntime) {
  EXPECT_EQ(parseProfileInt(u"4294967361"), INT_MAX);  // wrapped, it would read as 65
  EXPECT_EQ(parseProfileInt(u"2147483648"), INT_MAX);
  EXPECT_EQ(parseProfileInt(u"2147483647"), INT_MAX);
  EXPECT_EQ(parseProfileInt(u"-2147483648"), INT_MIN);
  EXPECT_EQ(parseProfileInt(u"-4294967295"), INT_MIN);
  EXPECT_EQ(parseProfileInt(u"99999999999999999999999999,1"), INT_MAX);
}

TEST(IniInt, FormatIntIsPercentD) {
  EXPECT_EQ(formatInt(0), u"0");
  EXPECT_EQ(formatInt(-2145517568), u"-2145517568");
  EXPECT_EQ(formatInt(INT_MIN), u"-2147483648");
  EXPECT_EQ(formatInt(INT_MAX), u"2147483647");
  for (const std::int32_t value : {INT_MIN, -1, 0, 1, 1966080, INT_MAX}) {
    EXPECT_EQ(parseProfileIntValue(formatInt(value)), value);
  }
}

}  // namespace
}  // namespace tarsil::ini
