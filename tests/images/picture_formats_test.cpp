// The BMP, JPEG and ICO codecs: round trips, exact header values, files
// read by Debian's own tools, and damaged files that must fail cleanly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "images/dib_format.h"
#include "images/gld_png.h"
#include "images/graphic_errors.h"
#include "images/icon_reader.h"
#include "images/icon_writer.h"
#include "images/image_test_support.h"
#include "images/jpeg_format.h"
#include "platform/file_io.h"
#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

// A 5 x 3 picture of distinct colours (an odd width pads every row).
TBitmap ColourPicture(int bpp) {
  std::vector<uint32_t> colours;
  for (int i = 0; i < 15; ++i) colours.push_back(static_cast<uint32_t>((i * 16) | ((255 - i * 8) << 8) | ((i * 5) << 16)));
  if (bpp <= 8) {
    TBitmap bitmap(5, 3, bpp);
    const int count = 1 << bpp;
    for (int i = 0; i < count; ++i) bitmap.Palette()[i] = static_cast<uint32_t>(i * 0x010203) & 0xFFFFFF;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const int index = (y * 5 + x) % count;
        uint8_t* line = bitmap.ScanLine(y);
        const int shift = 8 - bpp - (x * bpp) % 8;
        uint8_t& byte = line[x * bpp / 8];
        byte = static_cast<uint8_t>((byte & ~(((1 << bpp) - 1) << shift)) | (index << shift));
      }
    return bitmap;
  }
  return test::MakeBitmap(5, 3, colours, bpp);
}

bool HasTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null").c_str()) == 0; }

TEST(BmpFormat, EveryDepthRoundTripsKeepingItsDepth) {
  for (int bpp : {1, 4, 8, 15, 16, 24, 32}) {
    SCOPED_TRACE(bpp);
    const TBitmap original = ColourPicture(bpp);
    const std::string file = WriteBmp(original);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(test::U32At(file, 2), file.size());
    TBitmap back;
    ReadBmp(file, back);
    EXPECT_EQ(back.BitsPerPixel(), bpp);
    EXPECT_EQ(test::Pixels(back), test::Pixels(original));
  }
  const std::string file = WriteBmp(TBitmap(640, 400, 24));
  EXPECT_EQ(test::U32At(file, 10), 54u);
  EXPECT_EQ(test::U32At(file, 18), 640u);
  EXPECT_EQ(test::U32At(file, 22), 400u);
  EXPECT_EQ(test::U32At(WriteBmp(ColourPicture(16)), 10), 66u);  // header and three bit-field masks
  EXPECT_THROW(WriteBmp(TBitmap()), EInvalidGraphicOperation);
}

// A BMP file of a 40-byte header, `table` (colours or masks) and `rows`.
std::string BmpFile(int width, int height, int bpp, uint32_t compression, const std::vector<uint32_t>& table,
                    const std::string& rows) {
  std::string file = "BM";
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) file.push_back(static_cast<char>(v >> (8 * i))); };
  auto u16 = [&](uint16_t v) { file.push_back(static_cast<char>(v)), file.push_back(static_cast<char>(v >> 8)); };
  u32(0), u32(0), u32(static_cast<uint32_t>(14 + 40 + 4 * table.size()));
  u32(40), u32(static_cast<uint32_t>(width)), u32(static_cast<uint32_t>(height)), u16(1), u16(static_cast<uint16_t>(bpp));
  u32(compression), u32(static_cast<uint32_t>(rows.size())), u32(0), u32(0);
  u32(compression == 3 ? 0 : static_cast<uint32_t>(table.size())), u32(0);
  for (uint32_t v : table) u32(v);
  return file + rows;
}

TEST(BmpFormat, TopDownRowsForeignBitFieldsAndRunLengths) {
  // 2 x 2, 32 bits, top-down, fields red 0x3FF00000, green 0xFFC00, blue 0x3FF.
  const std::string rows("\0\0\xF0\x3F\0\xFC\x0F\0\xFF\x03\0\0\xFF\xFF\xFF\x3F", 16);
  TBitmap bitmap;
  ReadBmp(BmpFile(2, -2, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF}, rows), bitmap);
  EXPECT_EQ(bitmap.BitsPerPixel(), 24);
  EXPECT_EQ(test::Pixels(bitmap), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}));

  const std::vector<uint32_t> entries = {0x000000, 0xFF0000, 0x0000FF};  // black, red, blue as B,G,R,0
  // 8 bits: the bottom row a run of three 1s, the top row the literal 2, 0, 1.
  ReadBmp(BmpFile(3, 2, 8, 1, entries, std::string("\3\1\0\0\0\3\2\0\1\0\0\1", 12)), bitmap);
  EXPECT_EQ(bitmap.BitsPerPixel(), 8);
  EXPECT_EQ(test::Pixels(bitmap), (std::vector<uint32_t>{0xFF0000, 0, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}));
  // 4 bits: a run alternating 1 and 2, then a jump past the rest.
  ReadBmp(BmpFile(5, 1, 4, 2, entries, std::string("\4\x12\0\2\1\0\0\1", 8)), bitmap);
  EXPECT_EQ(test::Pixels(bitmap), (std::vector<uint32_t>{0x0000FF, 0xFF0000, 0x0000FF, 0xFF0000, 0}));
  EXPECT_THROW(ReadBmp(BmpFile(2, 2, 8, 2, entries, "\0\1"), bitmap), EInvalidGraphic);
}

