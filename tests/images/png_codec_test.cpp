#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <random>
#include <zlib.h>

#include "images/png_reader.h"
#include "images/png_writer.h"
#include "platform/gui/bitmap.h"

namespace nura {
namespace {

struct Chunk {
  std::string type, data;
  uint32_t crc;
};

uint32_t U32At(const std::string& s, size_t at) {
  return (uint32_t{static_cast<uint8_t>(s[at])} << 24) | (uint32_t{static_cast<uint8_t>(s[at + 1])} << 16) |
         (uint32_t{static_cast<uint8_t>(s[at + 2])} << 8) | static_cast<uint8_t>(s[at + 3]);
}

std::vector<Chunk> Chunks(const std::string& png) {
  std::vector<Chunk> out;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t n = U32At(png, at);
    out.push_back({png.substr(at + 4, 4), png.substr(at + 8, n), U32At(png, at + 8 + n)});
    at += 12 + n;
  }
  return out;
}

std::string Types(const std::vector<Chunk>& chunks) {
  std::string t;
  for (const auto& c : chunks) t += c.type + " ";
  return t;
}

void FillRandom(TBitmap& b, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.Height(); ++y) {
    for (int i = 0; i < b.Stride(); ++i) b.ScanLine(y)[i] = static_cast<uint8_t>(rng());
  }
}

// Compares pixels only (the row padding is not part of the image).
void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  ASSERT_EQ(a.BitsPerPixel(), b.BitsPerPixel());
  const int bits = a.BitsPerPixel() == 15 ? 16 : a.BitsPerPixel();
  const size_t full = static_cast<size_t>(a.Width()) * bits / 8, rest = static_cast<size_t>(a.Width()) * bits % 8;
  for (int y = 0; y < a.Height(); ++y) {
    ASSERT_EQ(0, memcmp(a.ScanLine(y), b.ScanLine(y), full)) << "row " << y;
    if (rest) {
      const uint8_t mask = static_cast<uint8_t>(0xFF00 >> rest);
      EXPECT_EQ(a.ScanLine(y)[full] & mask, b.ScanLine(y)[full] & mask) << "row " << y;
    }
  }
}

std::string Encode(const TBitmap& b, int filter = 1, int interlace = 0, const TBitmap* alpha = nullptr) {
  TGLDPNGWriteStream w;
  w.settings.filter = filter;
  w.settings.interlace = static_cast<uint8_t>(interlace);
  w.alphaBitmap = alpha;
  std::string out;
  w.WriteBitmap(b, out);
  return out;
}

void Decode(const std::string& png, TBitmap& b, TBitmap* alpha = nullptr, TGLDPNGReadStream* reader = nullptr) {
  TGLDPNGReadStream local;
  TGLDPNGReadStream& r = reader ? *reader : local;
  r.ReadBitmap(reinterpret_cast<const uint8_t*>(png.data()), png.size(), b, alpha);
}

std::string ErrorOf(const std::string& png) {
  try {
    TBitmap b, a;
    Decode(png, b, &a);
  } catch (const EGLDPNG& e) {
    return e.what();
  }
  return "";
}

// Rebuilds a file from chunks with correct CRCs.
std::string Build(const std::vector<Chunk>& chunks) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  for (const auto& c : chunks) {
    for (int s = 24; s >= 0; s -= 8) out += static_cast<char>(c.data.size() >> s);
    out += c.type + c.data;
    const uint32_t crc = PngChunkCrc(c.type.c_str(), reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size());
    for (int s = 24; s >= 0; s -= 8) out += static_cast<char>(crc >> s);
  }
  return out;
}

TEST(PngCodec, EveryFormatRoundTripsWithEveryFilterAndInterlace) {
  for (int bits : {1, 4, 8, 24}) {
    for (int interlace : {0, 1}) {
      for (int filter = 0; filter <= 5; ++filter) {
        TBitmap b(37, 11, bits);
        FillRandom(b, static_cast<unsigned>(bits * 10 + filter));
        for (size_t i = 0; i < b.Palette().size(); ++i) b.Palette()[i] = static_cast<uint32_t>(i * 0x010203) & 0xFFFFFF;
        TBitmap back;
        Decode(Encode(b, filter, interlace), back);
        ExpectSamePixels(b, back);
        if (bits <= 8) {
          EXPECT_EQ(back.Palette(), b.Palette());
        }
      }
    }
  }
}

