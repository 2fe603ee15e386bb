#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tarsil {
namespace {

TEST(StartOptions, AlwaysOnIsFoundAmongOtherWordsAndQuotes) {
  EXPECT_FALSE(parseStartOptions(u"").alwaysOn);
  EXPECT_TRUE(parseStartOptions(u"--always-on").alwaysOn);
  EXPECT_TRUE(parseStartOptions(u"  \"--always-on\"\t").alwaysOn);
  EXPECT_TRUE(parseStartOptions(u"/always-on").alwaysOn);
  const StartOptions mixed = parseStartOptions(u"-x --always-on \"two words\"");
  EXPECT_TRUE(mixed.alwaysOn);
  EXPECT_EQ(mixed.unknown, u"-x two words");
}

TEST(StartOptions, NearMissesDoNotSwitchTranslationOn) {
  for (const char16_t* line :
       {u"--always-onn", u"--Always-On", u"always-on", u"\"--always -on\""}) {
    EXPECT_FALSE(parseStartOptions(line).alwaysOn);
  }
}

}  // namespace
}  // namespace tarsil
