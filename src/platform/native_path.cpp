#include "platform/native_path.h"

#include <algorithm>

#include "platform/sjis.h"

namespace nura {

std::string ScriptPathToNative(std::string_view sjisPath) {
  std::string path = SjisToUtf8(sjisPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive) path.erase(0, 2);
  return path;
}

std::string NativePathToScript(std::string_view nativePath) { return Utf8ToSjis(nativePath); }

}  // namespace nura
