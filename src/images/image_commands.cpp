// The image commands: copies between pictures, the fades of the main
// window, colour numbers, the pixel filters and the effects, and saving a
// picture to a file. Targets are image objects and form objects, whose
// inner picture "img" stands in for them.
#include "images/image_commands.h"

#include <QPainter>
#include <QThread>
#include <new>

#include "support/number_functions.h"
#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/fonts.h"
#include "gui/objects/gui_object.h"
#include "gui/picture_box.h"
#include "gui/picture_host.h"
#include "images/abitmap.h"
#include "images/bitmap_effects.h"
#include "images/bitmap_filters.h"
#include "images/dib_format.h"
#include "images/picture_files.h"
#include "images/resample.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// An image or form object with the picture it shows and the control that
// takes its size.
struct TImageTarget {
  TPictureBox* box = nullptr;
  QWidget* control = nullptr;
  bool form = false;
  TBitmap& Picture() { return box->Bitmap(); }
};

// The picture of the image or form named `name`: "オブジェクト"%s"は、作成
// されていません。" when no object has the name, ""%s"は、イメージではありま
// せん。" for another kind.
TImageTarget FindImageTarget(TNuraEngine& engine, const std::string& name) {
  const TObjNode* object = ObjectList(engine).FindByName(name);
  if (!object) RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。"));
  TPictureHost* window = PictureHostOf(engine);
  if (!window) RaiseScriptError(engine, "\"" + name + SJ("\"は、イメージではありません。"));
  TImageTarget target;
  target.box = window->ImageOfObject(name);
  target.form = object->kind == TObjectKind::Form;
  target.control = target.form ? WidgetOfObject(*object) : target.box;
  return target;
}

// The picture of an image or form object, or nil (other kinds, no object).
TPictureBox* PictureOfName(TNuraEngine& engine, const std::string& name) {
  const TObjNode* object = ObjectList(engine).FindByName(name);
  TPictureHost* window = PictureHostOf(engine);
  return object && window ? window->PictureBoxOf(*object) : nullptr;
}

void Show(TPictureBox* box) {
  if (box) box->update();
}

// ---- copies ----

// Draws `source` onto `target` resampled to the rectangle; where the
// resampler cannot (a size out of its range, no memory), stretched.
void DrawResampled(TBitmap& target, const TBitmap& source, const TRect& rect) {
  const QRect area(rect.left, rect.top, static_cast<int>(rect.Width()), static_cast<int>(rect.Height()));
  QImage image;
  try {
    if (rect.Width() * rect.Height() > kMaxPicturePixels) throw std::bad_alloc();
    TBitmap copy = source;
    StretchBitmap(copy, area.width(), area.height());
    image = copy.ToImage();
  } catch (const std::bad_alloc&) {
  } catch (const ERangeError&) {
  } catch (const std::invalid_argument&) {
  }
  PaintOnBitmap(target, [&](QPainter& p) {
    if (!image.isNull()) p.drawImage(area.topLeft(), image);
    else p.drawImage(area, source.ToImage());
  });
}

void CmdCopy(TNuraEngine& engine, CommandId) {
  const TRect rect = ParseRectangle(engine, PopRawArgument(engine));
  const std::string destination = PopRawWord(engine);
  GetObjectCanvas(engine, destination);  // raises for an unknown name
  TPictureBox* target = PictureOfName(engine, destination);
  const std::string sourceName = PopRawWord(engine);
  if (!GetObjectBitmap(engine, sourceName)) return;  // raises for an unknown name
  TPictureBox* source = PictureOfName(engine, sourceName);
  if (!target || !source || source->Bitmap().Empty()) return;
  if (rect.right > 0 || rect.bottom > 0) {
    DrawResampled(target->Bitmap(), source->Bitmap(), rect);
  } else {
    const QImage image = source->Bitmap().ToImage();
    PaintOnBitmap(target->Bitmap(), [&](QPainter& p) { p.drawImage(rect.left, rect.top, image); });
  }
  Show(target);
}

