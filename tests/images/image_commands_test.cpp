// The image commands and picture loading and saving on the main window
// "母艦", a form object with its inner picture, and a button.
#include "images/image_commands.h"
#include "images/icon_commands.h"

#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/command_api.h"
#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "images/dib_format.h"
#include "images/image_test_support.h"
#include "images/jpeg_format.h"
#include "images/pe_test_file.h"
#include "platform/gui/clipboard_image.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const char* utf8) { return text.find(SJ(utf8)) != std::string::npos; }

class ImageCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    ProgramCommandLine() = TCommandLine();
    RegisterImageCommands();
    RegisterIconCommands();
    form = std::make_unique<TfrmNura>(true);
    dir = test::MakeTempFolder();
    TNuraEngine& engine = form->Engine();
    engine.ResetForRun();
    engine.Base().baseFolder = NativePathToScript(dir) + "/";
  }
  void TearDown() override { fs::remove_all(dir); }

  TNuraEngine& Engine() { return form->Engine(); }
  TBitmap& Picture() { return form->img->Bitmap(); }
  std::string Path(const char* name) const { return dir + "/" + name; }
  static std::string Text(const std::string& s) { return TNuraEngine::MakeRawLiteral(s); }

  // Runs command `id` with the arguments in pattern order; the error text, "" when none.
  std::string Run(CommandId id, std::initializer_list<std::string> args) {
    for (const std::string& arg : args) Engine().Base().args.Push(arg);
    try {
      FindCommandHandler(IdNumber(id))(Engine(), id);
    } catch (const std::exception& e) {
      Engine().Base().args.Clear();
      return e.what();
    }
    return "";
  }
  std::string Result() { return Engine().ResultNode()->Value(); }
  void SetVariable(const char* name, const std::string& value) { Engine().Base().words.Find(SJ(name), false)->SetValue(value); }

  // A script object of `kind` on `widget` (owned by the object).
  void AddObject(const std::string& name, TObjectKind kind, QWidget* widget) {
    TObjList& objects = Engine().Base().objects;
    const int id = objects.Count();
    objects.Add(std::make_unique<TObjNode>(name, std::make_unique<TGuiObject>(kind, widget, true), id, kind));
    Engine().Base().words.Add(std::make_unique<THashNode>(name, true, kWordObject, id, ObjectKindName(kind), "", ""));
  }
  // A form object 120 x 80 with its inner picture "img".
  QWidget* AddForm(const std::string& name) {
    auto* widget = new QWidget;
    widget->resize(120, 80);
    auto* inner = new TPictureBox(widget);
    inner->setObjectName("img");
    AddObject(name, TObjectKind::Form, widget);
    return widget;
  }

  std::unique_ptr<TfrmNura> form;
  std::string dir;
};

TEST_F(ImageCommands, ColourNumbers) {
  EXPECT_EQ(Run(CommandId::Rgb, {"255", "0", "0"}), "");
  EXPECT_EQ(Result(), "255");
  EXPECT_EQ(Run(CommandId::Rgb, {"0", "0", "255"}), "");
  EXPECT_EQ(Result(), "16711680");
  EXPECT_EQ(Run(CommandId::Rgb, {"256", "1", "0"}), "");
  EXPECT_EQ(Result(), "256");
  EXPECT_EQ(Run(CommandId::Rgb, {"-1", "0", "0"}), SJ("範囲チェックエラー"));
  EXPECT_TRUE(Contains(Run(CommandId::Rgb, {"0", "-2", "0"}), "\"RGB\"命令の引数に誤りがあります。"));
  EXPECT_EQ(Run(CommandId::Cmyk, {"0", "0", "0", "0"}), "");
  EXPECT_EQ(Result(), "16777215");
  EXPECT_EQ(Run(CommandId::Cmyk, {"0", "0", "0", "255"}), "");
  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(Run(CommandId::Cmyk, {"0", "55", "200", "0"}), "");
  EXPECT_EQ(Result(), std::to_string(255 + 200 * 256 + 55 * 65536));
  EXPECT_EQ(Run(CommandId::Cmyk, {"256", "0", "0", "0"}), SJ("範囲チェックエラー"));
}

