// Icons made from bitmaps, and ".ico" files in a fixed single-image
// layout: an 8-bit colour image with its 256-entry palette and a 1-bit
// mask, the directory entry as this program has always written it.
#pragma once

#include <string>

#include "platform/gui/bitmap.h"

namespace nura {

// An icon: a colour bitmap (24 bits) and a 1-bit mask of the same size,
// whose set bits mark transparent pixels (the colour there is black).
struct TIcon {
  TBitmap colour;
  TBitmap mask;
};

class TjvIcon {
 public:
  // The icon size of this host.
  static constexpr int kIconSize = 32;

  // The bitmap drawn at 0,0 on an icon-sized bitmap (cut, or filled with
  // the initial colour); the colour of its bottom-left pixel becomes
  // transparent.
  static TIcon BitmapToIcon(const TBitmap& bitmap);
  // Creates or overwrites `fileName` (a native path) with the icon.
  static void WriteIcon(const TIcon& icon, const std::string& fileName);
  static void SaveBitmapAsIcon(const TBitmap& bitmap, const std::string& fileName);
  // The same picture with a standard directory entry (colour count 0,
  // planes 1, bit count 8), as the icon class saves itself.
  static void SaveBitmapAsIconStandard(const TBitmap& bitmap, const std::string& fileName);
  // The ".ico" file of BitmapToIcon(bitmap), with the standard directory
  // entry or this program's own.
  static std::string IconBytes(const TBitmap& bitmap, bool standardEntry);
};

}  // namespace nura