// What a canvas of an object shows: its picture (image, form), or the
// control's own drawing (list box, grid, label, animation box).
QImage CanvasImage(TNuraEngine& engine, const std::string& name, TScriptObject* canvas) {
  if (TPictureBox* box = PictureOfName(engine, name)) return box->Bitmap().ToImage();
  const TGuiObject* control = GuiObjectOf(canvas);
  QWidget* widget = control ? control->Widget() : nullptr;
  return widget ? widget->grab().toImage() : QImage();
}

void CmdPartCopy(TNuraEngine& engine, CommandId id) {
  const std::string destinationRect = PopRawArgument(engine);
  const std::string destination = PopRawWord(engine);
  const std::string sourceRect = PopRawArgument(engine);
  const std::string source = PopRawWord(engine);
  for (const std::string* name : {&source, &destination}) {
    if (!FindWord(engine, *name)) {
      RaiseScriptError(engine, SJ("オブジェクト\"") + *name + SJ("\"は、作成されていません。"));
    }
  }
  TScriptObject* sourceCanvas = GetObjectCanvas(engine, source);
  TScriptObject* targetCanvas = GetObjectCanvas(engine, destination);
  if (!sourceCanvas || !targetCanvas) return;
  const QImage from = CanvasImage(engine, source, sourceCanvas);
  TPictureBox* target = PictureOfName(engine, destination);
  if (from.isNull() || !target) return;
  try {
    const TRect s = ParseRectangle(engine, sourceRect);
    TRect d = ParseRectangle(engine, destinationRect);
    if (d.right == 0 && d.bottom == 0) {
      d.right = TruncToInt32(static_cast<long double>(d.left) + s.Width());
      d.bottom = TruncToInt32(static_cast<long double>(d.top) + s.Height());
    }
    const QRect sourceArea(s.left, s.top, TruncToInt32(s.Width()), TruncToInt32(s.Height()));
    const QRect targetArea(d.left, d.top, TruncToInt32(d.Width()), TruncToInt32(d.Height()));
    PaintOnBitmap(target->Bitmap(), [&](QPainter& p) { p.drawImage(targetArea, from, sourceArea); });
  } catch (const std::exception&) {
    RaiseArgumentError(engine, id);
  }
  Show(target);
}

// ---- fades ----

// Every colour byte above `cap` is lowered to it (fade out), or every one
// below `floor` raised to it (fade in).
void LimitColourBytes(TBitmap& bitmap, int cap, int floor) {
  const size_t bytes = static_cast<size_t>(bitmap.Width()) * 3;
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(std::clamp<int>(row[i], floor, cap));
  }
}

// The whole window into the main picture, 24 bits per pixel.
void CaptureWindow(TPictureHost& host) {
  QWidget& form = host.WindowWidget();
  const QRect frame = form.frameGeometry();
  const QImage shot = form.grab().toImage();
  TBitmap& picture = host.Surface()->Bitmap();
  picture.SetSize(frame.width(), frame.height(), 24);
  const QPoint offset = form.geometry().topLeft() - frame.topLeft();
  PaintOnBitmap(picture, [&](QPainter& p) { p.drawImage(offset, shot); });
}

void Fade(TNuraEngine& engine, CommandId id) {
  const int32_t speed = PopInteger(engine);
  TPictureHost* host = PictureHostOf(engine);
  if (!host || !host->Surface()) return;
  QWidget* form = &host->WindowWidget();
  TPictureBox* surface = host->Surface();
  form->setAttribute(Qt::WA_OpaquePaintEvent);
  QPalette palette = form->palette();
  palette.setColor(QPalette::Window, Qt::white);
  form->setPalette(palette);
  form->repaint();
  CaptureWindow(*host);
  EngineHost(engine).ProcessEvents();
  surface->raise();
  const bool out = id == CommandId::FadeOut;
  const bool running = HasCursor(engine);
  for (int step = 0; step < 26; ++step) {
    LimitColourBytes(surface->Bitmap(), out ? 255 - 10 * step : 255, out ? 0 : 10 * step);
    surface->repaint();
    bool stopped = false;
    for (int32_t round = 0; speed > 0 && round <= speed && !stopped; ++round) {
      EngineHost(engine).ProcessEvents();
      QThread::msleep(2);
      stopped = running && !HasCursor(engine);
    }
    if (stopped) break;
  }
  surface->lower();
  EngineHost(engine).ProcessEvents();
  form->repaint();
}