TEST_F(ImageCommands, SavingTheMainWindowWritesItsClientArea) {
  EXPECT_EQ(Run(CommandId::SaveImage, {Text(Path("a.bmp")), SJ("母艦")}), "");
  std::string bmp;
  ASSERT_TRUE(ReadNativeFile(Path("a.bmp"), bmp));
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(test::U32At(bmp, 10), 54u);
  EXPECT_EQ(test::U32At(bmp, 18), 640u);
  EXPECT_EQ(test::U32At(bmp, 22), 400u);

  const std::string gif = Run(CommandId::SaveImage, {Text(Path("x.gif")), SJ("母艦")});
  EXPECT_TRUE(Contains(gif, "\".gif\"は、未対応の画像ファイルです。")) << gif;
  EXPECT_FALSE(fs::exists(Path("x.gif")));
  EXPECT_TRUE(Contains(Run(CommandId::SaveImage, {Text(Path("a.bmp")), "NOPE"}), "オブジェクト\"NOPE\"は、作成されていません。"));
  AddObject("B", TObjectKind::Button, new QPushButton);
  EXPECT_TRUE(Contains(Run(CommandId::SaveImage, {Text(Path("b.bmp")), "B"}), "\"B\"はイメージではありません。"));

  // A refused confirmation saves nothing and raises nothing.
  Engine().Base().securityLevel = 2;
  EXPECT_EQ(Run(CommandId::SaveImage, {Text(Path("c.bmp")), SJ("母艦")}), "");
  EXPECT_FALSE(fs::exists(Path("c.bmp")));
}

TEST_F(ImageCommands, JpegQualityFromTheVariable) {
  SetVariable("JPEG圧縮率", "50.9");
  ASSERT_EQ(Run(CommandId::SaveImage, {Text(Path("a.jpg")), SJ("母艦")}), "");
  std::string jpeg;
  ASSERT_TRUE(ReadNativeFile(Path("a.jpg"), jpeg));
  const size_t dqt = jpeg.find("\xFF\xDB");
  ASSERT_NE(dqt, std::string::npos);
  EXPECT_EQ(jpeg.substr(dqt + 5, 8), std::string("\x10\x0B\x0C\x0E\x0C\x0A\x10\x0E", 8));
  for (const char* quality : {"0", "101"}) {
    SetVariable("JPEG圧縮率", quality);
    const std::string error = Run(CommandId::SaveImage, {Text(Path("b.jpg")), SJ("母艦")});
    EXPECT_TRUE(Contains(error, "の、読み込みか書き込みに、失敗しました。範囲チェックエラー")) << error;
    EXPECT_FALSE(fs::exists(Path("b.jpg")));
    // A failed save leaves an existing picture as it was.
    EXPECT_NE(Run(CommandId::SaveImage, {Text(Path("a.jpg")), SJ("母艦")}), "");
    std::string kept;
    ASSERT_TRUE(ReadNativeFile(Path("a.jpg"), kept));
    EXPECT_EQ(kept, jpeg);
  }
}

TEST_F(ImageCommands, PicturesSavedAndLoadedBackByFormat) {
  Picture().SetSize(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint8_t* p = Picture().ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x % 8 * 30), p[1] = static_cast<uint8_t>(y % 8 * 30), p[2] = 200;
    }
  const std::vector<uint32_t> original = test::Pixels(Picture());
  for (const char* name : {"a.bmp", "b.png", "C.PNG"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Run(CommandId::SaveImage, {Text(Path(name)), SJ("母艦")}), "");
    const TBitmap back = form->LoadPicture(NativePathToScript(Path(name)));
    EXPECT_EQ(back.Width(), 640);
    EXPECT_EQ(test::Pixels(back).at(5 * 640 + 7), original.at(5 * 40 + 7));
  }
  ASSERT_EQ(Run(CommandId::SaveImage, {Text(Path("d.ico")), SJ("母艦")}), "");
  const TBitmap icon = form->LoadPicture(NativePathToScript(Path("d.ico")));
  EXPECT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.PixelColour(7, 5), original.at(5 * 40 + 7));
  // The clipboard both ways.
  ASSERT_EQ(Run(CommandId::SaveImage, {SJ("`クリップボード`"), SJ("母艦")}), "");
  EXPECT_EQ(form->LoadPicture(SJ("クリップボード")).Width(), 640);
  SetClipboardImage(QImage());
  EXPECT_TRUE(form->LoadPicture(SJ("クリップボード")).Empty());
}

