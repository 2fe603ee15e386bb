#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarsil {
namespace {

TEST(StartOptions, AlwaysOnIsFoundAmongOtherWordsAndQuotes) {
  EXPECT_FALSE(parseStartOptions(u"").alwaysOn);
  EXPECT_TRUE(parseStartOptions(u"--always-on").alwaysOn);
  EXPECT_TRUE(parseStartOptions(u"  \"--always-on\"\t").alwaysOn);
  EXPECT_TRUE(parseStartOptions(u"/always-on").alwaysOn);
  const StartOptions mixed = parseStartOptions(u"-x --always-on \"two words\"");
  EXPECT_TRUE(mixed.alwaysOn);
  EXPECT_EQ(mixed.unknown, (std::vector<std::u16string>{u"-x", u"two words"}));
}

TEST(StartOptions, NearMissesDoNotSwitchTranslationOn) {
  for (const char16_t* line :
       {u"--always-onn", u"--Always-On", u"always-on", u"\"--always -on\""}) {
    EXPECT_FALSE(parseStartOptions(line).alwaysOn);
  }
}

TEST(StartOptions, UnknownWordsAreNamedWithEveryOptionTheProgramKnows) {
  EXPECT_EQ(unknownOptionsNotice(parseStartOptions(u"--always-on")), u"");
  EXPECT_EQ(unknownOptionsNotice(parseStartOptions(u"--alwayson")),
            u"Unknown option: --alwayson\n\n"
            u"The program starts as usual. It knows these options:\n\n"
            u"--always-on (or /always-on): translate keys as if the keyboard were attached, for "
            u"keyboards of this family that report another vendor ID.");
  const std::u16string several = unknownOptionsNotice(parseStartOptions(u"-x \"two words\" \"\""));
  EXPECT_TRUE(several.starts_with(u"Unknown options: -x, \"two words\", \"\"\n\n"));
}

}  // namespace
}  // namespace tarsil
