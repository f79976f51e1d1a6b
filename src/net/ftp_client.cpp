#include "net/ftp_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include "engine/sjis_text.h"
#include "platform/file_io.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr size_t kBlockBytes = 64 * 1024;
// A listing longer than this is cut (the listing commands never fail).
constexpr size_t kMaxListingBytes = size_t{64} << 20;
// How long the replies to ABOR are awaited.
constexpr int kAbortReplyMs = 5000;
// How long a possible second reply after an ABOR is awaited.
constexpr int kLateReplyMs = 500;

[[noreturn]] void Raise(const char* utf8) { throw ENetError(SJ(utf8)); }

bool IsDigits3(const std::string& line) {
  return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
         std::isdigit(static_cast<unsigned char>(line[1])) &&
         std::isdigit(static_cast<unsigned char>(line[2]));
}

// The port of a PASV reply "227 ... (h1,h2,h3,h4,p1,p2)" or an EPSV reply
// "229 ... (|||port|)"; 0 when it holds none.
int PassivePort(const std::string& text) {
  const size_t open = text.find('(');
  if (open == std::string::npos) return 0;
  unsigned h[4], p1, p2, port;
  if (std::sscanf(text.c_str() + open, "(%u,%u,%u,%u,%u,%u)", &h[0], &h[1], &h[2], &h[3], &p1, &p2) == 6) {
    return p1 < 256 && p2 < 256 ? static_cast<int>(p1 * 256 + p2) : 0;
  }
  if (std::sscanf(text.c_str() + open, "(|||%u|)", &port) == 1) return port < 65536 ? static_cast<int>(port) : 0;
  return 0;
}

