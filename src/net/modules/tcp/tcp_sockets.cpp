#include "net/modules/tcp/tcp_sockets.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "engine/command_api.h"
#include "engine/event_sources.h"
#include "engine/locale_map.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Sends what is queued, closes and frees `socket` once control returns to
// the event queue (it may be the sender of the signal being handled).
void CloseSocket(QTcpSocket* socket) {
  socket->disconnect();
  socket->flush();
  socket->disconnectFromHost();
  socket->deleteLater();
}

std::string ServerErrorText(const QTcpServer& server) {
  switch (server.serverError()) {
    case QAbstractSocket::AddressInUseError:
      return SJ("ポートは既に使われています。");
    case QAbstractSocket::SocketAccessError:
      return SJ("ポートを使う権限がありません。");
    default:
      return Utf8ToSjis(server.errorString().toStdString());
  }
}

// The peer's dotted address (IPv4 in its plain form).
QString PeerIp(const QTcpSocket& socket) {
  const QHostAddress peer = socket.peerAddress();
  bool v4 = false;
  const quint32 ipv4 = peer.toIPv4Address(&v4);
  return v4 ? QHostAddress(ipv4).toString() : peer.toString();
}

std::string AddressLine(const QString& ip, const QString& name) {
  return Utf8ToSjis((ip + "," + (name.isEmpty() ? ip : name)).toStdString());
}

// How long a reverse lookup may take before the address alone stands for
// the name, how often its answer is looked for, and how many may wait on
// the name server at once (beyond that a client is named by its address).
constexpr int kNameLookupLimitMs = 1500;
constexpr int kNameLookupPollMs = 20;
constexpr int kMostNameLookups = 16;
std::atomic<int> namesUnderWay{0};

// The answer of one reverse lookup, handed from its thread.
struct TNameAnswer {
  std::atomic<bool> ready{false};
  std::string name;  // UTF-8; empty when there is none
};

// Asks the system resolver on a thread of its own, which may outlive the
// question: a name server that never answers keeps only that thread.
void AskForName(const QHostAddress& peer, const std::shared_ptr<TNameAnswer>& answer) {
  sockaddr_storage address{};
  socklen_t size = 0;
  bool v4 = false;
  const quint32 ipv4 = peer.toIPv4Address(&v4);
  if (v4) {
    auto* in = reinterpret_cast<sockaddr_in*>(&address);
    in->sin_family = AF_INET;
    in->sin_addr.s_addr = htonl(ipv4);
    size = sizeof(sockaddr_in);
  } else {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
    in6->sin6_family = AF_INET6;
    const Q_IPV6ADDR bytes = peer.toIPv6Address();
    std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
    size = sizeof(sockaddr_in6);
  }
  ++namesUnderWay;
  std::thread([address, size, answer] {
    char host[NI_MAXHOST] = "";
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), size, host, sizeof host, nullptr, 0,
                      NI_NAMEREQD) == 0) {
      answer->name = host;
    }
    answer->ready = true;
    --namesUnderWay;
  }).detach();
}

}  // namespace

std::string PeerAddressLine(const QTcpSocket& socket) { return AddressLine(PeerIp(socket), QString()); }

void LookUpPeerAddressLine(const QTcpSocket& socket, QObject* context,
                           const std::function<void(const std::string&)>& done) {
  const QString ip = PeerIp(socket);
  if (namesUnderWay >= kMostNameLookups) {
    done(AddressLine(ip, QString()));
    return;
  }
  const auto answer = std::make_shared<TNameAnswer>();
  AskForName(socket.peerAddress(), answer);
  auto* poll = new QTimer(context);
  const auto start = std::chrono::steady_clock::now();
  QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, ip, done, start] {
    const bool late = std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(kNameLookupLimitMs);
    if (!answer->ready && !late) return;
    poll->stop();
    poll->deleteLater();
    done(AddressLine(ip, answer->ready ? QString::fromStdString(answer->name) : QString()));
  });
  poll->start(kNameLookupPollMs);
}

TTcpSockets::TTcpSockets() : lookups_(new QObject) {}

