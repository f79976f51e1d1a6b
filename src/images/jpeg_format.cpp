#include "images/jpeg_format.h"

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include <memory>
#include <vector>

#include "engine/errors.h"
#include "images/dib_format.h"
#include "images/graphic_errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// libjpeg's errors and warnings: an error becomes an exception (the
// library is left for its destroy call), warnings are dropped.
[[noreturn]] void ThrowJpegError(j_common_ptr info) {
  char message[JMSG_LENGTH_MAX] = {};
  (*info->err->format_message)(info, message);
  throw EInvalidGraphic(SJ("JPEG画像のエラーです。") + message);
}

void IgnoreJpegMessage(j_common_ptr) {}

// Warnings are dropped, but data that ends before the picture does is an
// error: the library would make up every missing row, so a few bytes
// could cost the time and memory of a picture of millions of pixels.
void CheckJpegWarning(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) ThrowJpegError(info);
}

void InstallErrorHandler(jpeg_error_mgr& errors) {
  jpeg_std_error(&errors);
  errors.error_exit = ThrowJpegError;
  errors.output_message = IgnoreJpegMessage;
  errors.emit_message = CheckJpegWarning;
}

struct TDecompressor {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  TDecompressor() {
    info.err = &errors;
    InstallErrorHandler(errors);
    jpeg_create_decompress(&info);
  }
  ~TDecompressor() { jpeg_destroy_decompress(&info); }
};

struct TCompressor {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  TCompressor() {
    info.err = &errors;
    InstallErrorHandler(errors);
    jpeg_create_compress(&info);
  }
  ~TCompressor() {
    jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

// A CMYK row (Adobe files store the inks inverted) as blue, green, red.
void CmykRowToBgr(const uint8_t* src, uint8_t* dst, int width, bool inverted) {
  for (int x = 0; x < width; ++x, src += 4, dst += 3) {
    int c = src[0], m = src[1], y = src[2], k = src[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    dst[0] = static_cast<uint8_t>(y * k / 255);
    dst[1] = static_cast<uint8_t>(m * k / 255);
    dst[2] = static_cast<uint8_t>(c * k / 255);
  }
}

}  // namespace

void ReadJpeg(const std::string& data, TBitmap& out) {
  TDecompressor d;
  jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  jpeg_read_header(&d.info, TRUE);
  const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
  d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  CheckPictureSize(d.info.image_width, d.info.image_height);
  jpeg_start_decompress(&d.info);
  TBitmap result(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height), 24);
  std::vector<uint8_t> cmykRow(cmyk ? static_cast<size_t>(d.info.output_width) * 4 : 0);
  while (d.info.output_scanline < d.info.output_height) {
    uint8_t* line = result.ScanLine(static_cast<int>(d.info.output_scanline));
    JSAMPROW row = cmyk ? cmykRow.data() : line;
    jpeg_read_scanlines(&d.info, &row, 1);
    if (cmyk) CmykRowToBgr(cmykRow.data(), line, result.Width(), d.info.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&d.info);
  out = std::move(result);
}

std::string WriteJpeg(const TBitmap& source, int quality) {
  if (quality < 1 || quality > 100) throw ERangeError();
  if (source.Empty()) throw EInvalidGraphicOperation(SJ("ビットマップが不正です。"));
  TBitmap bitmap = source;
  bitmap.SetPixelFormat(24);
  TCompressor c;
  jpeg_mem_dest(&c.info, &c.buffer, &c.size);
  c.info.image_width = static_cast<JDIMENSION>(bitmap.Width());
  c.info.image_height = static_cast<JDIMENSION>(bitmap.Height());
  c.info.input_components = 3;
  c.info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c.info);
  jpeg_set_quality(&c.info, quality, TRUE);
  jpeg_start_compress(&c.info, TRUE);
  while (c.info.next_scanline < c.info.image_height) {
    JSAMPROW row = bitmap.ScanLine(static_cast<int>(c.info.next_scanline));
    jpeg_write_scanlines(&c.info, &row, 1);
  }
  jpeg_finish_compress(&c.info);
  return std::string(reinterpret_cast<const char*>(c.buffer), c.size);
}

}  // namespace nura