std::vector<std::string> SplitListing(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

class TLocalFile {
 public:
  explicit TLocalFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~TLocalFile() {
    if (fd_ >= 0) close(fd_);
  }
  bool IsOpen() const { return fd_ >= 0; }
  int64_t Size() const {
    struct stat st{};
    return fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
  }
  // The next block; empty at the end. ENetError when reading fails.
  std::string Read() {
    std::string block(kBlockBytes, '\0');
    ssize_t n;
    do {
      n = read(fd_, block.data(), block.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) Raise("ファイルが読めません。");
    block.resize(static_cast<size_t>(n));
    return block;
  }

 private:
  int fd_;
};

}  // namespace

// The data connection of one transfer: connected before the command in
// passive mode, accepted after its preliminary reply in active mode.
class TFtpClient::TDataChannel {
 public:
  explicit TDataChannel(TFtpClient& client) : client_(client) {
    if (client.passive_) {
      const std::string peer = client.control_.PeerAddress();
      const bool v6 = peer.find(':') != std::string::npos;
      const TReply reply = client.Command(v6 ? "EPSV" : "PASV", "");
      const int port = PassivePort(reply.text);
      if (port == 0) Raise("データ接続のポートが不明です。");
      // The control connection's peer, never an address that the reply names.
      data_.Connect(peer, port, client.connectTimeoutMs_, client.waiting_);
    } else {
      const std::string local = client.control_.LocalAddress();
      listener_.Listen(local);
      const int port = listener_.Port();
      if (local.find(':') != std::string::npos) {
        client.Command("EPRT", "|2|" + local + "|" + std::to_string(port) + "|");
      } else {
        std::string address = local;
        for (char& c : address) c = c == '.' ? ',' : c;
        client.Command("PORT", address + "," + std::to_string(port / 256) + "," + std::to_string(port % 256));
      }
    }
  }
  // After the preliminary reply: the connection, accepted when active.
  TNetConnection& Open() {
    // Only the server's data connection: the control connection's peer.
    if (!data_.IsOpen()) data_ = listener_.Accept(client_.waiting_, client_.control_.PeerAddress());
    listener_.Close();
    return data_;
  }

 private:
  TFtpClient& client_;
  TNetListener listener_;
  TNetConnection data_;
};

TFtpClient::TReply TFtpClient::ReadReply(const TNetWaiting& waiting) {
  std::string line = control_.ReadLine(waiting);
  if (!IsDigits3(line)) Raise("サーバーの応答が不正です。");
  TReply reply;
  reply.code = std::stoi(line.substr(0, 3));
  if (line.size() > 3 && line[3] == '-') {
    const std::string end = line.substr(0, 3) + " ";
    do {
      line = control_.ReadLine(waiting);
    } while (!line.starts_with(end) && line != end.substr(0, 3));
  }
  reply.text = line;
  return reply;
}

void TFtpClient::Fail(const TReply& reply) {
  // The server's text without its code ("550 File exists." -> "File exists.").
  const std::string text = TrimText(reply.text.substr(std::min<size_t>(reply.text.size(), 4)));
  throw ENetError(text.empty() ? reply.text : text);
}

TFtpClient::TReply TFtpClient::Send(const std::string& verb, const std::string& argument) {
  if (argument.find_first_of("\r\n") != std::string::npos) Raise("名前に改行があります。");
  if (!control_.IsOpen()) Raise("接続されていません。");
  control_.SendAll(argument.empty() ? verb + "\r\n" : verb + " " + argument + "\r\n", waiting_);
  return ReadReply(waiting_);
}

TFtpClient::TReply TFtpClient::Command(const std::string& verb, const std::string& argument,
                                       char expected) {
  const TReply reply = Send(verb, argument);
  if (reply.code / 100 != expected - '0') Fail(reply);
  return reply;
}

void TFtpClient::Connect(const std::string& host, int port, const std::string& user,
                         const std::string& password, bool passive) {
  Disconnect();
  passive_ = passive;
  // The whole login shares the connect time limit.
  TNetWaiting limited = waiting_;
  limited.idleTimeoutMs = connectTimeoutMs_;
  try {
    control_.Connect(host, port, connectTimeoutMs_, limited);
    TReply reply = ReadReply(limited);
    while (reply.code / 100 == 1) reply = ReadReply(limited);
    if (reply.code / 100 != 2) Fail(reply);
    if (user.find_first_of("\r\n") != std::string::npos ||
        password.find_first_of("\r\n") != std::string::npos) {
      Raise("名前に改行があります。");
    }
    control_.SendAll("USER " + user + "\r\n", limited);
    reply = ReadReply(limited);
    if (reply.code / 100 == 3) {
      control_.SendAll("PASS " + password + "\r\n", limited);
      reply = ReadReply(limited);
    }
    if (reply.code / 100 != 2) Fail(reply);
    SetBinary(binary_);
  } catch (...) {
    control_.Close();
    throw;
  }
}

void TFtpClient::Disconnect() {
  if (control_.IsOpen()) {
    TNetWaiting brief = waiting_;
    brief.idleTimeoutMs = kAbortReplyMs;
    try {
      control_.SendAll("QUIT\r\n", brief);
      ReadReply(brief);
    } catch (const ENetError&) {
      // The server may already have gone; the connection closes anyway.
    }
  }
  control_.Close();
}

void TFtpClient::SetBinary(bool binary) {
  binary_ = binary;
  if (control_.IsOpen()) Command("TYPE", binary ? "I" : "A");
}

void TFtpClient::ChangeFolder(const std::string& folder) { Command("CWD", folder); }
void TFtpClient::ParentFolder() { Command("CDUP", ""); }
void TFtpClient::MakeFolder(const std::string& name) { Command("MKD", name); }
void TFtpClient::RemoveFolder(const std::string& name) { Command("RMD", name); }
void TFtpClient::DeleteFile(const std::string& name) { Command("DELE", name); }
void TFtpClient::Site(const std::string& command) { Command("SITE", command); }

void TFtpClient::EndAbortedTransfer(TNetConnection& data) {
  TNetWaiting brief = waiting_;
  brief.idleTimeoutMs = kAbortReplyMs;
  try {
    control_.SendAll("ABOR\r\n", brief);
    data.Close();
    // A broken transfer is answered "426" and then the ABOR "226". A
    // transfer that had ended gave its own final reply before the ABOR's:
    // a second reply may follow the first, and it must not be left for
    // the next command to read.
    const TReply first = ReadReply(brief);
    if (first.code / 100 == 4) {
      ReadReply(brief);
      return;
    }
    brief.idleTimeoutMs = kLateReplyMs;
    try {
      ReadReply(brief);
    } catch (const ENetError&) {
      // No second reply: the first one answered the ABOR.
    }
  } catch (const ENetError&) {
    control_.Close();  // a server that does not answer is left for good
  }
}

void TFtpClient::Transfer(const std::string& verb, const std::string& argument,
                          const std::function<void(TNetConnection&, const TNetWaiting&)>& exchange) {
  if (argument.find_first_of("\r\n") != std::string::npos) Raise("名前に改行があります。");
  abortRequested_ = false;
  TDataChannel channel(*this);
  const TReply preliminary = Send(verb, argument);
  if (preliminary.code / 100 != 1) Fail(preliminary);
  TNetWaiting stoppable = waiting_;
  stoppable.stopped = [this] { return abortRequested_; };
  TNetConnection* data = nullptr;
  try {
    data = &channel.Open();
    exchange(*data, stoppable);
    data->Close();
  } catch (const ENetError&) {
    if (abortRequested_) {
      abortRequested_ = false;
      TNetConnection none;
      EndAbortedTransfer(data ? *data : none);
      Raise("転送を中止しました。");
    }
    if (data) data->Close();
    try {
      ReadReply(waiting_);
    } catch (const ENetError&) {
      control_.Close();
    }
    throw;
  }
  const TReply done = ReadReply(waiting_);
  if (done.code / 100 != 2) Fail(done);
}

std::vector<std::string> TFtpClient::ReadListing(const std::string& verb, const std::string& argument) {
  std::string bytes;
  Transfer(verb, argument, [&bytes](TNetConnection& data, const TNetWaiting& waiting) {
    for (std::string block; !(block = data.ReadSome(waiting)).empty();) {
      if (bytes.size() < kMaxListingBytes) bytes += block;
    }
  });
  return SplitListing(bytes);
}

std::vector<std::string> TFtpClient::NameList(const std::string& argument) {
  return ReadListing("NLST", argument);
}

std::vector<std::string> TFtpClient::List(const std::string& argument) {
  return ReadListing("LIST", argument);
}

int64_t TFtpClient::RemoteSize(const std::string& name) {
  if (!binary_) return -1;  // servers refuse SIZE in ASCII mode
  const TReply reply = Send("SIZE", name);
  if (reply.code != 213) return -1;
  long long size = -1;
  return std::sscanf(reply.text.c_str() + 3, "%lld", &size) == 1 && size >= 0 ? size : -1;
}

void TFtpClient::Store(const std::string& nativeLocal, const std::string& remoteName,
                       const Progress& progress) {
  TLocalFile file(nativeLocal);
  const int64_t total = file.Size();
  if (!file.IsOpen() || total < 0) Raise("ファイルが読めません。");
  Transfer("STOR", remoteName, [&](TNetConnection& data, const TNetWaiting& waiting) {
    int64_t done = 0;
    if (progress) progress(0, total);
    for (std::string block; !(block = file.Read()).empty();) {
      data.SendAll(block, waiting);
      done += static_cast<int64_t>(block.size());
      if (progress) progress(done, total);
      if (waiting.stopped()) Raise("中止しました。");
    }
  });
}

void TFtpClient::Retrieve(const std::string& remoteName, const std::string& nativeLocal,
                          const Progress& progress) {
  struct stat st{};
  if (lstat(nativeLocal.c_str(), &st) == 0) Raise("ファイルが既にあります。");
  if (remoteName.find_first_of("\r\n") != std::string::npos) Raise("名前に改行があります。");
  const int64_t total = RemoteSize(remoteName);
  TAtomicFileWriter file(nativeLocal);
  if (!file.Open()) Raise("ファイルが作成できません。");
  Transfer("RETR", remoteName, [&](TNetConnection& data, const TNetWaiting& waiting) {
    int64_t done = 0;
    if (progress) progress(0, total);
    for (std::string block; !(block = data.ReadSome(waiting)).empty();) {
      if (!file.Write(block)) Raise("ファイルに書き込めません。");
      done += static_cast<int64_t>(block.size());
      if (progress) progress(done, total);
      if (waiting.stopped()) Raise("中止しました。");
    }
  });
  if (!file.Commit(false)) Raise("ファイルに書き込めません。");
}

}  // namespace nura
