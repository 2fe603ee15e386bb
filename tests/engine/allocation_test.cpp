// The decision runs inside the keyboard hook for every key of the desktop: it
// must not allocate. This executable counts every allocation the program
// makes and checks that deciding events adds none.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/key_translator.h"
#include "engine/macro_player.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace tarsil {
namespace {

std::int16_t numLockOff(void*) { return 0; }
void countStrokes(void* context, const KeyStroke*, std::size_t count) {
  *static_cast<std::size_t*>(context) += count;
}

TEST(EngineAllocation, DecidingEventsAllocatesNothing) {
  std::array<TranslationTable, 3> tables;
  for (TranslationTable& table : tables) {
    for (KeyCode code = kFirstIdentityKey; code <= kLastIdentityKey; ++code) table[code] = {code};
  }
  tables[0][65] = {17, 100, 67};                     // hit, with a keypad code so NumLock is read
  tables[0][66] = KeyList(kMaxEntryCodes + 5, 104);  // longer than one event plays
  tables[1][65] = {18};
  std::array<KeyActionTable, 3> actions;
  actions[0][80] = {KeyActionKind::kPlayMacro, 0};
  const ProfileTables view{
      {&tables[0], &tables[1], &tables[2]}, 1, {&actions[0], &actions[1], &actions[2]}};
  std::size_t strokes = 0;
  const KeyPlatform platform{numLockOff, countStrokes, &strokes};
  KeyTranslator translator;

  const long before = allocations.load();
  KeyVerdict verdicts[17];
  verdicts[0] = translator.decide({70, 0, 0}, view, false, platform).verdict;     // pass
  verdicts[1] = translator.decide({70, 0, 0x80}, view, false, platform).verdict;  // pass
  verdicts[2] = translator.decide({65, 0, 0}, view, false, platform).verdict;     // hit
  verdicts[3] = translator.decide({65, 0, 0}, view, false, platform).verdict;     // repeat
  verdicts[4] = translator.decide({65, 0, 0x80}, view, false, platform).verdict;  // release
  verdicts[5] = translator.decide({66, 0, 0}, view, false, platform).verdict;     // long list
  verdicts[6] = translator.decide({66, 0, 0x80}, view, false, platform).verdict;  // its release
  verdicts[7] = translator.decide({13, 0, 0x01}, view, false, platform).verdict;  // keypad Enter
  verdicts[8] = translator.decide({65, 0, 0x10}, view, false, platform).verdict;  // injected
  // The user's Ctrl under a chord that holds Ctrl too, let go of first.
  verdicts[9] = translator.decide({162, 0x1D, 0}, view, false, platform).verdict;
  verdicts[10] = translator.decide({65, 0x1E, 0}, view, false, platform).verdict;
  verdicts[11] = translator.decide({162, 0x1D, 0x80}, view, false, platform).verdict;
  verdicts[12] = translator.decide({65, 0x1E, 0x80}, view, false, platform).verdict;
  verdicts[13] =
      translator.decide({71, 0x22, 0, true}, view, false, platform).verdict;       // down before
  verdicts[14] = translator.decide({65, 0, 0}, view, false, platform).verdict;     // held ...
  verdicts[15] = translator.decide({80, 0, 0}, view, false, platform).verdict;     // action
  verdicts[16] = translator.decide({80, 0, 0x80}, view, false, platform).verdict;  // its release
  translator.releaseAll(view, platform);                                           // ... let go
  const long after = allocations.load();

  EXPECT_EQ(after - before, 0);
  const KeyVerdict pass = KeyVerdict::kPass;
  const KeyVerdict swallow = KeyVerdict::kSwallow;
  EXPECT_EQ(
      std::vector<KeyVerdict>(std::begin(verdicts), std::end(verdicts)),
      (std::vector<KeyVerdict>{pass, pass, swallow, swallow, swallow, swallow, swallow, pass, pass,
                               pass, swallow, swallow, swallow, pass, swallow, swallow, swallow}));
  // The long macro presses one key kMaxEntryCodes times and releases it once.
  EXPECT_EQ(strokes, 3u * 3 + kMaxEntryCodes + 1u + 3u * 4);
}

TEST(EngineAllocation, PlayingMacrosAllocatesNothing) {
  auto library = std::make_shared<MacroLibrary>();
  library->profiles[0] = {
      {MacroMode::kToggle, {{65, true, 0}, {65, false, 5}, {160, true, 5}}},
      {MacroMode::kRepeatWhileHeld, {{100, true, 0}, {100, false, 1}}},
      {MacroMode::kSequenceOnce, std::vector<TimedStep>(128, TimedStep{66, true, 1})}};
  std::size_t strokes = 0;
  const StrokeOutput output{countStrokes, &strokes};
  MacroPlayer player;
  player.setLibrary(library, output);
  KeyTranslator translator;

  const long before = allocations.load();
  player.press({1, 0, 112, true}, 0, output);
  player.press({1, 1, 113, false}, 0, output);
  player.press({1, 2, 114, true}, 0, output);
  for (PlayerTime now = 0; now < 200'000; now += 1'000) (void)player.run(now, output);
  player.release(113, 200'000, output);
  player.press({1, 0, 112, true}, 200'000, output);  // the toggle's second press
  player.press({1, 0, 112, true}, 210'000, output);
  (void)translator.playerStroke(65, false, false);
  (void)translator.playerStroke(65, false, true);
  const KeySet keep = translator.userHeldKeys();
  player.stopAll(output, &keep);
  const long after = allocations.load();

  EXPECT_EQ(after - before, 0);
  EXPECT_GT(strokes, 128u);
  EXPECT_EQ(player.playingCount(), 0u);
}

TEST(EngineAllocation, TheCounterSeesAllocations) {
  const long before = allocations.load();
  auto* table = new TranslationTable{{1, {1}}};
  delete table;
  EXPECT_GE(allocations.load() - before, 2);
}

}  // namespace
}  // namespace tarsil
