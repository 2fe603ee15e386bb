// The engine next to the system's own private-profile functions: the same
// reads and writes on copies of the same file must give the same values and
// the same bytes. In this build the system is Wine. Where Wine is known to
// read or write differently from Windows, Windows is what the engine follows;
// each such difference is pinned down below (test suite IniWineDiffers) with
// both results, so a change on either side shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "ini/ini_document.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::TempFolder;
using testing::utf16File;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::string printable(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) {
    if (c == u'\r') {
      out += "\\r";
    } else if (c == u'\n') {
      out += "\\n";
    } else if (c == u'\t') {
      out += "\\t";
    } else if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[12];
      std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
      out += hex;
    }
  }
  return out;
}

std::string printable(std::string_view bytes) {
  return printable(std::u16string(bytes.begin(), bytes.end()));
}

const TempFolder& folder() {
  static const TempFolder folder;
  return folder;
}

// One file for the system's functions and the engine's document of the same
// bytes. Every pair has a file name of its own: the system caches files it
// has read.
class Pair {
 public:
  // No bytes: the file does not exist yet.
  explicit Pair(std::optional<std::string_view> bytes) {
    static int counter = 0;
    path_ = folder() / ("case" + std::to_string(++counter) + ".ini");
    if (bytes) {
      std::ofstream(path_, std::ios::binary)
          .write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
      doc_ = IniDocument::parse(*bytes);
    }
  }
  Pair(const Pair&) = delete;
  Pair& operator=(const Pair&) = delete;
  ~Pair() {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());  // drops the cache
    DeleteFileW(path_.c_str());
  }

  std::u16string systemString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view fallback = u"<missing>") const {
    // Big enough that the system never cuts a value.
    static std::vector<wchar_t> buffer(1 << 20);
    const DWORD length =
        GetPrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), wide(fallback).c_str(),
                                 buffer.data(), static_cast<DWORD>(buffer.size()), path_.c_str());
    return std::u16string(buffer.begin(), buffer.begin() + length);
  }
  std::u16string ourString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view fallback = u"<missing>") const {
    return doc_.getString(section, key, fallback);
  }
  std::int32_t systemInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t fallback = -77) const {
    return static_cast<std::int32_t>(
        GetPrivateProfileIntW(wide(section).c_str(), wide(key).c_str(), fallback, path_.c_str()));
  }
  std::int32_t ourInt(std::u16string_view section, std::u16string_view key,
                      std::int32_t fallback = -77) const {
    return doc_.getInt(section, key, fallback);
  }

  void expectSameString(std::u16string_view section, std::u16string_view key,
                        std::u16string_view fallback = u"<missing>") const {
    EXPECT_EQ(printable(systemString(section, key, fallback)),
              printable(ourString(section, key, fallback)))
        << "[" << printable(section) << "] " << printable(key);
  }
  void expectSameInt(std::u16string_view section, std::u16string_view key) const {
    EXPECT_EQ(systemInt(section, key), ourInt(section, key))
        << "[" << printable(section) << "] " << printable(key);
  }

  void write(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    ASSERT_TRUE(WritePrivateProfileStringW(wide(section).c_str(), wide(key).c_str(),
                                           wide(value).c_str(), path_.c_str()));
    doc_.setString(section, key, value);
  }
  void clear(std::u16string_view section) {
    ASSERT_TRUE(WritePrivateProfileSectionW(wide(section).c_str(), L"\0", path_.c_str()));
    doc_.clearSection(section);
  }

  std::string systemBytes() const { return TempFolder::read(path_); }
  std::string ourBytes() const { return doc_.serialize(); }
  void expectSameBytes() const { EXPECT_EQ(printable(systemBytes()), printable(ourBytes())); }

 private:
  std::filesystem::path path_;
  IniDocument doc_;
};

// Wine rewrites every line from what it parsed: blank lines go, and blanks
// around names, '=' and values go. Windows and the engine leave lines they do
// not write alone. This puts a file into the form Wine writes, so that the
// lines the engine did write can be compared on files with loose formatting.
std::string asWineRewritesIt(std::string_view bytes) {
  const bool utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  std::u16string text;
  if (utf16) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
  } else {
    text.assign(bytes.begin(), bytes.end());
  }
  const auto trim = [](std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
    return s;
  };
  std::u16string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string_view line = trim(std::u16string_view(text).substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == u'\r') ++start;
    if (start < text.size() && text[start] == u'\n') ++start;
    if (line.empty()) continue;
    const std::size_t close = line.rfind(u']');
    const std::size_t equals = line.find(u'=');
    if (line.front() == u'[' && close != std::u16string_view::npos) {
      out.append(u"[").append(trim(line.substr(1, close - 1))).append(u"]");
    } else if (equals != std::u16string_view::npos) {
      out.append(trim(line.substr(0, equals))).append(u"=").append(trim(line.substr(equals + 1)));
    } else {
      out.append(line);
    }
    out.append(u"\r\n");
  }
  if (utf16) return utf16File(out);
  return std::string(out.begin(), out.end());
}

