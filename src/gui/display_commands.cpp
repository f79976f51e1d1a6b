// Display and drawing: text lines and pictures at the running position on
// the main window's picture, shapes with the pen and brush of the system
// variables, pixels of pictures, and centring an object.
#include "gui/display_commands.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <new>

#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/sjis_text.h"
#include "gui/fonts.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr size_t kMaxDisplayBytes = 4096;

int ClientWidth(TfrmNura& window) { return window.Client()->width(); }

// ---- text ----

// The lines that "表示" writes: up to 4096 bytes with tabs expanded, a
// longer text cut there (never inside a character) without expansion.
std::vector<std::string> DisplayLines(const std::string& text, int tabWidth) {
  if (text.size() <= kMaxDisplayBytes) return SplitLines(ExpandTabs(text, tabWidth));
  size_t cut = 0;
  while (cut < kMaxDisplayBytes) {
    const size_t width = IsSjisLead(static_cast<unsigned char>(text[cut])) ? 2 : 1;
    if (cut + width > kMaxDisplayBytes) break;
    cut += width;
  }
  return SplitLines(std::string_view(text).substr(0, cut));
}

// "表示" ("?と"): text lines at the next position; y moves down by 1.2
// times the height of "あ" per line.
void CmdDisplay(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  if (!WordValue(engine, SJ("表示出力先")).empty()) {
    AppendDisplayOutput(engine, text);
    return;
  }
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  TPictureBox& picture = *window->img;
  ApplyFontSettings(engine);
  TCanvasTools& tools = picture.Tools();
  const int step = static_cast<int>(std::nearbyint(1.2 * TextHeightOnPicture(tools.font, SJ("あ"))));
  int y = NextObjectY(engine);
  picture.Draw([&](QPainter& p) {
    const QFontMetrics metrics(tools.font, p.device());
    p.setPen(ColorFromBgr(static_cast<uint32_t>(tools.fontColour)));
    for (const std::string& line : DisplayLines(text, TabWidth(engine))) {
      const QString shown = SjisToQString(line);
      const int x =
          IsCentring(engine) ? (ClientWidth(*window) - metrics.horizontalAdvance(shown)) / 2 : NextObjectX(engine);
      p.drawText(x, y + metrics.ascent(), shown);
      y += step;
    }
  });
  SetNextObjectPosition(engine, NextObjectX(engine), y);
}

// "移動" ("?へ"): the next position.
void CmdMoveTo(TNuraEngine& engine, CommandId) {
  int x = 0, y = 0;
  ParseCoordinates(engine, PopRawArgument(engine), x, y);
  SetNextObjectPosition(engine, x, y);
}

// "画面クリア" ("?で"): the main picture filled with the colour (the
// window's colour when left out), which becomes the window's colour.
void CmdClearScreen(TNuraEngine& engine, CommandId) {
  const bool leftOut = SubjectLeftOut(engine);
  const std::string given = leftOut ? (PopRawArgument(engine), std::string()) : PopText(engine);
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  const int32_t colour = leftOut ? static_cast<int32_t>(BgrFromColor(window->palette().color(QPalette::Window)))
                                 : ColorTextToValue(given);
  TPictureBox& picture = *window->img;
  picture.ClearPicture();
  TCanvasTools& tools = picture.Tools();
  tools.penColour = tools.brushColour = colour;
  tools.brushClear = false;
  picture.CanvasBitmap();  // a new bitmap of the picture's size
  picture.FillBitmap(colour);
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, ColorFromBgr(static_cast<uint32_t>(colour)));
  window->setPalette(palette);
  SetNextObjectPosition(engine, 10, 10);
}

// ---- shapes ----

enum class TShape { Line, Rectangle, Ellipse };

void DrawShape(TPictureBox& picture, TShape shape, int x1, int y1, int x2, int y2) {
  picture.Draw([&](QPainter& p) {
    switch (shape) {
      case TShape::Line: p.drawLine(x1, y1, x2, y2); break;
      case TShape::Rectangle: p.drawRect(ShapeRect(x1, y1, x2, y2).adjusted(0, 0, -1, -1)); break;
      case TShape::Ellipse: p.drawEllipse(ShapeRect(x1, y1, x2, y2).adjusted(0, 0, -1, -1)); break;
    }
  });
}

