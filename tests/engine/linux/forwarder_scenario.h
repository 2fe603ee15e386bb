#pragma once

// Scenarios of tarsild's forwarding, over socket pairs standing in for the
// keyboards' evdev nodes and the virtual keyboard: "A down; A up" -> "B
// down; B up".
//
// Steps, separated by ';':
//   <key>[@n] down|up|repeat   the keyboard n (default 1) reports a key
//                              (evdev names: A, F1, LEFTCTRL, KP4, KPENTER)
//   msc <n>                    the keyboard reports MSC_SCAN n
//   echo                       the keyboard reports a lamp (the kernel
//                              echoes the lamps written to a grabbed device)
//   dropped                    the keyboard's buffer ran over: SYN_DROPPED,
//                              a fragment, SYN_REPORT
//   plug <n> | unplug <n>      keyboard n comes / goes (its node fails)
//   numlock on|off             the system sets the virtual keyboard's lamp
//   profile <n>, map <p>: <vk> = <vk>...,  stop | resume
//                              as in the engine's scenarios (virtual-key names)
//   release all | release everything
//   play <key> down|up         a stroke of the macro player (virtual-key names)
// Each step that makes anything happen adds one entry to the transcript:
// the events written to the virtual keyboard ("B down", "B repeat", "scan
// 458756"), then the lamps written to keyboards ("kbd1 NumLock on"), or
// "nothing". Every write to the virtual keyboard must hold whole reports
// (events, then SYN_REPORT: the system reads whole reports only), none of
// them empty, and at most KeyForwarder::kMostEventsPerWrite events (each
// reader of the virtual keyboard buffers only so many); a write that does
// not is marked in the transcript.

#include <linux/input.h>

#include <map>
#include <string>
#include <string_view>

#include "../scenario.h"
#include "engine/linux/key_forwarder.h"

namespace tarsil::test {

std::uint16_t evdevCode(std::string_view name);
std::string evdevName(std::uint16_t code);

class ForwarderScenario {
 public:
  ForwarderScenario();
  ~ForwarderScenario();
  ForwarderScenario(const ForwarderScenario&) = delete;
  ForwarderScenario& operator=(const ForwarderScenario&) = delete;

  ForwarderScenario& map(std::string_view assignment) {
    tables.map(assignment);
    return *this;
  }
  std::string run(std::string_view steps);

  Scenario tables;  // the profiles, the active profile and "stopped"

 private:
  struct Keyboard {
    int ours = -1;    // the forwarder's end
    int theirs = -1;  // the device's end
  };

  std::string step(std::string_view text);
  void send(int keyboard, std::uint16_t type, std::uint16_t code, std::int32_t value);
  void readFrom(int keyboard);
  std::string output();
  ProfileTables view() const;

  int virtualOurs_ = -1;
  int virtualTheirs_ = -1;
  std::map<int, Keyboard> keyboards_;
  KeyForwarder* forwarder_ = nullptr;
};

}  // namespace tarsil::test
