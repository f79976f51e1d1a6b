#include "images/pe_icons.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "images/graphic_errors.h"
#include "images/icon_reader.h"
#include "images/le_bytes.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr uint32_t kRtIcon = 3, kRtGroupIcon = 14;
constexpr uint32_t kHighBit = 0x80000000u;

[[noreturn]] void Damaged() { throw EInvalidGraphic(SJ("プログラムファイルの形式が正しくありません。")); }

// One entry of a resource directory.
struct TResourceEntry {
  bool named;
  uint32_t id;        // the numeric id, when not named
  bool directory;     // the target is another directory
  uint32_t offset;    // of the target, from the start of the resources
};

// A PE file's bytes, read only where every read is checked to lie inside.
class TPeFile {
 public:
  explicit TPeFile(const std::string& data)
      : p_(reinterpret_cast<const uint8_t*>(data.data())), size_(data.size()) {
    ReadHeaders();
  }

  bool HasResources() const { return resources_.has_value(); }

  // The entries of the directory at `offset` (from the resources' start).
  std::vector<TResourceEntry> Directory(uint32_t offset) const {
    const uint64_t at = Resource(offset, 16);
    const uint64_t count = U16(at + 12) + static_cast<uint64_t>(U16(at + 14));
    Need(at + 16, count * 8);
    std::vector<TResourceEntry> entries;
    for (uint64_t i = 0; i < count; ++i) {
      const uint32_t name = U32(at + 16 + 8 * i), target = U32(at + 20 + 8 * i);
      entries.push_back({(name & kHighBit) != 0, name & 0xFFFF, (target & kHighBit) != 0, target & ~kHighBit});
    }
    return entries;
  }

  // The subdirectory of the type `type` in the root; none when missing.
  std::optional<uint32_t> TypeDirectory(uint32_t type) const {
    for (const TResourceEntry& e : Directory(0)) {
      if (e.named || e.id != type) continue;
      if (!e.directory) Damaged();
      return e.offset;
    }
    return std::nullopt;
  }

  // The bytes of a resource named by its entry in a type directory: the
  // first language of its subdirectory.
  std::string Data(const TResourceEntry& entry) const {
    if (!entry.directory) Damaged();
    const std::vector<TResourceEntry> languages = Directory(entry.offset);
    if (languages.empty() || languages[0].directory) Damaged();
    const uint64_t at = Resource(languages[0].offset, 16);
    const uint32_t rva = U32(at), size = U32(at + 4);
    const uint64_t offset = FileOffset(rva, size);
    return std::string(reinterpret_cast<const char*>(p_ + offset), size);
  }

 private:
  void Need(uint64_t offset, uint64_t length) const {
    if (offset > size_ || length > size_ - offset) Damaged();
  }
  uint16_t U16(uint64_t offset) const {
    Need(offset, 2);
    return LeU16(p_, offset);
  }
  uint32_t U32(uint64_t offset) const {
    Need(offset, 4);
    return LeU32(p_, offset);
  }

  void ReadHeaders() {
    if (!(size_ >= 0x40 && p_[0] == 'M' && p_[1] == 'Z')) Damaged();
    const uint64_t pe = U32(0x3C);
    if (U32(pe) != 0x00004550u) Damaged();  // "PE\0\0"
    const uint64_t coff = pe + 4, optional = coff + 20;
    const uint16_t optionalSize = U16(coff + 16);
    sections_ = optional + optionalSize;
    sectionCount_ = U16(coff + 2);
    Need(sections_, sectionCount_ * 40ull);
    const uint16_t magic = U16(optional);
    if (magic != 0x10B && magic != 0x20B) Damaged();
    const uint64_t counts = optional + (magic == 0x10B ? 92 : 108);
    const uint64_t resourceEntry = counts + 4 + 2 * 8;
    if (U32(counts) < 3 || resourceEntry + 8 > sections_) return;
    const uint32_t rva = U32(resourceEntry);
    if (rva == 0) return;
    resources_ = FileOffset(rva, 16);
  }

  // The file offset of `length` bytes at the address `rva`, inside the
  // stored bytes of one section.
  uint64_t FileOffset(uint32_t rva, uint64_t length) const {
    for (uint64_t i = 0; i < sectionCount_; ++i) {
      const uint64_t s = sections_ + 40 * i;
      const uint32_t address = U32(s + 12), stored = U32(s + 16), start = U32(s + 20);
      if (rva < address || rva - address >= stored) continue;
      if (length > stored - (rva - address)) Damaged();
      const uint64_t offset = static_cast<uint64_t>(start) + (rva - address);
      Need(offset, length);
      return offset;
    }
    Damaged();
  }

  // The file offset of `length` bytes at `offset` into the resources.
  uint64_t Resource(uint32_t offset, uint64_t length) const {
    const uint64_t at = *resources_ + offset;
    Need(at, length);
    return at;
  }

  const uint8_t* p_;
  uint64_t size_;
  uint64_t sections_ = 0, sectionCount_ = 0;
  std::optional<uint64_t> resources_;
};

std::vector<TResourceEntry> IconGroups(const TPeFile& file) {
  if (!file.HasResources()) return {};
  const std::optional<uint32_t> groups = file.TypeDirectory(kRtGroupIcon);
  return groups ? file.Directory(*groups) : std::vector<TResourceEntry>();
}

// The image of the icon resource `id`.
std::string IconImage(const TPeFile& file, uint32_t id) {
  const std::optional<uint32_t> icons = file.TypeDirectory(kRtIcon);
  if (!icons) Damaged();
  for (const TResourceEntry& e : file.Directory(*icons)) {
    if (!e.named && e.id == id) return file.Data(e);
  }
  Damaged();
}

}  // namespace

bool LooksLikeProgramFile(const std::string& data) {
  return data.size() >= 2 && data[0] == 'M' && data[1] == 'Z';
}

size_t PeIconCount(const std::string& data) {
  const TPeFile file(data);
  return IconGroups(file).size();
}

bool ReadPeIcon(const std::string& data, size_t index, TBitmap& out) {
  const TPeFile file(data);
  const std::vector<TResourceEntry> groups = IconGroups(file);
  if (index >= groups.size()) return false;
  // The group: a 6-byte header and 14 bytes an image, each naming its
  // RT_ICON by id in its last two bytes.
  const std::string group = file.Data(groups[index]);
  const auto* g = reinterpret_cast<const uint8_t*>(group.data());
  if (group.size() < 6) Damaged();
  const size_t count = LeU16(g, 4);
  if (count == 0 || group.size() < 6 + 14 * count) Damaged();
  std::vector<TIconEntrySize> sizes;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = g + 6 + 14 * i;
    sizes.push_back({e[0], e[1], LeU16(e, 6)});
  }
  const std::string image = IconImage(file, LeU16(g + 6 + 14 * BestIconEntry(sizes), 12));
  ReadIconImage(reinterpret_cast<const uint8_t*>(image.data()), image.size(), out);
  return true;
}

bool ReadFileIcon(const std::string& data, size_t index, TBitmap& out) {
  if (LooksLikeProgramFile(data)) return ReadPeIcon(data, index, out);
  if (index >= IcoImageCount(data)) return false;
  ReadIcoImage(data, index, out);
  return true;
}

}  // namespace nura
