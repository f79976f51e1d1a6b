#include "net/smtp_sender.h"

#include <algorithm>
#include <cstring>

#include "net/curl_transfer.h"

namespace nura {
namespace {

struct TUpload {
  const std::string* message;
  size_t sent = 0;
  const TSmtpJob* job;
  bool connected = false;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<TUpload*>(user);
  const size_t n = std::min(size * count, upload->message->size() - upload->sent);
  std::memcpy(buffer, upload->message->data() + upload->sent, n);
  upload->sent += n;
  return n;
}

// Called by libcurl once the connection stands, before the first command.
int Connected(void* user, char*, char*, int, int) {
  auto* upload = static_cast<TUpload*>(user);
  upload->connected = true;
  if (upload->job->onConnected) upload->job->onConnected();
  return CURL_PREREQFUNC_OK;
}

}  // namespace

void SendSmtpMail(const TSmtpJob& job) {
  const std::string host = UrlHost(job.host);
  if (host.empty()) throw ESmtpError(true, "bad host name");
  TCurlTransfer transfer;
  TUpload upload{&job.message, 0, &job};
  std::vector<std::string> recipients;
  for (const std::string& r : job.recipients) recipients.push_back("<" + r + ">");
  const std::string url = "smtp://" + host + ":" + std::to_string(job.port);
  const std::string sender = "<" + job.sender + ">";
  transfer.Set(CURLOPT_URL, url.c_str());
  transfer.Set(CURLOPT_PROTOCOLS_STR, "smtp");
  transfer.Set(CURLOPT_MAIL_FROM, sender.c_str());
  transfer.SetList(CURLOPT_MAIL_RCPT, recipients);
  transfer.Set(CURLOPT_UPLOAD, 1L);
  transfer.Set(CURLOPT_READFUNCTION, ReadMessage);
  transfer.Set(CURLOPT_READDATA, &upload);
  transfer.Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(job.message.size()));
  transfer.Set(CURLOPT_PREREQFUNCTION, Connected);
  transfer.Set(CURLOPT_PREREQDATA, &upload);
  std::string message;
  const CURLcode code = transfer.Perform(message);
  if (code != CURLE_OK) throw ESmtpError(!upload.connected, message);
}

}  // namespace nura