// ---- colour numbers ----

void SetColourResult(TNuraEngine& engine, int red, int green, int blue) {
  SetIntegerResult(engine, red + green * 256 + blue * 65536);
}

void CmdRgb(TNuraEngine& engine, CommandId id) {
  int parts[3];  // blue, green, red
  for (int& part : parts) part = PopInteger(engine);
  for (int& part : parts) {
    if (part > 255) part %= 256;
    if (part < -1) RaiseArgumentError(engine, id);
    if (part == -1) throw ERangeError();
  }
  SetColourResult(engine, parts[2], parts[1], parts[0]);
}

void CmdCmyk(TNuraEngine& engine, CommandId) {
  int parts[4];  // black, yellow, magenta, cyan
  for (int& part : parts) {
    part = PopInteger(engine);
    if (part < 0 || part > 255) throw ERangeError();
  }
  const auto ink = [&](int colour) { return std::max(0, 255 - (colour + parts[0])); };
  SetColourResult(engine, ink(parts[3]), ink(parts[2]), ink(parts[1]));
}

// ---- filters ----

void CmdFilter(TNuraEngine& engine, CommandId id) {
  const int filter = static_cast<int>(id) - static_cast<int>(CommandId::FlipVertical);
  const long double degree = filter >= 6 ? PopNumber(engine) : 0;
  TImageTarget target = FindImageTarget(engine, PopRawWord(engine));
  TBitmap work = target.Picture();
  switch (filter) {
    case 0: FlipVertical(work); break;
    case 1: FlipHorizontal(work); break;
    case 2: Rotate90(work, true); break;
    case 3: Negative(work); break;
    case 4: GreyScale(work); break;
    case 5: Solarize(work); break;
    case 6: Brightness(work, TruncToInt32(degree)); break;
    default: Gamma(work, static_cast<double>(degree)); break;
  }
  if (filter == 2) {
    target.control->resize(work.Width(), work.Height());
    if (target.form) target.box->resize(work.Width(), work.Height());
  }
  target.Picture() = std::move(work);
  Show(target.box);
}

// ---- effects ----

void DrawTextLines(TNuraEngine& engine, TABitmap& work, const std::string& text, int x, int y) {
  int32_t colour = 0;
  const QFont font = FontOfSettings(engine, colour);
  const std::string expanded = ExpandTabs(text, TabWidth(engine));
  const int lineHeight = static_cast<int>(1.2 * TextHeightOnPicture(font, SJ("あ")));
  size_t start = 0;
  for (int line = 0; start <= expanded.size(); ++line) {
    size_t end = expanded.find('\n', start);
    if (end == std::string::npos) end = expanded.size();
    std::string part = expanded.substr(start, end - start);
    if (!part.empty() && part.back() == '\r') part.pop_back();
    DrawAntialiasedText(work, x, y + line * lineHeight, part, font, static_cast<uint32_t>(colour));
    start = end + 1;
  }
}

// The blended copy: the source picture, or its stretched copy when the
// rectangle has a right or bottom, blended onto the destination.
void BlendCopy(TABitmap& work, const TBitmap& source, TBitmap& destination, const TRect& rect, int opacity) {
  if (rect.right == 0 && rect.bottom == 0) {
    work.Assign(source);
    work.BlendTo(rect.left, rect.top, source.Width(), source.Height(), destination, opacity);
    return;
  }
  if (rect.Width() < 0 || rect.Height() < 0) throw ERangeError();
  const int width = TruncToInt32(rect.Width()), height = TruncToInt32(rect.Height());
  CheckPictureSize(std::max(width, 1), std::max(height, 1));
  work.SetSize(width, height, 32);
  const QImage image = source.ToImage();
  PaintOnBitmap(work, [&](QPainter& p) { p.drawImage(QRect(0, 0, width, height), image); });
  work.BlendTo(rect.left, rect.top, width, height, destination, opacity);
}

