#include "net/http_download.h"

#include "net/curl_transfer.h"
#include "platform/file_io.h"

namespace nura {
namespace {

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* file = static_cast<TAtomicFileWriter*>(user);
  // A short count makes libcurl end the transfer with a write error.
  return file->Write(std::string_view(data, size * count)) ? size * count : 0;
}

}  // namespace

bool TqvlHttp::Download(const std::string& url, const std::string& nativeFile) {
  error_.clear();
  // The file takes its name only when the transfer is complete; a failed
  // or stopped one leaves nothing behind.
  TAtomicFileWriter file(nativeFile);
  if (!file.Open()) {
    error_ = "cannot create the file";
    return false;
  }
  TCurlTransfer transfer;
  CURL* curl = transfer.Handle();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "HTTP");
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &file);
  if (transfer.Perform(error_) != CURLE_OK) return false;
  if (!file.Commit()) {
    error_ = "cannot write the file";
    return false;
  }
  return true;
}

}  // namespace nura
