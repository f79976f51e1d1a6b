// A private folder (mode 0700) in the temporary folder, made with a unique
// name and removed with everything in it when the object goes: where
// archives are staged before their files move to their destination.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/system_info.h"

namespace nura {

class TPrivateFolder {
 public:
  // `stem` starts the folder's name; Path() is empty when it cannot be made.
  explicit TPrivateFolder(const std::string& stem) {
    std::string pattern = SystemFolderPath(SystemFolder::Temp);
    while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
    pattern += "/" + stem + "-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TPrivateFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace nura
