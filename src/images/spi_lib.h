// TSpiLib32: the host of image-import plug-ins. It loads the "*.SPI"
// shared objects of a folder (see spi_plugin.h), tells whether one takes a
// file's extension, and decodes file images through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "images/spi_plugin.h"
#include "platform/gui/bitmap.h"

namespace nura {

struct TSpiPlugin {
  void* module = nullptr;
  std::string folder;
  std::string info[4];  // API version, description, extension patterns, file type name
  SpiGetPluginInfo GetPluginInfo = nullptr;
  SpiIsSupported IsSupported = nullptr;
  void* GetPictureInfo = nullptr;
  SpiGetPicture GetPicture = nullptr;
  void* GetPreview = nullptr;
  void* ConfigurationDlg = nullptr;
};

class TSpiLib32 {
 public:
  TSpiLib32() = default;
  ~TSpiLib32() { FreePlugins(); }
  TSpiLib32(const TSpiLib32&) = delete;
  TSpiLib32& operator=(const TSpiLib32&) = delete;

  std::string AFilter;  // archive plug-ins: never filled
  std::string PFilter;  // every picture plug-in's patterns, each followed by ";"
  std::vector<std::string> ArcPlugInList;
  std::vector<std::string> PicPlugInList;  // descriptions
  const std::vector<TSpiPlugin>& PicPlugIns() const { return pictures_; }

  // Loads every "*.SPI" file (any case) of a native folder ending in "/",
  // in name order; a file that does not load, lacks GetPluginInfo or
  // reports another API version than "00IN" is dropped silently.
  void LoadPlugins(const std::string& folder);
  void FreePlugins();
  // True when a plug-in's patterns name the extension of `fileName`.
  bool ExtensionSupported(const std::string& fileName) const;
  // Reads a native file and decodes it (as Decode).
  bool LoadFromFile(const std::string& nativePath, TBitmap& bitmap);
  // Decodes through the first plug-in that accepts the data; false when
  // none does. A failed or malformed decode raises EInvalidGraphic.
  bool Decode(const uint8_t* data, size_t length, TBitmap& bitmap);

 private:
  bool LoadPlugin(const std::string& path, const std::string& folder);
  std::vector<TSpiPlugin> pictures_;
};

// Information text `number` of a plug-in, always ended inside its buffer.
std::string PluginInfoText(SpiGetPluginInfo getInfo, int number);

}  // namespace nura