TEST(PngCodec, AlphaAndGreyAndHighColourSources) {
  TBitmap b(5, 3, 32), alpha(5, 3, 8);
  FillRandom(b, 1);
  FillRandom(alpha, 2);
  TBitmap back, backAlpha;
  TGLDPNGReadStream reader;
  Decode(Encode(b, 0, 1, &alpha), back, &backAlpha, &reader);
  EXPECT_TRUE(reader.hasAlpha);
  ASSERT_EQ(back.BitsPerPixel(), 24);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(0, memcmp(back.ScanLine(y) + 3 * x, b.ScanLine(y) + 4 * x, 3));
      EXPECT_EQ(backAlpha.ScanLine(y)[x], alpha.ScanLine(y)[x]);
    }
  }
  // 16-bit 5-6-5: 8-bit RGB with sBIT 5,6,5; white stays white.
  TBitmap hc(2, 1, 16);
  hc.Fill(0xFFFFFF);
  const std::string png = Encode(hc);
  const auto chunks = Chunks(png);
  bool sawSbit = false;
  for (const auto& c : chunks) {
    if (c.type == "sBIT") {
      sawSbit = true;
      EXPECT_EQ(c.data, std::string("\x05\x06\x05"));
    }
  }
  EXPECT_TRUE(sawSbit);
  TBitmap white;
  TGLDPNGReadStream r1516;
  Decode(png, white);
  EXPECT_EQ(white.ScanLine(0)[0], 255);
  r1516.option1516 = true;
  Decode(png, white, nullptr, &r1516);
  EXPECT_EQ(white.BitsPerPixel(), 16);
  EXPECT_EQ(white.ScanLine(0)[0], 0xFF);
  EXPECT_EQ(white.ScanLine(0)[1], 0xFF);
  // Grey mode from a 24-bit source: one grey byte per pixel.
  TBitmap colour(2, 1, 24);
  colour.Fill(0x0000FF);  // pure red: L = 255 * 77 >> 8 = 76
  TGLDPNGWriteStream w;
  w.settings.grey = true;
  std::string greyPng;
  w.WriteBitmap(colour, greyPng);
  TBitmap grey;
  Decode(greyPng, grey);
  EXPECT_EQ(grey.BitsPerPixel(), 8);
  EXPECT_EQ(grey.ScanLine(0)[0], 76);
}

TEST(PngCodec, GreyModeFromPaletteSources) {
  TGLDPNGWriteStream w;
  w.settings.grey = true;
  TBitmap pal(3, 1, 8);
  pal.Palette().assign({0x0000FF, 0xFFFFFF});
  pal.ScanLine(0)[0] = 0, pal.ScanLine(0)[1] = 1, pal.ScanLine(0)[2] = 0;
  std::string png;
  w.WriteBitmap(pal, png);
  TBitmap back;
  Decode(png, back);
  ASSERT_EQ(back.BitsPerPixel(), 8);
  EXPECT_EQ(back.ScanLine(0)[0], 76);  // red as grey
  EXPECT_EQ(back.ScanLine(0)[1], 255);
  // A 1-bit bitmap whose entry 1 is the dark one: bits are inverted so grey 1 stays white.
  TBitmap mono(8, 1, 1);
  mono.Palette().assign({0xFFFFFF, 0x000000});
  mono.ScanLine(0)[0] = 0x0F;
  png.clear();
  w.WriteBitmap(mono, png);
  Decode(png, back);
  ASSERT_EQ(back.BitsPerPixel(), 1);
  EXPECT_EQ(back.ScanLine(0)[0], 0xF0);
  EXPECT_EQ(back.Palette()[1], 0xFFFFFFu);
  EXPECT_THROW(w.WriteBitmap(TBitmap(), png), EGLDPNG);
}

