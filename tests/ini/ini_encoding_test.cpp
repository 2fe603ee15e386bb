// Bytes on disk: UTF-16LE, UTF-8 with and without BOM, the 8-bit fallback,
// and input that is no text at all.
#include <gtest/gtest.h>

#include <random>

#include "ini/ini_document.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::docOf;
using testing::utf16File;

TEST(IniEncoding, ANewDocumentIsPlainAsciiWhileItCan) {
  IniDocument doc;
  EXPECT_EQ(doc.encoding(), Encoding::kEightBit);
  doc.setString(u"S", u"k", u"v");
  EXPECT_EQ(doc.serialize(), "[S]\r\nk=v\r\n");
  doc.setString(u"S", u"name", u"\u00C9t\u00E9 \u65E5\u672C");
  EXPECT_EQ(doc.serialize(), utf16File(u"[S]\r\nk=v\r\nname=\u00C9t\u00E9 \u65E5\u672C\r\n"));
}

TEST(IniEncoding, Utf16FilesStayUtf16AndKeepEveryCodeUnit) {
  // A surrogate pair, a lone high and a lone low surrogate, and a NUL.
  const std::u16string nul(1, u'\0');
  std::u16string text = u"[\u00C4]\r\nemoji=\U0001F600\r\nlone=\xD800x\xDC00\r\nnul=a";
  text.append(nul).append(u"b\r\n");
  IniDocument doc = docOf(utf16File(text));
  EXPECT_EQ(doc.encoding(), Encoding::kUtf16Le);
  EXPECT_EQ(doc.find(u"\u00E4", u"emoji"), u"\U0001F600");
  EXPECT_EQ(doc.find(u"\u00C4", u"lone"), u"\xD800x\xDC00");
  EXPECT_EQ(doc.find(u"\u00C4", u"nul"), u"a" + nul + u"b");
  EXPECT_EQ(doc.serialize(), utf16File(text));

  IniDocument ascii = docOf(utf16File(u"[S]\r\nk=1\r\n"));
  ascii.setString(u"S", u"k", u"2");
  EXPECT_EQ(ascii.serialize(), utf16File(u"[S]\r\nk=2\r\n"));
  EXPECT_EQ(docOf("\xFF\xFE").serialize(), "\xFF\xFE");
}

TEST(IniEncoding, AnOddLastByteOfUtf16IsDropped) {
  const IniDocument doc = docOf(utf16File(u"[S]\r\nk=1") + "\x41");
  EXPECT_EQ(doc.find(u"S", u"k"), u"1");
  EXPECT_EQ(doc.serialize(), utf16File(u"[S]\r\nk=1"));
}

TEST(IniEncoding, AUtf8ByteOrderMarkBelongsToTheFirstLineAsOnWindows) {
  const std::string bytes = "\xEF\xBB\xBF[S]\r\nk=1\r\n[T]\r\nt=2\r\n";
  IniDocument doc = docOf(bytes);
  EXPECT_EQ(doc.encoding(), Encoding::kUtf8);
  EXPECT_EQ(doc.serialize(), bytes);
  EXPECT_EQ(doc.sectionHiddenByByteOrderMark(), u"S");
  EXPECT_EQ(docOf("\xEF\xBB\xBF; only a comment\r\n[S]\r\n").sectionHiddenByByteOrderMark(),
            std::nullopt);
  EXPECT_EQ(docOf("[S]\r\n").sectionHiddenByByteOrderMark(), std::nullopt);
  EXPECT_FALSE(doc.hasSection(u"S"));
  EXPECT_EQ(doc.find(u"S", u"k"), std::nullopt);
  EXPECT_EQ(doc.find(u"T", u"t"), u"2");
  doc.setString(u"S", u"k", u"3");  // a second, visible [S]
  EXPECT_EQ(doc.find(u"S", u"k"), u"3");
  const IniDocument reread = IniDocument::parse(doc.serialize());
  EXPECT_EQ(reread.find(u"S", u"k"), u"3");
  EXPECT_EQ(reread.find(u"T", u"t"), u"2");
}

TEST(IniEncoding, ValidUtf8StaysUtf8UntilALoneSurrogateNeedsUtf16) {
  const std::string bytes = "[S]\r\nname=\xC3\xA9t\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80\r\n";
  IniDocument doc = docOf(bytes);
  EXPECT_EQ(doc.encoding(), Encoding::kUtf8);
  EXPECT_EQ(doc.find(u"S", u"name"), u"\u00E9t\u00E9 \u65E5 \U0001F600");
  EXPECT_EQ(doc.serialize(), bytes);
  doc.setString(u"S", u"more", u"\u0416");
  EXPECT_EQ(doc.serialize(), bytes + "more=\xD0\x96\r\n");
  // A character whose second half lies where undecoded bytes do is text.
  doc.setString(u"S", u"far", u"\U000B28A2");
  EXPECT_EQ(doc.serialize(), bytes + "more=\xD0\x96\r\nfar=\xF2\xB2\xA2\xA2\r\n");
  doc.setString(u"S", u"far", u"");
  doc.setString(u"S", u"lone", u"\xD800");
  EXPECT_EQ(doc.serialize(), utf16File(u"[S]\r\nname=\u00E9t\u00E9 \u65E5 \U0001F600\r\n"
                                       u"more=\u0416\r\nfar=\r\nlone=\xD800\r\n"));
}