TEST(JpegFormat, QualityGivesTheStandardTablesAndDjpegReadsTheFile) {
  TBitmap picture = test::MakeBitmap(16, 8, std::vector<uint32_t>(128, 0x3366CC));
  const auto firstTable = [](const std::string& jpeg) {
    const size_t dqt = jpeg.find("\xFF\xDB");
    std::vector<int> bytes;
    for (size_t i = dqt + 5; i < dqt + 13; ++i) bytes.push_back(static_cast<uint8_t>(jpeg[i]));
    return bytes;
  };
  EXPECT_EQ(firstTable(WriteJpeg(picture, 50)), (std::vector<int>{16, 11, 12, 14, 12, 10, 16, 14}));
  EXPECT_EQ(firstTable(WriteJpeg(picture, 100)), std::vector<int>(8, 1));
  EXPECT_THROW(WriteJpeg(picture, 0), ERangeError);
  EXPECT_THROW(WriteJpeg(picture, 101), ERangeError);

  const std::string jpeg = WriteJpeg(picture, 100);
  TBitmap back;
  ReadJpeg(jpeg, back);
  ASSERT_EQ(back.Width(), 16);
  const uint32_t c = back.PixelColour(3, 3);
  EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xCC, 3);
  EXPECT_NEAR(static_cast<int>((c >> 16) & 0xFF), 0x33, 3);
  if (!HasTool("djpeg")) GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) is not installed";
  const std::string dir = test::MakeTempFolder();
  ASSERT_TRUE(WriteFileAtomically(dir + "/a.jpg", jpeg));
  EXPECT_EQ(std::system(("djpeg -bmp -outfile " + dir + "/a.bmp " + dir + "/a.jpg").c_str()), 0);
  std::string bmp;
  ASSERT_TRUE(ReadNativeFile(dir + "/a.bmp", bmp));
  ReadBmp(bmp, back);
  EXPECT_EQ(back.Width(), 16);
  EXPECT_EQ(back.Height(), 8);
  fs::remove_all(dir);
}

TEST(JpegFormat, DamagedFilesRaiseInsteadOfEndingTheProgram) {
  const std::string jpeg = WriteJpeg(test::MakeBitmap(8, 8, std::vector<uint32_t>(64, 0x123456)), 90);
  TBitmap out;
  EXPECT_THROW(ReadJpeg("", out), EInvalidGraphic);
  EXPECT_THROW(ReadJpeg("\xFF\xD8\xFF\xE0garbage", out), EInvalidGraphic);
  std::string broken = jpeg;
  broken[broken.find("\xFF\xC0") + 1] = '\xCF';  // a frame type the library does not know
  EXPECT_THROW(ReadJpeg(broken, out), EInvalidGraphic);
  try {
    ReadJpeg(jpeg.substr(0, 20), out);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.what()).rfind(SJ("JPEG画像のエラーです。"), 0), 0u);
  }
  // Data that ends inside the picture raises too: the library would make
  // up the missing rows of a picture of any size.
  std::vector<uint32_t> noise(64 * 64);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  const std::string large = WriteJpeg(test::MakeBitmap(64, 64, noise), 90);
  EXPECT_THROW(ReadJpeg(large.substr(0, large.size() / 2), out), EInvalidGraphic);
}

