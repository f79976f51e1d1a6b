// The plug-in host with three plug-ins built from tests/images/spi_test_plugin.c.
#include "images/spi_lib.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "images/graphic_errors.h"
#include "images/image_test_support.h"
#include "common/run_program.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

// A 2 x 2 picture of the tiny format: red, blue / blue, red.
const std::string kTinyPicture = std::string("TINY") + std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8) +
                                 std::string("\x00\x01\x01\x00", 4);

class SpiHost : public ::testing::Test {
 protected:
  void SetUp() override { folder = test::MakeTempFolder() + "/"; }
  void TearDown() override { fs::remove_all(folder); }
  void Install(const char* built, const std::string& name) { fs::copy_file(built, folder + name); }
  std::string folder;
};

TEST_F(SpiHost, LoadsPluginsOfTheRightVersionInNameOrder) {
  Install(NURA_SPI_VERSION, "a_archive.spi");
  Install(NURA_SPI_TINY, "b_tiny.SPI");
  Install(NURA_SPI_FAIL, "c_fail.Spi");
  std::ofstream(folder + "d_broken.spi") << "not a library";
  std::ofstream(folder + "e_tiny.so") << "ignored";
  TSpiLib32 host;
  host.LoadPlugins(folder);
  ASSERT_EQ(host.PicPlugInList, (std::vector<std::string>{"Tiny picture plug-in", "Failing tiny plug-in"}));
  EXPECT_EQ(host.PFilter, "*.tny;*.tiny;*.tny;");
  EXPECT_TRUE(host.AFilter.empty());
  EXPECT_TRUE(host.ArcPlugInList.empty());
  // A text that fills the buffer is cut at 255 bytes and ended.
  EXPECT_EQ(host.PicPlugIns()[1].info[3], std::string(255, 'x'));
  EXPECT_TRUE(host.ExtensionSupported("/tmp/a.TINY"));
  EXPECT_TRUE(host.ExtensionSupported("C:\\pics\\a.tny"));
  EXPECT_FALSE(host.ExtensionSupported("a.gif"));
  EXPECT_FALSE(host.ExtensionSupported("tny"));

  // The first plug-in that accepts the data decodes it.
  TBitmap bitmap;
  ASSERT_TRUE(host.Decode(reinterpret_cast<const uint8_t*>(kTinyPicture.data()), kTinyPicture.size(), bitmap));
  EXPECT_EQ(bitmap.BitsPerPixel(), 8);
  EXPECT_EQ(test::Pixels(bitmap), (std::vector<uint32_t>{0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF}));
  // Data that no plug-in accepts leaves the bitmap and reports false.
  EXPECT_FALSE(host.Decode(reinterpret_cast<const uint8_t*>("GIF89a"), 6, bitmap));
  EXPECT_EQ(bitmap.Width(), 2);
  host.FreePlugins();
  EXPECT_TRUE(host.PicPlugIns().empty());
}

TEST_F(SpiHost, FailedAndMalformedResultsLeaveNoPictureAndNoLeak) {
  Install(NURA_SPI_FAIL, "a_fail.spi");
  Install(NURA_SPI_TINY, "b_tiny.spi");
  TSpiLib32 host;
  host.LoadPlugins(folder);
  // No handles, a bit count of 7, rows past the bits block, a negative height.
  for (const char* signature : {"TINY", "BADH", "SHRT", "NEGH"}) {
    SCOPED_TRACE(signature);
    const std::string data = signature + kTinyPicture.substr(4);
    TBitmap bitmap;
    EXPECT_THROW(host.Decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), bitmap), EInvalidGraphic);
    EXPECT_TRUE(bitmap.Empty());
  }
}

TEST_F(SpiHost, AFolderWithoutPluginsSupportsNothing) {
  TSpiLib32 host;
  host.LoadPlugins(folder);
  host.LoadPlugins(folder + "missing/");
  EXPECT_TRUE(host.PicPlugIns().empty());
  EXPECT_TRUE(host.PFilter.empty());
  EXPECT_FALSE(host.ExtensionSupported("a.tny"));
  TBitmap bitmap;
  EXPECT_FALSE(host.Decode(reinterpret_cast<const uint8_t*>(kTinyPicture.data()), kTinyPicture.size(), bitmap));
}

}  // namespace
}  // namespace nura