// ---------------------------------------------------------------------------
// Generated cases: seeded random files and sequences of reads and writes.

struct Style {
  bool loose = false;  // blanks around names, '=' and values, blank lines, LF line ends
  bool utf16 = false;  // a UTF-16 file, with non-ASCII values
  bool fileExists = true;
};

class Generator {
 public:
  Generator(unsigned seed, Style style) : random_(seed), style_(style) {}

  // Names meet in several spellings, so case variants and duplicates are common.
  static constexpr const char16_t* kSections[] = {
      u"Profile1", u"profile1", u"PROFILE1", u"Profile2",  u"TYPE",
      u"type",     u"S",        u"s",        u"Macro Set", u"A]B"};
  static constexpr const char16_t* kKeys[] = {u"IndexPic65", u"indexPIC65", u"Key65", u"SetName65",
                                              u"MacroKey0",  u"k",          u"K",     u"two words",
                                              u"#hash",      u"x]"};

  std::u16string section() { return kSections[random_() % std::size(kSections)]; }
  std::u16string key() { return kKeys[random_() % std::size(kKeys)]; }
  // Values never start or end with blanks: Wine strips the leading ones it
  // is given (see IniWineDiffers), and may or may not keep trailing ones
  // depending on whether it reread the file.
  std::u16string value() {
    const int choice = static_cast<int>(random_() % (style_.utf16 ? 16 : 14));
    switch (choice) {
      case 0:
        return formatInt(static_cast<std::int32_t>(random_()));
      case 1:
        return formatInt(static_cast<std::int32_t>(random_() % 200));
      case 2:
        return u"0x1F";
      case 3:
        return u"-12abc";
      case 4:
        return u"\"quoted\"";
      case 5:
        return u"'single'";
      case 6:
        return u"' spaced '";
      case 7:
        return u"\"half'";
      case 8:
        return u"'";
      case 9:
        return u"a=b";
      case 10:
        return u"";
      case 11:
        return u"two\twords inside";
      case 12: {
        std::u16string steps;
        for (int i = 0; i < 50; ++i)
          steps += formatInt(static_cast<std::int32_t>(random_() % 99999)) + u",";
        return steps + u"0";
      }
      case 13:
        return u"Enter";
      case 14:
        return u"\u00C9t\u00E9";
      default:
        return u"\u65E5\u672C \u0416";
    }
  }

  std::u16string blanks() {
    if (!style_.loose) return u"";
    return pick({u"", u"", u" ", u"\t", u"  \t"});
  }

  std::u16string line() {
    switch (random_() % 10) {
      case 0:
      case 1:
        return blanks() + u"[" + blanks() + section() + blanks() + u"]" + blanks();
      case 2:
        return blanks() + u";" + pick({u"comment", u"k=1", u"[S]"});
      case 3:
        return pick({u"junk line", u"#####"});
      case 4:
        if (style_.loose) return blanks();
        [[fallthrough]];
      default:
        return blanks() + key() + blanks() + u"=" + blanks() + value() + blanks();
    }
  }

  std::u16string file() {
    std::u16string text;
    const std::size_t lines = random_() % 25;
    for (std::size_t i = 0; i < lines; ++i) {
      text += line();
      text += style_.loose && random_() % 3 == 0 ? u"\n" : u"\r\n";
    }
    return text;
  }

  bool chance(unsigned percent) { return random_() % 100 < percent; }

  // Query names may carry blanks: the system trims them as the engine does.
  std::u16string queryBlanks() { return pick({u"", u"", u"", u" ", u"\t"}); }

 private:
  std::u16string pick(std::initializer_list<const char16_t*> choices) {
    return *(choices.begin() + random_() % choices.size());
  }

  std::mt19937 random_;
  Style style_;
};