void CmdEffect(TNuraEngine& engine, CommandId id) {
  const int effect = static_cast<int>(id) - static_cast<int>(CommandId::DrawText);
  std::string text;
  int x = 0, y = 0, opacity = 0;
  long double degree = 0;
  uint32_t colour = 0;
  TRect rect;
  TImageTarget destination;
  if (effect == 0) {
    text = PopText(engine);
    ParseCoordinates(engine, PopRawArgument(engine), x, y);
    ApplyFontSettings(engine);
  } else if (effect == 1 || effect == 3 || effect == 4) {
    degree = PopNumber(engine);
  } else if (effect == 5) {
    colour = static_cast<uint32_t>(ColorTextToValue(ExpandString(engine, PopRawArgument(engine))));
  } else if (effect == 6) {
    const long double percent = PopNumber(engine);
    opacity = TruncToInt32(percent / 100 * 256);
    if (opacity < 0 || opacity > 65535) throw ERangeError();
    rect = ParseRectangle(engine, PopRawArgument(engine));
    destination = FindImageTarget(engine, PopRawWord(engine));
  }
  TImageTarget source = FindImageTarget(engine, PopRawWord(engine));
  source.Picture().SetPixelFormat(24);
  TABitmap work;
  if (effect <= 5) {
    if (source.Picture().Empty()) work.SetSize(source.control->width(), source.control->height(), 32);
    else work.Assign(source.Picture());
  }
  switch (effect) {
    case 0: DrawTextLines(engine, work, text, x, y); break;
    case 1: RotateFree(work, TruncToInt32(degree)); break;
    case 2: EdgeDetect(work); break;
    case 3: Blur(work, TruncToInt32(degree / 10)); break;
    case 4: Sharpen(work, TruncToInt32(degree)); break;
    case 5: Sepia(work, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF); break;
    default:
      BlendCopy(work, source.Picture(), destination.Picture(), rect, opacity);
      Show(destination.box);
      return;
  }
  source.Picture() = work;
  Show(source.box);
}

// ---- saving ----

// "イメージ保存" ("?へ,?を"): the object, then the file.
void CmdSave(TNuraEngine& engine, CommandId) {
  const std::string object = PopRawWord(engine);
  const std::string file = PopText(engine);
  if (TPictureHost* window = PictureHostOf(engine)) window->SavePicture(object, file, true);
}

}  // namespace

constexpr CommandEntry kImageCommands[] = {
    {CommandId::CopyImage, CmdCopy},
    {CommandId::CopyImagePart, CmdPartCopy},
    {CommandId::FadeOut, Fade},
    {CommandId::FadeIn, Fade},
    {CommandId::Rgb, CmdRgb},
    {CommandId::Cmyk, CmdCmyk},
    {CommandId::SaveImage, CmdSave},
    {CommandId::FlipVertical, CmdFilter},
    {CommandId::FlipHorizontal, CmdFilter},
    {CommandId::RotateRight, CmdFilter},
    {CommandId::Negative, CmdFilter},
    {CommandId::Greyscale, CmdFilter},
    {CommandId::Solarize, CmdFilter},
    {CommandId::Brightness, CmdFilter},
    {CommandId::Gamma, CmdFilter},
    {CommandId::DrawText, CmdEffect},
    {CommandId::RotateImage, CmdEffect},
    {CommandId::EdgeDetect, CmdEffect},
    {CommandId::Blur, CmdEffect},
    {CommandId::Sharpen, CmdEffect},
    {CommandId::Sepia, CmdEffect},
    {CommandId::CopyImageTranslucent, CmdEffect},
};

void RegisterImageCommands() {
  InstallPictureCodecs();
  RegisterCommandTable(kImageCommands);
}

}  // namespace nura
