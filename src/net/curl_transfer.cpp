#include "net/curl_transfer.h"

#include "platform/shared_library.h"

namespace nura {
namespace {

constexpr char kLibrary[] = "libcurl.so.4";

template <typename F>
bool Bind(const char* name, F& function) {
  std::string error;
  function = reinterpret_cast<F>(SharedLibrarySymbol(kLibrary, name, error));
  return function != nullptr;
}

TCurlApi LoadCurl(bool& loaded) {
  TCurlApi api{};
  loaded = Bind("curl_global_init", api.globalInit) && Bind("curl_easy_init", api.easyInit) &&
           Bind("curl_easy_setopt", api.easySetopt) && Bind("curl_easy_perform", api.easyPerform) &&
           Bind("curl_easy_cleanup", api.easyCleanup) && Bind("curl_easy_strerror", api.easyStrerror) &&
           Bind("curl_slist_append", api.slistAppend) && Bind("curl_slist_free_all", api.slistFreeAll);
  if (loaded) api.globalInit(CURL_GLOBAL_DEFAULT);
  return api;
}

}  // namespace

const TCurlApi* Curl() {
  static bool loaded = false;
  static const TCurlApi api = LoadCurl(loaded);
  return loaded ? &api : nullptr;
}

TCurlTransfer::TCurlTransfer() : api_(Curl()) {
  if (!api_) return;
  handle_ = api_->easyInit();
  Set(CURLOPT_ERRORBUFFER, error_);
  Set(CURLOPT_NOSIGNAL, 1L);
  Set(CURLOPT_CONNECTTIMEOUT, 20L);
  Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  Set(CURLOPT_LOW_SPEED_TIME, 60L);
}

TCurlTransfer::~TCurlTransfer() {
  if (handle_) api_->easyCleanup(handle_);
  for (curl_slist* list : lists_) api_->slistFreeAll(list);
}

void TCurlTransfer::SetList(CURLoption option, const std::vector<std::string>& items) {
  if (!handle_) return;
  curl_slist* list = nullptr;
  for (const std::string& item : items) {
    curl_slist* longer = api_->slistAppend(list, item.c_str());
    if (!longer) break;
    list = longer;
  }
  lists_.push_back(list);
  Set(option, list);
}

CURLcode TCurlTransfer::Perform(std::string& message) {
  if (!api_) {
    message = "libcurl (libcurl.so.4) cannot be loaded";
    return CURLE_FAILED_INIT;
  }
  if (!handle_) {
    message = "out of memory";
    return CURLE_OUT_OF_MEMORY;
  }
  error_[0] = '\0';
  const CURLcode code = api_->easyPerform(handle_);
  if (code != CURLE_OK) message = error_[0] ? error_ : api_->easyStrerror(code);
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