void runGeneratedCase(unsigned seed, Style style) {
  Generator generate(seed, style);
  const std::u16string text = generate.file();
  const std::string bytes = style.utf16 ? utf16File(text) : std::string(text.begin(), text.end());
  std::optional<std::string_view> initial;
  if (style.fileExists) initial = bytes;
  Pair pair(initial);
  std::ostringstream log;
  log << "seed " << seed << ", file: " << (style.fileExists ? printable(text) : "<none>");

  for (int step = 0; step < 25 && !::testing::Test::HasFailure(); ++step) {
    const std::u16string section = generate.section();
    const std::u16string key = generate.key();
    if (generate.chance(40)) {
      const std::u16string value = generate.value();
      log << "\n write [" << printable(section) << "] " << printable(key) << "="
          << printable(value);
      SCOPED_TRACE(log.str());
      pair.write(section, key, value);
      if (style.loose) {
        EXPECT_EQ(printable(asWineRewritesIt(pair.systemBytes())),
                  printable(asWineRewritesIt(pair.ourBytes())));
      } else {
        pair.expectSameBytes();
      }
    } else if (generate.chance(10)) {
      log << "\n clear [" << printable(section) << "]";
      SCOPED_TRACE(log.str());
      pair.clear(section);
      if (style.loose) {
        EXPECT_EQ(printable(asWineRewritesIt(pair.systemBytes())),
                  printable(asWineRewritesIt(pair.ourBytes())));
      } else {
        pair.expectSameBytes();
      }
    } else {
      const std::u16string querySection = generate.queryBlanks() + section + generate.queryBlanks();
      const std::u16string queryKey = generate.queryBlanks() + key + generate.queryBlanks();
      SCOPED_TRACE(log.str());
      pair.expectSameString(querySection, queryKey);
      pair.expectSameInt(querySection, queryKey);
    }
  }
  // Finally every name the generator knows, in every spelling it has.
  SCOPED_TRACE(log.str());
  for (const char16_t* section : Generator::kSections) {
    for (const char16_t* key : Generator::kKeys) {
      if (::testing::Test::HasFailure()) return;
      pair.expectSameString(section, key);
    }
  }
}

TEST(IniDifferentialGenerated, PlainFiles) {
  for (unsigned seed = 1; seed <= 150 && !HasFailure(); ++seed) {
    runGeneratedCase(seed, Style{false, false, seed % 10 != 0});
  }
}

TEST(IniDifferentialGenerated, Utf16Files) {
  for (unsigned seed = 1001; seed <= 1060 && !HasFailure(); ++seed) {
    runGeneratedCase(seed, Style{false, true, true});
  }
}

TEST(IniDifferentialGenerated, LooselyFormattedFiles) {
  for (unsigned seed = 2001; seed <= 2090 && !HasFailure(); ++seed) {
    runGeneratedCase(seed, Style{true, seed % 4 == 0, true});
  }
}

// ---------------------------------------------------------------------------
// The odd cases, where both sides agree.

TEST(IniDifferential, IntegersIncludingHexadecimal) {
  const char* values[] = {"42",
                          "+7",
                          "-12abc",
                          "12 34",
                          "- 5",
                          "abc",
                          "\"42\"",
                          "017",
                          "0x1F",
                          "0x1f",
                          "-0x10",
                          "0X1F",
                          "0xg",
                          "0b101",
                          "0o17",
                          "0o8",
                          "0x",
                          "4294967297",
                          "2147483648",
                          "-2147483649",
                          "12345678901234567890123456789",
                          "",
                          "''",
                          "' '",
                          "\"-0x7FFFFFFF\""};
  std::string file = "[I]\r\n";
  for (std::size_t i = 0; i < std::size(values); ++i) {
    file += "v" + std::to_string(i) + "=" + values[i] + "\r\n";
  }
  Pair pair(file);
  for (std::size_t i = 0; i < std::size(values); ++i) {
    pair.expectSameInt(u"I", u"v" + formatInt(static_cast<std::int32_t>(i)));
  }
  pair.expectSameInt(u"I", u"missing");
  EXPECT_EQ(pair.systemInt(u"I", u"v8"), 31);  // "0x1F"
}

