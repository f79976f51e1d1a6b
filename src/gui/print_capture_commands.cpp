// Commands that reach the main window's picture, the screen and the
// printer. The main window's picture is "母艦"'s (object 0, a form whose
// inner picture is `img`); pictures of other objects come with the script
// objects.
#include "gui/print_capture_commands.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <cmath>

#include "engine/command_api.h"
#include "commands/number_functions.h"
#include "engine/engine.h"
#include "engine/conv_half.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr TObjectKind kKindImage = TObjectKind::Image;
constexpr TObjectKind kKindForm = TObjectKind::Form;

[[noreturn]] void RaiseNotCreated(TNuraEngine& engine, const std::string& name) {
  RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。"));
}

// The object a word names, or nil.
TObjNode* ObjectOfWord(TNuraEngine& engine, const NodePtr& node) {
  if (!node || node->kind != kWordObject) return nullptr;
  return engine.Base().objects.GetItem(node->id);
}

// The picture of an image or form object; nil when the object has none
// that can be reached here.
TBitmap* PictureOf(TNuraEngine& engine, const TObjNode& object) {
  TfrmNura* form = WindowOf(engine);
  TPictureBox* box = form ? form->PictureBoxOf(object) : nullptr;
  return box ? &box->Bitmap() : nullptr;
}

// The picture named by `name` (a word, else the name evaluated); image and
// form objects only.
TBitmap* NamedPicture(TNuraEngine& engine, std::string name) {
  NodePtr node = FindWord(engine, name);
  if (!node) {
    name = engine.ExpandString(name);
    node = FindWord(engine, name);
  }
  TObjNode* object = ObjectOfWord(engine, node);
  if (!object || (object->kind != kKindImage && object->kind != kKindForm)) RaiseNotCreated(engine, name);
  TBitmap* picture = PictureOf(engine, *object);
  if (!picture) RaiseNotCreated(engine, name);
  return picture;
}

void Repaint(TNuraEngine& engine) {
  if (TfrmNura* form = WindowOf(engine)) {
    form->update();
    if (form->img) form->img->update();
  }
  engine.Host().ProcessEvents();
}

void Refresh(TNuraEngine& engine, CommandId) { Repaint(engine); }

// ---- printing ----

// The printer chosen in the setup dialog; false when there is none or the
// user cancels.
bool ChoosePrinter(TNuraEngine& engine, QPrinter& printer) {
  if (QPrinterInfo::availablePrinters().isEmpty())
    RaiseScriptError(engine, SJ("印刷できるプリンタがありません。"));
  QPrintDialog dialog(&printer, WindowOf(engine));
  return dialog.exec() == QDialog::Accepted;
}

void PrintPicture(TNuraEngine& engine, QPrinter& printer, const QImage& picture) {
  if (TfrmNura* form = WindowOf(engine)) printer.setDocName(form->windowTitle());
  QPainter painter;
  if (!painter.begin(&printer)) RaiseScriptError(engine, SJ("印刷を開始できません。"));
  const QRect page = painter.viewport();
  const QRect target = PrintTargetRect(picture.width(), picture.height(), page.width(), page.height());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, picture.convertToFormat(QImage::Format_RGB888));
  painter.end();
}

void PrintMainWindow(TNuraEngine& engine, CommandId) {
  QPrinter printer;
  if (!ChoosePrinter(engine, printer)) return;
  TfrmNura* form = WindowOf(engine);
  if (!form) return;
  form->activateWindow();
  engine.Host().ProcessEvents();
  PrintPicture(engine, printer, form->grab().toImage());
}

void PrintImage(TNuraEngine& engine, CommandId) {
  const std::string name = PopRawWord(engine);
  QPrinter printer;
  if (!ChoosePrinter(engine, printer)) return;
  PrintPicture(engine, printer, NamedPicture(engine, name)->ToImage());
}

