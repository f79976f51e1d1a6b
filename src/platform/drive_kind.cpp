#include "platform/drive_kind.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace nura {
namespace {

// A mount-table field with its octal escapes ("\040" for a blank) decoded.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const bool escape = field[i] == '\\' && i + 3 < field.size() &&
                        field.find_first_not_of("01234567", i + 1) >= i + 4;
    if (escape) {
      out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// True when `path` lies on the mount point `mount` (or is it).
bool Under(const std::string& path, const std::string& mount) {
  if (mount == "/") return true;
  return path.compare(0, mount.size(), mount) == 0 &&
         (path.size() == mount.size() || path[mount.size()] == '/');
}

bool RemovableDevice(const std::string& device) {
  if (device.rfind("/dev/", 0) != 0) return false;
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(device, ec);
  if (ec) return false;
  const std::filesystem::path block =
      std::filesystem::canonical("/sys/class/block/" + real.filename().string(), ec);
  if (ec) return false;
  // A partition's own folder has no "removable"; its disk's folder has.
  for (const auto& folder : {block, block.parent_path()}) {
    std::ifstream flag(folder / "removable");
    int value = 0;
    if (flag >> value) return value == 1;
  }
  return false;
}

}  // namespace

TDriveKind DriveKindOfMount(const std::string& fileSystem, const std::string& device) {
  static const std::set<std::string> kRam = {"tmpfs", "ramfs"};
  static const std::set<std::string> kCd = {"iso9660", "udf"};
  static const std::set<std::string> kRemote = {"nfs",   "nfs4",  "cifs",       "smb3",
                                                "smbfs", "sshfs", "fuse.sshfs", "9p",
                                                "afs",   "ncpfs", "davfs",      "fuse.davfs"};
  if (kRam.count(fileSystem)) return TDriveKind::RamDisk;
  if (kCd.count(fileSystem)) return TDriveKind::CdRom;
  if (kRemote.count(fileSystem)) return TDriveKind::Remote;
  if (RemovableDevice(device)) return TDriveKind::Removable;
  return TDriveKind::Fixed;
}

TDriveKind DriveKindOf(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return TDriveKind::Missing;
  const std::string real = std::filesystem::canonical(path, ec).string();
  if (ec) return TDriveKind::Missing;
  std::ifstream mounts("/proc/self/mounts");
  std::string line, best, bestType, bestDevice;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, mount, type;
    if (!(fields >> device >> mount >> type)) continue;
    mount = Unescape(mount);
    // The longest mount point wins; a later mount over the same point too.
    if (Under(real, mount) && mount.size() >= best.size()) {
      best = mount;
      bestType = type;
      bestDevice = Unescape(device);
    }
  }
  if (best.empty()) return TDriveKind::Unknown;
  return DriveKindOfMount(bestType, bestDevice);
}

}  // namespace nura
