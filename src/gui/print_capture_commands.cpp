// Commands that reach the main window's picture, the screen and the
// printer (the printing in the module "print"). The main window's picture is
// "母艦"'s (object 0, a form whose inner picture is `img`); pictures of
// other objects come with the script objects.
#include "gui/print_capture_commands.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <cmath>

#include "engine/command_api.h"
#include "support/module_commands.h"
#include "support/number_functions.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/window_search.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr TObjectKind kKindImage = TObjectKind::Image;
constexpr TObjectKind kKindForm = TObjectKind::Form;
// How long a window brought to the front for a capture gets to paint.
constexpr unsigned long kCaptureWaitMs = 300;
constexpr TModuleCommands kPrintModule{"print", "NuraPrintModule", "印刷できません。"};

[[noreturn]] void RaiseNotCreated(TNuraEngine& engine, const std::string& name) {
  RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。"));
}

// The object a word names, or nil.
TObjNode* ObjectOfWord(TNuraEngine& engine, const NodePtr& node) {
  if (!node || node->kind != kWordObject) return nullptr;
  return ObjectList(engine).GetItem(node->id);
}

// The picture of an image or form object; nil when the object has none
// that can be reached here.
TBitmap* PictureOf(TNuraEngine& engine, const TObjNode& object) {
  TfrmNura* form = WindowOf(engine);
  TPictureBox* box = form ? form->PictureBoxOf(object) : nullptr;
  return box ? &box->Bitmap() : nullptr;
}

void Repaint(TNuraEngine& engine) {
  if (TfrmNura* form = WindowOf(engine)) {
    form->update();
    if (form->img) form->img->update();
  }
  EngineHost(engine).ProcessEvents();
}

void Refresh(TNuraEngine& engine, CommandId) { Repaint(engine); }

void RunInModule(TNuraEngine& engine, CommandId id) { RunModuleCommand(engine, id, RunInModule, kPrintModule); }

// ---- capture ----

void Capture(TNuraEngine& engine, CommandId) {
  static const std::string kDesktop = SJ("デスクトップ");
  static const std::string kMainWindow = SJ("母艦");
  const std::string title = PopText(engine);
  std::string name = PopRawWord(engine);
  if (SubjectLeftOut(engine)) name = kMainWindow;
  TObjNode* object = ObjectList(engine).FindByName(name);
  if (!object) RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"が特定できません。"));
  TBitmap* picture = object->kind == kKindImage || object->kind == kKindForm ? PictureOf(engine, *object) : nullptr;
  if (!picture) RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"が特定できません。"));
  TfrmNura* form = WindowOf(engine);
  QImage shot;
  if (title == kDesktop) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) shot = screen->grabWindow(0).toImage();
  } else {
    const TFoundWindow window = ActivateWindowByTitle(engine, title);
    if (!window) return;
    QThread::msleep(kCaptureWaitMs);
    EngineHost(engine).ProcessEvents();
    shot = GrabClientArea(window);
  }
  if (!shot.isNull()) PaintOnBitmap(*picture, [&](QPainter& p) { p.drawImage(0, 0, shot); });
  if (form) form->activateWindow();
  Repaint(engine);
}

// ---- colour depth ----

void SetBits(TNuraEngine& engine, CommandId id) {
  const long double bits = PopNumber(engine);
  TBitmap* picture = NamedPicture(engine, PopRawWord(engine));
  const int32_t depth = TruncToInt32(bits);
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
    RaiseArgumentError(engine, id, std::to_string(depth) + SJ("ビットはサポートしていません。"));
  if (picture->BitsPerPixel() == depth) return;
  *picture = BitmapFromImage(picture->ToImage(), depth);
  Repaint(engine);
}

}  // namespace

TBitmap* NamedPicture(TNuraEngine& engine, std::string name) {
  NodePtr node = FindWord(engine, name);
  if (!node) {
    name = ExpandString(engine, name);
    node = FindWord(engine, name);
  }
  TObjNode* object = ObjectOfWord(engine, node);
  if (!object || (object->kind != kKindImage && object->kind != kKindForm)) RaiseNotCreated(engine, name);
  TBitmap* picture = PictureOf(engine, *object);
  if (!picture) RaiseNotCreated(engine, name);
  return picture;
}

QRect PrintTargetRect(int width, int height, int pageWidth, int pageHeight) {
  if (width <= 0 || height <= 0 || pageWidth <= 0 || pageHeight <= 0) return QRect();
  const double x = width > height ? static_cast<double>(width) / pageWidth
                                  : static_cast<double>(height) / pageHeight;
  const int right = static_cast<int>(std::trunc(width / x)) - 1;
  const int bottom = static_cast<int>(std::trunc(height / x)) - 1;
  return QRect(QPoint(0, 0), QPoint(right, bottom));
}

// The printing commands are stand-ins for the module's handlers.
constexpr CommandEntry kPrintCaptureCommands[] = {
    {CommandId::PrintMainWindow, RunInModule},
    {CommandId::PrintImage, RunInModule},
    {CommandId::PrintText, RunInModule},
    {CommandId::Refresh, Refresh},
    {CommandId::CaptureWindow, Capture},
    {CommandId::SetBits, SetBits},
};

void RegisterPrintCaptureCommands() { RegisterCommandTable(kPrintCaptureCommands); }

}  // namespace nura
