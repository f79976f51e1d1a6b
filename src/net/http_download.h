// Downloading one URL into a file over HTTP or HTTPS (libcurl): redirects
// are followed up to a limit, a proxy comes from the environment, a status
// of 400 or more is a failure, and the file appears only when the whole
// body has arrived and been written.
#pragma once

#include <string>

namespace nura {

class TqvlHttp {
 public:
  static constexpr long kMaxRedirects = 10;
  // The longest a whole download may take.
  static constexpr long kMaxDownloadSeconds = 3600;
  // True when the body of `url` is in the file `nativeFile` (replacing an
  // existing one); false on any failure, the old file then unchanged.
  bool Download(const std::string& url, const std::string& nativeFile);
  // libcurl's text for the last failure (ASCII).
  const std::string& LastError() const { return error_; }

 private:
  std::string error_;
};

}  // namespace nura
