// The script's TCP client and TCP server: one of each, made on first use,
// driven by Qt's sockets on the GUI thread. Received text and new clients
// enter the labels that the script bound. While the client or the server
// exists it counts as an event source.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/script_events.h"

class QObject;
class QTcpServer;
class QTcpSocket;

namespace nura {

class TNuraEngine;

class TTcpSockets {
 public:
  TTcpSockets();
  ~TTcpSockets();
  TTcpSockets(const TTcpSockets&) = delete;
  TTcpSockets& operator=(const TTcpSockets&) = delete;

  // The engine that events enter (set by every command).
  void SetEngine(TNuraEngine* engine) { engine_ = engine; }

  // The state text shared by client and server (Shift-JIS).
  const std::string& State() const { return state_; }

  // ---- client ----
  // Closes a previous connection and starts connecting to `host` (a dotted
  // numeric address when it holds "." and begins with a digit, else a name
  // to look up, IPv4 only). The state becomes "接続準備中"; an address that
  // cannot be read turns it to "未接続" at once.
  void StartConnect(const std::string& host, uint16_t port);
  // Closes the connection (sending what is queued first), frees the socket;
  // state "切断". Also when no client socket was ever made.
  void Disconnect();
  // Drops the socket of a connection attempt that failed or timed out, so
  // that nothing is left to keep the event loop running; the state stays
  // "未接続".
  void AbandonConnect();
  // Sends `text`; false with the reason in `failure`.
  bool Send(const std::string& text, std::string& failure);

  // ---- server ----
  // Listens on `port` (IPv4, every interface); false with the reason.
  // Earlier clients are closed; both client lists and the receive binding
  // are emptied.
  bool StartServer(uint16_t port, std::string& failure);
  // Stops listening, closes every client, frees the server; "停止中".
  void StopServer();
  bool ServerActive() const;
  // The address lines, each ended by CR LF.
  std::string ClientList() const;
  // The first client whose IP equals `target` or whose name equals it in
  // any letter case; -1 when none.
  int FindClient(const std::string& target) const;
  bool SendToClient(int index, const std::string& text);
  void DisconnectClient(int index);

  TEventLabel clientReceive;
  TEventLabel serverReceive;
  TEventLabel serverConnect;

 private:
  void MakeClient();
  void FreeClient();
  void FreeServer();
  void CloseAllClients();
  void AcceptClients();
  void RemoveClient(QTcpSocket* socket);
  // A client's name is known (or its time is up): its address line is
  // filled and the connect event entered, while it is still a client.
  void Connected(QTcpSocket* socket, const std::string& line);
  // Takes `socket` off the sockets whose name is awaited; false when it was
  // not among them.
  bool Named(QTcpSocket* socket);
  // True while `socket` is the client or one of the server's clients.
  bool Owns(const QTcpSocket* socket) const;
  // "TCP文字列" = everything waiting on `socket`, "TCP送信元" = `line`;
  // then `label` (a binding of this object, read anew each round) is entered.
  void Received(QTcpSocket* socket, const std::string& line, const TEventLabel& label);
  void SetVariable(const char* utf8Name, const std::string& value);

  TNuraEngine* engine_ = nullptr;
  QObject* lookups_;  // the context of name lookups under way
  std::vector<QTcpSocket*> naming_;  // sockets whose name is awaited: their text waits
  std::string state_;
  QTcpSocket* client_ = nullptr;
  std::string clientLine_;  // the server's address line, noted on connecting
  QTcpServer* server_ = nullptr;
  std::vector<QTcpSocket*> clients_;
  std::vector<std::string> lines_;  // "IP,name", index for index with clients_
};

// "IP,IP" of the peer of `socket`: its dotted address twice, the line that
// stands until its name is known.
std::string PeerAddressLine(const QTcpSocket& socket);

// Looks the peer's name up without waiting: `done` gets "IP,name" on this
// thread when the name arrives, or "IP,IP" when there is none or after a
// short time limit; never once `context` is gone.
void LookUpPeerAddressLine(const QTcpSocket& socket, QObject* context,
                           const std::function<void(const std::string&)>& done);

}  // namespace nura
