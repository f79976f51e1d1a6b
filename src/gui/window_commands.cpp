#include "gui/window_commands.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <map>

#include "support/key_string.h"
#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/errors.h"
#include "engine/packed_program.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "gui/objects/object_site.h"
#include "gui/objects/virtual_key.h"
#include "gui/window_search.h"
#include "platform/native_path.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "platform/gui/virtual_keys.h"
#include "platform/gui/window_manager.h"

namespace nura {
namespace {

using namespace msg;  // the window-message numbers

// The length of the longest head of `text` that holds whole characters
// only and at most `limit` bytes.
size_t WholeCharsWithin(const std::string& text, size_t limit) {
  size_t kept = 0;
  while (kept < text.size() && kept + SjisCharLength(text, kept) <= limit) kept += SjisCharLength(text, kept);
  return kept;
}

// The Qt key of a virtual-key code.
Qt::Key QtKeyOf(uint8_t vk) {
  bool keypad = false;
  return QtKeyOfVirtualKey(vk, keypad);
}

// Posts the key events of a key string to the focused widget of `window`:
// a key press carries the character it types (unless CTRL or ALT is
// held), as the keyboard would; character messages carry their bytes, a
// two-byte character as one.
void PostKeys(QWidget* window, const std::string& keys) {
  Qt::KeyboardModifiers modifiers;
  std::string lead;
  SendKeyString(keys, [&](const TKeyEvent& key) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    if (key.kind == TKeyEvent::Char) {
      const std::string bytes = lead + static_cast<char>(key.code);
      lead.clear();
      if (bytes.size() == 1 && IsSjisLead(key.code)) {
        lead = bytes;
        return;
      }
      QApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, 0, modifiers,
                                                    SjisToQString(bytes)));
      return;
    }
    const auto flag = key.code == kVkShift     ? Qt::ShiftModifier
                      : key.code == kVkControl ? Qt::ControlModifier
                      : key.code == kVkMenu    ? Qt::AltModifier
                                               : Qt::NoModifier;
    const bool press = key.kind == TKeyEvent::Press;
    if (press) modifiers |= flag;
    QString text;
    if (press && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
      if (const char c = TypedChar(key.code, modifiers & Qt::ShiftModifier)) text = QChar(c);
    }
    QApplication::postEvent(target, new QKeyEvent(press ? QEvent::KeyPress : QEvent::KeyRelease,
                                                  QtKeyOf(key.code), modifiers, text));
    if (!press) modifiers &= ~flag;
  });
}

// "アクティブ" ("?を"): the window with that title comes to the front.
void CmdActivate(TNuraEngine& engine, CommandId) { ActivateWindowByTitle(engine, PopText(engine)); }

// "キー送信" ("?に,?を"): window title, keys. Our own windows get the key
// events straight; another program's window gets them from the X server.
void CmdSendKeys(TNuraEngine& engine, CommandId) {
  const std::string keys = PopText(engine);
  const TFoundWindow window = ActivateWindowByTitle(engine, PopText(engine));
  if (!window) return;
  EngineHost(engine).ProcessEvents();
  if (window.own) PostKeys(window.own, keys);
  else SendKeysToOtherWindow(keys);
}

// "ウインドウ列挙": the titles, one a line, each at most 255 bytes.
void CmdListWindows(TNuraEngine& engine, CommandId) {
  std::string lines;
  for (const TFoundWindow& window : TitledWindows()) {
    lines += window.title.substr(0, WholeCharsWithin(window.title, 255)) + "\r\n";
  }
  SetTextResult(engine, lines);
}

// The widget of the object named by the top argument, else the error
// "オブジェクト"%s"は、作成されていません。"; `form` tells a form object.
QWidget* PopObjectWidget(TNuraEngine& engine, bool& form) {
  const TGuiObject& object = LiveObjectNamed(engine, PopRawWord(engine));
  form = object.Kind() == TObjectKind::Form;
  return object.Widget();
}

// A form's window: other kinds fail with "オブジェクト"%s"は、"フォーム"ではありません。".
QWidget* PopFormArgument(TNuraEngine& engine) {
  NodePtr word = PopObject(engine);
  const TObjNode* node =
      word->kind == kWordObject ? ObjectList(engine).GetItem(word->id) : nullptr;
  TGuiObject* object = node && node->kind == TObjectKind::Form ? GuiObjectOf(node->Control()) : nullptr;
  if (!object || !object->Widget()) {
    RaiseScriptError(engine, SJ("オブジェクト\"") + word->name +
                                 SJ("\"は、\"フォーム\"ではありません。"));
  }
  return object->Widget()->window();
}

void SetStaysOnTop(QWidget* window, bool on) {
  const bool visible = window->isVisible();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) window->show();
}

// "最前面": a form stays on top; another object comes to the front.
void CmdBringToFront(TNuraEngine& engine, CommandId) {
  bool form = false;
  QWidget* widget = PopObjectWidget(engine, form);
  if (form) SetStaysOnTop(widget->window(), true);
  else widget->raise();
}

