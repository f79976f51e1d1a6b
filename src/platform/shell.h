// The file operations that Windows leaves to its shell, on Linux: copying,
// moving and deleting whole trees, the XDG trash in place of the recycle
// bin, link files (.desktop) in place of shortcuts, and the Windows file
// attribute bits read from and written to the permission bits. Paths are
// native UTF-8; every function reports failure by its result.
#pragma once

#include <cstdint>
#include <string>

namespace nura {

// Copies a file or a folder tree. When `to` is an existing folder the copy
// goes inside it under the source's name; an existing file is replaced.
// Symbolic links are copied as links, never followed.
bool CopyPath(const std::string& from, const std::string& to);
// True when `from` is a folder and CopyPath(from, to) would put the copy
// inside `from` itself (a copy that would grow without end; CopyPath
// refuses it).
bool CopyNestsInItself(const std::string& from, const std::string& to);
// True when `inner` is `outer` or lies below it, compared as absolute
// canonical paths (the parts that do not exist yet taken as written).
bool IsSameOrBelow(const std::string& outer, const std::string& inner);

// Moves a file or a folder: a rename on one file system, else a copy and
// a delete. The same rule for an existing folder as CopyPath.
bool MovePath(const std::string& from, const std::string& to);

// Renames without replacing: false when `to` exists already.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Deletes a file, a link or a whole folder tree for good. A link to a
// folder removes the link only.
bool RemovePath(const std::string& path);

// Moves a file or folder into the user's XDG trash with its .trashinfo
// record, under a free name.
bool MoveToTrash(const std::string& path);

// The show state of a launched shortcut.
enum class LinkShowState { Normal, Minimized, Maximized };

// Writes a desktop entry at `linkFile`: an application entry for an
// executable target (with its arguments and working folder), else a link
// entry to the file or folder.
bool WriteDesktopLink(const std::string& linkFile, const std::string& target,
                      const std::string& arguments, LinkShowState show,
                      const std::string& workingFolder);

// Windows attribute bits.
enum : int32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
};

// The attribute bits of a path: directory for folders, read-only when the
// owner may not write, hidden for names that begin with "."; a file with
// none of these is "archive". -1 when the path does not exist.
int32_t GetFileAttributeBits(const std::string& path);

// Applies the read-only bit to the owner's, group's and others' write
// permission; the other bits have no Linux meaning and are ignored.
bool SetFileAttributeBits(const std::string& path, int32_t bits);

// The path made absolute, then each component looked up in its folder: an
// exact name stays, else the first name equal but for ASCII case is taken,
// else the component stays as written.
std::string ExpandLongPathName(const std::string& path);

}  // namespace nura
