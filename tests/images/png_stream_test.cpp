#include <gtest/gtest.h>

#include <random>
#include <zlib.h>

#include "images/png_stream.h"
#include "images/png_zlib.h"

namespace nura {
namespace {

TEST(PngStream, RowBytesAndPaletteHelpers) {
  EXPECT_EQ(BitmapRowBytes(3, 24), 12);
  EXPECT_EQ(BitmapRowBytes(33, 1), 8);
  EXPECT_EQ(NearestPaletteIndex({0x000000, 0x0000FF, 0x000080}, 0x0000FF), 1);
  EXPECT_EQ(NearestPaletteIndex({0x000000, 0x000080}, 0x0000F0), 1);
  EXPECT_EQ(NearestPaletteIndex({0x101010, 0x101010}, 0x111111), 0);  // ties keep the earlier
  EXPECT_EQ(NearestPaletteIndex({}, 0), -1);
  EXPECT_EQ(GreyRamp(1), (std::vector<uint32_t>{0, 0xFFFFFF}));
  EXPECT_EQ(GreyRamp(2)[1], 85u * 0x010101u);
  EXPECT_EQ(GreyRamp(4)[15], 0xFFFFFFu);
  EXPECT_EQ(GreyRamp(8).size(), 256u);
}

TEST(PngStream, BigEndianReadsAndReadError) {
  const uint8_t data[] = {1, 2, 3, 4, 5, 6, 7};
  TGLDCustomReadStream in;
  in.Begin(data, sizeof data);
  EXPECT_EQ(in.ReadU16(), 0x0102);
  EXPECT_EQ(in.ReadU32(), 0x03040506u);
  EXPECT_FALSE(in.ReadError());
  EXPECT_EQ(in.ReadU16(), 0);  // only one byte left
  EXPECT_TRUE(in.ReadError());
  EXPECT_EQ(in.ReadByte(), 0);
}

TEST(PngStream, MacBinaryHeader) {
  std::vector<uint8_t> data(129, 1);
  data[0] = 0;
  data[74] = 0;
  TGLDCustomReadStream in;
  in.Begin(data.data(), data.size());
  EXPECT_TRUE(in.MacBinaryFound());
  EXPECT_EQ(in.Consumed(), 128u);
  data.resize(128);  // exactly 128 bytes: not MacBinary
  in.Begin(data.data(), data.size());
  EXPECT_FALSE(in.MacBinaryFound());
  EXPECT_EQ(in.Consumed(), 0u);
  TGLDCustomReadStream empty;
  empty.Begin(nullptr, 0);
  EXPECT_TRUE(empty.ReadError());
}

TEST(PngStream, ProgressReportsOnlyGrowth) {
  std::vector<int> seen;
  TGLDProgress progress;
  progress.onReport = [&](int p) {
    seen.push_back(p);
    return p >= 50;
  };
  progress.Start();
  progress.BeginStage(4, 0);
  for (int step = 1; step <= 4; ++step) progress.StepTo(step);
  progress.StepTo(4);
  progress.End();
  EXPECT_EQ(seen, (std::vector<int>{0, 24, 49, 74, 99, 100}));
  EXPECT_TRUE(progress.StopRequested());
}

// Each filter, applied and undone, gives the row back, for several pixel sizes.
TEST(PngFilters, AllFiveRoundTrip) {
  std::mt19937 rng(7);
  for (int bpp : {1, 3, 4, 8}) {
    std::vector<uint8_t> prev(37), row(37), out(38);
    for (auto& b : prev) b = static_cast<uint8_t>(rng());
    for (auto& b : row) b = static_cast<uint8_t>(rng());
    for (int type = 0; type <= 4; ++type) {
      FilterRow(type, row.data(), prev.data(), row.size(), bpp, out.data());
      EXPECT_EQ(out[0], type);
      std::vector<uint8_t> back(out.begin() + 1, out.end());
      ASSERT_TRUE(UnfilterRow(type, back.data(), prev.data(), back.size(), bpp));
      EXPECT_EQ(back, row) << "filter " << type << " bpp " << bpp;
    }
    EXPECT_FALSE(UnfilterRow(5, row.data(), prev.data(), row.size(), bpp));
  }
}

TEST(PngFilters, KnownValues) {
  const uint8_t prev[] = {10, 20, 30};
  const uint8_t row[] = {200, 100, 255};
  uint8_t out[4];
  FilterRow(kFilterSub, row, prev, 3, 1, out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{1, 200, 156, 155}));
  FilterRow(kFilterAverage, row, prev, 3, 1, out);
  EXPECT_EQ(out[1], 195);  // 200 - (0 + 10) / 2
  FilterRow(kFilterPaeth, row, prev, 3, 1, out);
  EXPECT_EQ(out[1], 190);  // predictor b = 10
}

TEST(PngFilters, Scores) {
  std::vector<uint8_t> same(20, 7);
  EXPECT_EQ(ScoreFilteredRow(same.data(), same.size(), 24), -1);
  std::vector<uint8_t> few{0, 1, 2, 3, 4, 5, 6, 7, 0, 1};
  EXPECT_EQ(ScoreFilteredRow(few.data(), few.size(), 24), -1);  // 8 distinct values
  std::vector<uint8_t> varied;
  for (int i = 0; i < 30; ++i) varied.push_back(static_cast<uint8_t>(i % 10));
  // n 30, d 10, top three counts 3: 30/1.5/10*1000 + 9/30*1000 = 2300
  EXPECT_EQ(ScoreFilteredRow(varied.data(), varied.size(), 24), 2300);
  // below 8 bits per pixel: 30/1.5/10*1500 + 6/30*1000 = 3200
  EXPECT_EQ(ScoreFilteredRow(varied.data(), varied.size(), 4), 3200);
}

// Rows deflated with every filter option inflate back unchanged.
TEST(PngZlib, RowsRoundTripEveryFilterOption) {
  std::mt19937 rng(3);
  std::vector<std::vector<uint8_t>> rows(9, std::vector<uint8_t>(50));
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t i = 0; i < 50; ++i) rows[r][i] = r % 3 == 0 ? static_cast<uint8_t>(i) : static_cast<uint8_t>(rng() % 40);
  }
  for (int option = 0; option <= 6; ++option) {
    std::string compressed;
    TDeflateRows deflater;
    ASSERT_TRUE(deflater.Init(6, 300, option, 8, [&](const uint8_t* d, size_t n) {
      compressed.append(reinterpret_cast<const char*>(d), n);
    }));
    deflater.StartPass(50, 24);
    for (auto& row : rows) {
      std::copy(row.begin(), row.end(), deflater.Row());
      ASSERT_TRUE(deflater.WriteRow());
    }
    ASSERT_TRUE(deflater.Finish());
    bool given = false;
    TInflateRows inflater;
    ASSERT_TRUE(inflater.Init([&](const uint8_t** data) -> size_t {
      if (given) return 0;
      given = true;
      *data = reinterpret_cast<const uint8_t*>(compressed.data());
      return compressed.size();
    }));
    inflater.StartPass(50, 24);
    for (auto& row : rows) {
      ASSERT_TRUE(inflater.ReadRow());
      EXPECT_EQ(std::vector<uint8_t>(inflater.Row(), inflater.Row() + 50), row) << "option " << option;
    }
    EXPECT_FALSE(inflater.ReadRow());  // the stream has ended
  }
}

}  // namespace
}  // namespace nura