// "最背面": a form becomes a normal window; every object goes to the back.
void CmdSendToBack(TNuraEngine& engine, CommandId) {
  bool form = false;
  QWidget* widget = PopObjectWidget(engine, form);
  if (form) SetStaysOnTop(widget->window(), false);
  widget->lower();
}

// The geometry a window had before the program itself maximized it.
constexpr char kNormalGeometry[] = "nuraNormalGeometry";

const QScreen* ScreenOf(const QWidget& window) {
  return window.screen() ? window.screen() : QGuiApplication::primaryScreen();
}

// Keeps the window's geometry for restoring, unless one is kept already.
void KeepNormalGeometry(QWidget& window) {
  if (!window.property(kNormalGeometry).isValid()) window.setProperty(kNormalGeometry, window.geometry());
}

// Maximized; where no window manager answers that, the window (its frame
// included) takes the screen's available area itself.
void MaximizeWindow(QWidget& window) {
  const bool placeItself = !WindowManagerRuns();
  if (placeItself) KeepNormalGeometry(window);
  window.showMaximized();
  const QScreen* screen = ScreenOf(window);
  if (!placeItself || !screen) return;
  const QRect frame = window.frameGeometry(), client = window.geometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
  window.setGeometry(screen->availableGeometry().marginsRemoved(margins));
}

// The normal state, and the geometry the program kept when it placed the
// window itself.
void RestoreWindow(QWidget& window) {
  window.showNormal();
  const QVariant kept = window.property(kNormalGeometry);
  if (!kept.isValid()) return;
  window.setProperty(kNormalGeometry, QVariant());
  window.setGeometry(kept.toRect());
}

void CmdMaximizeMain(TNuraEngine& engine, CommandId) {
  if (TfrmNura* window = WindowOf(engine)) MaximizeWindow(*window);
}

// "母艦最小化": normal state and a sizeable border, then minimized.
void CmdMinimizeMain(TNuraEngine& engine, CommandId) {
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  RestoreWindow(*window);
  window->SetMainWindowBorderStyle(2);
  window->showMinimized();
}

// "母艦元のサイズ": normal state, cursor shown, a normal sizeable window.
void CmdRestoreMain(TNuraEngine& engine, CommandId) {
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
  window->SetMainWindowBorderStyle(2);
  RestoreWindow(*window);
}

// "母艦全画面化": maximized, on top, frameless, at 0,0 over the whole screen.
void CmdFullScreenMain(TNuraEngine& engine, CommandId) {
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  KeepNormalGeometry(*window);
  window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  window->showMaximized();
  if (const QScreen* screen = ScreenOf(*window)) window->setGeometry(screen->geometry());
}

void CmdMaximize(TNuraEngine& engine, CommandId) { MaximizeWindow(*PopFormArgument(engine)); }
void CmdMinimize(TNuraEngine& engine, CommandId) { PopFormArgument(engine)->showMinimized(); }
void CmdRestoreSize(TNuraEngine& engine, CommandId) { RestoreWindow(*PopFormArgument(engine)); }

// "母艦アイコン" ("?を"): an icon file, or the picture of an image object
// made into an icon in a private temporary folder.
void CmdMainWindowIcon(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  std::string file = ExtractPackedFile(engine, name);
  if (file.empty()) file = ResolveFilePath(engine, name);
  const std::string failure =
      SJ("ファイル\"") + file + SJ("\"の、読み込みか書き込みに、失敗しました。");
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  QIcon icon;
  const QString native = QString::fromStdString(ScriptPathToNative(file));
  if (QFileInfo(native).isFile()) {
    icon = QIcon(native);
  } else {
    QTemporaryDir folder;
    const std::string saved = folder.path().toStdString() + "/nu.ico";
    try {
      if (!folder.isValid()) throw ENura(failure);
      window->SavePicture(AlnumToHalfWidth(name), NativePathToScript(saved), false);
    } catch (const std::exception&) {
      RaiseScriptError(engine, failure);
    }
    icon = QIcon(QPixmap(QString::fromStdString(saved), "ICO"));
  }
  if (icon.isNull() || icon.availableSizes().isEmpty()) RaiseScriptError(engine, failure);
  QApplication::setWindowIcon(icon);
  window->setWindowIcon(icon);
  window->SetTrayIcon(icon);
}

// An integer field: decimal or "$" and hexadecimal; 0 otherwise.
int64_t MessageNumber(const std::string& field) {
  int32_t value = 0;
  return ReadIntegerText(field, value) ? value : 0;
}

// The text of an object for the text messages.
std::string ObjectText(TObjectSite& site, TNuraEngine& engine, const std::string& name) {
  std::string value;
  site.GetObjectProperty(engine, name, SJ("テキスト"), value);
  return value;
}