TShape ShapeOf(CommandId id) {
  switch (id) {
    case CommandId::Line: case CommandId::DrawLine: return TShape::Line;
    case CommandId::Rectangle: case CommandId::DrawRectangle: return TShape::Rectangle;
    default: return TShape::Ellipse;
  }
}

// "線", "四角形", "円形" ("?から,?へ") on the main picture. Without the
// from-point a line starts at the next position, "四角形" fills the
// rectangle of the to-argument and "円形" draws the ellipse in it.
void MainShape(TNuraEngine& engine, CommandId id) {
  const std::string to = PopRawArgument(engine);
  const bool fromLeftOut = SubjectLeftOut(engine);
  const std::string from = PopRawArgument(engine);
  TfrmNura* window = WindowOf(engine);
  const TShape shape = ShapeOf(id);
  int x1 = NextObjectX(engine), y1 = NextObjectY(engine), x2 = 0, y2 = 0;
  if (fromLeftOut && shape != TShape::Line) {
    const TRect r = ParseRectangle(engine, to);
    x1 = r.left, y1 = r.top, x2 = r.right, y2 = r.bottom;
  } else {
    ParseCoordinates(engine, to, x2, y2);
    if (!fromLeftOut) ParseCoordinates(engine, from, x1, y1);
  }
  ApplyPenAndBrush(engine);
  if (!window) return;
  TPictureBox& picture = *window->img;
  if (fromLeftOut && shape == TShape::Rectangle) {
    const QColor brush = ColorFromBgr(static_cast<uint32_t>(picture.Tools().brushColour));
    picture.Draw([&](QPainter& p) { p.fillRect(ShapeRect(x1, y1, x2, y2), brush); });
    return;
  }
  DrawShape(picture, shape, x1, y1, x2, y2);
}

// "線描画", "四角形描画", "円形描画" ("?の,?から,?へ"): on an image or a
// form, with the main picture's pen and brush.
void ObjectShape(TNuraEngine& engine, CommandId id) {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ParseCoordinates(engine, PopRawArgument(engine), x2, y2);
  ParseCoordinates(engine, PopRawArgument(engine), x1, y1);
  const std::string name = PopRawWord(engine);
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  TPictureBox* target = window->ImageOfObject(name);
  ApplyPenAndBrush(engine);
  if (target != window->img) {
    const TCanvasTools& main = window->img->Tools();
    TCanvasTools& tools = target->Tools();
    tools.penColour = main.penColour;
    tools.penWidth = main.penWidth;
    tools.brushColour = main.brushColour;
    tools.brushClear = false;
  }
  DrawShape(*target, ShapeOf(id), x1, y1, x2, y2);
}

// ---- pixels ----

// The picture of "点描画" and "座標色取得": the main picture when the
// object was left out, an image or a form's picture; nil otherwise.
TPictureBox* PixelTarget(TNuraEngine& engine, bool leftOut, const std::string& name) {
  TfrmNura* window = WindowOf(engine);
  if (!window) return nullptr;
  if (leftOut || name == SJ("それ")) return window->img;
  const TObjNode* object = ObjectList(engine).FindByName(name);
  return object ? window->PictureBoxOf(*object) : nullptr;
}

// The arguments of "点描画" and "座標色取得": the point, then the object;
// nil when there is no picture to reach or the point is malformed.
TPictureBox* PopPixel(TNuraEngine& engine, int& x, int& y) {
  const std::string at = PopRawArgument(engine);
  const bool leftOut = SubjectLeftOut(engine);
  const std::string name = PopRawWord(engine);
  try {
    ParseCoordinates(engine, at, x, y);
    return PixelTarget(engine, leftOut, name);
  } catch (const std::exception&) {
    return nullptr;
  }
}

// "点描画" ("?の,?へ"): one pixel in "ペン色"; failures are ignored.
void CmdDrawPoint(TNuraEngine& engine, CommandId) {
  int x = 0, y = 0;
  if (TPictureBox* picture = PopPixel(engine, x, y))
    picture->SetPixel(x, y, ColorTextToValue(WordValue(engine, SJ("ペン色"))));
}

// "座標色取得" ("?の,?を"): the colour number of one pixel; failures leave
// "それ" as it was.
void CmdPixelColour(TNuraEngine& engine, CommandId) {
  int x = 0, y = 0;
  int32_t colour = 0;
  TPictureBox* picture = PopPixel(engine, x, y);
  if (picture && picture->PixelAt(x, y, colour)) SetIntegerResult(engine, colour);
}

