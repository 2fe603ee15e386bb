#include "layout/layout_file.h"

#include <gtest/gtest.h>

#include <string>

#include "session/session_files.h"

namespace tarsil {
namespace {

TEST(LayoutEntry, ReadsSixOrFiveFieldsAsWritten) {
  const KeySlot key = parseLayoutEntry(u"12,-4,40,38,65, A ", true);
  EXPECT_EQ(key.rect(), (SlotRect{12, -4, 52, 34}));
  EXPECT_EQ(key.vk, 65);
  EXPECT_EQ(key.caption, u" A ");  // spaces belong to the caption

  const KeySlot button = parseLayoutEntry(u"900,10,60,20,Close,extra,fields", false);
  EXPECT_EQ(button.caption, u"Close");
  EXPECT_EQ(button.vk, 0);
}

TEST(LayoutEntry, MissingOrOddFieldsReadAsZeroOrEmpty) {
  const KeySlot few = parseLayoutEntry(u"5,6", true);
  EXPECT_EQ(few.rect(), (SlotRect{5, 6, 5, 6}));
  EXPECT_EQ(few.caption, u"");
  const KeySlot odd = parseLayoutEntry(u" +7px,x,,\t-3,0x41,Esc", true);
  EXPECT_EQ(odd.left, 7);
  EXPECT_EQ(odd.top, 0);
  EXPECT_EQ(odd.width, 0);
  EXPECT_EQ(odd.height, -3);
  EXPECT_EQ(odd.vk, 0);  // decimal only
  EXPECT_EQ(parseLayoutEntry(u"", false).caption, u"");
  EXPECT_EQ(layoutField(u"a,b,", 2), u"");
  EXPECT_EQ(layoutField(u"a,b,", 3), u"");
}

TEST(MainLayout, FillsSlotsAndTheMultimediaTableFromItsSlots) {
  const ini::IniDocument file = ini::IniDocument::parse(
      "[BUTTONINFO]\r\n1=0,0,40,40,27,Esc\r\n103=1,1,1,1,200,Dup\r\n104=0,0,1,1,173,Mute\r\n"
      "105=0,0,1,1,179,Play/Pause\r\n106=0,0,1,1,180,Play/Pause\r\n121=0,0,1,1,181,Mail\r\n"
      "122=900,5,50,20,Close\r\n132=9,9,9,9,Profile3\r\n");
  const MainLayout layout = readMainLayout(file);
  EXPECT_EQ(layout.slots[0].vk, 27);
  EXPECT_EQ(layout.slots[0].caption, u"Esc");
  EXPECT_EQ(layout.slots[121].caption, u"Close");
  EXPECT_EQ(layout.slots[131].caption, u"Profile3");
  EXPECT_EQ(layout.slots[1].rect(), SlotRect{});  // a missing entry is never hit
  // 104..121 only; the first of two equal names keeps its code; missing
  // slots in the range add the empty name once.
  EXPECT_EQ(layout.media.at(u"Mute"), 173);
  EXPECT_EQ(layout.media.at(u"Play/Pause"), 179);
  EXPECT_EQ(layout.media.at(u"Mail"), 181);
  EXPECT_FALSE(layout.media.contains(u"Dup"));
  EXPECT_EQ(layout.media.at(u""), 0);
}

TEST(DialogLayout, ReadsTwentyEightEntriesAndAMissingOneIsEmpty) {
  const ini::IniDocument file = ini::IniDocument::parse(
      "[buttoninfo]\r\n1=10,20,30,40,OK\r\n23=1,2,3,4,list\r\n28=5,6,7,8,clear\r\n");
  const DialogLayout layout = readDialogLayout(file);
  ASSERT_EQ(layout.size(), 28u);
  EXPECT_EQ(layout[0].rect(), (SlotRect{10, 20, 40, 60}));
  EXPECT_EQ(layout[22].caption, u"list");
  EXPECT_EQ(layout[27].caption, u"clear");
  EXPECT_EQ(layout[23].rect(), SlotRect{});  // an older file: no timing controls
}

TEST(SlotRect, ContainsItsTopLeftButNotItsFarEdges) {
  const SlotRect r{10, 20, 30, 40};
  EXPECT_TRUE(r.contains(10, 20));
  EXPECT_TRUE(r.contains(29, 39));
  EXPECT_FALSE(r.contains(30, 20));
  EXPECT_FALSE(r.contains(10, 40));
  EXPECT_FALSE(SlotRect{}.contains(0, 0));
}

// Settings name their keys by the codes of slots 1..121: a layout that
// lacks one of them, gives one no code or two the same is refused by the
// first slot at fault.
TEST(MainLayout, IsRefusedByTheFirstKeySlotMissingWithoutACodeOrSharingOne) {
  const auto problemOf = [](const std::string& text) {
    const ini::IniDocument file = ini::IniDocument::parse(text);
    return mainLayoutProblem(file, readMainLayout(file));
  };
  const std::string whole = testing::mainIniOf(testing::makeLayout());
  const std::size_t slot3 = whole.find("\r\n3=") + 2;
  const std::size_t slot3End = whole.find("\r\n", slot3);
  const auto withSlot3 = [&](const std::string& line) {
    return whole.substr(0, slot3) + line + whole.substr(slot3End);
  };
  EXPECT_EQ(problemOf(whole), "");
  // Cut short, as a file that lost its end.
  EXPECT_EQ(problemOf(whole.substr(0, whole.find("\r\n60=") + 2)),
            "slot 60 is missing ([BUTTONINFO] has no entry 60)");
  EXPECT_EQ(problemOf(withSlot3("3=80,0,38,38,65,F")),
            "slot 1 (A) and slot 3 (F) both carry the key code 65");
  EXPECT_EQ(problemOf(withSlot3("3=80,0,38,38,,F")), "slot 3 (F) carries no key code");
  EXPECT_EQ(problemOf(withSlot3("3=80,0,38,38,300,F")),
            "slot 3 (F) carries the key code 300, which names no key (key codes are 1..254)");
  // The dialog's layout has five fields an entry: its captions are no codes.
  EXPECT_EQ(problemOf("[BUTTONINFO]\r\n1=384,446,100,36,OK\r\n2=492,446,100,36,Cancel\r\n"),
            "slot 1 carries no key code");
}

}  // namespace
}  // namespace tarsil
