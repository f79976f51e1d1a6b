// Events of script objects: the bridges fill the event variables and run
// the bound code through slot 0; bindings to labels or inline code; the
// re-entry into a running or idle script.
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "gui/objects/object_site.h"
#include "platform/native_path.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// The slot that "イベント" binds besides slot 0, by kind; 0 for none.
int DefaultSlot(TObjectKind kind) {
  switch (kind) {
    case TObjectKind::Button: case TObjectKind::Combo: case TObjectKind::List:
    case TObjectKind::Label: case TObjectKind::Check: case TObjectKind::Anime:
    case TObjectKind::Menu: case TObjectKind::Browser: case TObjectKind::Panel:
      return kSlotClick;
    case TObjectKind::Edit: case TObjectKind::ScrollBar: case TObjectKind::TrackBox:
    case TObjectKind::TextEditor: case TObjectKind::PageControl:
      return kSlotChange;
    case TObjectKind::Image: case TObjectKind::Form:
      return kSlotMouseDown;
    default:
      return 0;
  }
}

}  // namespace

void TObjectSite::SetVariable(const char* utf8Name, const std::string& value) {
  if (NodePtr node = FindWord(engine_, SJ(utf8Name))) node->SetValue(value);
}

void TObjectSite::StoreShiftState(unsigned flags) {
  static const char* const kWords[] = {"Shift", "Alt", "Ctrl", "Left", "Right", "Middle", "Double"};
  std::string text;
  for (int bit = 0; bit < 7; ++bit) {
    if (flags & (1u << bit)) text += std::string(text.empty() ? "" : "\r\n") + kWords[bit];
  }
  SetVariable("押された特殊キー", text);
}

// ---- bridges ----

void TObjectSite::MouseEvent(int id, int slot, QPoint position, unsigned shift) {
  if (!NodeOf(id)) return;
  SetVariable("マウスX", std::to_string(position.x()));
  SetVariable("マウスY", std::to_string(position.y()));
  StoreShiftState(shift);
  RunSlot(id, slot);
}

void TObjectSite::KeyEvent(int id, int slot, int virtualKey, unsigned shift) {
  TObjNode* node = NodeOf(id);
  if (!node || !node->eventPos[static_cast<size_t>(slot)]) return;
  SetVariable("押されたキー", std::to_string(virtualKey));
  StoreShiftState(shift);
  RunSlot(id, slot);
}

void TObjectSite::PlainEvent(int id, int slot) { RunSlot(id, slot); }

void TObjectSite::FilesDropped(int id, const QStringList& files) {
  TObjNode* node = NodeOf(id);
  if (!node) return;
  std::vector<std::string> names;
  for (const QString& file : files) names.push_back(NativePathToScript(file.toStdString()));
  const std::string list = TrimText(JoinLines(names));
  SetVariable("イベントの値", list);
  if (node->eventPos[kSlotFileDrop]) {
    RunSlot(id, kSlotFileDrop);
    return;
  }
  // Unbound: an edit takes the list, a list box and a memo add the names.
  TGuiObject* object = GuiObjectOf(node->Control());
  QWidget* widget = object ? object->Widget() : nullptr;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(SjisToQString(list));
  } else if (auto* listBox = qobject_cast<QListWidget*>(widget)) {
    for (const std::string& name : names) listBox->addItem(SjisToQString(name));
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
    for (const std::string& name : names) memo->appendPlainText(SjisToQString(name));
  }
}

bool TObjectSite::BrowserBeforeNavigate(int id, const std::string& url) {
  TObjNode* node = NodeOf(id);
  if (!node) return true;
  if (node->eventPos[kSlotClick]) {
    SetVariable("ブラウザ移動先URL", url);
    RunSlot(id, kSlotClick);
  }
  const NodePtr allow = FindWord(engine_, SJ("ブラウザURL移動許可"));
  return !allow || TextToNumber(allow->Value()) != 0;
}

// Runs slot `slot` through slot 0. Slot 0 gets its binding back afterwards
// unless the event code bound it anew; a node destroyed meanwhile is left.
void TObjectSite::RunSlot(int id, int slot) {
  TObjNode* node = NodeOf(id);
  if (!node || !node->eventPos[static_cast<size_t>(slot)]) return;
  const TextPos saved = node->eventPos[0];
  const TextPos running = node->eventPos[static_cast<size_t>(slot)];
  node->eventPos[0] = running;
  try {
    RunEventCode(id);
  } catch (const std::exception&) {
    // the run loop reported it; nothing crosses Qt's event dispatch
  }
  TObjNode* after = NodeOf(id);
  if (after && after->eventPos[0].p == running.p) after->eventPos[0] = saved;
  window_.AfterEventRun();
}

void TObjectSite::RunEventCode(int id) {
  TObjNode* node = NodeOf(id);
  if (!node) {
    throw ENura(FormatErrorMessage(engine_, SJ("オブジェクト\"") + std::to_string(id) +
                                           SJ("\"が特定できません。")));
  }
  const TextPos code = node->eventPos[0];
  if (!code) return;
  if (NodePtr event = FindWord(engine_, SJ("イベントオブジェクト"))) {
    event->kind = kWordObject;
    event->id = id;
  }
  nura::RunEventCode(engine_, code, CurrentFileName(engine_));
}

// ---- bindings ----

void TObjectSite::BindEventSlot(TObjNode& node, int slot, const std::string& given) {
  const auto index = static_cast<size_t>(slot);
  std::string value = given;
  if (value == "\"\"" || value == "``") {
    node.eventPos[index].Reset();
    return;
  }
  // Code written as a literal is taken as its text.
  if (value.size() >= 2 && value.front() == '`' && value.back() == '`') value = RawLiteralToText(value);
  else if (!value.empty() && value.front() == '"') value = ExpandString(engine_, value);
  if (NodePtr word = FindWord(engine_, value)) {
    if (word->kind == kWordLabel) {
      node.eventPos[index] = word->Position();
      return;
    }
    if (word->kind == kWordVariable) {
      throw ENura(FormatErrorMessage(engine_, 
          SJ("計算式に誤りがあります。イベントに変数を設定することは出来ません。ラベルを指定してください。")));
    }
  } else if (value.empty()) {
    node.eventPos[index].Reset();
    return;
  } else if (value.front() == '(') {
    const char* p = value.c_str();
    value = ReadWordAt(engine_, p);
  }
  // Inline code: the slot keeps its own copy of the text.
  node.eventTexts[index] = value;
  node.eventPos[index] = TextPos::StartOf(MakeText(value));
}

void TObjectSite::BindCurrentEvent(TObjNode& node, const std::string& value) {
  if (value.empty() || value == "\\NULL-VALUE") {
    node.eventPos[0].Reset();
    return;
  }
  BindEventSlot(node, 0, value);
  if (const int slot = DefaultSlot(node.kind)) node.eventPos[static_cast<size_t>(slot)] = node.eventPos[0];
}

}  // namespace nura
