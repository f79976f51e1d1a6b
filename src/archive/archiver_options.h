// What the archiver layer shares: the archive types, the switch set in the
// LHA notation (TArchiverOptions), the layer's exceptions, the records that
// the archiver libraries fill, and the result codes of the common archiver
// interface that this run-time uses.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

enum class TArchiverType {
  atLha, atZip, atCab, atArj, atTar, atTgz, atBZ2, atRar, atBga, atYz1, atGCA, atBel, at7z,
  atNone, atAutoDetect
};

// The type by the name's extension (letter case ignored); ".exe" gives
// atAutoDetect (decided by content), an unknown extension atNone.
TArchiverType DetectArchiveTypeByName(std::string_view name);

enum class TPackFilter { pfArchiver, pfComponent };
enum TResFileUse : unsigned { ruOnPack = 1, ruOnUnpack = 2, ruOnRemoveItem = 4, ruOnUpdate = 8 };

// Result codes of the common archiver interface.
enum : int {
  kArcOk = 0,
  kArcErrorFileOpen = 0x800D,       // a file to pack cannot be read
  kArcErrorMakeDirectory = 0x8012,
  kArcErrorCannotWrite = 0x8013,
  kArcErrorArcFileOpen = 0x8018,
  kArcErrorNotArcFile = 0x8019,
  kArcErrorCommandName = 0x801C,
  kArcErrorUserCancel = 0x8020,     // 32800: the user cancelled
  kArcErrorNotSupport = 0x8023,
  kArcErrorNotFindArcFile = 0x8029,
  kArcErrorNotFileName = 0x802B,    // a member name that would leave the folder
  kArcErrorBrokenData = 0x8048,
};

// A switch that is not set holds -1 and is left out of the command line.
using Shortint = int8_t;
constexpr Shortint kUnset = -1;

struct TArchiverOptions {
  Shortint a = kUnset, c = kUnset, e = kUnset, f = kUnset, h = kUnset, i = kUnset, l = kUnset,
           m = kUnset, n = kUnset, o = kUnset, p = kUnset, r = kUnset, s = kUnset, t = kUnset,
           u = kUnset;
  std::string w;  // work folder
  Shortint x = kUnset, y = kUnset, z = kUnset, jc = kUnset, jd = kUnset, je = kUnset,
           jf = kUnset, jh = kUnset, ji = kUnset, jm = kUnset, jn = kUnset;
  std::string jo, job;  // date window
  Shortint jp = kUnset, jr = kUnset, jsb = kUnset, jsc = kUnset, jsd = kUnset, jse = kUnset,
           jsf = kUnset, jsl = kUnset, jso = kUnset, jss = kUnset, jst = kUnset, jsv = kUnset,
           jsz = kUnset, jw = kUnset;
  std::vector<std::string> jx;  // exclusion patterns
  Shortint jyc = kUnset, jyd = kUnset, jyk = kUnset, jyn = kUnset, jyo = kUnset;
  std::string jz;
  Shortint ga = kUnset, gd = kUnset, ge = kUnset, gf = kUnset, gj = kUnset, gm = kUnset,
           gn = kUnset, go = kUnset, gp = kUnset;
  std::string gr;
  Shortint gs = kUnset, gu = kUnset, gw = kUnset;
  std::string UserOptions;
  std::string UserFileList;
  TPackFilter PackFilter = TPackFilter::pfComponent;
  std::string ResFileName;
  unsigned ResFileUsage = ruOnPack | ruOnUnpack | ruOnRemoveItem;

  // Copies every property but ResFileUsage.
  void AssignTo(TArchiverOptions& target) const;

  // The numeric switches by name, in declaration order.
  struct NumericSwitch {
    const char* name;
    Shortint TArchiverOptions::*field;
  };
  static const std::vector<NumericSwitch>& NumericSwitches();
  // The switch of that exact name; nullptr when there is none.
  Shortint* FindSwitch(std::string_view name);
};

// Errors of the archiver layer; messages are Shift-JIS.
class EArchiver : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class ENoArchiverDLL : public EArchiver {
 public:
  using EArchiver::EArchiver;
};
class EEntryNotFound : public EArchiver {
 public:
  using EArchiver::EArchiver;
};
class ESfxNoRequiredFile : public EArchiver {
 public:
  ESfxNoRequiredFile(const std::string& format, const std::string& file,
                     const std::string& platform = "");
  std::string format, file, platform;
};

// The extracting-info record of a progress message.
#pragma pack(push, 1)
struct TExtractingInfo {
  uint32_t dwFileSize = 0;
  uint32_t dwWriteSize = 0;
  char szSourceFileName[513] = {};
  char dummy1[3] = {};
  char szDestFileName[513] = {};
  char dummy[3] = {};
};

// The entry record of the listing operations.
struct TIndividualInfo {
  uint32_t dwOriginalSize;
  uint32_t dwCompressedSize;
  uint32_t dwCRC;
  uint32_t uFlag;
  uint32_t uOSType;
  uint16_t wRatio;
  uint16_t wDate;
  uint16_t wTime;
  char szFileName[513];
  char dummy1[3];
  char szAttribute[8];
  char szMode[8];
  uint64_t ftLastWriteTime;
  uint64_t ftLastAccessTime;
  uint64_t ftCreationTime;
  uint64_t llOriginalSize;
  uint64_t llCompressedSize;
};
#pragma pack(pop)
static_assert(sizeof(TIndividualInfo) == 598);

// Copies `text` into a zero-terminated field of `size` bytes, cut on a
// Shift-JIS character boundary.
void CopyNameField(char* field, size_t size, std::string_view text);

// Progress states of the common archiver interface.
enum : int {
  kArcExtractBegin = 0, kArcExtractInProcess = 1, kArcExtractEnd = 2, kArcExtractOpen = 3,
  kArcExtractCopy = 4, kArcPackListAdd = 2053
};

// What a registered owner window receives during an operation: true from
// Notify asks the library to stop.
class TArchiverProgressSink {
 public:
  virtual ~TArchiverProgressSink() = default;
  virtual bool Notify(int state, TExtractingInfo& info) = 0;
};

// The low `bytes` bytes of `value`, least significant first.
void AppendLittleEndian(std::string& out, uint64_t value, int bytes);

// FILETIME (100 ns since 1601) and DOS date/time conversions.
uint64_t UnixTimeToFileTime(int64_t seconds, long nanoseconds = 0);
int64_t FileTimeToUnixTime(uint64_t fileTime);
void UnixTimeToDosDateTime(int64_t seconds, uint16_t& date, uint16_t& time);
int64_t DosDateTimeToUnixTime(uint16_t date, uint16_t time);

}  // namespace nura
