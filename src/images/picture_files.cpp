// Loading and saving pictures by format for the main window: BMP, icons,
// JPEG, PNG, the clipboard, image objects by name, and image-import
// plug-ins for every other extension.
#include "images/picture_files.h"

#include <QWidget>
#include <new>

#include "engine/command_api.h"
#include "support/file_command_support.h"
#include "support/number_functions.h"
#include "engine/conv_half.h"
#include "engine/errors.h"
#include "engine/locale_map.h"
#include "engine/packed_program.h"
#include "engine/sjis_text.h"
#include "gui/picture_box.h"
#include "gui/picture_codecs.h"
#include "gui/picture_host.h"
#include "images/dib_format.h"
#include "images/gld_png.h"
#include "images/graphic_errors.h"
#include "images/icon_reader.h"
#include "images/icon_writer.h"
#include "images/jpeg_format.h"
#include "images/pe_icons.h"
#include "images/resample.h"
#include "images/spi_lib.h"
#include "platform/gui/clipboard_image.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// A file that cannot be opened: reported without an inner message.
struct EFileOpen {};

// A failure inside loading, formatted with the file and line; the caller
// wraps it into its own message, which alone enters the error log.
[[noreturn]] void RaiseInner(TNuraEngine& engine, const std::string& text) {
  throw ERuntimeError(FormatErrorMessage(engine, text));
}

const std::string& ClipboardName() {
  static const std::string name = SJ("クリップボード");
  return name;
}

class TImageCodecs : public TPictureCodecs {
 public:
  void LoadPlugins(const std::string& nativeFolder) override { spi_.LoadPlugins(nativeFolder); }
  TBitmap LoadPicture(TPictureHost& form, const std::string& name) override;
  void SavePicture(TPictureHost& form, const std::string& objectName, const std::string& fileName,
                   bool confirm) override;
  bool StretchPicture(TBitmap& picture, int width, int height) override;

 private:
  void LoadObject(TPictureHost& form, const std::string& name, TBitmap& out);
  void LoadFile(TNuraEngine& engine, const std::string& name, TBitmap& out);
  // The "未対応のファイル形式です。" failure unless a plug-in takes the
  // extension of `path`.
  void RequirePlugin(TNuraEngine& engine, const std::string& path);
  [[noreturn]] static void RaisePluginFailure(TNuraEngine& engine, const std::string& path);
  void LoadThroughPlugin(TNuraEngine& engine, const std::string& path, const std::string& data,
                         TBitmap& out);
  TSpiLib32 spi_;
};

// ---- loading ----

TBitmap TImageCodecs::LoadPicture(TPictureHost& form, const std::string& name) {
  TNuraEngine& engine = form.Engine();
  TBitmap result;
  std::string file = name;
  const std::string extracted = ExtractPackedFile(engine, name);
  if (!extracted.empty()) file = extracted;
  if (file == ClipboardName()) {
    const QImage image = GetClipboardImage();
    if (!image.isNull()) result = BitmapFromImage(image, 24);
    return result;
  }
  const std::string cannotRead = SJ("画像ファイル\"") + file + SJ("\"が読込めません。");
  try {
    if (ExtractExtension(file).empty()) {
      LoadObject(form, file, result);
    } else {
      LoadFile(engine, file, result);
    }
  } catch (const EFileOpen&) {
    RaiseScriptError(engine, cannotRead);
  } catch (const std::exception& e) {
    RaiseScriptError(engine, cannotRead + e.what());
  }
  return result;
}

// A name without extension names a script object: its picture when it is
// an image or a form, nothing when no object has that name.
void TImageCodecs::LoadObject(TPictureHost& form, const std::string& name, TBitmap& out) {
  const TObjNode* object = ObjectList(form.Engine()).FindByName(ConvertToHalf(name));
  if (!object) return;
  TPictureBox* box = object->kind == TObjectKind::Image || object->kind == TObjectKind::Form ? form.PictureBoxOf(*object) : nullptr;
  if (!box) RaiseInner(form.Engine(), SJ("画像として、\"") + name + SJ("\"を読み込めません。"));
  out = box->Bitmap();
}

void TImageCodecs::LoadFile(TNuraEngine& engine, const std::string& name, TBitmap& out) {
  const std::string path = ResolveFilePath(engine, name);
  const std::string ext = ToLowerCase(ExtractExtension(path));
  // Other extensions go to a plug-in, which is asked first: without one
  // the format is unsupported whether or not the file can be read.
  const bool builtIn =
      ext == ".bmp" || ext == ".ico" || ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".exe";
  if (!builtIn) RequirePlugin(engine, path);
  std::string data;
  if (!ReadNativeFile(ScriptPathToNative(path), data)) {
    if (!builtIn) RaisePluginFailure(engine, path);
    throw EFileOpen();
  }
  if (ext == ".exe") {
    if (!ReadPeIcon(data, 0, out)) RaiseInner(engine, SJ("ファイル\"") + path + SJ("\"からアイコンを抽出できません。"));
  } else if (ext == ".bmp") {
    ReadBmp(data, out);
  } else if (ext == ".ico") {
    ReadIco(data, out);
  } else if (ext == ".jpg" || ext == ".jpeg") {
    ReadJpeg(data, out);
  } else if (ext == ".png") {
    TGLDPNG png;
    png.LoadFromStream(data);
    png.AssignTo(out);
  } else {
    LoadThroughPlugin(engine, path, data, out);
  }
}