TTcpSockets::~TTcpSockets() {
  delete lookups_;  // answers still to come are dropped with it
  FreeClient();
  FreeServer();
}

// ---- client ----

void TTcpSockets::MakeClient() {
  if (client_) return;
  client_ = new QTcpSocket;
  AddEventSource();
  QTcpSocket* socket = client_;
  QObject::connect(socket, &QTcpSocket::connected, socket, [this, socket] {
    clientLine_ = PeerAddressLine(*socket);
    state_ = SJ("接続中");
    naming_.push_back(socket);
    LookUpPeerAddressLine(*socket, lookups_, [this, socket](const std::string& line) {
      if (!Named(socket) || socket != client_) return;
      clientLine_ = line;
      Received(socket, clientLine_, clientReceive);  // what came meanwhile
    });
  });
  QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { state_ = SJ("未接続"); });
  QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [this] {
    if (state_ == SJ("接続準備中")) state_ = SJ("未接続");
  });
  QObject::connect(socket, &QTcpSocket::readyRead, socket,
                   [this, socket] { Received(socket, clientLine_, clientReceive); });
}

void TTcpSockets::FreeClient() {
  if (!client_) return;
  Named(client_);
  CloseSocket(client_);
  client_ = nullptr;
  RemoveEventSource();
}

void TTcpSockets::StartConnect(const std::string& host, uint16_t port) {
  MakeClient();
  client_->abort();
  clientLine_.clear();
  state_ = SJ("接続準備中");
  const QString name = QString::fromStdString(SjisToUtf8(host));
  const bool numeric = host.find('.') != std::string::npos && host[0] >= '0' && host[0] <= '9';
  if (!numeric) {
    client_->connectToHost(name, port, QIODevice::ReadWrite, QAbstractSocket::IPv4Protocol);
    return;
  }
  const QHostAddress address(name);
  if (address.protocol() != QAbstractSocket::IPv4Protocol) {
    state_ = SJ("未接続");
    return;
  }
  client_->connectToHost(address, port);
}

void TTcpSockets::Disconnect() {
  FreeClient();
  state_ = SJ("切断");
}

void TTcpSockets::AbandonConnect() {
  FreeClient();
  state_ = SJ("未接続");
}

bool TTcpSockets::Send(const std::string& text, std::string& failure) {
  if (!client_ || client_->state() != QAbstractSocket::ConnectedState) {
    failure = SJ("接続されていません。");
    return false;
  }
  if (client_->write(text.data(), static_cast<qint64>(text.size())) < 0) {
    failure = Utf8ToSjis(client_->errorString().toStdString());
    return false;
  }
  client_->flush();
  return true;
}

// ---- server ----

bool TTcpSockets::StartServer(uint16_t port, std::string& failure) {
  state_ = SJ("起動準備中");
  if (!server_) {
    server_ = new QTcpServer;
    AddEventSource();
    QObject::connect(server_, &QTcpServer::newConnection, server_, [this] { AcceptClients(); });
  }
  CloseAllClients();
  serverReceive.Clear();
  server_->close();
  if (!server_->listen(QHostAddress::AnyIPv4, port)) {
    failure = ServerErrorText(*server_);
    FreeServer();
    state_ = SJ("停止中");
    return false;
  }
  state_ = SJ("起動中");
  return true;
}

void TTcpSockets::StopServer() {
  FreeServer();
  state_ = SJ("停止中");
}

void TTcpSockets::FreeServer() {
  CloseAllClients();
  if (!server_) return;
  server_->close();
  server_->disconnect();
  server_->deleteLater();
  server_ = nullptr;
  RemoveEventSource();
}

bool TTcpSockets::ServerActive() const { return server_ && server_->isListening(); }

void TTcpSockets::CloseAllClients() {
  // The sockets become the children of nobody, so that freeing the server
  // does not free them before they have sent what is queued.
  for (QTcpSocket* socket : clients_) {
    socket->setParent(nullptr);
    Named(socket);
    CloseSocket(socket);
  }
  clients_.clear();
  lines_.clear();
}

