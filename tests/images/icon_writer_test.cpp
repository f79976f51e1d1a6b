#include "images/icon_writer.h"

#include <QBuffer>
#include <QImageReader>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/errors.h"
#include "images/image_test_support.h"
#include "common/qt_app.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

class IconWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    dir_ = fs::temp_directory_path() / ("nura_icon_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static uint32_t U32(const std::string& data, size_t at) {
    return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8 |
           static_cast<uint8_t>(data[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(data[at + 3])) << 24;
  }
  static QImage ReadBack(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "ico");
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << reader.errorString().toStdString();
    return image.convertToFormat(QImage::Format_ARGB32);
  }

  fs::path dir_;
};

// 32 x 32: white background (the bottom-left colour), a black square and a
// red square.
TBitmap Picture(int size = 32) {
  std::vector<uint32_t> colours(size * size, 0xFFFFFF);
  for (int y = 2; y < 10; ++y) {
    for (int x = 2; x < 10; ++x) colours[y * size + x] = 0x000000, colours[y * size + x + 10] = 0x0000FF;
  }
  return test::MakeBitmap(size, size, colours);
}

TEST_F(IconWriter, FileLayoutIsTheFixedSingleImageOne) {
  TjvIcon::SaveBitmapAsIcon(Picture(), Path("a.ico"));
  const std::string data = ReadFile(Path("a.ico"));
  ASSERT_EQ(data.size(), 2238u);  // 22 + 1064 + 1024 + 128
  EXPECT_EQ(U32(data, 0), 0x00010000u);  // reserved 0, type 1
  EXPECT_EQ(data[4], 1);
  EXPECT_EQ(data[6], 32);
  EXPECT_EQ(data[7], 32);
  EXPECT_EQ(U32(data, 8), 8u);  // colour count 8, planes 0
  EXPECT_EQ(U32(data, 14), 2216u);
  EXPECT_EQ(U32(data, 18), 22u);
  EXPECT_EQ(U32(data, 22), 40u);
  EXPECT_EQ(U32(data, 26), 32u);
  EXPECT_EQ(U32(data, 30), 64u);  // height doubled
  EXPECT_EQ(U32(data, 34), 0x00080001u);  // planes 1, 8 bits
}

TEST_F(IconWriter, QtReadsBackTheBottomLeftColourAsTransparent) {
  TjvIcon::SaveBitmapAsIcon(Picture(), Path("a.ico"));
  TjvIcon::SaveBitmapAsIconStandard(Picture(), Path("b.ico"));
  for (const char* name : {"a.ico", "b.ico"}) {
    const QImage image = ReadBack(Path(name));
    ASSERT_EQ(image.size(), QSize(32, 32)) << name;
    EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0) << name;    // white: transparent
    EXPECT_EQ(qAlpha(image.pixel(20, 20)), 0) << name;
    EXPECT_EQ(image.pixel(3, 3), qRgba(0, 0, 0, 255)) << name;  // genuine black stays
    EXPECT_EQ(image.pixel(13, 3), qRgba(255, 0, 0, 255)) << name;
  }
}

TEST_F(IconWriter, PicturesAreCutOrPaddedToTheIconSize) {
  TBitmap big = Picture(40);
  big.ScanLine(35)[0] = 0;  // outside the icon: the corner stays white
  TIcon icon = TjvIcon::BitmapToIcon(big);
  EXPECT_EQ(icon.colour.Width(), 32);
  EXPECT_EQ(icon.mask.PixelColour(0, 31), 0xFFFFFFu);

  // A small picture on a black background: the white padding is the
  // bottom-left colour, so the black stays opaque.
  TBitmap small = test::MakeBitmap(4, 4, std::vector<uint32_t>(16, 0));
  TjvIcon::SaveBitmapAsIcon(small, Path("s.ico"));
  const QImage image = ReadBack(Path("s.ico"));
  EXPECT_EQ(image.pixel(1, 1), qRgba(0, 0, 0, 255));
  EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0);

  // Nothing drawn: all white, all transparent.
  EXPECT_EQ(TjvIcon::BitmapToIcon(TBitmap()).mask.PixelColour(5, 5), 0xFFFFFFu);
}

TEST_F(IconWriter, ManyColoursAreReducedToTheNearestPaletteColour) {
  std::vector<uint32_t> colours;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) colours.push_back(static_cast<uint32_t>(x * 8 | (y * 8) << 8 | 0x80 << 16));
  }
  colours[31 * 32] = 0x00FFFFFF;
  TjvIcon::SaveBitmapAsIcon(test::MakeBitmap(32, 32, colours, 32), Path("g.ico"));
  const QImage image = ReadBack(Path("g.ico"));
  for (int y = 0; y < 31; ++y) {
    for (int x = 0; x < 32; ++x) {
      const QRgb p = image.pixel(x, y);
      EXPECT_LE(std::abs(qRed(p) - x * 8), 26);
      EXPECT_LE(std::abs(qGreen(p) - y * 8), 26);
      EXPECT_LE(std::abs(qBlue(p) - 0x80), 26);
    }
  }
  EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0);
}

TEST_F(IconWriter, FailuresAreReported) {
  EXPECT_THROW(TjvIcon::SaveBitmapAsIcon(Picture(), Path("missing/a.ico")), ERuntimeError);
  TIcon bad;
  EXPECT_THROW(TjvIcon::WriteIcon(bad, Path("c.ico")), ERuntimeError);
}

}  // namespace
}  // namespace nura