TEST_F(ImageCommands, LoadingNamesAndItsErrors) {
  // A name without extension names an object: none gives an empty picture.
  EXPECT_TRUE(form->LoadPicture("NOSUCH").Empty());
  EXPECT_TRUE(form->LoadPicture("pics.d\\NOSUCH").Empty());  // the extension of the last part only
  EXPECT_EQ(form->LoadPicture(SJ("母艦")).Width(), Picture().Width());
  AddObject("B", TObjectKind::Button, new QPushButton);
  const auto errorOf = [&](const std::string& name) {
    try {
      form->LoadPicture(name);
    } catch (const ENura& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  const std::string button = errorOf("B");
  EXPECT_TRUE(Contains(button, "画像ファイル\"B\"が読込めません。")) << button;
  EXPECT_TRUE(Contains(button, "画像として、\"B\"を読み込めません。"));
  const std::string gif = Path("a.gif");
  std::ofstream(gif) << "GIF89a";
  const std::string unsupported = errorOf(NativePathToScript(gif));
  EXPECT_TRUE(Contains(unsupported, "が読込めません。未対応のファイル形式です。")) << unsupported;
  EXPECT_NE(unsupported.find(SJ("画像ファイル\"") + gif + SJ("\"が読込めません。")), std::string::npos);
  // The extension decides first: a missing file of a format that no codec
  // reads is unsupported, inside the outer message.
  const std::string missingGif = errorOf(NativePathToScript(Path("none.gif")));
  EXPECT_NE(missingGif.find(SJ("画像ファイル\"") + Path("none.gif") + SJ("\"が読込めません。")), std::string::npos)
      << missingGif;
  EXPECT_TRUE(Contains(missingGif, "none.gif\"が読込めません。未対応のファイル形式です。")) << missingGif;
  const std::string missing = errorOf(NativePathToScript(Path("none.bmp")));
  EXPECT_EQ(missing.substr(missing.size() - std::string(SJ("\"が読込めません。")).size()), SJ("\"が読込めません。"));
  std::ofstream(Path("bad.jpg")) << "\xFF\xD8\xFF\xE0 not a picture";
  EXPECT_TRUE(Contains(errorOf(NativePathToScript(Path("bad.jpg"))), "JPEG画像のエラーです。"));
  std::ofstream(Path("huge.bmp")) << WriteBmp(TBitmap(1, 1, 24)).replace(18, 8, "\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 8);
  EXPECT_TRUE(Contains(errorOf(NativePathToScript(Path("huge.bmp"))), "画像が大きすぎます。"));
  // A program file: its first icon group; none, or no file, fail.
  const std::string noProgram = errorOf(NativePathToScript(Path("p.exe")));
  EXPECT_EQ(noProgram.substr(noProgram.find(SJ("画像ファイル"))),
            SJ("画像ファイル\"") + NativePathToScript(Path("p.exe")) + SJ("\"が読込めません。"));
  std::vector<test::TPeResource> resources;
  test::AddIconGroup(resources, 1, 1, {{32, 0xFF0000}});
  ASSERT_TRUE(WriteFileAtomically(Path("p.exe"), test::PeFile(resources)));
  const TBitmap icon = form->LoadPicture(NativePathToScript(Path("p.exe")));
  EXPECT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.PixelColour(4, 4), 0xFF0000u);
  ASSERT_TRUE(WriteFileAtomically(Path("q.exe"), test::PeFile({{6, 1, "strings"}})));
  EXPECT_TRUE(Contains(errorOf(NativePathToScript(Path("q.exe"))), "からアイコンを抽出できません。"));
}

TEST_F(ImageCommands, IconExtractionFromProgramAndIconFiles) {
  EXPECT_NE(Run(CommandId::ExtractIcon, {"`a.exe`", "0", "NOPE"}).find(SJ("\"NOPE\"は、オブジェクトではありません。")),
            std::string::npos);
  EXPECT_NE(Run(CommandId::ExtractIcon, {"`a.exe`", "0", SJ("母艦")})
                .find(SJ("は、オブジェクトではありません。イメージを指定します。")),
            std::string::npos);
  auto* box = new TPictureBox(nullptr, 10, 10);
  AddObject("I", TObjectKind::Image, box);
  std::vector<test::TPeResource> resources;
  test::AddIconGroup(resources, 1, 1, {{16, 0x0000FF}, {48, 0x00FF00}});
  test::AddIconGroup(resources, 2, 3, {{24, 0xFF0000}});
  const std::string program = test::PeFile(resources);
  for (const char* name : {"lib.dll", "tool.EXE", "ctl.ocx", "panel.cpl"}) {
    ASSERT_TRUE(WriteFileAtomically(Path(name), program));
    const std::string file = Text(NativePathToScript(Path(name)));
    EXPECT_EQ(Run(CommandId::ExtractIcon, {file, "1", "I"}), "") << name;
    EXPECT_EQ(box->Bitmap().Width(), 24);
    EXPECT_EQ(box->Bitmap().PixelColour(2, 2), 0xFF0000u);
    EXPECT_EQ(box->width(), 24);  // the control takes the icon's size
    EXPECT_EQ(Run(CommandId::ExtractIcon, {file, "0", "I"}), "");
    EXPECT_EQ(box->Bitmap().Width(), 48);
    EXPECT_TRUE(Contains(Run(CommandId::ExtractIcon, {file, "2", "I"}), "からアイコンを抽出できません。"));
  }
  // An icon file: its n-th image.
  const auto [red, redEntry] = test::IconImageOf(8, 0x0000FF);
  const auto [blue, blueEntry] = test::IconImageOf(16, 0xFF0000);
  std::string ico = std::string("\0\0\1\0\2\0", 6) + redEntry + blueEntry;
  test::PutU32(ico, 18, 38), test::PutU32(ico, 34, static_cast<uint32_t>(38 + red.size()));
  ASSERT_TRUE(WriteFileAtomically(Path("two.ico"), ico + red + blue));
  EXPECT_EQ(Run(CommandId::ExtractIcon, {Text(NativePathToScript(Path("two.ico"))), "1", "I"}), "");
  EXPECT_EQ(box->Bitmap().PixelColour(1, 1), 0xFF0000u);
  EXPECT_TRUE(Contains(Run(CommandId::ExtractIcon, {Text(NativePathToScript(Path("two.ico"))), "2", "I"}),
                       "からアイコンを抽出できません。"));
  // Damaged, missing and negative.
  ASSERT_TRUE(WriteFileAtomically(Path("cut.dll"), program.substr(0, program.size() / 2)));
  const std::string cut = Run(CommandId::ExtractIcon, {Text(NativePathToScript(Path("cut.dll"))), "0", "I"});
  EXPECT_TRUE(Contains(cut, "からアイコンを抽出できません。プログラムファイルの形式が正しくありません。")) << cut;
  EXPECT_TRUE(Contains(Run(CommandId::ExtractIcon, {Text(NativePathToScript(Path("none.exe"))), "0", "I"}),
                       "からアイコンを抽出できません。"));
  EXPECT_NE(Run(CommandId::ExtractIcon, {Text(NativePathToScript(Path("lib.dll"))), "-1", "I"}), "");
  EXPECT_EQ(box->Bitmap().Width(), 16);
}

TEST_F(ImageCommands, PluginsDecodeOtherFormats) {
  // The plug-ins of the program's folder load when the window starts.
  fs::create_directory(Path("program"));
  fs::copy_file(NURA_SPI_TINY, Path("program/tiny.spi"));
  ProgramCommandLine().programPath = Path("program/nurasera");
  form = std::make_unique<TfrmNura>(true);
  form->eventDoTimer();
  std::ofstream(Path("a.TINY")) << std::string("TINY\0\0\xFF\0\xFF\0\0\0\0\1\1\0", 16);
  const TBitmap tiny = form->LoadPicture(NativePathToScript(Path("a.TINY")));
  EXPECT_EQ(test::Pixels(tiny), (std::vector<uint32_t>{0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF}));
  std::ofstream(Path("b.tny")) << "XXXX";
  try {
    form->LoadPicture(NativePathToScript(Path("b.tny")));
    FAIL();
  } catch (const ENura& e) {
    EXPECT_TRUE(Contains(e.what(), "が読込めません。Susie PlugInの読み込みエラー。")) << e.what();
  }
  // A missing file of a plug-in's format fails in the plug-in.
  try {
    form->LoadPicture(NativePathToScript(Path("none.tny")));
    FAIL();
  } catch (const ENura& e) {
    EXPECT_TRUE(Contains(e.what(), "none.tny\"が読込めません。Susie PlugInの読み込みエラー。")) << e.what();
  }
}

TEST_F(ImageCommands, FadesWorkOnTheCapturedWindow) {
  Picture().Fill(0x336699);
  ASSERT_EQ(Run(CommandId::FadeOut, {"0"}), "");
  const auto bytes = [&](bool (*ok)(uint8_t)) {
    for (int y = 0; y < Picture().Height(); ++y)
      for (int x = 0; x < Picture().Width() * 3; ++x)
        if (!ok(Picture().ScanLine(y)[x])) return false;
    return true;
  };
  EXPECT_EQ(Picture().Width(), form->frameGeometry().width());
  EXPECT_EQ(Picture().BitsPerPixel(), 24);
  EXPECT_TRUE(bytes([](uint8_t v) { return v <= 5; }));
  EXPECT_FALSE(bytes([](uint8_t v) { return v == 0; }));  // never pure black
  ASSERT_EQ(Run(CommandId::FadeIn, {"1"}), "");
  EXPECT_TRUE(bytes([](uint8_t v) { return v >= 250; }));
}

TEST_F(ImageCommands, FiltersOnTheMainWindowAndAForm) {
  Picture().SetSize(640, 400, 24);
  Picture().Fill(0xFFFFFF);
  EXPECT_EQ(Run(CommandId::RotateRight, {SJ("母艦")}), "");
  EXPECT_EQ(Picture().Width(), 400);
  EXPECT_EQ(Picture().Height(), 640);
  EXPECT_EQ(form->width(), 400);
  EXPECT_EQ(Run(CommandId::Negative, {SJ("母艦")}), "");
  EXPECT_EQ(Picture().PixelColour(3, 3), 0u);
  EXPECT_EQ(Run(CommandId::Brightness, {SJ("母艦"), "40"}), "");
  EXPECT_EQ(Picture().PixelColour(3, 3), 0x282828u);

  QWidget* formObject = AddForm("F");
  EXPECT_EQ(Run(CommandId::SaveImage, {Text(Path("f.bmp")), "F"}), "");
  std::string bmp;
  ASSERT_TRUE(ReadNativeFile(Path("f.bmp"), bmp));
  EXPECT_EQ(test::U32At(bmp, 18), 120u);
  EXPECT_EQ(test::U32At(bmp, 22), 80u);
  EXPECT_EQ(Run(CommandId::RotateRight, {"F"}), "");
  EXPECT_EQ(formObject->size(), QSize(80, 120));

  EXPECT_TRUE(Contains(Run(CommandId::Negative, {"NOPE"}), "オブジェクト\"NOPE\"は、作成されていません。"));
  AddObject("B", TObjectKind::Button, new QPushButton);
  EXPECT_TRUE(Contains(Run(CommandId::Negative, {"B"}), "\"B\"は、イメージではありません。"));
}

TEST_F(ImageCommands, CopiesBetweenPictures) {
  AddForm("F");
  TBitmap& target = form->PictureBoxOf(*Engine().Base().objects.FindByName("F"))->Bitmap();
  Picture().SetSize(20, 10, 24);
  Picture().Fill(0x0000FF);
  target.Fill(0xFFFFFF);
  // Unscaled at (10,10); resampled into (0,0,100,50).
  EXPECT_EQ(Run(CommandId::CopyImage, {SJ("母艦"), "F", "(10,10)"}), "");
  EXPECT_EQ(target.PixelColour(9, 9), 0xFFFFFFu);
  EXPECT_EQ(target.PixelColour(10, 10), 0x0000FFu);
  EXPECT_EQ(target.PixelColour(30, 10), 0xFFFFFFu);
  target.Fill(0xFFFFFF);
  EXPECT_EQ(Run(CommandId::CopyImage, {SJ("母艦"), "F", "(0,0,100,50)"}), "");
  EXPECT_EQ(target.PixelColour(99, 49), 0x0000FFu);
  EXPECT_EQ(target.PixelColour(100, 50), 0xFFFFFFu);
  // Too large for the resampler: stretched instead.
  EXPECT_EQ(Run(CommandId::CopyImage, {SJ("母艦"), "F", "(0,0,300000,300000)"}), "");
  EXPECT_EQ(target.PixelColour(119, 79), 0x0000FFu);
  EXPECT_TRUE(Contains(Run(CommandId::CopyImage, {SJ("母艦"), "NOPE", "(0,0)"}), "オブジェクト\"NOPE\"は、作成されていません。"));
  // An unknown source is an error too; a source of another kind copies nothing.
  EXPECT_TRUE(Contains(Run(CommandId::CopyImage, {SJ("ナイ"), "F", "(0,0)"}), "オブジェクト\"ナイ\"は、作成されていません。"));
  AddObject("B", TObjectKind::Button, new QPushButton);
  target.Fill(0xFFFFFF);
  EXPECT_EQ(Run(CommandId::CopyImage, {"B", "F", "(0,0)"}), "");
  EXPECT_EQ(target.PixelColour(0, 0), 0xFFFFFFu);

  // A part at its own size to (5,5).
  target.Fill(0xFFFFFF);
  EXPECT_EQ(Run(CommandId::CopyImagePart, {SJ("母艦"), "(0,0,4,4)", "F", "(5,5)"}), "");
  EXPECT_EQ(target.PixelColour(4, 4), 0xFFFFFFu);
  EXPECT_EQ(target.PixelColour(8, 8), 0x0000FFu);
  EXPECT_EQ(target.PixelColour(9, 9), 0xFFFFFFu);
  EXPECT_TRUE(Contains(Run(CommandId::CopyImagePart, {SJ("母艦"), "(0,0,4,4)", "F", "(5,5,x)"}),
                       "\"イメージ部分コピー\"命令の引数に誤りがあります。"));

  // Blended copies: 50 percent is opacity 128; a reversed rectangle is a range error.
  target.Fill(0xFFFFFF);
  EXPECT_EQ(Run(CommandId::CopyImageTranslucent, {SJ("母艦"), "F", "(0,0)", "50"}), "");
  EXPECT_EQ(target.PixelColour(1, 1), static_cast<uint32_t>((128 * 255 + 128 * 255) >> 8) |
                                          static_cast<uint32_t>((128 * 255) >> 8) << 8 |
                                          static_cast<uint32_t>((128 * 255) >> 8) << 16);
  EXPECT_EQ(Run(CommandId::CopyImageTranslucent, {SJ("母艦"), "F", "(10,10,5,20)", "100"}), SJ("範囲チェックエラー"));
  EXPECT_EQ(Run(CommandId::CopyImageTranslucent, {SJ("母艦"), "F", "(0,0,5,5)", "100"}), "");
  EXPECT_EQ(target.PixelColour(2, 2) & 0xFF, 0xFFu);
}

TEST_F(ImageCommands, EffectsOnTheMainWindowPicture) {
  Picture().SetSize(60, 30, 24);
  Picture().Fill(0xFFFFFF);
  SetVariable("文字色", "0");
  EXPECT_EQ(Run(CommandId::DrawText, {SJ("母艦"), "(2,2)", Text(SJ("あA"))}), "");
  EXPECT_EQ(Picture().BitsPerPixel(), 32);
  bool inked = false;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) inked = inked || Picture().PixelColour(x, y) != 0xFFFFFFu;
  EXPECT_TRUE(inked);
  EXPECT_EQ(Run(CommandId::Blur, {SJ("母艦"), "25"}), "");
  EXPECT_EQ(Run(CommandId::Sepia, {SJ("母艦"), Text("#FF8000")}), "");
  EXPECT_EQ(Run(CommandId::RotateImage, {SJ("母艦"), "30"}), "");
  EXPECT_EQ(Picture().Width(), 60);
  EXPECT_TRUE(Contains(Run(CommandId::EdgeDetect, {"NOPE"}), "オブジェクト\"NOPE\"は、作成されていません。"));
}

TEST(RectangleParser, ValuesAndErrors) {
  test::EnsureQtApplication();
  TNuraEngine engine;
  engine.ResetForRun();
  const TRect full = engine.ParseRectangle("(1, 2,3,4)");
  EXPECT_EQ(std::vector<int>({full.left, full.top, full.right, full.bottom}), std::vector<int>({1, 2, 3, 4}));
  const TRect pair = engine.ParseRectangle("`(10,10)`");
  EXPECT_EQ(std::vector<int>({pair.left, pair.top, pair.right, pair.bottom}), std::vector<int>({10, 10, 0, 0}));
  try {
    engine.ParseRectangle("(1,2,3,4,5)");
    FAIL();
  } catch (const ENura& e) {
    EXPECT_TRUE(Contains(e.what(), "座標の指定エラー。引数が多すぎます。\"(1,2,3,4,5)\""));
  }
  EXPECT_THROW(engine.ParseRectangle("(1,x)"), ENura);
}

}  // namespace
}  // namespace nura
