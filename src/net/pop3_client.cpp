#include "net/pop3_client.h"

#include <cstdlib>

#include "platform/sjis.h"

namespace nura {
namespace {

// Lines longer than this are no mail line any more.
constexpr size_t kMaxLineBytes = size_t{16} << 20;

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

void TPop3Client::Connect(const std::string& host, int port) {
  connection_.Connect(host, port, kConnectTimeoutMs, waiting_);
  ReadReply();
}

std::string TPop3Client::ReadReply() {
  const std::string line = connection_.ReadLine(waiting_);
  if (line.starts_with("+OK")) return line.size() > 4 ? line.substr(4) : "";
  const std::string text = line.starts_with("-ERR") ? line.substr(std::min<size_t>(line.size(), 5)) : line;
  throw ENetError(text.empty() ? SJ("サーバーがエラーを返しました。") : text);
}

std::string TPop3Client::Command(const std::string& command) {
  connection_.SendAll(command + "\r\n", waiting_);
  return ReadReply();
}

void TPop3Client::Login(const std::string& user, const std::string& password) {
  if (HasLineBreak(user) || HasLineBreak(password)) {
    throw ENetError(SJ("ユーザーIDかパスワードに改行があります。"));
  }
  Command("USER " + user);
  Command("PASS " + password);
}

int TPop3Client::Stat() {
  const std::string reply = Command("STAT");
  const long count = std::strtol(reply.c_str(), nullptr, 10);
  if (count < 0 || count > 1000000) throw ENetError(SJ("サーバーの応答が不正です。"));
  return static_cast<int>(count);
}

std::string TPop3Client::Retrieve(int number) {
  Command("RETR " + std::to_string(number));
  std::string message;
  for (;;) {
    std::string line = connection_.ReadLine(waiting_, kMaxLineBytes);
    if (line == ".") return message;
    if (line.starts_with('.')) line.erase(0, 1);  // dot-stuffing
    if (message.size() + line.size() + 2 > maxMessageBytes_) {
      connection_.Close();
      throw ENetError(SJ("メールが大きすぎます。"));
    }
    message += line;
    message += "\r\n";
  }
}

void TPop3Client::Delete(int number) { Command("DELE " + std::to_string(number)); }

void TPop3Client::Quit() {
  Command("QUIT");
  connection_.Close();
}

}  // namespace nura
