#include "images/spi_lib.h"

#include <dlfcn.h>
#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "support/file_command_support.h"
#include "engine/locale_map.h"
#include "images/dib_format.h"
#include "images/graphic_errors.h"
#include "platform/file_io.h"
#include "platform/sjis.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

constexpr size_t kHeadBytes = 2048;

// The two blocks a plug-in returns, freed on every path.
struct TPluginResult {
  void* info = nullptr;
  void* bits = nullptr;
  ~TPluginResult() {
    std::free(info);
    std::free(bits);
  }
};

bool IsPluginName(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
  return ext == ".SPI";
}

// The upper-case extension of the last part of a pattern or file name.
std::string UpperExtension(const std::string& name) { return ToUpperCase(ExtractExtension(name)); }

}  // namespace

std::string PluginInfoText(SpiGetPluginInfo getInfo, int number) {
  char buffer[256] = {};
  getInfo(number, buffer, 255);
  buffer[255] = 0;
  return buffer;
}

void TSpiLib32::LoadPlugins(const std::string& folder) {
  PFilter.clear();
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && IsPluginName(it->path())) names.push_back(it->path().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) LoadPlugin(name, folder);
  PicPlugInList.clear();
  for (const TSpiPlugin& plugin : pictures_) PicPlugInList.push_back(PluginInfoText(plugin.GetPluginInfo, 1));
}

bool TSpiLib32::LoadPlugin(const std::string& path, const std::string& folder) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return false;
  TSpiPlugin plugin;
  plugin.module = module;
  plugin.GetPluginInfo = reinterpret_cast<SpiGetPluginInfo>(dlsym(module, "GetPluginInfo"));
  if (!plugin.GetPluginInfo || PluginInfoText(plugin.GetPluginInfo, 0) != "00IN") {
    dlclose(module);
    return false;
  }
  for (int i = 0; i < 4; ++i) plugin.info[i] = PluginInfoText(plugin.GetPluginInfo, i);
  plugin.folder = folder;
  plugin.IsSupported = reinterpret_cast<SpiIsSupported>(dlsym(module, "IsSupported"));
  plugin.GetPictureInfo = dlsym(module, "GetPictureInfo");
  plugin.GetPicture = reinterpret_cast<SpiGetPicture>(dlsym(module, "GetPicture"));
  plugin.GetPreview = dlsym(module, "GetPreview");
  plugin.ConfigurationDlg = dlsym(module, "ConfigurationDlg");
  PFilter += plugin.info[2] + ";";
  pictures_.push_back(std::move(plugin));
  return true;
}

void TSpiLib32::FreePlugins() {
  for (TSpiPlugin& plugin : pictures_) dlclose(plugin.module);
  pictures_.clear();
  PicPlugInList.clear();
  ArcPlugInList.clear();
}

bool TSpiLib32::ExtensionSupported(const std::string& fileName) const {
  const std::string ext = UpperExtension(fileName);
  for (const TSpiPlugin& plugin : pictures_) {
    const std::string& patterns = plugin.info[2];
    for (size_t start = 0; start <= patterns.size();) {
      size_t end = patterns.find(';', start);
      if (end == std::string::npos) end = patterns.size();
      const std::string pattern = patterns.substr(start, end - start);
      if (!pattern.empty() && UpperExtension(pattern) == ext) return true;
      start = end + 1;
    }
  }
  return false;
}

bool TSpiLib32::LoadFromFile(const std::string& nativePath, TBitmap& bitmap) {
  std::string data;
  if (!ReadNativeFile(nativePath, data)) throw EInvalidGraphic(SJ("ファイルを読み込めません。"));
  return Decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), bitmap);
}

bool TSpiLib32::Decode(const uint8_t* data, size_t length, TBitmap& bitmap) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw EInvalidGraphic(SJ("画像が大きすぎます。"));
  }
  // Plug-ins may look at the first 2 KB whatever the file's length.
  std::vector<uint8_t> padded;
  const uint8_t* head = data;
  if (length < kHeadBytes) {
    padded.assign(kHeadBytes, 0);
    std::copy(data, data + length, padded.begin());
    head = padded.data();
  }
  const auto chosen = std::find_if(pictures_.begin(), pictures_.end(), [&](const TSpiPlugin& p) {
    return p.IsSupported && p.GetPicture && p.IsSupported(nullptr, head) != 0;
  });
  if (chosen == pictures_.end()) return false;
  TPluginResult result;
  chosen->GetPicture(head, static_cast<int32_t>(length), 1, &result.info, &result.bits, nullptr, 0);
  if (!result.info || !result.bits) throw EInvalidGraphic(SJ("プラグインが画像を返しませんでした。"));
  TDibOptions options;
  options.topDown = false;
  const TDibInfo dib =
      ReadDibInfo(static_cast<const uint8_t*>(result.info), malloc_usable_size(result.info), options);
  DecodeDibBits(dib, static_cast<const uint8_t*>(result.bits), malloc_usable_size(result.bits), bitmap);
  return true;
}

}  // namespace nura
