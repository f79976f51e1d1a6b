// Icons of program files made in the test: the groups in directory order,
// the best image of a group, the images of an icon file, and damaged
// files (cut short, offsets out of range, a directory that points back
// at itself) that must fail cleanly.
#include <gtest/gtest.h>

#include <random>

#include "images/graphic_errors.h"
#include "images/icon_reader.h"
#include "images/pe_icons.h"
#include "images/pe_test_file.h"
#include "images/png_reader.h"

namespace nura {
namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

std::string TwoGroupProgram() {
  std::vector<test::TPeResource> resources;
  test::AddIconGroup(resources, 1, 1, {{16, kRed}, {32, kBlue}});
  test::AddIconGroup(resources, 7, 5, {{16, kGreen}});
  return test::PeFile(resources);
}

TEST(ProgramIcons, GroupsComeInOrderEachFromItsLargestImage) {
  const std::string program = TwoGroupProgram();
  ASSERT_TRUE(LooksLikeProgramFile(program));
  EXPECT_EQ(PeIconCount(program), 2u);
  TBitmap icon;
  ASSERT_TRUE(ReadPeIcon(program, 0, icon));
  EXPECT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.PixelColour(5, 5), kBlue);
  EXPECT_EQ(icon.PixelColour(0, 31), 0xFFFFFFu);  // the transparent corner
  ASSERT_TRUE(ReadFileIcon(program, 1, icon));
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.PixelColour(5, 5), kGreen);
  EXPECT_FALSE(ReadPeIcon(program, 2, icon));
}

TEST(ProgramIcons, FilesWithoutIconsHaveNone) {
  TBitmap icon;
  const std::string strings = test::PeFile({{6, 1, std::string(40, 'x')}});
  EXPECT_EQ(PeIconCount(strings), 0u);
  EXPECT_FALSE(ReadPeIcon(strings, 0, icon));
  std::string noResources = strings;
  test::PutU32(noResources, 0x44 + 20 + 96 + 16, 0);
  EXPECT_EQ(PeIconCount(noResources), 0u);
}

TEST(ProgramIcons, IconFilesGiveTheImageOfTheIndex) {
  // Two one-image icon files joined into one with two entries.
  const auto [small, smallEntry] = test::IconImageOf(16, kRed);
  const auto [large, largeEntry] = test::IconImageOf(32, kBlue);
  std::string ico("\0\0\1\0\2\0", 6);
  ico += smallEntry + largeEntry;
  test::PutU32(ico, 6 + 12, 38), test::PutU32(ico, 22 + 12, static_cast<uint32_t>(38 + small.size()));
  ico += small + large;
  TBitmap icon;
  ASSERT_TRUE(ReadFileIcon(ico, 0, icon));
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.PixelColour(3, 3), kRed);
  ASSERT_TRUE(ReadFileIcon(ico, 1, icon));
  EXPECT_EQ(icon.PixelColour(3, 3), kBlue);
  EXPECT_FALSE(ReadFileIcon(ico, 2, icon));
  ReadIco(ico, icon);  // the largest for picture loading
  EXPECT_EQ(icon.Width(), 32);
}

// Every way of reading a damaged file ends in a picture, false or the
// graphics error; the sanitizers watch for reads outside the bytes.
void ReadsCleanly(const std::string& data) {
  TBitmap icon;
  try {
    for (size_t i = 0; i < 3; ++i) ReadFileIcon(data, i, icon);
  } catch (const EInvalidGraphic&) {
  } catch (const EGLDPNG&) {
  }
}

TEST(ProgramIcons, DamagedFilesFailCleanly) {
  const std::string program = TwoGroupProgram();
  for (size_t length = 0; length < program.size(); ++length) ReadsCleanly(program.substr(0, length));

  const size_t root = test::kPeSectionFileOffset;
  std::string cyclic = program;  // the first group's language entry points back at the root
  const uint32_t groups = 0x7FFFFFFFu & static_cast<uint32_t>(static_cast<uint8_t>(cyclic[root + 28]) |
                                                              static_cast<uint8_t>(cyclic[root + 29]) << 8);
  const uint32_t language = 0x7FFFFFFFu & (static_cast<uint8_t>(cyclic[root + groups + 20]) |
                                           static_cast<uint8_t>(cyclic[root + groups + 21]) << 8);
  test::PutU32(cyclic, root + language + 20, 0x80000000u);
  TBitmap icon;
  EXPECT_THROW(ReadPeIcon(cyclic, 0, icon), EInvalidGraphic);

  std::string typeLoop = program;  // the root's first type points at the root
  test::PutU32(typeLoop, root + 20, 0x80000000u);
  ReadsCleanly(typeLoop);

  for (const uint32_t bad : {0x7FFFFFF0u, 0xFFFFFFFFu, 0x00001000u + 0x10000u}) {
    std::string far = program;  // the resource directory, then one data entry, out of range
    test::PutU32(far, 0x44 + 20 + 96 + 16, bad);
    EXPECT_THROW(PeIconCount(far), EInvalidGraphic);
    std::string data = program;
    test::PutU32(data, root + language + 20, bad & 0x7FFFFFFFu);
    ReadsCleanly(data);
  }
  std::string sections = program;  // more sections than the file holds
  test::PutU16(sections, 0x44 + 2, 0xFFFF);
  EXPECT_THROW(PeIconCount(sections), EInvalidGraphic);
  std::string counts = program;  // more directory entries than the file holds
  test::PutU16(counts, root + 14, 0xFFFF);
  EXPECT_THROW(PeIconCount(counts), EInvalidGraphic);
}

// Random damage, most often to the headers and the resource directories
// where the offsets live.
TEST(ProgramIcons, RandomDamageGivesCleanErrorsOnly) {
  const std::string program = TwoGroupProgram();
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string data = program;
    if (random() % 4 == 0) data.resize(random() % data.size());
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes && !data.empty(); ++i) {
      const size_t region = random() % 3 == 0 ? data.size() : std::min<size_t>(data.size(), test::kPeSectionFileOffset + 200);
      data[random() % region] = static_cast<char>(random() % 3 == 0 ? 0xFF : random());
    }
    ReadsCleanly(data);
  }
}

}  // namespace
}  // namespace nura
