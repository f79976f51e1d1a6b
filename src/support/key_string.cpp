#include "support/key_string.h"

#include <map>
#include <utility>

#include "platform/sjis.h"

namespace nura {

namespace {

// Reads items from a text into events.
class TKeyParser {
 public:
  TKeyParser(const std::string& text, std::vector<TKeyEvent>& out) : t_(text), out_(out) {}

  void All() {
    while (p_ < t_.size()) Item();
  }

 private:
  void Emit(TKeyEvent::Kind kind, uint8_t code) { out_.push_back({kind, code}); }
  void Tap(uint8_t vk) {
    Emit(TKeyEvent::Press, vk);
    Emit(TKeyEvent::Release, vk);
  }

  void Item() {
    const auto c = static_cast<unsigned char>(t_[p_]);
    if (IsSjisLead(c) && p_ + 1 < t_.size()) {
      Emit(TKeyEvent::Char, c);
      Emit(TKeyEvent::Char, static_cast<uint8_t>(t_[p_ + 1]));
      p_ += 2;
      return;
    }
    ++p_;
    switch (c) {
      case '{': Braced(); return;
      case '~': Tap(kVkReturn); return;
      case '(':
        while (p_ < t_.size() && t_[p_] != ')') Item();
        if (p_ < t_.size()) ++p_;
        return;
      case '%': Modified(kVkMenu); return;
      case '+': Modified(kVkShift); return;
      case '^': Modified(kVkControl); return;
      default: Character(static_cast<char>(c), 1); return;
    }
  }

  void Modified(uint8_t vk) {
    Emit(TKeyEvent::Press, vk);
    if (p_ < t_.size()) Item();
    Emit(TKeyEvent::Release, vk);
  }

  // A character key `count` times, SHIFT around the whole when it needs it.
  void Character(char c, long count) {
    uint8_t vk = 0;
    bool shift = false;
    if (!CharToVirtualKey(c, vk, shift)) return;
    Repeat(vk, shift, count);
  }

  void Repeat(uint8_t vk, bool shift, long count) {
    if (shift) Emit(TKeyEvent::Press, kVkShift);
    for (long i = 0; i < count; ++i) Tap(vk);
    if (shift) Emit(TKeyEvent::Release, kVkShift);
  }

  void Braced() {
    std::string name;
    if (p_ < t_.size() && t_[p_] == '}') {
      name = "}";
      ++p_;
    } else {
      while (p_ < t_.size() && t_[p_] != ' ' && t_[p_] != '}') name += t_[p_++];
    }
    long count = 1;
    if (p_ < t_.size() && t_[p_] == ' ') {
      ++p_;
      std::string digits;
      while (p_ < t_.size() && t_[p_] != '}') digits += t_[p_++];
      count = ReadCount(digits);
    }
    if (p_ >= t_.size()) return;  // no closing brace: nothing is sent
    ++p_;
    if (const uint8_t vk = KeyNameToVirtualKey(name)) {
      Repeat(vk, false, count);
    } else if (name.size() == 1) {
      Character(name[0], count);
    }
  }

  // A decimal count; 0 when the text is none. Capped so that a huge count
  // cannot flood the queue.
  static long ReadCount(const std::string& digits) {
    long n = 0;
    for (char d : digits) {
      if (d < '0' || d > '9') return 0;
      n = n * 10 + (d - '0');
      if (n > 10000) return 10000;
    }
    return n;
  }

  const std::string& t_;
  std::vector<TKeyEvent>& out_;
  size_t p_ = 0;
};

}  // namespace

bool CharToVirtualKey(char c, uint8_t& vk, bool& shift) {
  shift = false;
  if (c >= 'a' && c <= 'z') { vk = static_cast<uint8_t>(c - 'a' + 'A'); return true; }
  if (c >= 'A' && c <= 'Z') { vk = static_cast<uint8_t>(c); shift = true; return true; }
  if (c >= '0' && c <= '9') { vk = static_cast<uint8_t>(c); return true; }
  // The Japanese 106 layout: the unshifted and the shifted symbol of a key.
  static const struct { char plain, shifted; uint8_t vk; } kSymbols[] = {
      {0, '!', '1'},   {0, '"', '2'},   {0, '#', '3'},   {0, '$', '4'},   {0, '%', '5'},
      {0, '&', '6'},   {0, '\'', '7'},  {0, '(', '8'},   {0, ')', '9'},   {'-', '=', 0xBD},
      {'^', '~', 0xDE}, {'\\', '|', 0xDC}, {'@', '`', 0xC0}, {'[', '{', 0xDB}, {';', '+', 0xBB},
      {':', '*', 0xBA}, {']', '}', 0xDD}, {',', '<', 0xBC}, {'.', '>', 0xBE}, {'/', '?', 0xBF},
      {0, '_', 0xE2},  {' ', 0, 0x20},  {'\t', 0, 0x09}, {'\r', 0, 0x0D}, {'\n', 0, 0x0D},
  };
  for (const auto& s : kSymbols) {
    if (s.plain == c && c != 0) { vk = s.vk; return true; }
    if (s.shifted == c && c != 0) { vk = s.vk; shift = true; return true; }
  }
  return false;
}

std::vector<TKeyEvent> ParseKeyString(const std::string& keys) {
  std::vector<TKeyEvent> events;
  TKeyParser(keys, events).All();
  return events;
}

void SendKeyString(const std::string& keys, const std::function<void(const TKeyEvent&)>& sink) {
  for (const TKeyEvent& e : ParseKeyString(keys)) sink(e);
}

char TypedChar(uint8_t vk, bool shift) {
  static const std::map<std::pair<int, bool>, char> chars = [] {
    std::map<std::pair<int, bool>, char> map;
    for (int c = 0x20; c < 0x7F; ++c) {
      uint8_t code = 0;
      bool needsShift = false;
      if (CharToVirtualKey(static_cast<char>(c), code, needsShift)) {
        map.emplace(std::make_pair(code, needsShift), static_cast<char>(c));
      }
    }
    map[{kVkReturn, false}] = '\r';
    return map;
  }();
  const auto found = chars.find({vk, shift});
  return found == chars.end() ? '\0' : found->second;
}

}  // namespace nura
