// The property words of script objects ("Bの幅は100") and how each takes
// the text written to it: evaluated, or as written.
#pragma once

#include <optional>
#include <string>

namespace nura {

// Property numbers, in the order of the property table.
enum class TProperty : int {
  X, Y, Width, Height, Text, Items, Value, Picture, Stretch, Maximum, Minimum, Title,
  Orientation, ButtonMode, Visible, Event, Click, DblClick, MouseDown, MouseUp, KeyDown,
  KeyUp, Change, Editable, Transparent, Colour, Size, Name, ScrollBars, FontName, FontSize,
  FontColour, FileDrop, Resizable, ShortCut, Ime, RepeatCount, Sound, MouseMove, AddPicture,
  SelText, Handle, Enabled, SelStart, SelLength, Url, Right, Bottom, FileDropEvent, Style,
  W, H, Position, Column, Row, Sort, Kind,
};
inline constexpr int kPropertyCount = 57;

// The property whose word, okurigana stripped, equals `name` stripped
// ("高" and "高さ" both name the height); none when no word matches.
std::optional<TProperty> PropertyOfName(const std::string& name);
// The word of a property, okurigana stripped ("高" for the height).
const std::string& PropertyWord(TProperty property);
// The stripped form of a property name (for messages).
std::string StrippedPropertyName(const std::string& name);

// True for the properties that take the text as written: the event
// bindings ("イベント" and the "...した時" slots), whose text is a label
// name or code. Every other property takes the text evaluated
// (ExpandString) before the object sees it.
bool PropertyTakesTextAsWritten(TProperty property);

}  // namespace nura