TEST(IniDifferential, TrimmingAndQuotes) {
  const char* lines[] = {"k0=v",
                         "  k1  =  two words \t ",
                         "\tk2\t=\tv\t",
                         "k3=a=b",
                         "k4='x'",
                         "k5=\"x\"",
                         "k6 = \" padded \" ",
                         "k7=''",
                         "k8=\"x'",
                         "k9='",
                         "k10=''x''",
                         "k11='a'b'",
                         "k12=x'",
                         "k13=\xA0x\xA0"};
  std::string file = "[S]\r\n";
  for (const char* line : lines) file += std::string(line) + "\r\n";
  Pair pair(file);
  for (int i = 0; i < static_cast<int>(std::size(lines)); ++i) {
    pair.expectSameString(u"S", u"k" + formatInt(i));
  }
  // The default loses its trailing spaces, not its tabs.
  pair.expectSameString(u"S", u"missing", u" x  ");
  pair.expectSameString(u"S", u"missing", u"x\t");
  pair.expectSameString(u" s\t", u"\tK0 ");
}

TEST(IniDifferential, HeadersAndOddLines) {
  Pair pair(
      "[A] trailing text\r\na=1\r\n[B]x]\r\nb=2\r\n  [ C ]  \r\nc=3\r\n[D\r\nd=4\r\n"
      "#hash=5\r\n=6\r\n[x=7\r\n");
  for (const auto& [section, key] :
       std::initializer_list<std::pair<const char16_t*, const char16_t*>>{{u"A", u"a"},
                                                                          {u"B]x", u"b"},
                                                                          {u"B", u"b"},
                                                                          {u"C", u"c"},
                                                                          {u"C", u"d"},
                                                                          {u"D", u"d"},
                                                                          {u"C", u"#hash"},
                                                                          {u"C", u""},
                                                                          {u"C", u"[x"}}) {
    pair.expectSameString(section, key);
  }
  pair.write(u"C", u"new", u"1");
  EXPECT_EQ(printable(asWineRewritesIt(pair.systemBytes())),
            printable(asWineRewritesIt(pair.ourBytes())));
}

TEST(IniDifferential, LineEnds) {
  Pair pair("[S]\na=1\rb=2\r\nc=3\nd=4");
  for (const char16_t* key : {u"a", u"b", u"c", u"d"}) pair.expectSameString(u"S", key);
  pair.write(u"S", u"e", u"5");
  EXPECT_EQ(printable(asWineRewritesIt(pair.systemBytes())),
            printable(asWineRewritesIt(pair.ourBytes())));
}

TEST(IniDifferential, DuplicatesAndEmptiedSections) {
  Pair pair("[A]\r\nk=1\r\nK=2\r\n;c\r\n[B]\r\nb=1\r\n[a]\r\nk=3\r\nj=4\r\n");
  pair.expectSameString(u"a", u"K");
  pair.expectSameString(u"A", u"j");
  pair.write(u"a", u"j", u"5");
  pair.expectSameBytes();
  // Every section of the name is emptied; a missing one is not created.
  pair.clear(u"A");
  pair.expectSameBytes();
  pair.clear(u"Missing");
  pair.expectSameBytes();
  pair.write(u"A", u"k", u"6");
  pair.expectSameBytes();
  pair.expectSameString(u"A", u"k");
}

TEST(IniDifferential, Utf16FilesAndEveryCodeUnit) {
  // Lone surrogates and characters outside the BMP survive both readers.
  Pair pair(utf16File(u"[S]\r\nname=\u00C9t\u00E9 \U0001F600\r\nlone=\xD800x\xDC00\r\n"));
  pair.expectSameString(u"S", u"name");
  pair.expectSameString(u"S", u"lone");
  pair.write(u"S", u"new", u"\u65E5\u672C\xDBFF");
  pair.write(u"T", u"ascii", u"1");
  pair.expectSameBytes();
  pair.expectSameString(u"S", u"new");
}

TEST(IniDifferential, AnAsciiFileWrittenFromScratch) {
  Pair pair(std::nullopt);
  pair.write(u"Profile1", u"IndexPic65", u"0");
  pair.write(u"Profile1", u"SetName65", u"A");
  pair.write(u"TYPE", u"type", u"1");
  pair.clear(u"Profile1");
  pair.write(u"Profile1", u"IndexPic65", u"1");
  pair.expectSameBytes();
}

TEST(IniDifferential, LongValuesAreReadWhole) {
  const std::string macro(5000, '7');
  Pair pair("[S]\r\nMacroKey0=" + macro + "\r\n");
  pair.expectSameString(u"S", u"MacroKey0");
}

// ---------------------------------------------------------------------------
// Where Wine and Windows part. Each test states what each side does.