void TTcpSockets::AcceptClients() {
  QPointer<QTcpServer> server = server_;
  while (server && server == server_ && server->hasPendingConnections()) {
    QTcpSocket* socket = server->nextPendingConnection();
    clients_.push_back(socket);
    lines_.push_back(PeerAddressLine(*socket));
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
      for (size_t i = 0; i < clients_.size(); ++i) {
        if (clients_[i] == socket) Received(socket, lines_[i], serverReceive);
      }
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] { RemoveClient(socket); });
    // The name comes later, so that a slow name server stops nothing; the
    // connect event and the client's text wait for it (or the time limit).
    naming_.push_back(socket);
    LookUpPeerAddressLine(*socket, lookups_, [this, socket](const std::string& line) { Connected(socket, line); });
  }
}

void TTcpSockets::Connected(QTcpSocket* socket, const std::string& line) {
  const auto at = std::find(clients_.begin(), clients_.end(), socket);
  if (!Named(socket) || at == clients_.end()) return;  // gone meanwhile
  lines_[static_cast<size_t>(at - clients_.begin())] = line;
  if (serverConnect) {
    SetVariable("TCP送信元", line);
    if (engine_) EnterEventLabel(*engine_, serverConnect);
  }
  Received(socket, line, serverReceive);  // what came meanwhile
}

bool TTcpSockets::Named(QTcpSocket* socket) {
  const auto at = std::find(naming_.begin(), naming_.end(), socket);
  if (at == naming_.end()) return false;
  naming_.erase(at);
  return true;
}

void TTcpSockets::RemoveClient(QTcpSocket* socket) {
  for (size_t i = 0; i < clients_.size(); ++i) {
    if (clients_[i] != socket) continue;
    clients_.erase(clients_.begin() + static_cast<ptrdiff_t>(i));
    lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(i));
    Named(socket);
    socket->disconnect();
    socket->deleteLater();
    return;
  }
}

std::string TTcpSockets::ClientList() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

int TTcpSockets::FindClient(const std::string& target) const {
  const std::string upperTarget = ToUpperCase(target);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    const size_t comma = line.find(',');
    const std::string ip = TrimText(line.substr(0, comma));
    const std::string name = comma == std::string::npos ? "" : TrimText(line.substr(comma + 1));
    if (ip == target || ToUpperCase(name) == upperTarget) return static_cast<int>(i);
  }
  return -1;
}

bool TTcpSockets::SendToClient(int index, const std::string& text) {
  if (index < 0 || index >= static_cast<int>(clients_.size())) return false;
  QTcpSocket* socket = clients_[static_cast<size_t>(index)];
  const bool sent = socket->write(text.data(), static_cast<qint64>(text.size())) >= 0;
  socket->flush();
  return sent;
}

void TTcpSockets::DisconnectClient(int index) {
  if (index < 0 || index >= static_cast<int>(clients_.size())) return;
  QTcpSocket* socket = clients_[static_cast<size_t>(index)];
  clients_.erase(clients_.begin() + index);
  lines_.erase(lines_.begin() + index);
  CloseSocket(socket);
}

// ---- events ----

void TTcpSockets::SetVariable(const char* utf8Name, const std::string& value) {
  if (!engine_) return;
  if (NodePtr node = FindWord(*engine_, SJ(utf8Name))) node->SetValue(value);
}

bool TTcpSockets::Owns(const QTcpSocket* socket) const {
  if (socket == client_) return true;
  for (const QTcpSocket* c : clients_) {
    if (c == socket) return true;
  }
  return false;
}

void TTcpSockets::Received(QTcpSocket* socket, const std::string& line, const TEventLabel& label) {
  // Text that arrives while the label runs is taken in the next round:
  // the socket does not signal it again while this handler runs.
  if (std::find(naming_.begin(), naming_.end(), socket) != naming_.end()) return;
  const std::string from = line;
  while (Owns(socket) && socket->bytesAvailable() > 0) {
    const QByteArray bytes = socket->readAll();
    SetVariable("TCP文字列", std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    SetVariable("TCP送信元", from);
    if (label && engine_) EnterEventLabel(*engine_, label);
  }
}

}  // namespace nura
