#include "platform/key_names.h"

#include <cstring>

namespace nura {

namespace {

struct TKeyName {
  const char* name;
  uint8_t vk;
};

constexpr TKeyName kKeyNames[] = {
    {"CAPSLOCK", 0x14}, {"NUMLOCK", 0x90}, {"SCROLLOCK", 0x91}, {"ESCAPE", 0x1B}, {"ESC", 0x1B},
    {"ENTER", 0x0D},    {"HELP", 0x2F},    {"PRTSC", 0x2C},     {"TAB", 0x09},    {"BREAK", 0x03},
    {"CLEAR", 0x0C},    {"BACKSPACE", 0x08}, {"BS", 0x08},      {"BKSP", 0x08},   {"DELETE", 0x2E},
    {"DEL", 0x2E},      {"INSERT", 0x2D},  {"LEFT", 0x25},      {"RIGHT", 0x27},  {"UP", 0x26},
    {"DOWN", 0x28},     {"PGUP", 0x21},    {"PGDN", 0x22},      {"HOME", 0x24},   {"END", 0x23},
    {"IME", 0x19},
};

bool EqualsNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != b[i]) return false;
  }
  return true;
}

}  // namespace

uint8_t KeyNameToVirtualKey(const std::string& name) {
  for (const TKeyName& k : kKeyNames) {
    if (EqualsNoCase(name, k.name)) return k.vk;
  }
  // F1 to F16.
  if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return 0;
      n = n * 10 + (name[i] - '0');
    }
    if (n >= 1 && n <= 16 && name[1] != '0') return static_cast<uint8_t>(0x70 + n - 1);
  }
  return 0;
}

}  // namespace nura
