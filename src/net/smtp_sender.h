// Sending one composed message through SMTP with libcurl (no
// authentication, no TLS).
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nura {

// A failed send; `DuringConnect` tells a connection that never came about
// from a failure while talking to the server. what() is libcurl's message.
class ESmtpError : public std::runtime_error {
 public:
  ESmtpError(bool duringConnect, const std::string& message)
      : std::runtime_error(message), duringConnect_(duringConnect) {}
  bool DuringConnect() const { return duringConnect_; }

 private:
  bool duringConnect_;
};

struct TSmtpJob {
  std::string host;
  int port = 25;
  std::string sender;                   // envelope sender address, may be empty
  std::vector<std::string> recipients;  // envelope recipient addresses
  std::string message;                  // CR LF text; leading dots are escaped here
  std::function<void()> onConnected;    // called once the server has been reached
};

void SendSmtpMail(const TSmtpJob& job);

}  // namespace nura