void TImageCodecs::RequirePlugin(TNuraEngine& engine, const std::string& path) {
  if (!spi_.ExtensionSupported(path))
    RaiseInner(engine, "\"" + path + SJ("\"が読込めません。未対応のファイル形式です。"));
}

void TImageCodecs::RaisePluginFailure(TNuraEngine& engine, const std::string& path) {
  RaiseInner(engine, "\"" + path + SJ("\"が読込めません。Susie PlugInの読み込みエラー。"));
}

void TImageCodecs::LoadThroughPlugin(TNuraEngine& engine, const std::string& path, const std::string& data,
                                     TBitmap& out) {
  bool decoded = false;
  try {
    decoded = spi_.Decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), out);
  } catch (const std::exception&) {
    decoded = false;
  }
  if (!decoded) RaisePluginFailure(engine, path);
}

// ---- saving ----

// The file image of `picture` for the lower-case extension `ext`; empty
// when the extension has no writer.
std::string EncodePicture(TNuraEngine& engine, const TBitmap& picture, const std::string& ext) {
  if (ext == ".bmp") return WriteBmp(picture);
  if (ext == ".jpg" || ext == ".jpeg") {
    const long double quality = TextToNumber(WordValue(engine, SJ("JPEG圧縮率")));
    return WriteJpeg(picture, TruncToInt32(quality));
  }
  if (ext == ".png") {
    if (picture.Empty()) throw EInvalidGraphicOperation(SJ("ビットマップが不正です。"));
    TGLDPNG png;
    png.Assign(picture);
    std::string bytes;
    png.SaveToStream(bytes);
    return bytes;
  }
  if (ext == ".ico") return TjvIcon::IconBytes(picture, picture.BitsPerPixel() == 4);
  return "";
}

bool HasWriter(const std::string& ext) {
  return ext == ".bmp" || ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".ico";
}

void TImageCodecs::SavePicture(TPictureHost& form, const std::string& objectName, const std::string& fileName,
                               bool confirm) {
  TNuraEngine& engine = form.Engine();
  const TObjNode* object = ObjectList(engine).FindByName(objectName);
  if (!object) {
    RaiseScriptError(engine, SJ("オブジェクト\"") + objectName + SJ("\"は、作成されていません。"));
  }
  TPictureBox* box = nullptr;
  if (object->kind == TObjectKind::Form) {
    QWidget* widget = WidgetOfObject(*object);
    box = form.GetFormImage(widget);
    form.FitFormImage(widget);
  } else if (object->kind == TObjectKind::Image) {
    box = form.PictureBoxOf(*object);
  }
  if (!box) RaiseScriptError(engine, "\"" + objectName + SJ("\"はイメージではありません。"));
  if (fileName == ClipboardName()) {
    SetClipboardImage(box->Bitmap().ToImage());
    return;
  }
  if (confirm && ConfirmFileOperation(engine, fileName, SJ("イメージを\"") + fileName + SJ("\"へ保存します。")) != 0) {
    return;
  }
  const std::string ext = ToLowerCase(ExtractExtension(fileName));
  if (!HasWriter(ext)) RaiseScriptError(engine, "\"" + ext + SJ("\"は、未対応の画像ファイルです。"));
  try {
    if (!WriteFileAtomically(ScriptPathToNative(fileName), EncodePicture(engine, box->Bitmap(), ext))) {
      throw EInvalidGraphic(SJ("ファイルを書き込めません。"));
    }
  } catch (const std::exception& e) {
    RaiseScriptError(engine, SJ("ファイル\"") + fileName + SJ("\"の、読み込みか書き込みに、失敗しました。") + e.what());
  }
}

}  // namespace

bool TImageCodecs::StretchPicture(TBitmap& picture, int width, int height) {
  if (width < 1 || height < 1 || int64_t{width} * height > kMaxPicturePixels) return false;
  try {
    StretchBitmap(picture, width, height);
  } catch (const ERangeError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void InstallPictureCodecs() {
  SetPictureCodecsFactory([] { return std::unique_ptr<TPictureCodecs>(std::make_unique<TImageCodecs>()); });
}

}  // namespace nura
