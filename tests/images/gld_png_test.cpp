#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "images/gld_png.h"
#include "platform/file_io.h"
#include "common/file_size_limit.h"
#include "common/run_program.h"

namespace nura {
namespace {

std::string ChunkData(const std::string& png, const std::string& type) {
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t n = (uint32_t{static_cast<uint8_t>(png[at])} << 24) | (uint32_t{static_cast<uint8_t>(png[at + 1])} << 16) |
                       (uint32_t{static_cast<uint8_t>(png[at + 2])} << 8) | static_cast<uint8_t>(png[at + 3]);
    if (png.compare(at + 4, 4, type) == 0) return png.substr(at + 8, n);
    at += 12 + n;
  }
  return "<none>";
}

TEST(GldPng, SaveWithDefaults) {
  TGLDPNG png;
  TBitmap b(3, 2, 24);
  b.Fill(0x123456);
  png.Assign(b);
  std::string out;
  const std::time_t before = std::time(nullptr);
  png.SaveToStream(out);
  EXPECT_EQ(ChunkData(out, "gAMA"), std::string("\0\0\xB1\x8F", 4));  // 45455
  const std::string time = ChunkData(out, "tIME");
  ASSERT_EQ(time.size(), 7u);
  std::tm utc{};
  gmtime_r(&before, &utc);
  EXPECT_EQ((static_cast<uint8_t>(time[0]) << 8) | static_cast<uint8_t>(time[1]), utc.tm_year + 1900);
  EXPECT_EQ(time[2], utc.tm_mon + 1);
  EXPECT_EQ(out.find("Comment"), std::string::npos);
  TGLDPNG back;
  back.LoadFromStream(out);
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(back.Image().ScanLine(1)[0], 0x12);  // blue first
  EXPECT_DOUBLE_EQ(back.Settings().gamma, 0.45455);
}

TEST(GldPng, AssignCopiesSettingsAndAlpha) {
  TGLDPNG source;
  source.Settings().comment = "note";
  source.Settings().gamma = 1.0;
  TBitmap b(2, 2, 24), alpha(2, 2, 8);
  alpha.Fill(0);
  alpha.ScanLine(0)[0] = 200;
  source.Assign(b);
  source.Alpha() = alpha;
  source.SetHasAlpha(true);
  TGLDPNG target;
  target.Assign(source);
  EXPECT_EQ(target.Settings().comment, "note");
  EXPECT_EQ(target.Settings().gamma, 1.0);
  EXPECT_EQ(source.Settings().comment, "note");
  // The copy saves its alpha channel too.
  std::string out;
  target.SaveToStream(out);
  TGLDPNG back;
  back.LoadFromStream(out);
  EXPECT_TRUE(back.HasAlpha());
  EXPECT_EQ(back.Alpha().ScanLine(0)[0], 200);
  EXPECT_EQ(back.Settings().comment, "note\r\n");
}

TEST(GldPng, TransparentIndexAndSizes) {
  TGLDPNG png;
  TBitmap b(4, 4, 8);
  b.Palette().assign({0x000000, 0xFFFFFF});
  png.Assign(b);
  png.Settings().transparentColor = 0x01000001;
  std::string out;
  png.SaveToStream(out);
  TGLDPNG back;
  back.LoadFromStream(out);
  EXPECT_TRUE(back.Transparent());
  EXPECT_EQ(back.Image().TransparentColor(), 0x01000001u);
  EXPECT_FALSE(back.HasAlpha());

  TGLDPNG empty;
  empty.SetWidth(10);
  EXPECT_TRUE(empty.Empty());
  back.SetWidth(2);
  back.SetHeight(6);
  EXPECT_EQ(back.Width(), 2);
  EXPECT_EQ(back.Height(), 6);
  EXPECT_EQ(back.Palette().size(), 2u);
  EXPECT_THROW(png.SetIdatSize(100), EGLDPNG);
}

TEST(GldPng, FilesAndComponentData) {
  TGLDPNG png;
  TBitmap b(5, 5, 4);
  png.Assign(b);
  png.Settings().interlace = 1;
  const std::string path = test::MakeTempFolder() + "/gld_png_test.png";
  png.SaveToFile(path);
  TGLDPNG back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Settings().interlace, 1);
  EXPECT_EQ(back.Image().BitsPerPixel(), 4);
  std::remove(path.c_str());
  EXPECT_THROW(back.LoadFromFile(path), EGLDPNG);
  std::string data;
  png.WriteData(data);  // writer defaults: no interlace
  TGLDPNG fromData;
  fromData.ReadData(data);
  EXPECT_EQ(fromData.Settings().interlace, 0);
  std::string none;
  TGLDPNG().WriteData(none);
  EXPECT_TRUE(none.empty());
  std::vector<int> seen;
  fromData.onProgress = [&](int p) { seen.push_back(p); };
  fromData.LoadFromStream(data);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
}

// A save that fails midway (here: a write beyond the file-size limit) keeps
// the old picture whole and leaves no temporary file beside it.
TEST(GldPng, FailedSaveKeepsTheOldFile) {
  const std::string folder = test::MakeTempFolder();
  const std::string path = folder + "/keep.png";
  TGLDPNG small;
  small.Assign(TBitmap(4, 4, 24));
  small.SaveToFile(path);
  std::string before;
  ASSERT_TRUE(ReadNativeFile(path, before));

  TBitmap noise(256, 256, 24);
  uint32_t seed = 12345;
  for (int y = 0; y < noise.Height(); ++y) {
    uint8_t* row = noise.ScanLine(y);
    for (int x = 0; x < noise.Width() * 3; ++x) row[x] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  }
  TGLDPNG big;
  big.Assign(noise);
  {
    test::FileSizeLimit limit(before.size() + 4096);
    EXPECT_THROW(big.SaveToFile(path), EGLDPNG);
  }
  std::string after;
  ASSERT_TRUE(ReadNativeFile(path, after));
  EXPECT_EQ(after, before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
  big.SaveToFile(path);  // without the limit it is written
  ASSERT_TRUE(ReadNativeFile(path, after));
  EXPECT_GT(after.size(), before.size() + 4096);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace nura
