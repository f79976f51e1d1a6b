// Script objects as the engine sees them: the 21 kinds and the control of
// an object behind a typed handle. The GUI implements one class per kind
// (src/gui/objects/); the engine and the commands only hold them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace nura {

// The kinds; the number is stored in the object's node and never changes.
enum class TObjectKind : int32_t {
  Button = 0,
  Edit = 1,
  Image = 2,
  ScrollBar = 3,
  Combo = 4,
  List = 5,
  Memo = 6,
  Form = 7,
  Grid = 8,
  Label = 9,
  Check = 10,
  TrackBox = 11,
  Anime = 12,
  Menu = 13,
  Browser = 14,
  Panel = 15,
  TextEditor = 16,
  Radio = 17,
  ScrollBox = 18,
  PageControl = 19,
  Tree = 20,
};
inline constexpr int kObjectKindCount = 21;

// The kind word ("ボタン", "エディタ" ...): the annotation of the object's
// word and the property "種類".
const std::string& ObjectKindName(TObjectKind kind);
// The kind whose word is exactly `word`; none when no kind has it.
std::optional<TObjectKind> ObjectKindOfName(const std::string& word);

// The control of one script object. Freeing the handle frees the control
// (the main window's handle only refers to the window).
class TScriptObject {
 public:
  virtual ~TScriptObject() = default;
  // False once the control is gone, for instance freed with the container
  // it lay on; the object then counts as not created.
  virtual bool Alive() const = 0;
};

using TObjectHandle = std::unique_ptr<TScriptObject>;

}  // namespace nura
