#include "ui/settings/key_names.h"

#include <array>
#include <string_view>

namespace tarsil {
namespace {

constexpr std::uint32_t kExtendedFlag = 0x01;
constexpr std::uint32_t kAltFlag = 0x20;
constexpr std::uint32_t kUpFlag = 0x80;
constexpr std::uint8_t kLeftAlt = 164;
constexpr std::uint8_t kRightAlt = 165;
constexpr std::uint8_t kRightShift = 161;

struct Name {
  std::uint8_t scanCode;
  std::u16string_view text;
};

// Scan codes of set 1, without the extended bit. Keys that type a character
// are named by it, as it stands on the US keyboard.
constexpr Name kBaseNames[] = {
    {0x01, u"Esc"},   {0x02, u"1"},           {0x03, u"2"},       {0x04, u"3"},
    {0x05, u"4"},     {0x06, u"5"},           {0x07, u"6"},       {0x08, u"7"},
    {0x09, u"8"},     {0x0A, u"9"},           {0x0B, u"0"},       {0x0C, u"-"},
    {0x0D, u"="},     {0x0E, u"Backspace"},   {0x0F, u"Tab"},     {0x10, u"Q"},
    {0x11, u"W"},     {0x12, u"E"},           {0x13, u"R"},       {0x14, u"T"},
    {0x15, u"Y"},     {0x16, u"U"},           {0x17, u"I"},       {0x18, u"O"},
    {0x19, u"P"},     {0x1A, u"["},           {0x1B, u"]"},       {0x1C, u"Enter"},
    {0x1D, u"Ctrl"},  {0x1E, u"A"},           {0x1F, u"S"},       {0x20, u"D"},
    {0x21, u"F"},     {0x22, u"G"},           {0x23, u"H"},       {0x24, u"J"},
    {0x25, u"K"},     {0x26, u"L"},           {0x27, u";"},       {0x28, u"'"},
    {0x29, u"`"},     {0x2A, u"Shift"},       {0x2B, u"\\"},      {0x2C, u"Z"},
    {0x2D, u"X"},     {0x2E, u"C"},           {0x2F, u"V"},       {0x30, u"B"},
    {0x31, u"N"},     {0x32, u"M"},           {0x33, u","},       {0x34, u"."},
    {0x35, u"/"},     {0x36, u"Right Shift"}, {0x37, u"Num *"},   {0x38, u"Alt"},
    {0x39, u"Space"}, {0x3A, u"Caps Lock"},   {0x3B, u"F1"},      {0x3C, u"F2"},
    {0x3D, u"F3"},    {0x3E, u"F4"},          {0x3F, u"F5"},      {0x40, u"F6"},
    {0x41, u"F7"},    {0x42, u"F8"},          {0x43, u"F9"},      {0x44, u"F10"},
    {0x45, u"Pause"}, {0x46, u"Scroll Lock"}, {0x47, u"Num 7"},   {0x48, u"Num 8"},
    {0x49, u"Num 9"}, {0x4A, u"Num -"},       {0x4B, u"Num 4"},   {0x4C, u"Num 5"},
    {0x4D, u"Num 6"}, {0x4E, u"Num +"},       {0x4F, u"Num 1"},   {0x50, u"Num 2"},
    {0x51, u"Num 3"}, {0x52, u"Num 0"},       {0x53, u"Num Del"}, {0x54, u"Sys Req"},
    {0x56, u"\\"},    {0x57, u"F11"},         {0x58, u"F12"},     {0x64, u"F13"},
    {0x65, u"F14"},   {0x66, u"F15"},         {0x67, u"F16"},     {0x68, u"F17"},
    {0x69, u"F18"},   {0x6A, u"F19"},         {0x6B, u"F20"},     {0x6C, u"F21"},
    {0x6D, u"F22"},   {0x6E, u"F23"},         {0x76, u"F24"},
};

// The extended keys that have a name of their own. Right Shift is no
// extended key, but the hook reports it so: its release reads as its press.
constexpr Name kExtendedNames[] = {
    {0x36, u"Right Shift"}, {0x1C, u"Num Enter"}, {0x1D, u"Right Ctrl"},   {0x35, u"Num /"},
    {0x37, u"Prnt Scrn"},   {0x38, u"Right Alt"}, {0x45, u"Num Lock"},     {0x46, u"Break"},
    {0x47, u"Home"},        {0x48, u"Up"},        {0x49, u"Page Up"},      {0x4B, u"Left"},
    {0x4D, u"Right"},       {0x4F, u"End"},       {0x50, u"Down"},         {0x51, u"Page Down"},
    {0x52, u"Insert"},      {0x53, u"Delete"},    {0x5B, u"Left Windows"}, {0x5C, u"Right Windows"},
    {0x5D, u"Application"},
};

template <std::size_t N>
constexpr std::array<std::u16string_view, 256> byScanCode(const Name (&names)[N]) {
  std::array<std::u16string_view, 256> table{};
  for (const Name& name : names) table[name.scanCode] = name.text;
  return table;
}

constexpr auto kBase = byScanCode(kBaseNames);
constexpr auto kExtended = byScanCode(kExtendedNames);

}  // namespace

std::u16string keyNameText(std::int32_t keyNameCode) {
  const auto bits = static_cast<std::uint32_t>(keyNameCode);
  const std::size_t scanCode = (bits >> 16) & 0xFF;
  const bool extended = ((bits >> 24) & kExtendedFlag) != 0;
  return std::u16string(extended ? kExtended[scanCode] : kBase[scanCode]);
}

RecordedEvent HookEventMaker::make(PhysicalKey key, bool down, std::uint32_t timeMs) noexcept {
  if (key.vk == kLeftAlt) leftAlt_ = down;
  if (key.vk == kRightAlt) rightAlt_ = down;
  const bool altDown = leftAlt_ || rightAlt_;
  // The hook reports right Shift with the extended bit, though its scan code
  // is no extended one; keyNameCode names its press as the plain key.
  const bool extended = key.extended || key.vk == kRightShift;
  std::uint32_t flags = extended ? kExtendedFlag : 0;
  if (altDown) flags |= kAltFlag;
  if (!down) flags |= kUpFlag;
  KeyMessage message;
  if (down) {
    message = altDown ? KeyMessage::kSysKeyDown : KeyMessage::kKeyDown;
  } else {
    // An Alt key's own release still comes as a system key.
    const bool altKey = key.vk == kLeftAlt || key.vk == kRightAlt;
    message = altDown || altKey ? KeyMessage::kSysKeyUp : KeyMessage::kKeyUp;
  }
  return {message, key.vk, key.scanCode, flags, timeMs};
}

}  // namespace tarsil
