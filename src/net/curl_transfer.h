// The libcurl easy handle shared by the SMTP sender and the HTTP download:
// global set-up once, an error buffer, time limits that keep a dead peer
// from hanging the program.
#pragma once

#include <curl/curl.h>

#include <string>

namespace nura {

class TCurlTransfer {
 public:
  // Connect within 20 seconds; a transfer slower than 1 byte per second
  // for 60 seconds fails.
  TCurlTransfer();
  ~TCurlTransfer();
  TCurlTransfer(const TCurlTransfer&) = delete;
  TCurlTransfer& operator=(const TCurlTransfer&) = delete;

  CURL* Handle() const { return handle_; }
  // Runs the transfer; the libcurl message of a failure (ASCII) in `message`.
  CURLcode Perform(std::string& message);

 private:
  CURL* handle_;
  char error_[CURL_ERROR_SIZE] = {};
};

// A host name or numeric address that may stand in a URL ("[...]" around
// an IPv6 address); empty when the text holds characters no host has.
std::string UrlHost(const std::string& host);

}  // namespace nura
