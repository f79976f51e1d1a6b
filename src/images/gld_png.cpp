#include "images/gld_png.h"

#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/file_io.h"

namespace nura {

TGLDPNG::TGLDPNG() {
  settings_.gamma = 0.45455;
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  settings_.time = {static_cast<uint16_t>(utc.tm_year + 1900), static_cast<uint8_t>(utc.tm_mon + 1),
                    static_cast<uint8_t>(utc.tm_mday), static_cast<uint8_t>(utc.tm_hour),
                    static_cast<uint8_t>(utc.tm_min), static_cast<uint8_t>(utc.tm_sec)};
}

void TGLDPNG::SetIdatSize(int size) {
  TGLDPNGWriteStream check;
  check.SetIdatSize(size);
  settings_.idatSize = size;
}

std::function<bool(int)> TGLDPNG::ProgressReport() const {
  if (!onProgress) return {};
  return [this](int percent) {
    onProgress(percent);
    return false;
  };
}

void TGLDPNG::Load(const std::string& data) {
  alpha_.SetSize(0, 0, 8);
  TGLDPNGReadStream reader;
  reader.macBinary = macBinary_;
  reader.option1516 = option1516_;
  reader.timeRecord = &settings_.time;
  reader.chromaticities = &settings_.chromaticities;
  reader.animation = &settings_.animation;
  reader.Progress().onReport = ProgressReport();
  reader.ReadBitmap(reinterpret_cast<const uint8_t*>(data.data()), data.size(), image_, &alpha_);
  hasAlpha_ = reader.hasAlpha;
  settings_.comment = reader.comment;
  settings_.background = reader.background;
  settings_.transparentColor = reader.transparentColor;
  settings_.interlace = reader.interlace;
  settings_.gamma = reader.gamma;
  settings_.physicalUnit = reader.physicalUnit;
  settings_.physicalX = reader.physicalX;
  settings_.physicalY = reader.physicalY;
  settings_.significantBits = reader.significantBits;
  bitDepth_ = reader.bitDepth;
  settings_.grey = reader.grey;
}

void TGLDPNG::Save(std::string& out, const TPNGSettings& settings) const {
  TGLDPNGWriteStream writer;
  writer.settings = settings;
  writer.SetIdatSize(settings.idatSize);
  writer.alphaBitmap = hasAlpha_ ? &alpha_ : nullptr;
  writer.Progress().onReport = ProgressReport();
  writer.WriteBitmap(image_, out);
}

void TGLDPNG::LoadFromStream(const std::string& data) { Load(data); }

void TGLDPNG::SaveToStream(std::string& out) const { Save(out, settings_); }

void TGLDPNG::ReadData(const std::string& data) { Load(data); }

void TGLDPNG::WriteData(std::string& out) const {
  if (Empty()) return;
  TPNGSettings settings = settings_;
  const TPNGSettings defaults;
  settings.level = defaults.level;
  settings.filter = defaults.filter;
  settings.idatSize = defaults.idatSize;
  settings.interlace = defaults.interlace;
  settings.useCurrentTime = defaults.useCurrentTime;
  Save(out, settings);
}

void TGLDPNG::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EGLDPNG("PNG LoadStream: cannot open " + path);
  std::ostringstream data;
  data << in.rdbuf();
  Load(data.str());
}

void TGLDPNG::SaveToFile(const std::string& path) const {
  std::string data;
  SaveToStream(data);
  if (!WriteFileAtomically(path, data)) throw EGLDPNG("Write Image (PNG): Write Error");
}

void TGLDPNG::Assign(const TGLDPNG& source) {
  if (&source == this) return;
  image_ = source.image_;
  alpha_ = source.alpha_;
  const TPNGAnimation animation = settings_.animation;
  settings_ = source.settings_;
  settings_.animation = animation;  // the animation record is not part of an assignment
  hasAlpha_ = source.hasAlpha_;  // else a copy would save without its alpha
}

void TGLDPNG::Assign(const TBitmap& source) { image_ = source; }

void TGLDPNG::Draw(QPainter& painter, const QRect& rect) const {
  if (!Empty()) painter.drawImage(rect, image_.ToImage());
}

void TGLDPNG::SetWidth(int width) {
  if (!image_.Empty()) image_.Resize(width, image_.Height());
  if (!alpha_.Empty()) alpha_.Resize(width, alpha_.Height());
}

void TGLDPNG::SetHeight(int height) {
  if (!image_.Empty()) image_.Resize(image_.Width(), height);
  if (!alpha_.Empty()) alpha_.Resize(alpha_.Width(), height);
}

void TGLDPNG::SetPalette(const std::vector<uint32_t>& palette) { image_.Palette() = palette; }

void TGLDPNG::SetTransparent(bool on) {
  if (image_.Transparent() != on) image_.SetTransparent(on);
}

}  // namespace nura