TEST(PngCodec, DefaultChunkOrderAndCrc) {
  TBitmap b(2, 2, 24);
  const std::string png = Encode(b);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  const auto chunks = Chunks(png);
  EXPECT_EQ(Types(chunks), "IHDR tIME tEXt tpNG IDAT IEND ");  // the writer's own gamma default is 0
  EXPECT_EQ(chunks[0].data, std::string("\0\0\0\2\0\0\0\2\x08\x02\0\0\0", 13));
  EXPECT_EQ(chunks[2].data, std::string("Software\0GLDPNG ver 3.4", 23));
  EXPECT_EQ(chunks[3].data, std::string("GLD3\0\0\0\0", 8));
  EXPECT_EQ(chunks.back().crc, 0xAE426082u);  // IEND
  for (const auto& c : chunks) {
    EXPECT_EQ(c.crc, crc32(crc32(0, reinterpret_cast<const Bytef*>(c.type.data()), 4),
                           reinterpret_cast<const Bytef*>(c.data.data()), static_cast<uInt>(c.data.size())));
  }
}

TEST(PngCodec, AncillarySettingsRoundTrip) {
  TBitmap b(4, 4, 8);
  b.Palette().assign({0x000000, 0x0000FF, 0x00FF00});
  TGLDPNGWriteStream w;
  w.settings.gamma = 0.45455;
  w.settings.comment = "hello";
  w.settings.background = 0x0000FF;  // nearest entry 1
  w.settings.transparentColor = 0x01000002;
  w.settings.physicalUnit = 2;
  w.settings.physicalX = w.settings.physicalY = 254;
  w.settings.useCurrentTime = false;
  w.settings.time = {2001, 2, 3, 4, 5, 6};
  w.settings.chromaticities = {1, 2, 3, 4, 5, 6, 7, 8};
  w.settings.animation = {1, 0, 300};
  std::string png;
  w.WriteBitmap(b, png);
  EXPECT_EQ(Types(Chunks(png)), "IHDR tIME tEXt tEXt tpNG gIFg gAMA cHRM PLTE bKGD tRNS pHYs IDAT IEND ");
  TGLDPNGReadStream r;
  TPNGTime time;
  std::array<uint32_t, 8> chrm{};
  TPNGAnimation anim;
  r.timeRecord = &time;
  r.chromaticities = &chrm;
  r.animation = &anim;
  TBitmap back;
  Decode(png, back, nullptr, &r);
  EXPECT_EQ(r.comment, "hello\r\n");
  EXPECT_DOUBLE_EQ(r.gamma, 0.45455);
  EXPECT_EQ(r.background, 0x01000001);
  EXPECT_EQ(r.transparentColor, 0x01000002);
  EXPECT_TRUE(back.Transparent());
  EXPECT_EQ(r.physicalX, 10000u);
  EXPECT_EQ(r.physicalUnit, 1);
  EXPECT_EQ(time.year, 2001);
  EXPECT_EQ(time.second, 6);
  EXPECT_EQ(chrm[7], 8u);
  EXPECT_EQ(anim.delay, 300);
  EXPECT_EQ(back.Palette().size(), 3u);
}

TEST(PngCodec, IdatSplitAndLimits) {
  TGLDPNGWriteStream w;
  EXPECT_THROW(w.SetIdatSize(255), EGLDPNG);
  EXPECT_THROW(w.SetIdatSize(100001), EGLDPNG);
  w.SetIdatSize(256);
  TBitmap b(64, 64, 24);
  FillRandom(b, 5);
  std::string png;
  w.WriteBitmap(b, png);
  std::vector<size_t> sizes;
  for (const auto& c : Chunks(png)) if (c.type == "IDAT") sizes.push_back(c.data.size());
  ASSERT_GT(sizes.size(), 2u);
  for (size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], 256u);
  EXPECT_LE(sizes.back(), 256u);
  TBitmap back;
  Decode(png, back);
  ExpectSamePixels(b, back);
}

