#include "ui/controls/bit_button_state.h"

#include <gtest/gtest.h>

#include <string>

namespace tarsil {
namespace {

// Plays mouse events ("move", "hover", "leave", "down", "up", "up outside",
// "select", "deselect") and returns the face after each: "normal hover ...".
std::string faces(BitButtonState& button, std::initializer_list<const char*> events,
                  bool disabled = false) {
  static const char* const kFaces[] = {"normal", "hover", "pressed", "disabled"};
  std::string out;
  for (const std::string event : events) {
    if (event == "move") button.mouseMove(true);
    if (event == "hover") button.mouseHover();
    if (event == "leave") button.mouseLeave();
    if (event == "down") button.buttonDown();
    if (event == "up") button.buttonUp(true);
    if (event == "up outside") button.buttonUp(false);
    if (event == "select") button.setSelected();
    if (event == "deselect") button.clearSelected();
    out += (out.empty() ? "" : " ") + std::string(kFaces[static_cast<int>(button.face(disabled))]);
  }
  return out;
}

TEST(BitButton, APlainButtonLooksPressedOnlyWhilePressed) {
  BitButtonState plain;
  // The hover face comes with the hover report, not with the first move.
  EXPECT_EQ(faces(plain, {"move", "hover", "down", "up outside"}), "pressed hover pressed normal");
  EXPECT_EQ(faces(plain, {"move", "hover", "down", "up", "hover", "leave"}),
            "pressed hover pressed pressed hover normal");
}

TEST(BitButton, AToggleButtonKeepsItsPressedLookUntilItsOwnerLetsGo) {
  BitButtonState tab;
  tab.setToggle(true);
  EXPECT_EQ(faces(tab, {"move", "hover", "down", "up", "leave"}),
            "pressed hover pressed pressed pressed");
  EXPECT_EQ(faces(tab, {"deselect", "hover", "leave"}), "normal hover normal");
  // Chosen by the owner, without any mouse.
  EXPECT_EQ(faces(tab, {"select"}), "pressed");
  // A press released elsewhere lets go of it.
  EXPECT_EQ(faces(tab, {"down", "up outside"}), "pressed normal");
}

TEST(BitButton, ADisabledButtonShowsItsDisabledFaceWhateverItsState) {
  BitButtonState tab;
  tab.setToggle(true);
  EXPECT_EQ(faces(tab, {"select", "hover", "down"}, true), "disabled disabled disabled");
}

}  // namespace
}  // namespace tarsil