TEST(IniEncoding, AnyInvalidUtf8MakesTheWholeFileEightBit) {
  // E9 alone is no UTF-8, so C3 A9 is no UTF-8 either in this file.
  const IniDocument doc = IniDocument::parse("[S]\r\nu=\xC3\xA9\r\nl=\xE9\r\n", unknownCodePage());
  EXPECT_EQ(doc.encoding(), Encoding::kEightBit);
  EXPECT_EQ(doc.find(u"S", u"u"), u"\xDCC3\xDCA9");
  EXPECT_EQ(doc.find(u"S", u"l"), u"\xDCE9");
  // Overlong forms, encoded surrogates and code points past U+10FFFF are no UTF-8.
  for (const char* bad :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xF0\x9F\x98"}) {
    const IniDocument eightBit =
        IniDocument::parse(std::string("[S]\r\nk=") + bad + "\r\n", unknownCodePage());
    EXPECT_EQ(eightBit.find(u"S", u"k")->size(), std::string(bad).size());
  }
}

// The file of a program that ran on a Chinese Windows, read where its code
// page is not known: every byte stays, and no text becomes mojibake.
TEST(IniEncoding, AnEightBitFileOfAnUnknownCodePageKeepsEveryByte) {
  std::string bytes = "; \xD7\xA2\xCA\xCD\n[Profile1]\r\nSetName65=\xC9\xE4\xBB\xF7\r\nall=";
  for (int byte = 0x80; byte <= 0xFF; ++byte) bytes.push_back(static_cast<char>(byte));
  bytes += "\r\n[Mine]\r\nnote=\xC4\xE3\xBA\xC3";
  IniDocument doc = IniDocument::parse(bytes, unknownCodePage());
  EXPECT_TRUE(doc.holdsUndecodedBytes());
  EXPECT_EQ(doc.serialize(), bytes);

  // A save rewrites the section with the names it read: the same bytes.
  const std::u16string name = *doc.find(u"Profile1", u"SetName65");
  doc.clearSection(u"Profile1");
  doc.setString(u"Profile1", u"SetName65", name);
  doc.setString(u"Profile1", u"Key65", u"66");
  std::string expected = bytes;
  expected.replace(expected.find("all="), expected.find("\r\n[Mine]") - expected.find("all="),
                   "Key65=66");
  EXPECT_EQ(doc.encodeFile(), expected);

  // Text beyond ASCII cannot go into bytes of an unknown code page, and
  // UTF-16 would make mojibake of the names already there: no writing.
  doc.setString(u"Profile1", u"SetName66", u"\u00E9");
  EXPECT_EQ(doc.encodeFile(), std::nullopt);
}

// serialize() of anything parse() made gives the same bytes (but the odd
// last byte of UTF-16) and reads back to itself.
void expectStableRoundTrip(std::string_view bytes) {
  const IniDocument doc = IniDocument::parse(bytes);
  const std::string once = doc.serialize();
  const bool oddUtf16 = bytes.substr(0, 2) == "\xFF\xFE" && bytes.size() % 2 == 1;
  if (!oddUtf16) {
    ASSERT_EQ(once, bytes);
  }
  const std::string twice = IniDocument::parse(once).serialize();
  ASSERT_EQ(once, twice);
}

TEST(IniRobustness, ArbitraryBytesParseAndRoundTrip) {
  std::mt19937 random(7);
  const std::string pieces[] = {"[",    "]",    "=",  ";",  "\r",       "\n",           " ",
                                "\t",   "'",    "\"", "\0", "\xFF\xFE", "\xEF\xBB\xBF", "\xC3\xA9",
                                "\xE9", "\xD8", "a",  "B"};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    const std::size_t count = random() % 40;
    for (std::size_t i = 0; i < count; ++i) bytes += pieces[random() % std::size(pieces)];
    if (round % 3 == 0) bytes.insert(0, "\xFF\xFE");
    expectStableRoundTrip(bytes);
    IniDocument doc = IniDocument::parse(bytes);
    doc.setString(u"a", u"B", u"v");
    ASSERT_EQ(IniDocument::parse(doc.serialize()).find(u"A", u"b"), u"v");
  }
}

TEST(IniRobustness, HugeLinesAndManyLinesAreFine) {
  std::string bytes = "[S]\r\nk=";
  bytes.append(8u << 20, 'x');
  bytes += "\r\n";
  bytes.append(1u << 20, '\n');
  bytes += "last=1";
  IniDocument doc = docOf(bytes);
  EXPECT_EQ(doc.find(u"S", u"k")->size(), 8u << 20);
  EXPECT_EQ(doc.find(u"S", u"last"), u"1");
  doc.setString(u"S", u"new", u"2");
  EXPECT_EQ(doc.keysOf(u"S"), (std::vector<std::u16string>{u"k", u"last", u"new"}));
}

}  // namespace
}  // namespace tarsil::ini
