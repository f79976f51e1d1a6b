// What kind of storage holds a path, for the drive-type command.
#pragma once

#include <string>

namespace nura {

enum class TDriveKind { Missing, Removable, Fixed, Remote, CdRom, RamDisk, Unknown };

// The kind of the mounted file system under `path` (native), found in
// /proc/self/mounts: tmpfs and ramfs are RAM disks, iso9660 and udf
// CD-ROMs, network file systems remote, a block device that reports itself
// removable removable, any other device fixed. A path that does not exist
// is missing.
TDriveKind DriveKindOf(const std::string& path);

// The file-system type and the device of a mount table line's fields, as
// a kind (the device's removable flag read from /sys/class/block).
TDriveKind DriveKindOfMount(const std::string& fileSystem, const std::string& device);

}  // namespace nura