TEST(PngCodec, ReadsQtWrittenImages) {
  {
    QImage img(23, 17, QImage::Format_ARGB32);
    std::mt19937 rng(9);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgba(rng() % 256, rng() % 256, rng() % 256, rng() % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(img.save(&buffer, "PNG"));
    TBitmap b, a;
    TGLDPNGReadStream r;
    Decode(bytes.toStdString(), b, &a, &r);
    ASSERT_EQ(b.BitsPerPixel(), 24);
    EXPECT_TRUE(r.hasAlpha);
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) {
        const QRgb p = img.pixel(x, y);
        const uint8_t* q = b.ScanLine(y) + 3 * x;
        ASSERT_EQ(q[2], qRed(p));
        ASSERT_EQ(q[1], qGreen(p));
        ASSERT_EQ(q[0], qBlue(p));
        ASSERT_EQ(a.ScanLine(y)[x], 255 - qAlpha(p));
      }
    }
  }
  // And Qt reads what we write, interlaced too.
  TBitmap b(9, 7, 24);
  FillRandom(b, 4);
  const std::string png = Encode(b, 0, 1);
  QImage img = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.pixel(3, 2), b.ToImage().pixel(3, 2));
}

TEST(PngReader, ChunkRulesAndErrors) {
  TBitmap small(3, 2, 8);
  FillRandom(small, 6);
  const std::string good = Encode(small);
  auto chunks = Chunks(good);
  std::string bad = good;
  bad[3] ^= 1;
  EXPECT_EQ(ErrorOf(bad), "PNG LoadStream: Not PNG Format");
  // A wrong CRC still loads.
  bad = good;
  bad[8 + 8 + 13] ^= 0xFF;
  EXPECT_EQ(ErrorOf(bad), "");
  auto withHeader = [&](uint8_t depth, uint8_t type) {
    auto c = chunks;
    c[0].data[8] = static_cast<char>(depth);
    c[0].data[9] = static_cast<char>(type);
    return Build(c);
  };
  EXPECT_EQ(ErrorOf(withHeader(2, 4)), "Read Header(PNG): not Use AlphaChannel");
  EXPECT_EQ(ErrorOf(withHeader(8, 5)), "Read Header(PNG): Error ColorType");
  EXPECT_EQ(ErrorOf(withHeader(4, 2)), "Read Header(PNG): Error BitDepth");
  auto twoHeaders = chunks;
  twoHeaders.insert(twoHeaders.begin() + 1, chunks[0]);
  EXPECT_EQ(ErrorOf(Build(twoHeaders)), "Read Header(PNG): appear two IHDR");
  // Huge dimensions are refused before anything is allocated.
  auto huge = chunks;
  huge[0].data.replace(0, 8, std::string("\x7F\xFF\xFF\xFF\x7F\xFF\xFF\xFF", 8));
  EXPECT_EQ(ErrorOf(Build(huge)), "Read Header(PNG): Error Size");
  huge[0].data.replace(0, 8, std::string("\0\0\x10\0\0\0\x10\0", 8));  // 4096 x 4096 from a few bytes
  EXPECT_EQ(ErrorOf(Build(huge)), "Read Image (PNG): Read Error");
  // No image data at all is an error, not an empty picture.
  EXPECT_EQ(ErrorOf(good.substr(0, 8 + 25)), "Read Image (PNG): Read Error");
  // An ancillary chunk between two IDAT chunks breaks the data.
  TGLDPNGWriteStream w;
  w.SetIdatSize(256);
  TBitmap big(64, 64, 24);
  FillRandom(big, 8);
  std::string split;
  w.WriteBitmap(big, split);
  auto parts = Chunks(split);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].type == "IDAT") {
      parts.insert(parts.begin() + static_cast<long>(i) + 1, Chunk{"tEXt", std::string("a\0b", 3), 0});
      break;
    }
  }
  EXPECT_EQ(ErrorOf(Build(parts)), "Read Image (PNG): Read Error");
}

