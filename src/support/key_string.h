// The key-string syntax of the keystroke commands: "{TAB 3}", "~", "+(ab)",
// "^c", "%f" and plain characters become a sequence of key presses,
// releases and character messages. The sequence goes to a sink: the
// window layer delivers it to the focused window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/key_names.h"
#include "platform/window_messages.h"

namespace nura {

struct TKeyEvent {
  enum Kind : uint8_t { Press, Release, Char };
  Kind kind;
  uint8_t code;  // virtual-key code, or the byte of a character message

  bool operator==(const TKeyEvent&) const = default;
};

// Virtual-key codes of the modifiers.
using msg::kVkControl;
using msg::kVkMenu;
using msg::kVkReturn;
using msg::kVkShift;

// The virtual key of a one-byte character on the Japanese 106 keyboard and
// whether SHIFT must be held for it; false when no key types it.
bool CharToVirtualKey(char c, uint8_t& vk, bool& shift);

// The whole text as key events. A two-byte character becomes two
// character messages (lead byte, then trail byte).
std::vector<TKeyEvent> ParseKeyString(const std::string& keys);

// Sends the events of the text to `sink` one after another.
void SendKeyString(const std::string& keys, const std::function<void(const TKeyEvent&)>& sink);

// The character that a key types with or without SHIFT (the Japanese
// keyboard's layout; ENTER types CR); 0 for none.
char TypedChar(uint8_t vk, bool shift);

}  // namespace nura
