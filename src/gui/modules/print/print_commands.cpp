// The module "print" (Qt Print Support): "母艦印刷", "イメージ印刷" and
// "簡易印刷" through the printer setup dialog. Its entry point registers
// them in place of the program's stand-ins (gui/print_capture_commands.cpp).
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/print_capture_commands.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

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
  EngineHost(engine).ProcessEvents();
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
  for (const std::string& line : SplitLines(ExpandTabs(text, TabWidth(engine)))) {
    if (y > 0 && y + metrics.height() > bottom) {
      printer.newPage();
      y = 0;
    }
    painter.drawText(0, y + metrics.ascent(), SjisToQString(line));
    y += metrics.height();
  }
  painter.end();
}

constexpr CommandEntry kPrintCommands[] = {
    {CommandId::PrintMainWindow, PrintMainWindow},
    {CommandId::PrintImage, PrintImage},
    {CommandId::PrintText, PrintText},
};

}  // namespace
}  // namespace nura

extern "C" void NuraPrintModule() { nura::RegisterCommandTable(nura::kPrintCommands); }
