// The libcurl easy handle shared by the SMTP sender and the HTTP download:
// global set-up once, an error buffer, time limits that keep a dead peer
// from hanging the program. libcurl is loaded on the first transfer: with
// the TLS and authentication libraries it brings, it would otherwise be a
// good part of every start-up.
#pragma once

#include <curl/curl.h>

#include <string>
#include <vector>

namespace nura {

// The libcurl functions the program uses.
struct TCurlApi {
  CURLcode (*globalInit)(long flags);
  CURL* (*easyInit)();
  CURLcode (*easySetopt)(CURL* handle, CURLoption option, ...);
  CURLcode (*easyPerform)(CURL* handle);
  void (*easyCleanup)(CURL* handle);
  const char* (*easyStrerror)(CURLcode code);
  curl_slist* (*slistAppend)(curl_slist* list, const char* text);
  void (*slistFreeAll)(curl_slist* list);
};

// libcurl, loaded and set up on the first call; nullptr when it cannot be
// loaded.
const TCurlApi* Curl();

class TCurlTransfer {
 public:
  // Connect within 20 seconds; a transfer slower than 1 byte per second
  // for 60 seconds fails.
  TCurlTransfer();
  ~TCurlTransfer();
  TCurlTransfer(const TCurlTransfer&) = delete;
  TCurlTransfer& operator=(const TCurlTransfer&) = delete;

  // Sets an option of the handle (as curl_easy_setopt); nothing without one.
  template <typename T>
  void Set(CURLoption option, T value) {
    if (handle_) api_->easySetopt(handle_, option, value);
  }
  // Sets a list option; the transfer keeps the list.
  void SetList(CURLoption option, const std::vector<std::string>& items);
  // Runs the transfer; the libcurl message of a failure (ASCII) in `message`.
  CURLcode Perform(std::string& message);

 private:
  const TCurlApi* api_;
  CURL* handle_ = nullptr;
  std::vector<curl_slist*> lists_;
  char error_[CURL_ERROR_SIZE] = {};
};

// A host name or numeric address that may stand in a URL ("[...]" around
// an IPv6 address); empty when the text holds characters no host has.
std::string UrlHost(const std::string& host);

}  // namespace nura
