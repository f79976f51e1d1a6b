// Loading, saving and resampling pictures. The codecs and the plug-in
// host live in the images subsystem, which the main window cannot link;
// images installs a factory here at start-up and the main window creates
// its codecs from it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/bitmap.h"

namespace nura {

class TPictureHost;

class TPictureCodecs {
 public:
  virtual ~TPictureCodecs() = default;
  // Loads the image-import plug-ins of a native folder (once, at start).
  virtual void LoadPlugins(const std::string& nativeFolder) = 0;
  // A picture by name: a file, "クリップボード" or an image object.
  virtual TBitmap LoadPicture(TPictureHost& window, const std::string& name) = 0;
  // Writes the picture of object `objectName` to `fileName` (or the
  // clipboard); `confirm` asks the security confirmation first.
  virtual void SavePicture(TPictureHost& window, const std::string& objectName,
                           const std::string& fileName, bool confirm) = 0;
  // Resizes `picture` to `width` x `height` (both at least 1) with the
  // high-quality resampler; false when the size is beyond what a picture
  // can hold.
  virtual bool StretchPicture(TBitmap& picture, int width, int height) = 0;
};

using PictureCodecsFactory = std::function<std::unique_ptr<TPictureCodecs>()>;

// Installs the factory that main windows created later use.
void SetPictureCodecsFactory(PictureCodecsFactory factory);
const PictureCodecsFactory& GetPictureCodecsFactory();

}  // namespace nura