// Windows does not know the UTF-8 byte order mark: its three bytes are part
// of the first line, so a header there is no header. Wine skips the mark.
TEST(IniWineDiffers, Utf8ByteOrderMark) {
  Pair pair("\xEF\xBB\xBF[S]\r\nk=1\r\n");
  EXPECT_EQ(pair.systemString(u"S", u"k"), u"1");
  EXPECT_EQ(pair.ourString(u"S", u"k"), u"<missing>");
}

// Windows compares names as it upper-cases them, beyond ASCII too; Wine 8
// folds only ASCII letters.
TEST(IniWineDiffers, CaseOfNonAsciiNames) {
  Pair pair(utf16File(u"[\u00C4rger]\r\nk\u00E9y\u0416=1\r\n"));
  EXPECT_EQ(pair.systemString(u"\u00E4RGER", u"K\u00C9Y\u0436"), u"<missing>");
  EXPECT_EQ(pair.ourString(u"\u00E4RGER", u"K\u00C9Y\u0436"), u"1");
  EXPECT_EQ(pair.systemString(u"\u00C4RGER", u"K\u00E9Y\u0416"),
            u"1");  // same letters: both find it
  EXPECT_EQ(pair.ourString(u"\u00C4RGER", u"K\u00E9Y\u0416"), u"1");
}

// A line whose first non-blank character is ';' is a comment and holds no
// key. Wine keeps such a line as a key named with the ';'.
TEST(IniWineDiffers, CommentLinesHoldNoKey) {
  Pair pair("[S]\r\n;k=1\r\n");
  EXPECT_EQ(pair.systemString(u"S", u";k"), u"1");
  EXPECT_EQ(pair.ourString(u"S", u";k"), u"<missing>");
}

// A line without '=' is no key. Wine keeps it as a key without a value: it
// hides a later key of the same name and is what a write of that name fills.
TEST(IniWineDiffers, LinesWithoutEqualsHoldNoKey) {
  Pair pair("[S]\r\nalone\r\nalone=3\r\n");
  EXPECT_EQ(pair.systemString(u"S", u"alone"), u"<missing>");
  EXPECT_EQ(pair.ourString(u"S", u"alone"), u"3");
  pair.write(u"S", u"alone", u"4");
  EXPECT_EQ(pair.systemBytes(), "[S]\r\nalone=4\r\nalone=3\r\n");
  EXPECT_EQ(pair.ourBytes(), "[S]\r\nalone\r\nalone=4\r\n");
}

// Only spaces and tabs are blanks around names and values. Wine also strips
// the other C white space characters and Ctrl-Z.
TEST(IniWineDiffers, OtherWhiteSpaceIsText) {
  Pair pair(
      "[S]\r\nv=\x0B"
      "1\x0B\r\nf=\x0C"
      "2\r\nz=3\x1A\r\n");
  EXPECT_EQ(pair.systemString(u"S", u"v"), u"1");
  EXPECT_EQ(pair.ourString(u"S", u"v"), u"\v1\v");
  EXPECT_EQ(pair.systemString(u"S", u"f"), u"2");
  EXPECT_EQ(pair.ourString(u"S", u"f"), u"\f2");
  EXPECT_EQ(pair.systemString(u"S", u"z"), u"3");
  EXPECT_EQ(pair.ourString(u"S", u"z"), u"3\x1A");
  // The integer reader skips them anyway.
  EXPECT_EQ(pair.systemInt(u"S", u"v"), 1);
  EXPECT_EQ(pair.ourInt(u"S", u"v"), 1);
}

// Lines before the first header belong to no section for Windows; Wine files
// them under the section "".
TEST(IniWineDiffers, LinesBeforeTheFirstHeader) {
  Pair pair("top=1\r\n[S]\r\nk=2\r\n");
  EXPECT_EQ(pair.systemString(u"", u"top"), u"1");
  EXPECT_EQ(pair.ourString(u"", u"top"), u"<missing>");
}

// Windows writes the value it is given. Wine drops the value's leading
// blanks, and keeps trailing blanks of a new section or key name.
TEST(IniWineDiffers, BlanksInWrittenText) {
  Pair pair("[S]\r\nk=1\r\n");
  pair.write(u"S", u"k", u"  lead");
  EXPECT_EQ(pair.systemBytes(), "[S]\r\nk=lead\r\n");
  EXPECT_EQ(pair.ourBytes(), "[S]\r\nk=  lead\r\n");
  EXPECT_EQ(pair.ourString(u"S", u"k"), pair.systemString(u"S", u"k"));  // read back the same

  Pair names("[S]\r\nk=1\r\n");
  names.write(u"  T  ", u"  n  ", u"v");
  EXPECT_EQ(names.systemBytes(), "[S]\r\nk=1\r\n[T  ]\r\nn  =v\r\n");
  EXPECT_EQ(names.ourBytes(), "[S]\r\nk=1\r\n[T]\r\nn=v\r\n");
}

