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
inline int slotCode(int slot) { return 8 + (slot * 37) % 247; }

// "1966080,65,1,-2145517568,65,0,..." for a macro of `strokes` key strokes.
inline std::u16string macroSteps(int strokes) {
  std::u16string steps;
  for (int i = 0; i < strokes; ++i) {
    const std::int32_t vk = 65 + i % 26;
    const std::int32_t nameCode = (30 + i) << 16;
    for (const std::int32_t value : {nameCode, vk, 1, nameCode | INT32_MIN, vk, 0}) {
      if (!steps.empty()) steps += u',';
      steps += formatInt(value);
    }
  }
  return steps;
}

inline std::u16string profile(int profile) { return u"Profile" + formatInt(profile); }

inline std::u16string numbered(const char* name, int number) {
  return widen(name) + formatInt(number);
}

// Written in the saver's order: emptied section, then key after key.
inline IniDocument makeSettings() {
  IniDocument doc;
  for (int p = 1; p <= kProfiles; ++p) {
    const std::u16string section = profile(p);
    doc.clearSection(section);
    for (int slot = 1; slot <= kSlots; ++slot) {
      const int vk = slotCode(slot);
      const int kind = slot % 10 == 0 ? 1 : 0;
      doc.setInt(section, numbered("IndexPic", vk), kind);
      doc.setInt(section, numbered("MacroIndex", vk), kind == 1 ? slot % kMacros : 0);
      doc.setString(section, numbered("SetName", vk), u"Key name " + formatInt(vk));
      if (kind == 0) doc.setInt(section, numbered("Key", vk), vk);
    }
    doc.setInt(section, u"MacroStrNum", kMacros);
    for (int m = 0; m < kMacros; ++m)
      doc.setString(section, numbered("MacroName", m), u"Macro " + formatInt(m));
    for (int m = 0; m < kMacros; ++m) {
      // Eight strokes give about 300 characters.
      const std::u16string steps = macroSteps(8);
      doc.setString(section, numbered("MacroKey", m), steps);
      doc.setInt(section, numbered("MacroKeyNum", m), 48);
    }
    doc.setInt(section, u"SetIndexNum", kAssignedKeys);
    for (int i = 0; i < kAssignedKeys; ++i) doc.setInt(section, numbered("setindex", i), i * 4);
  }
  doc.setInt(u"TYPE", u"type", 1);
  return doc;
}

// The reads of the loader for the three profiles, in its order.
inline std::vector<Read> loaderReads() {
  std::vector<Read> reads;
  reads.push_back({u"TYPE", u"type", false});
  for (int p = 1; p <= kProfiles; ++p) {
    const std::u16string section = profile(p);
    reads.push_back({section, u"SetIndexNum", false});
    for (int i = 0; i < kAssignedKeys; ++i)
      reads.push_back({section, numbered("setindex", i), false});
    reads.push_back({section, u"MacroStrNum", false});
    for (int m = 0; m < kMacros; ++m) reads.push_back({section, numbered("MacroName", m), true});
    for (int m = 0; m < kMacros; ++m) {
      reads.push_back({section, numbered("MacroKeyNum", m), false});
      reads.push_back({section, numbered("MacroKey", m), true});
    }
    for (int slot = 1; slot <= kSlots; ++slot) {
      const int vk = slotCode(slot);
      reads.push_back({section, numbered("IndexPic", vk), false});
      reads.push_back({section, numbered("MacroIndex", vk), false});
      reads.push_back({section, numbered("SetName", vk), true});
      reads.push_back({section, numbered("Key", vk), false});
    }
  }
  return reads;
}

}  // namespace tarsil::ini::sample