// "メッセージ送信" ("?に,?と"): object, "message,wparam,lparam". A bounded
// set of messages is answered; a text buffer is always a variable, and a
// text written into one never grows it past its current length.
void CmdSendMessage(TNuraEngine& engine, CommandId id) {
  const TWindowMessage message = ParseWindowMessage(PopText(engine));
  NodePtr word = PopObject(engine);
  const TObjNode* node =
      word->kind == kWordObject ? ObjectList(engine).GetItem(word->id) : nullptr;
  TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
  TfrmNura* window = WindowOf(engine);
  if (message.message < 0 || !object || !object->Widget() || !window) {
    RaiseArgumentError(engine, id);
  }
  NodePtr buffer;
  if (!message.lparamVariable.empty()) {
    buffer = FindWord(engine, message.lparamVariable);
    if (!buffer) buffer = AddVariable(engine, message.lparamVariable, "", "");
  }
  QWidget* widget = object->Widget();
  int64_t result = 0;
  try {
    if (object->WindowMessage(message.message, message.wparam, message.lparam,
                              buffer ? &buffer->MutableValue() : nullptr, result)) {
      SetIntegerResult(engine, result);
      return;
    }
    switch (message.message) {
      case kWmClose:
        if (node->objectId == 0) window->CloseMainWindow();
        else widget->close();
        break;
      case kWmEnable:
        widget->setEnabled(message.wparam != 0);
        break;
      case kWmShowWindow:
        widget->setVisible(message.wparam != 0);
        break;
      case kWmGetTextLength:
        result = static_cast<int64_t>(ObjectText(window->Objects(), engine, node->name).size());
        break;
      case kWmGetText: {
        if (!buffer) RaiseArgumentError(engine, id);
        const std::string text = ObjectText(window->Objects(), engine, node->name);
        const int64_t room = std::min<int64_t>(message.wparam - 1, buffer->Value().size());
        const size_t length = WholeCharsWithin(text, static_cast<size_t>(std::max<int64_t>(room, 0)));
        buffer->SetValue(text.substr(0, length));
        result = static_cast<int64_t>(length);
        break;
      }
      case kWmSetText:
        if (!buffer) RaiseArgumentError(engine, id);
        window->Objects().SetObjectProperty(engine, *word, SJ("テキスト"), buffer->Value());
        result = 1;
        break;
      default:
        break;  // not answered: 0, as an unhandled message
    }
  } catch (const ENura&) {
    RaiseArgumentError(engine, id);
  }
  SetIntegerResult(engine, result);
}

// "カーソル表示" ("?"): non-zero shows the mouse cursor and lets the main
// window take input-method input; 0 hides the cursor and turns that off.
void CmdShowCursor(TNuraEngine& engine, CommandId) {
  const bool show = PopNumber(engine) != 0;
  if (TfrmNura* window = WindowOf(engine)) window->setAttribute(Qt::WA_InputMethodEnabled, show);
  static bool hidden = false;
  if (show && hidden) QApplication::restoreOverrideCursor();
  if (!show && !hidden) QApplication::setOverrideCursor(Qt::BlankCursor);
  hidden = !show;
}

void CmdBeep(TNuraEngine&, CommandId) { QApplication::beep(); }

}  // namespace

TWindowMessage ParseWindowMessage(const std::string& text) {
  const std::string half = ConvertToHalf(text);
  std::string rest = half;
  TWindowMessage message;
  message.message = MessageNumber(CutToken(",", rest));
  message.wparam = MessageNumber(CutToken(",", rest));
  const std::string lparam = TrimText(rest);
  if (lparam.empty()) return message;
  if (lparam[0] == '$' || (lparam[0] >= '0' && lparam[0] <= '9') || lparam[0] == '-') {
    message.lparam = MessageNumber(lparam);
  } else {
    message.lparamVariable = lparam;
  }
  return message;
}

constexpr CommandEntry kWindowStateCommands[] = {
    {CommandId::Activate, CmdActivate},
    {CommandId::SendKeys, CmdSendKeys},
    {CommandId::ListWindows, CmdListWindows},
    {CommandId::BringToFront, CmdBringToFront},
    {CommandId::SendToBack, CmdSendToBack},
    {CommandId::MaximizeMainWindow, CmdMaximizeMain},
    {CommandId::MinimizeMainWindow, CmdMinimizeMain},
    {CommandId::RestoreMainWindow, CmdRestoreMain},
    {CommandId::FullScreenMainWindow, CmdFullScreenMain},
    {CommandId::Maximize, CmdMaximize},
    {CommandId::Minimize, CmdMinimize},
    {CommandId::RestoreSize, CmdRestoreSize},
    {CommandId::MainWindowIcon, CmdMainWindowIcon},
    {CommandId::SendMessage, CmdSendMessage},
    {CommandId::ShowCursor, CmdShowCursor},
    {CommandId::Beep, CmdBeep},
};

void RegisterWindowStateCommands() { RegisterCommandTable(kWindowStateCommands); }

}  // namespace nura
