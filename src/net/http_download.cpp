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
  transfer.Set(CURLOPT_URL, url.c_str());
  transfer.Set(CURLOPT_PROTOCOLS_STR, "http,https");
  transfer.Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  transfer.Set(CURLOPT_FOLLOWLOCATION, 1L);
  transfer.Set(CURLOPT_MAXREDIRS, kMaxRedirects);
  transfer.Set(CURLOPT_USERAGENT, "HTTP");
  transfer.Set(CURLOPT_FAILONERROR, 1L);
  transfer.Set(CURLOPT_WRITEFUNCTION, WriteBody);
  transfer.Set(CURLOPT_WRITEDATA, &file);
  // A peer that sends a byte now and then is cut off after this time.
  transfer.Set(CURLOPT_TIMEOUT, kMaxDownloadSeconds);
  if (transfer.Perform(error_) == CURLE_WRITE_ERROR) error_ = std::string("cannot write the file: ") + error_;
  if (!error_.empty()) return false;
  if (!file.Commit()) {
    error_ = "cannot write the file";
    return false;
  }
  return true;
}

}  // namespace nura
