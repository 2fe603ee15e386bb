// Writes: in place, appended, new sections, emptied sections, and writes the
// file cannot hold as one line.
#include <gtest/gtest.h>

#include <random>

#include "ini/ini_document.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::docOf;

TEST(IniWrite, ReplacesTheValueInPlaceAndLeavesOtherLinesAsTheyWere) {
  IniDocument doc = docOf("[S]\n  ; note \n  KEY  =  old  \nother = x\n");
  doc.setString(u"s", u"key", u"new");
  // The key keeps the file's spelling, and every line its own line end.
  EXPECT_EQ(doc.serialize(), "[S]\n  ; note \nKEY=new\nother = x\n");
}

TEST(IniWrite, LinesTheWriteDoesNotTouchKeepTheirLineEnds) {
  IniDocument doc = docOf("[S]\na=1\rb=2\r\nc=3\nd=4");
  EXPECT_EQ(doc.serialize(), "[S]\na=1\rb=2\r\nc=3\nd=4");
  doc.setString(u"S", u"b", u"two");
  doc.setString(u"S", u"e", u"5");  // the last line gains an end, the new one has CR LF
  EXPECT_EQ(doc.serialize(), "[S]\na=1\rb=two\r\nc=3\nd=4\r\ne=5\r\n");
}

TEST(IniWrite, WritingTheSameValueChangesNothing) {
  IniDocument doc = docOf("[S]\r\n k = 'v' \r\n");
  doc.setString(u"S", u"k", u"'v'");
  EXPECT_EQ(doc.serialize(), "[S]\r\n k = 'v' \r\n");
  doc.setString(u"S", u"k", u"v");  // reads the same, but is other text
  EXPECT_EQ(doc.serialize(), "[S]\r\nk=v\r\n");
}

TEST(IniWrite, NewKeysFollowTheLastNonBlankLineOfTheirSection) {
  IniDocument doc = docOf("[A]\r\na=1\r\n;end of A\r\n\r\n\r\n[B]\r\nb=1");
  doc.setString(u"A", u"n1", u"x");
  doc.setString(u"a", u"n2", u"y");
  doc.setString(u"B", u"n3", u"z");
  EXPECT_EQ(doc.serialize(),
            "[A]\r\na=1\r\n;end of A\r\nn1=x\r\nn2=y\r\n\r\n\r\n[B]\r\nb=1\r\nn3=z\r\n");
  EXPECT_EQ(doc.find(u"A", u"n2"), u"y");
  EXPECT_EQ(doc.keysOf(u"A"), (std::vector<std::u16string>{u"a", u"n1", u"n2"}));
}

TEST(IniWrite, NewSectionsGoToTheEndWithoutABlankLine) {
  IniDocument doc;
  doc.setInt(u"Profile1", u"IndexPic65", 0);
  doc.setString(u"Profile1", u"SetName65", u"A");
  doc.setInt(u"TYPE", u"type", 3);
  doc.setInt(u"Profile1", u"MacroStrNum", -2);
  EXPECT_EQ(doc.serialize(),
            "[Profile1]\r\nIndexPic65=0\r\nSetName65=A\r\nMacroStrNum=-2\r\n[TYPE]\r\ntype=3\r\n");
  EXPECT_EQ(doc.getInt(u"type", u"TYPE", 1), 3);
}

TEST(IniWrite, WritesGoToTheFirstSectionAndKeyOfTheirName) {
  IniDocument doc = docOf("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n");
  doc.setString(u"a", u"K", u"9");
  doc.setString(u"a", u"j", u"8");
  EXPECT_EQ(doc.serialize(), "[A]\r\nk=9\r\nk=2\r\nj=8\r\n[a]\r\nk=3\r\n");
}

TEST(IniWrite, NamesAreTrimmedAsTheReaderTrimsThem) {
  IniDocument doc;
  doc.setString(u"  S\t", u"\t key ", u" value ");
  EXPECT_EQ(doc.serialize(), "[S]\r\nkey= value \r\n");
  EXPECT_EQ(doc.find(u"S", u"key"), u"value");
}

TEST(IniWrite, TheLastLineGetsItsLineEnd) {
  IniDocument doc = docOf("[A]\r\nk=1");
  doc.setString(u"B", u"x", u"2");
  EXPECT_EQ(doc.serialize(), "[A]\r\nk=1\r\n[B]\r\nx=2\r\n");
}

TEST(IniClear, KeepsTheHeaderAndDropsEveryLineOfTheSection) {
  IniDocument doc = docOf("top\r\n[A]\r\n;c\r\nk=1\r\n\r\n[B]\r\nb=2\r\n[a]\r\nk=3\r\n");
  doc.clearSection(u" a ");
  EXPECT_EQ(doc.serialize(), "top\r\n[A]\r\n[B]\r\nb=2\r\n[a]\r\n");
  EXPECT_TRUE(doc.hasSection(u"A"));
  EXPECT_EQ(doc.find(u"A", u"k"), std::nullopt);
  EXPECT_TRUE(doc.keysOf(u"A").empty());
  doc.setString(u"A", u"k", u"4");  // right below the header again
  EXPECT_EQ(doc.serialize(), "top\r\n[A]\r\nk=4\r\n[B]\r\nb=2\r\n[a]\r\n");
}

TEST(IniClear, AMissingSectionIsNotCreated) {
  IniDocument doc = docOf("[A]\r\nk=1\r\n");
  doc.clearSection(u"B");
  EXPECT_EQ(doc.serialize(), "[A]\r\nk=1\r\n");
  EXPECT_FALSE(doc.hasSection(u"B"));
}