TEST(IconFormat, SavedIconsReadBackWithTheirPixels) {
  std::vector<uint32_t> colours(32 * 32);
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint32_t>((i % 7) * 30 | ((i % 5) * 50) << 8);
  colours[31 * 32] = 0xFFFFFF;  // the bottom-left colour becomes transparent, which reads back white
  const TBitmap picture = test::MakeBitmap(32, 32, colours);
  for (bool standard : {false, true}) {
    const std::string ico = TjvIcon::IconBytes(picture, standard);
    TBitmap back;
    ReadIco(ico, back);
    EXPECT_EQ(test::Pixels(back), colours);
  }
  if (!HasTool("icotool")) GTEST_SKIP() << "icotool (icoutils) is not installed";
  const std::string dir = test::MakeTempFolder();
  ASSERT_TRUE(WriteFileAtomically(dir + "/a.ico", TjvIcon::IconBytes(picture, true)));
  EXPECT_EQ(std::system(("icotool -l " + dir + "/a.ico > " + dir + "/list.txt").c_str()), 0);
  std::string list;
  ASSERT_TRUE(ReadNativeFile(dir + "/list.txt", list));
  EXPECT_NE(list.find("--width=32 --height=32 --bit-depth=8"), std::string::npos) << list;
  fs::remove_all(dir);
}

TEST(IconFormat, PngImagesInsideIconsBlendOverWhite) {
  TGLDPNG png;
  png.Assign(test::MakeBitmap(2, 1, {0x0000FF, 0x00FF00}));
  png.Alpha().SetSize(2, 1, 8);
  png.Alpha().ScanLine(0)[0] = 0, png.Alpha().ScanLine(0)[1] = 255;  // opaque, clear
  png.SetHasAlpha(true);
  std::string data;
  png.SaveToStream(data);
  std::string ico("\0\0\1\0\1\0\2\1\0\0\1\0\x20\0", 14);
  for (uint32_t v : {static_cast<uint32_t>(data.size()), 22u})
    for (int i = 0; i < 4; ++i) ico.push_back(static_cast<char>(v >> (8 * i)));
  TBitmap back;
  ReadIco(ico + data, back);
  EXPECT_EQ(test::Pixels(back), (std::vector<uint32_t>{0x0000FF, 0xFFFFFF}));
}

// A run-length compressed icon image of a few bytes that claims a side of
// 131,072 pixels is refused before millions of pixels are decoded.
TEST(IconFormat, HugeCompressedImageIsRefused) {
  const std::string ico("\x00\x00\x01\x00\x01\x00\xF8\x01\x00\x00\x01\x3B\x18\x00\x3A\x00\x00\x00\x16\x00\x00\x00\x28\x00\x00\x00\x00\x00\x04\x00\x00\x01\x00\x00\x01\x00\x04\x00\x02\x00\x00\x00\x00\x89\x50\x00\x00\x00\x49\x4D\x45\x00\x00\x01\x01\x00\x00\x00\x49\x4D\x45\x00\x00\x28\x01\x01\x00\x00\x00\x88\xFF\x88\x88\x00\x00\x00\x00\x00\x04\x00\x00\x2B\x00\x00\x00\x00\x40\x00\x00\x00\x00", 91);
  TBitmap back;
  EXPECT_THROW(ReadIco(ico, back), EInvalidGraphic);
}

// Randomly damaged BMP and ICO files: a clean error or a picture, never a
// crash, an overrun (the sanitizers watch) or another kind of exception.
TEST(DamagedPictures, RandomDamageGivesCleanErrorsOnly) {
  const std::vector<uint32_t> entries = {0x000000, 0xFF0000, 0x0000FF};
  const std::vector<std::string> samples = {
      WriteBmp(ColourPicture(4)), WriteBmp(ColourPicture(16)), WriteBmp(ColourPicture(32)),
      TjvIcon::IconBytes(ColourPicture(24), false),
      BmpFile(6, 4, 8, 1, entries, std::string("\3\1\0\0\0\3\2\0\1\0\0\2\2\1\5\2\0\1", 18)),
      BmpFile(6, 4, 4, 2, entries, std::string("\4\x12\0\0\0\5\x12\x10\0\0\0\1", 12))};
  std::mt19937 random(20261209);
  int errors = 0, pictures = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string data = samples[round % samples.size()];
    const int damage = static_cast<int>(random() % 4);
    if (damage == 0) data.resize(random() % data.size());
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes && !data.empty(); ++i) {
      // Header bytes are hit most often: that is where sizes live.
      const size_t at = random() % (random() % 2 ? std::min<size_t>(data.size(), 80) : data.size());
      data[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random());
    }
    TBitmap out;
    try {
      if (round % samples.size() == 3) ReadIco(data, out);
      else ReadBmp(data, out);
      ++pictures;
      EXPECT_LE(static_cast<int64_t>(out.Width()) * out.Height(), kMaxPicturePixels);
    } catch (const EInvalidGraphic&) {
      ++errors;
    } catch (const EGLDPNG&) {
      ++errors;
    }
  }
  EXPECT_GT(errors, 100);
  EXPECT_GT(pictures, 100);
}

}  // namespace
}  // namespace nura