TEST(PngReader, TransparencyCommentsAndGreyDepths) {
  TBitmap b(4, 1, 8);
  b.Palette().assign({0x000000, 0x111111, 0x222222});
  for (int x = 0; x < 4; ++x) b.ScanLine(0)[x] = static_cast<uint8_t>(x % 3);
  auto chunks = Chunks(Encode(b));
  auto withTrns = [&](const std::string& trns) {
    auto c = chunks;
    for (size_t i = 0; i < c.size(); ++i) {
      if (c[i].type == "IDAT") {
        c.insert(c.begin() + static_cast<long>(i), Chunk{"tRNS", trns, 0});
        c.insert(c.begin() + static_cast<long>(i), Chunk{"tEXt", std::string("Comment\0a", 9), 0});
        c.insert(c.begin() + static_cast<long>(i), Chunk{"tEXt", std::string("Comment\0b", 9), 0});
        break;
      }
    }
    return Build(c);
  };
  TBitmap back, alpha;
  TGLDPNGReadStream r;
  Decode(withTrns(std::string("\xFF\x00\xFF", 3)), back, &alpha, &r);
  EXPECT_EQ(r.transparentColor, 0x01000001);
  EXPECT_FALSE(r.hasAlpha);
  EXPECT_TRUE(back.Transparent());
  EXPECT_EQ(r.comment, "b\r\n\r\na\r\n");
  Decode(withTrns("\x80"), back, &alpha, &r);
  EXPECT_TRUE(r.hasAlpha);
  EXPECT_EQ(alpha.ScanLine(0)[0], 127);
  EXPECT_EQ(alpha.ScanLine(0)[1], 0);
  // A 16-bit grey pixel 0x12AB reads as 0x12; grey 2 goes into nibbles.
  std::string raw("\0\x12\xAB", 3);
  std::string z(compressBound(raw.size()), '\0');
  uLongf zn = z.size();
  compress(reinterpret_cast<Bytef*>(z.data()), &zn, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  z.resize(zn);
  std::string ihdr("\0\0\0\1\0\0\0\1\x10\0\0\0\0", 13);
  Decode(Build({{"IHDR", ihdr, 0}, {"IDAT", z, 0}, {"IEND", "", 0}}), back);
  EXPECT_EQ(back.BitsPerPixel(), 8);
  EXPECT_EQ(back.ScanLine(0)[0], 0x12);
  raw = std::string("\0\x1B", 2);  // 2-bit samples 0, 1, 2, 3
  zn = z.size() + 16;
  z.assign(zn, '\0');
  compress(reinterpret_cast<Bytef*>(z.data()), &zn, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  z.resize(zn);
  ihdr = std::string("\0\0\0\4\0\0\0\1\x02\0\0\0\0", 13);
  Decode(Build({{"IHDR", ihdr, 0}, {"IDAT", z, 0}, {"IEND", "", 0}}), back);
  EXPECT_EQ(back.BitsPerPixel(), 4);
  EXPECT_EQ(back.ScanLine(0)[0], 0x01);
  EXPECT_EQ(back.ScanLine(0)[1], 0x23);
  EXPECT_EQ(back.Palette()[2], 170u * 0x010101u);
}

// Damaged and cut files end in an error or a picture, never a crash (ASan).
TEST(PngReader, CorruptAndTruncatedFilesNeverCrash) {
  TBitmap b(19, 13, 24), alpha(19, 13, 8);
  FillRandom(b, 11);
  FillRandom(alpha, 12);
  std::vector<std::string> seeds = {Encode(b, 0, 0, &alpha), Encode(b, 5, 1)};
  TBitmap p(19, 13, 4);
  FillRandom(p, 13);
  seeds.push_back(Encode(p, 0, 1));
  std::mt19937 rng(2024);
  int errors = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string png = seeds[round % seeds.size()];
    const int kind = static_cast<int>(rng() % 3);
    if (kind == 0) {
      png.resize(rng() % png.size());
    } else {
      const int flips = 1 + static_cast<int>(rng() % 6);
      for (int i = 0; i < flips; ++i) png[8 + rng() % (png.size() - 8)] = static_cast<char>(rng());
    }
    if (!ErrorOf(png).empty()) ++errors;
  }
  EXPECT_GT(errors, 100);
}

}  // namespace
}  // namespace nura
