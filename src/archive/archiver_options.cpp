#include "archive/archiver_options.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "support/file_command_support.h"
#include "platform/sjis.h"

namespace nura {

namespace {

std::string LowerExtension(std::string_view name) {
  std::string ext = ExtractExtension(std::string(name));
  for (char& ch : ext) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return ext;
}

}  // namespace

TArchiverType DetectArchiveTypeByName(std::string_view name) {
  struct Entry {
    const char* ext;
    TArchiverType type;
  };
  static const Entry kTable[] = {
      {".lzh", TArchiverType::atLha}, {".cab", TArchiverType::atCab},
      {".zip", TArchiverType::atZip}, {".jar", TArchiverType::atZip},
      {".arj", TArchiverType::atArj}, {".rar", TArchiverType::atRar},
      {".gca", TArchiverType::atGCA}, {".gza", TArchiverType::atBga},
      {".bza", TArchiverType::atBga}, {".bz2", TArchiverType::atBZ2},
      {".a", TArchiverType::atTar},   {".lib", TArchiverType::atTar},
      {".tar", TArchiverType::atTar}, {".deb", TArchiverType::atTar},
      {".rpm", TArchiverType::atTar}, {".cpio", TArchiverType::atTar},
      {".z", TArchiverType::atTgz},   {".gz", TArchiverType::atTgz},
      {".tgz", TArchiverType::atTgz}, {".taz", TArchiverType::atTgz},
      {".7z", TArchiverType::at7z},   {".exe", TArchiverType::atAutoDetect},
  };
  const std::string ext = LowerExtension(name);
  for (const Entry& e : kTable) {
    if (ext == e.ext) return e.type;
  }
  return TArchiverType::atNone;
}

void TArchiverOptions::AssignTo(TArchiverOptions& target) const {
  const unsigned usage = target.ResFileUsage;
  target = *this;
  target.ResFileUsage = usage;
}

const std::vector<TArchiverOptions::NumericSwitch>& TArchiverOptions::NumericSwitches() {
  using O = TArchiverOptions;
  static const std::vector<NumericSwitch> kSwitches = {
      {"a", &O::a},     {"c", &O::c},     {"e", &O::e},     {"f", &O::f},     {"h", &O::h},
      {"i", &O::i},     {"l", &O::l},     {"m", &O::m},     {"n", &O::n},     {"o", &O::o},
      {"p", &O::p},     {"r", &O::r},     {"s", &O::s},     {"t", &O::t},     {"u", &O::u},
      {"x", &O::x},     {"y", &O::y},     {"z", &O::z},     {"jc", &O::jc},   {"jd", &O::jd},
      {"je", &O::je},   {"jf", &O::jf},   {"jh", &O::jh},   {"ji", &O::ji},   {"jm", &O::jm},
      {"jn", &O::jn},   {"jp", &O::jp},   {"jr", &O::jr},   {"jsb", &O::jsb}, {"jsc", &O::jsc},
      {"jsd", &O::jsd}, {"jse", &O::jse}, {"jsf", &O::jsf}, {"jsl", &O::jsl}, {"jso", &O::jso},
      {"jss", &O::jss}, {"jst", &O::jst}, {"jsv", &O::jsv}, {"jsz", &O::jsz}, {"jw", &O::jw},
      {"jyc", &O::jyc}, {"jyd", &O::jyd}, {"jyk", &O::jyk}, {"jyn", &O::jyn}, {"jyo", &O::jyo},
      {"ga", &O::ga},   {"gd", &O::gd},   {"ge", &O::ge},   {"gf", &O::gf},   {"gj", &O::gj},
      {"gm", &O::gm},   {"gn", &O::gn},   {"go", &O::go},   {"gp", &O::gp},   {"gs", &O::gs},
      {"gu", &O::gu},   {"gw", &O::gw},
  };
  return kSwitches;
}

Shortint* TArchiverOptions::FindSwitch(std::string_view name) {
  for (const NumericSwitch& s : NumericSwitches()) {
    if (name == s.name) return &(this->*s.field);
  }
  return nullptr;
}

ESfxNoRequiredFile::ESfxNoRequiredFile(const std::string& format, const std::string& file,
                                       const std::string& platform)
    : EArchiver(format + SJ(" 書庫からの") + platform + SJ("自己解凍書庫の作成には '") + file +
                SJ("' ファイルが必要です。")),
      format(format),
      file(file),
      platform(platform) {}

void CopyNameField(char* field, size_t size, std::string_view text) {
  if (size == 0) return;
  size_t end = 0;
  while (end < text.size()) {
    const size_t len =
        IsSjisLead(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
    if (end + len > size - 1) break;
    end += len;
  }
  std::memcpy(field, text.data(), end);
  field[end] = '\0';
}

void AppendLittleEndian(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

namespace {
constexpr int64_t kFileTimeEpochOffset = 11644473600LL;  // seconds from 1601 to 1970
}

uint64_t UnixTimeToFileTime(int64_t seconds, long nanoseconds) {
  if (seconds < -kFileTimeEpochOffset) return 0;
  return static_cast<uint64_t>(seconds + kFileTimeEpochOffset) * 10000000ULL +
         static_cast<uint64_t>(nanoseconds / 100);
}

int64_t FileTimeToUnixTime(uint64_t fileTime) {
  return static_cast<int64_t>(fileTime / 10000000ULL) - kFileTimeEpochOffset;
}

void UnixTimeToDosDateTime(int64_t seconds, uint16_t& date, uint16_t& time) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm tm {};
  localtime_r(&t, &tm);
  const int year = std::clamp(tm.tm_year + 1900, 1980, 2107);
  date = static_cast<uint16_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  time = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

int64_t DosDateTimeToUnixTime(uint16_t date, uint16_t time) {
  struct tm tm {};
  tm.tm_year = (date >> 9) + 80;
  tm.tm_mon = ((date >> 5) & 15) - 1;
  tm.tm_mday = date & 31;
  tm.tm_hour = time >> 11;
  tm.tm_min = (time >> 5) & 63;
  tm.tm_sec = (time & 31) * 2;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&tm));
}

}  // namespace nura
