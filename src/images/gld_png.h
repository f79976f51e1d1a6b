// TGLDPNG: a PNG picture. Holds the image as a TBitmap, an optional 8-bit
// alpha bitmap (transparency, 0 opaque .. 255 clear) and the PNG settings
// and ancillary values; loads and saves through the PNG reader and writer.
#pragma once

#include <QPainter>
#include <QRect>
#include <functional>
#include <string>

#include "images/png_reader.h"
#include "images/png_writer.h"
#include "platform/gui/bitmap.h"

namespace nura {

class TGLDPNG {
 public:
  TGLDPNG();

  TBitmap& Image() { return image_; }
  const TBitmap& Image() const { return image_; }
  TBitmap& Alpha() { return alpha_; }
  TPNGSettings& Settings() { return settings_; }
  const TPNGSettings& Settings() const { return settings_; }
  bool HasAlpha() const { return hasAlpha_; }
  void SetHasAlpha(bool on) { hasAlpha_ = on; }
  int BitDepth() const { return bitDepth_; }
  bool MacBinary() const { return macBinary_; }
  void SetMacBinary(bool on) { macBinary_ = on; }
  bool Option1516() const { return option1516_; }
  void SetOption1516(bool on) { option1516_ = on; }
  // Checked like the writer's: raises EGLDPNG outside 256..100000.
  void SetIdatSize(int size);
  // Progress in percent during loading and saving (none by default).
  std::function<void(int percent)> onProgress;

  void LoadFromStream(const std::string& data);
  void SaveToStream(std::string& out) const;
  // The graphic inside component data: as the stream forms, but writing
  // uses the writer's defaults for level, filter, IDAT size, interlace and
  // time flag, and an empty image writes nothing.
  void ReadData(const std::string& data);
  void WriteData(std::string& out) const;
  // Native file names; failures to open raise EGLDPNG.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  // Copies image, alpha and settings of another PNG picture.
  void Assign(const TGLDPNG& source);
  // Takes a bitmap as the image; settings unchanged.
  void Assign(const TBitmap& source);
  void AssignTo(TBitmap& target) const { target = image_; }
  // The image stretched into a rectangle; the alpha bitmap is not used.
  void Draw(QPainter& painter, const QRect& rect) const;

  bool Empty() const { return image_.Empty(); }
  int Width() const { return image_.Width(); }
  int Height() const { return image_.Height(); }
  void SetWidth(int width);
  void SetHeight(int height);
  const std::vector<uint32_t>& Palette() const { return image_.Palette(); }
  void SetPalette(const std::vector<uint32_t>& palette);
  bool Transparent() const { return image_.Transparent(); }
  void SetTransparent(bool on);

 private:
  void Load(const std::string& data);
  void Save(std::string& out, const TPNGSettings& settings) const;
  std::function<bool(int)> ProgressReport() const;

  TBitmap image_;
  TBitmap alpha_;
  TPNGSettings settings_;
  bool hasAlpha_ = false;
  int bitDepth_ = 0;
  bool macBinary_ = true;
  bool option1516_ = false;
};

}  // namespace nura
