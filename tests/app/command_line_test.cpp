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
  EXPECT_FALSE(mixed.tray);
}

TEST(StartOptions, TrayStandsAloneOrBesideAlwaysOn) {
  // The sign-in start writes "--tray"; an administrator may add the other.
  const StartOptions signIn = parseStartOptions(u"--tray");
  EXPECT_TRUE(signIn.tray);
  EXPECT_FALSE(signIn.alwaysOn);
  const StartOptions both = parseStartOptions(u"/always-on \"--tray\" --tray");
  EXPECT_TRUE(both.tray && both.alwaysOn);
  EXPECT_TRUE(both.unknown.empty());
  for (const char16_t* line : {u"--tray=1", u"-tray", u"--Tray", u"tray"}) {
    const StartOptions miss = parseStartOptions(line);
    EXPECT_FALSE(miss.tray);
    EXPECT_EQ(miss.unknown.size(), 1u);
  }
}

TEST(StartOptions, NearMissesDoNotSwitchTranslationOn) {
  for (const char16_t* line :
       {u"--always-onn", u"--Always-On", u"always-on", u"\"--always -on\""}) {
    EXPECT_FALSE(parseStartOptions(line).alwaysOn);
  }
}

TEST(StartOptions, ProfileTakesOneToThreeOrNextAsTheWordAfterIt) {
  EXPECT_EQ(parseStartOptions(u"--profile 2").profile, 2);
  EXPECT_EQ(parseStartOptions(u"--tray /profile next").profile, kNextProfileOption);
  EXPECT_EQ(parseStartOptions(u"--tray").profile, std::nullopt);
  // A value it cannot take is no profile; both words are named, unless the
  // second is an option of its own.
  const StartOptions wrong = parseStartOptions(u"--profile 4 --profile --tray --profile");
  EXPECT_EQ(wrong.profile, std::nullopt);
  EXPECT_TRUE(wrong.tray);
  EXPECT_EQ(wrong.unknown,
            (std::vector<std::u16string>{u"--profile", u"4", u"--profile", u"--profile"}));
}

TEST(StartOptions, UnknownWordsAreNamedWithEveryOptionTheProgramKnows) {
  EXPECT_EQ(unknownOptionsNotice(parseStartOptions(u"--always-on")), u"");
  EXPECT_EQ(unknownOptionsNotice(parseStartOptions(u"--alwayson")),
            u"Unknown option: --alwayson\n\n"
            u"The program starts as usual. It knows these options:\n\n"
            u"--always-on (or /always-on): translate keys as if the keyboard were attached, for "
            u"keyboards of this family that report another vendor ID.\n"
            u"--tray (or /tray): start in the notification area with the window hidden, as a "
            u"start at sign-in does.\n"
            u"--profile N (or /profile N): make profile N (1, 2, 3, or next for the one after "
            u"the active one) the active one; a running program switches to it and stays hidden "
            u"or shown as it is.");
  const std::u16string several = unknownOptionsNotice(parseStartOptions(u"-x \"two words\" \"\""));
  EXPECT_TRUE(several.starts_with(u"Unknown options: -x, \"two words\", \"\"\n\n"));
}

}  // namespace
}  // namespace tarsil