// ---- pictures ----

// Draws `picture` at the next position (centred when centring is on) and
// moves the position below it.
void ShowAtNextPosition(TNuraEngine& engine, TfrmNura& window, TBitmap& picture, const std::string& file) {
  const int x = IsCentring(engine) ? (ClientWidth(window) - picture.Width()) / 2 : NextObjectX(engine);
  try {
    picture.SetPixelFormat(24);
    const QImage image = picture.ToImage();
    TPictureBox& main = *window.img;
    main.CanvasBitmap().SetPixelFormat(24);
    main.Draw([&](QPainter& p) {
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(x, NextObjectY(engine), image);
    });
  } catch (const std::exception&) {
    RaiseScriptError(engine, "\"" + file + SJ("\"が読込めません。"));
  }
  SetNextObjectPosition(engine, NextObjectX(engine), NextObjectY(engine) + picture.Height());
}

// "画像表示" ("?を").
void CmdShowImage(TNuraEngine& engine, CommandId) {
  const std::string file = TrimText(PopText(engine));
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  TBitmap picture = window->LoadPicture(file);
  ShowAtNextPosition(engine, *window, picture, file);
}

// "画像拡大表示" ("?を,?で"): the picture stretched to w x h. A size of 0
// or less draws nothing.
void CmdShowImageScaled(TNuraEngine& engine, CommandId) {
  int w = 0, h = 0;
  ParseCoordinates(engine, PopRawArgument(engine), w, h);
  const std::string file = TrimText(PopText(engine));
  TfrmNura* window = WindowOf(engine);
  if (!window) return;
  TBitmap picture = window->LoadPicture(file);
  if (w <= 0 || h <= 0) return;
  if (!window->PictureCodecs() || !window->PictureCodecs()->StretchPicture(picture, w, h))
    RaiseScriptError(engine, "\"" + file + SJ("\"が読込めません。"));
  ShowAtNextPosition(engine, *window, picture, file);
}

// ---- centring ----

// The object whose child area is `area`, or nil.
const TGuiObject* ContainerOf(TNuraEngine& engine, const QWidget* area) {
  TObjList& objects = ObjectList(engine);
  for (int i = 0; i < objects.Count(); ++i) {
    const TObjNode* node = objects.GetItem(i);
    const TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
    if (object && object->Alive() && object->ChildArea() == area) return object;
  }
  return nullptr;
}

// "中央へ移動" ("?を"): a form on the screen; another object in its panel
// or form; on other containers it stays.
void MoveToCentre(TNuraEngine& engine, CommandId) {
  const TGuiObject& object = LiveObjectNamed(engine, PopRawWord(engine));
  QWidget* widget = object.Widget();
  QSize outer;
  if (object.Kind() == TObjectKind::Form) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    outer = screen->geometry().size();
  } else {
    const TGuiObject* container = ContainerOf(engine, widget->parentWidget());
    if (!container || (container->Kind() != TObjectKind::Panel && container->Kind() != TObjectKind::Form)) return;
    outer = widget->parentWidget()->size();
  }
  widget->move((outer.width() - widget->width()) / 2, (outer.height() - widget->height()) / 2);
}

}  // namespace

constexpr CommandEntry kDisplayCommands[] = {
    {CommandId::Display, CmdDisplay},
    {CommandId::MoveTo, CmdMoveTo},
    {CommandId::ClearScreen, CmdClearScreen},
    {CommandId::Line, MainShape},
    {CommandId::Rectangle, MainShape},
    {CommandId::Ellipse, MainShape},
    {CommandId::DrawLine, ObjectShape},
    {CommandId::DrawRectangle, ObjectShape},
    {CommandId::DrawEllipse, ObjectShape},
    {CommandId::DrawPoint, CmdDrawPoint},
    {CommandId::PixelColour, CmdPixelColour},
    {CommandId::ShowImage, CmdShowImage},
    {CommandId::ShowImageScaled, CmdShowImageScaled},
    {CommandId::MoveToCenter, MoveToCentre},
};

void RegisterDisplayCommands() { RegisterCommandTable(kDisplayCommands); }

}  // namespace nura
