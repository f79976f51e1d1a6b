// The values that flow through the property reader and writer of script
// objects (the property words are engine/property_words.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/property_words.h"

namespace nura {

class TNuraEngine;
class THashNode;

// A property read: the text and the result kind letter ("e", "s"; empty
// leaves the result kind as it was).
struct TPropertyValue {
  std::string text;
  std::string kind;
  void Set(std::string value, const char* letter) { text = std::move(value); kind = letter; }
  void Number(long long value) { Set(std::to_string(value), "e"); }
  void Flag(bool value) { Set(value ? "1" : "0", "e"); }
};

// The outcome of a read: done, the unknown-property error, or the object
// word's own value (kind "s").
enum class TReadResult { Done, Unknown, WordValue };

// The outcome of a write: done, the unknown-property error, or the
// "設定は、未定義です" refusal.
enum class TWriteResult { Done, Unknown, Refused };

// A value being written, read the way each property needs it.
class TPropertyInput {
 public:
  TPropertyInput(TNuraEngine& engine, THashNode& word, std::string text)
      : engine_(engine), word_(word), text_(std::move(text)) {}
  TNuraEngine& Engine() { return engine_; }
  THashNode& Word() { return word_; }
  const std::string& Text() const { return text_; }
  // The number read leniently and rounded, clamped to the int range.
  int Number() const;
  // A strict integer ("12", "-3", "$FF"); `fallback` for any other text.
  int Integer(int fallback) const;
  // "#RRGGBB" or an integer; `fallback` for any other text.
  int32_t Colour(int32_t fallback) const;
  // The object word's value := the text.
  void StoreValue();

 private:
  TNuraEngine& engine_;
  THashNode& word_;
  std::string text_;
};

// A strict integer of `text` (decimal or "$" hexadecimal), or `fallback`.
int StrictInteger(const std::string& text, int fallback);

}  // namespace nura