// Windows changes only the line it writes. Wine writes every line again from
// what it parsed: blank lines vanish, blanks around '=' go, and every line
// ends in CR LF.
TEST(IniWineDiffers, UntouchedLinesKeepTheirForm) {
  Pair pair("[S]\r\n  a = 1 \r\n\r\n[T]\r\nt=2\r\n");
  pair.write(u"S", u"b", u"2");
  EXPECT_EQ(pair.systemBytes(), "[S]\r\na=1\r\nb=2\r\n[T]\r\nt=2\r\n");
  EXPECT_EQ(pair.ourBytes(), "[S]\r\n  a = 1 \r\nb=2\r\n\r\n[T]\r\nt=2\r\n");

  Pair ends("[S]\na=1\rb=2\nc=3");
  ends.write(u"S", u"d", u"4");
  EXPECT_EQ(ends.systemBytes(), "[S]\r\na=1\r\nb=2\r\nc=3\r\nd=4\r\n");
  EXPECT_EQ(ends.ourBytes(), "[S]\na=1\rb=2\nc=3\r\nd=4\r\n");
}

// Our choice, not a difference between the systems: a file we write that
// needs more than ASCII is UTF-16 with BOM, so every wide name survives. Both
// systems write such text to a file without BOM in the ANSI code page,
// where characters outside it are lost.
TEST(IniWineDiffers, NonAsciiTextInAnEightBitFile) {
  Pair pair(std::nullopt);
  pair.write(u"S", u"name", u"\u00E9\u65E5");
  EXPECT_EQ(pair.systemBytes(), "[S]\r\nname=\xE9?\r\n");
  EXPECT_EQ(pair.ourBytes(), utf16File(u"[S]\r\nname=\u00E9\u65E5\r\n"));
}

// Also our choice: a file without BOM that is valid UTF-8 is read as UTF-8
// and stays UTF-8, so a file saved as UTF-8 by an editor keeps its names.
// Both systems read it in the ANSI code page. A file that is not valid UTF-8
// reads the same on all sides.
TEST(IniWineDiffers, Utf8WithoutByteOrderMark) {
  Pair pair("[S]\r\nu=\xC3\xA9\r\n");
  EXPECT_EQ(pair.systemString(u"S", u"u"), u"\u00C3\u00A9");
  EXPECT_EQ(pair.ourString(u"S", u"u"), u"\u00E9");
  Pair ansi("[S]\r\nu=\xC3\xA9\r\nl=\xE9\r\n");
  ansi.expectSameString(u"S", u"u");
  ansi.expectSameString(u"S", u"l");
}

// Wine's integer read goes through a 30-character buffer, so a longer value
// is cut first; the engine reads values whole.
TEST(IniWineDiffers, IntegersLongerThan29Characters) {
  Pair pair("[S]\r\nk=000000000000000000000000000000123\r\n");
  EXPECT_EQ(pair.systemInt(u"S", u"k"), 0);
  EXPECT_EQ(pair.ourInt(u"S", u"k"), 123);
}

// A UTF-16 file of an odd length ends in half a character, which the engine
// drops. Wine reads it as a whole character, its other half taken from
// beyond the end of the file.
TEST(IniWineDiffers, AnOddLastByteOfUtf16) {
  Pair pair(utf16File(u"[S]\r\nk=1") + "\x41");
  EXPECT_EQ(pair.systemString(u"S", u"k"), u"1A");
  EXPECT_EQ(pair.ourString(u"S", u"k"), u"1");
}

// The system hands values out as C strings, so a NUL in a file ends the value
// for its callers. The engine keeps the whole value; the lines after it are
// the same for both.
TEST(IniWineDiffers, NulInsideAValue) {
  Pair pair(
      std::string("[S]\r\na=1\0"
                  "2\r\nb=3\r\n",
                  20));
  EXPECT_EQ(pair.systemString(u"S", u"a"), u"1");
  EXPECT_EQ(pair.ourString(u"S", u"a"), std::u16string(u"1\0"
                                                       u"2",
                                                       3));
  pair.expectSameString(u"S", u"b");
}

}  // namespace
}  // namespace tarsil::ini