TEST(IniClear, ASavedSectionComesBackInWriteOrderBetweenItsNeighbours) {
  IniDocument doc = docOf("[Profile1]\r\nold=1\r\n[Profile2]\r\nkeep=2\r\n");
  doc.clearSection(u"Profile1");
  for (int i = 0; i < 500; ++i) doc.setInt(u"Profile1", u"Key" + formatInt(i), i);
  const std::vector<std::u16string> keys = doc.keysOf(u"Profile1");
  ASSERT_EQ(keys.size(), 500u);
  EXPECT_EQ(keys.front(), u"Key0");
  EXPECT_EQ(keys.back(), u"Key499");
  EXPECT_EQ(doc.getInt(u"Profile1", u"key321", -1), 321);
  EXPECT_EQ(doc.find(u"Profile1", u"old"), std::nullopt);
  EXPECT_EQ(doc.find(u"Profile2", u"keep"), u"2");
  const std::string bytes = doc.serialize();
  EXPECT_NE(bytes.find("Key499=499\r\n[Profile2]"), std::string::npos);
}

// The document must read exactly as the file it writes will read.
void expectReadsAsItsFile(const IniDocument& doc, std::u16string_view section,
                          std::initializer_list<std::u16string_view> keys) {
  const IniDocument file = IniDocument::parse(doc.serialize());
  EXPECT_EQ(file.serialize(), doc.serialize());
  EXPECT_EQ(file.hasSection(section), doc.hasSection(section));
  EXPECT_EQ(file.keysOf(section), doc.keysOf(section));
  for (const std::u16string_view key : keys) {
    EXPECT_EQ(file.find(section, key), doc.find(section, key))
        << std::string(key.begin(), key.end());
  }
}

TEST(IniWrite, TextThatIsNoSingleLineIsWrittenAsIsAndReadAsTheFileWill) {
  IniDocument doc = docOf("[S]\r\nk=1\r\n");
  doc.setString(u"S", u"k", u"a\r\nb=c");
  EXPECT_EQ(doc.serialize(), "[S]\r\nk=a\r\nb=c\r\n");
  EXPECT_EQ(doc.find(u"S", u"b"), u"c");

  doc.setString(u"S", u"x=y", u"1");
  EXPECT_EQ(doc.find(u"S", u"x=y"), std::nullopt);
  EXPECT_EQ(doc.find(u"S", u"x"), u"y=1");
  doc.setString(u"S", u";c", u"2");
  EXPECT_EQ(doc.find(u"S", u";c"), std::nullopt);
  doc.setString(u"S", u"[T]", u"3");
  EXPECT_TRUE(doc.hasSection(u"T"));
  expectReadsAsItsFile(doc, u"S", {u"k", u"b", u"x", u"x=y", u";c"});
  expectReadsAsItsFile(doc, u"T", {u"[T]"});

  IniDocument sections;
  sections.setString(u"A\nB", u"k", u"1");
  EXPECT_EQ(sections.serialize(), "[A\nB]\r\nk=1\r\n");
  // Neither "[A" nor "B]" is a header: the key ends up in no section.
  EXPECT_FALSE(sections.hasSection(u"A\nB"));
  EXPECT_FALSE(sections.hasSection(u"A"));
  expectReadsAsItsFile(sections, u"A\nB", {u"k"});
}

TEST(IniWrite, RandomEditsKeepTheDocumentInStepWithItsFile) {
  // Names from a small alphabet, so that case variants, duplicates and
  // awkward characters meet often.
  const std::u16string alphabet = u"aAbB; =[]'\"\t\u00E9\u00C9";
  std::mt19937 random(20240611);
  const auto name = [&] {
    std::u16string text;
    const std::size_t length = random() % 4;
    for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
    return text;
  };
  for (int round = 0; round < 200; ++round) {
    IniDocument doc = docOf("[a]\r\nb=1\r\n\r\n;x\r\n[A]\r\nb=2\r\n");
    std::vector<std::pair<std::u16string, std::u16string>> probes;
    for (int step = 0; step < 30; ++step) {
      const std::u16string section = name();
      const std::u16string key = name();
      probes.emplace_back(section, key);
      if (random() % 8 == 0) {
        doc.clearSection(section);
      } else {
        doc.setString(section, key, name());
      }
    }
    const IniDocument file = IniDocument::parse(doc.serialize());
    ASSERT_EQ(file.serialize(), doc.serialize());
    for (const auto& [section, key] : probes) {
      ASSERT_EQ(file.find(section, key), doc.find(section, key));
      ASSERT_EQ(file.keysOf(section), doc.keysOf(section));
    }
  }
}

TEST(IniDocumentValue, CopiesAreIndependentAndMovedFromDocumentsAreEmpty) {
  IniDocument original = docOf("[S]\r\nk=1\r\n");
  IniDocument copy = original;
  copy.setString(u"S", u"k", u"2");
  EXPECT_EQ(original.find(u"S", u"k"), u"1");
  EXPECT_EQ(copy.find(u"S", u"k"), u"2");
  IniDocument moved = std::move(copy);
  EXPECT_EQ(moved.find(u"S", u"k"), u"2");
  EXPECT_EQ(copy.serialize(), "");  // NOLINT(bugprone-use-after-move): stays usable
  copy.setString(u"T", u"x", u"1");
  EXPECT_EQ(copy.find(u"T", u"x"), u"1");
}

}  // namespace
}  // namespace tarsil::ini
