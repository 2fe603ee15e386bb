#pragma once

// A whole settings file as the program saves it, and the reads its loader
// makes, for the benchmark and the timing program.

#include <cstdint>
#include <string>
#include <vector>

#include "ini/ini_document.h"

namespace tarsil::ini::sample {

inline constexpr int kProfiles = 3;
inline constexpr int kSlots = 121;
inline constexpr int kMacros = 20;
inline constexpr int kAssignedKeys = 24;

struct Read {
  std::u16string section;
  std::u16string key;
  bool text = false;  // a string read, else an integer read
};

// The virtual-key code of key slot 1..121: distinct codes in 8..254, as a
// layout file gives them.
inline int SlotCode(int slot) { return 8 + (slot * 37) % 247; }

// "1966080,65,1,-2145517568,65,0,..." for a macro of `strokes` key strokes.
inline std::u16string MacroSteps(int strokes) {
  std::u16string steps;
  for (int i = 0; i < strokes; ++i) {
    const std::int32_t vk = 65 + i % 26;
    const std::int32_t nameCode = (30 + i) << 16;
    for (const std::int32_t value : {nameCode, vk, 1, nameCode | INT32_MIN, vk, 0}) {
      if (!steps.empty()) steps += u',';
      steps += FormatInt(value);
    }
  }
  return steps;
}

inline std::u16string Profile(int profile) { return u"Profile" + FormatInt(profile); }

inline std::u16string Numbered(const char* name, int number) {
  return Widen(name) + FormatInt(number);
}

// Written in the saver's order: emptied section, then key after key.
inline IniDocument MakeSettings() {
  IniDocument doc;
  for (int p = 1; p <= kProfiles; ++p) {
    const std::u16string section = Profile(p);
    doc.ClearSection(section);
    for (int slot = 1; slot <= kSlots; ++slot) {
      const int vk = SlotCode(slot);
      const int kind = slot % 10 == 0 ? 1 : 0;
      doc.SetInt(section, Numbered("IndexPic", vk), kind);
      doc.SetInt(section, Numbered("MacroIndex", vk), kind == 1 ? slot % kMacros : 0);
      doc.SetString(section, Numbered("SetName", vk), u"Key name " + FormatInt(vk));
      if (kind == 0) doc.SetInt(section, Numbered("Key", vk), vk);
    }
    doc.SetInt(section, u"MacroStrNum", kMacros);
    for (int m = 0; m < kMacros; ++m)
      doc.SetString(section, Numbered("MacroName", m), u"Macro " + FormatInt(m));
    for (int m = 0; m < kMacros; ++m) {
      // Eight strokes give about 300 characters.
      const std::u16string steps = MacroSteps(8);
      doc.SetString(section, Numbered("MacroKey", m), steps);
      doc.SetInt(section, Numbered("MacroKeyNum", m), 48);
    }
    doc.SetInt(section, u"SetIndexNum", kAssignedKeys);
    for (int i = 0; i < kAssignedKeys; ++i) doc.SetInt(section, Numbered("setindex", i), i * 4);
  }
  doc.SetInt(u"TYPE", u"type", 1);
  return doc;
}

// The reads of the loader for the three profiles, in its order.
inline std::vector<Read> LoaderReads() {
  std::vector<Read> reads;
  reads.push_back({u"TYPE", u"type", false});
  for (int p = 1; p <= kProfiles; ++p) {
    const std::u16string section = Profile(p);
    reads.push_back({section, u"SetIndexNum", false});
    for (int i = 0; i < kAssignedKeys; ++i)
      reads.push_back({section, Numbered("setindex", i), false});
    reads.push_back({section, u"MacroStrNum", false});
    for (int m = 0; m < kMacros; ++m) reads.push_back({section, Numbered("MacroName", m), true});
    for (int m = 0; m < kMacros; ++m) {
      reads.push_back({section, Numbered("MacroKeyNum", m), false});
      reads.push_back({section, Numbered("MacroKey", m), true});
    }
    for (int slot = 1; slot <= kSlots; ++slot) {
      const int vk = SlotCode(slot);
      reads.push_back({section, Numbered("IndexPic", vk), false});
      reads.push_back({section, Numbered("MacroIndex", vk), false});
      reads.push_back({section, Numbered("SetName", vk), true});
      reads.push_back({section, Numbered("Key", vk), false});
    }
  }
  return reads;
}

}  // namespace tarsil::ini::sample
