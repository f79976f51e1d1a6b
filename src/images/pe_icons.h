// Icons of Windows program and library files (.exe, .dll, .ocx, .cpl): the
// resource directory of the PE file is read with every offset checked, and
// an icon group (RT_GROUP_ICON) leads to its images (RT_ICON).
#pragma once

#include <cstddef>
#include <string>

#include "platform/gui/bitmap.h"

namespace nura {

// Whether the bytes start like a program file ("MZ").
bool LooksLikeProgramFile(const std::string& data);

// The number of icon groups of a program file; 0 when it has none.
// A damaged file raises EInvalidGraphic.
size_t PeIconCount(const std::string& data);

// The icon group `index` (from 0, in the order of the resource directory)
// drawn from its best image, as an icon file's image is drawn; false when
// the file has no such group. A damaged file raises EInvalidGraphic.
bool ReadPeIcon(const std::string& data, size_t index, TBitmap& out);

// The icon `index` of a file's bytes: a program file's icon group, or an
// icon file's image; false when there is no such icon. A damaged file
// raises EInvalidGraphic (or the PNG reader's error).
bool ReadFileIcon(const std::string& data, size_t index, TBitmap& out);

}  // namespace nura
