#include "gui/objects/object_properties.h"

#include <climits>
#include <cmath>

#include "engine/conv_half.h"
#include "engine/command_api.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

int ClampToInt(long double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<long double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<long double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

int StrictInteger(const std::string& text, int fallback) {
  int32_t value = 0;
  return ReadIntegerText(text, value) ? value : fallback;
}

int TPropertyInput::Number() const { return ClampToInt(std::nearbyint(TextToNumber(text_))); }

int TPropertyInput::Integer(int fallback) const { return StrictInteger(text_, fallback); }

int32_t TPropertyInput::Colour(int32_t fallback) const {
  if (!text_.empty() && text_[0] == '#') return ColorTextToValue(text_);
  return StrictInteger(text_, fallback);
}

void TPropertyInput::StoreValue() { word_.SetValue(text_); }

}  // namespace nura