// "簡易印刷" ("?を"): the text as plain lines in the printer's font, page
// after page.
void PrintText(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  QPrinter printer;
  if (!ChoosePrinter(engine, printer)) return;
  if (TfrmNura* form = WindowOf(engine)) printer.setDocName(form->windowTitle());
  QPainter painter;
  if (!painter.begin(&printer)) RaiseScriptError(engine, SJ("印刷を開始できません。"));
  const QFontMetrics metrics(painter.font(), &printer);
  const int bottom = painter.viewport().height();
  int y = 0;
  for (const std::string& line : SplitLines(ExpandTabs(text, engine.TabWidth()))) {
    if (y > 0 && y + metrics.height() > bottom) {
      printer.newPage();
      y = 0;
    }
    painter.drawText(0, y + metrics.ascent(), SjisToQString(line));
    y += metrics.height();
  }
  painter.end();
}

// ---- capture ----

void Capture(TNuraEngine& engine, CommandId) {
  static const std::string kDesktop = SJ("デスクトップ");
  static const std::string kMainWindow = SJ("母艦");
  const std::string title = PopText(engine);
  std::string name = PopRawWord(engine);
  if (SubjectLeftOut(engine)) name = kMainWindow;
  TObjNode* object = engine.Base().objects.FindByName(name);
  if (!object) RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"が特定できません。"));
  TBitmap* picture = object->kind == kKindImage || object->kind == kKindForm ? PictureOf(engine, *object) : nullptr;
  if (!picture) RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"が特定できません。"));
  TfrmNura* form = WindowOf(engine);
  QImage shot;
  if (title == kDesktop) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) shot = screen->grabWindow(0).toImage();
  } else if (form && QStringToSjis(form->windowTitle()) == title) {
    shot = form->centralWidget() ? form->centralWidget()->grab().toImage() : form->grab().toImage();
  } else {
    return;  // no other program's window can be brought to the front here
  }
  if (!shot.isNull()) PaintOnBitmap(*picture, [&](QPainter& p) { p.drawImage(0, 0, shot); });
  if (form) form->activateWindow();
  Repaint(engine);
}

// ---- colour depth and icons ----

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

void ExtractIcon(TNuraEngine& engine, CommandId) {
  const std::string name = PopRawWord(engine);
  const int32_t index = PopInteger(engine);
  const std::string file = PopText(engine);
  NodePtr node = FindWord(engine, name);
  TObjNode* object = ObjectOfWord(engine, node);
  const std::string notObject = "\"" + name + SJ("\"は、オブジェクトではありません。");
  if (!object) RaiseScriptError(engine, notObject);
  if (object->kind != kKindImage) RaiseScriptError(engine, notObject + SJ("イメージを指定します。"));
  if (index < 0) throw ERangeError();
  // Program files carry no icon resources here.
  RaiseScriptError(engine, SJ("ファイル\"") + file + SJ("\"からアイコンを抽出できません。"));
}

}  // namespace

QRect PrintTargetRect(int width, int height, int pageWidth, int pageHeight) {
  if (width <= 0 || height <= 0 || pageWidth <= 0 || pageHeight <= 0) return QRect();
  const double x = width > height ? static_cast<double>(width) / pageWidth
                                  : static_cast<double>(height) / pageHeight;
  const int right = static_cast<int>(std::trunc(width / x)) - 1;
  const int bottom = static_cast<int>(std::trunc(height / x)) - 1;
  return QRect(QPoint(0, 0), QPoint(right, bottom));
}

void RegisterPrintCaptureCommands() {
  RegisterCommandHandler(CommandId::PrintMainWindow, PrintMainWindow);
  RegisterCommandHandler(CommandId::Refresh, Refresh);
  RegisterCommandHandler(CommandId::CaptureWindow, Capture);
  RegisterCommandHandler(CommandId::PrintImage, PrintImage);
  RegisterCommandHandler(CommandId::PrintText, PrintText);
  RegisterCommandHandler(CommandId::SetBits, SetBits);
  RegisterCommandHandler(CommandId::ExtractIcon, ExtractIcon);
}

}  // namespace nura
