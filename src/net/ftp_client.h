// A small FTP client (RFC 959) with one control connection that lives from
// connect to disconnect: login, TYPE, PASV or PORT data connections, CWD,
// CDUP, MKD, RMD, DELE, SITE, NLST, LIST, STOR, RETR, ABOR and QUIT. Waits
// run the idle hook (the event queue); a stop request during a transfer
// sends ABOR and drops the data connection. Failures are ENetError.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/net_connection.h"

namespace nura {

class TFtpClient {
 public:
  static constexpr int kPort = 21;
  static constexpr int kConnectTimeoutMs = 20000;
  // Transfer progress: bytes done and the announced size (-1 when unknown).
  using Progress = std::function<void(int64_t done, int64_t total)>;

  explicit TFtpClient(TNetWaiting waiting) : waiting_(std::move(waiting)) {}

  // Connects, reads the greeting and logs in within the connect time limit,
  // then sets the transfer type.
  void Connect(const std::string& host, int port, const std::string& user,
               const std::string& password, bool passive);
  bool IsConnected() const { return control_.IsOpen(); }
  // QUIT when connected, then closes; never fails.
  void Disconnect();

  // Binary (TYPE I) or ASCII (TYPE A); sent at once when connected.
  void SetBinary(bool binary);
  bool Binary() const { return binary_; }

  void ChangeFolder(const std::string& folder);
  void ParentFolder();
  void MakeFolder(const std::string& name);
  void RemoveFolder(const std::string& name);
  void DeleteFile(const std::string& name);
  void Site(const std::string& command);
  // NLST with an optional argument; the returned lines.
  std::vector<std::string> NameList(const std::string& argument);
  // LIST with an optional argument; the returned lines.
  std::vector<std::string> List(const std::string& argument);
  // STOR of a local file under `remoteName`.
  void Store(const std::string& nativeLocal, const std::string& remoteName, const Progress& progress);
  // RETR of `remoteName` into a new local file. An existing local file is
  // neither overwritten nor resumed; the file appears only when complete.
  void Retrieve(const std::string& remoteName, const std::string& nativeLocal,
                const Progress& progress);

  // The stop button: the running transfer ends with ABOR.
  void RequestAbort() { abortRequested_ = true; }
  void SetConnectTimeout(int ms) { connectTimeoutMs_ = ms; }

 private:
  struct TReply {
    int code = 0;
    std::string text;  // the last line
  };
  class TDataChannel;

  TReply ReadReply(const TNetWaiting& waiting);
  // Sends "verb argument" and reads the reply; the argument must hold no
  // line break. ENetError unless the reply's first digit is `expected`.
  TReply Command(const std::string& verb, const std::string& argument, char expected = '2');
  TReply Send(const std::string& verb, const std::string& argument);
  [[noreturn]] void Fail(const TReply& reply);
  // Runs a transfer command over a data connection: `exchange` moves the
  // bytes; the final reply is checked.
  void Transfer(const std::string& verb, const std::string& argument,
                const std::function<void(TNetConnection&, const TNetWaiting&)>& exchange);
  std::vector<std::string> ReadListing(const std::string& verb, const std::string& argument);
  // The size the server gives for a file, -1 when unknown.
  int64_t RemoteSize(const std::string& name);
  void EndAbortedTransfer(TNetConnection& data);

  TNetWaiting waiting_;
  TNetConnection control_;
  bool passive_ = false;
  bool binary_ = true;
  bool abortRequested_ = false;
  int connectTimeoutMs_ = kConnectTimeoutMs;
};

}  // namespace nura
