#include "net/curl_transfer.h"

#include <mutex>

namespace nura {

TCurlTransfer::TCurlTransfer() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  handle_ = curl_easy_init();
  if (!handle_) return;
  curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, error_);
  curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, 60L);
}

TCurlTransfer::~TCurlTransfer() {
  if (handle_) curl_easy_cleanup(handle_);
}

CURLcode TCurlTransfer::Perform(std::string& message) {
  if (!handle_) {
    message = "out of memory";
    return CURLE_OUT_OF_MEMORY;
  }
  error_[0] = '\0';
  const CURLcode code = curl_easy_perform(handle_);
  if (code != CURLE_OK) message = error_[0] ? error_ : curl_easy_strerror(code);
  return code;
}

std::string UrlHost(const std::string& host) {
  if (host.empty()) return "";
  bool colon = false;
  for (char c : host) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         c == '.' || c == '-' || c == '_' || c == ':';
    if (!allowed) return "";
    colon = colon || c == ':';
  }
  return colon ? "[" + host + "]" : host;
}

}  // namespace nura
