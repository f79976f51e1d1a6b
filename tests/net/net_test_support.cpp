#include "net/net_test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "net/net_commands.h"
#include "platform/sjis.h"
#include "common/run_program.h"

extern char** environ;

namespace nura::test {
namespace {

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

static std::vector<std::string> UnderPython(const std::vector<std::string>& pythonArgs) {
  std::vector<std::string> args = {"/usr/bin/python3"};
  args.insert(args.end(), pythonArgs.begin(), pythonArgs.end());
  return args;
}

TPeer::TPeer(const std::vector<std::string>& pythonArgs, int port)
    : TPeer(UnderPython(pythonArgs), port, false) {}

TPeer::TPeer(std::vector<std::string> args, int port, bool ownGroup) : ownGroup_(ownGroup) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (ownGroup) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  const int rc = posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    ADD_FAILURE() << "cannot start " << args[1];
    return;
  }
  for (int i = 0; i < 300 && !ready_; ++i) {
    ready_ = Accepts(port);
    if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!ready_) ADD_FAILURE() << "peer " << args[1] << " did not listen on port " << port;
}

TPeer::~TPeer() {
  if (pid_ <= 0) return;
  kill(ownGroup_ ? -pid_ : pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

std::string PeerScript(const std::string& name) {
  return std::string(NURA_SOURCE_DIR) + "/tests/net/peers/" + name;
}

void TProgressDialogs::ShowProgress(const std::string& text, int position,
                                    std::function<void()> onStop) {
  const int index = static_cast<int>(stages.size());
  stages.push_back(SjisToUtf8(text));
  positions.push_back(position);
  visible = true;
  stopOffered = static_cast<bool>(onStop);
  if (index == pressStopAt && onStop) onStop();
}

int ConnectFrom(const char* from, int port, int tries) {
  for (int i = 0; i < tries; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{}, remote{};
    local.sin_family = remote.sin_family = AF_INET;
    inet_pton(AF_INET, from, &local.sin_addr);
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    remote.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0) {
      return fd;
    }
    close(fd);
    usleep(50000);
  }
  return -1;
}

void NetTest::SetUp() {
  if (!std::getenv("NURA_OWN_NETWORK")) {
    GTEST_SKIP() << "network tests run inside their own network namespace (through ctest)";
  }
  NetCommandTest::SetUp();
}

void NetCommandTest::SetUp() {
  // Requests to 127.0.0.1 go straight to the peers, never to a proxy.
  for (const char* proxy : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    unsetenv(proxy);
  }
  folder = MakeTempFolder();
  SetDialogs(&dialogs);
  RegisterNetCommands();
  engine.SetRegistrationHook(RegisterTestVocabulary);
  engine.ResetForRun();
}

void NetCommandTest::TearDown() {
  SetDialogs(nullptr);
  if (!folder.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
}

void NetCommandTest::Set(const std::string& name, const std::string& value) {
  NodePtr node = engine.Base().words.FindNode(SJ(name), false);
  ASSERT_TRUE(node) << name;
  node->SetValue(SJ(value));
}

std::string NetCommandTest::Var(const std::string& name) {
  return SjisToUtf8(engine.Base().words.FindValue(SJ(name), false));
}

std::string NetCommandTest::Call(CommandId id, std::initializer_list<std::string> args) {
  for (const std::string& arg : args) engine.Base().args.Push(TNuraEngine::MakeRawLiteral(SJ(arg)));
  CommandHandler handler = FindCommandHandler(IdNumber(id));
  if (!handler) {
    ADD_FAILURE() << "no handler for " << IdNumber(id);
    return "";
  }
  handler(engine, id);
  return SjisToUtf8(engine.ResultNode()->Value());
}

std::string NetCommandTest::ErrorOf(CommandId id, std::initializer_list<std::string> args) {
  try {
    Call(id, args);
  } catch (const std::exception& e) {
    engine.Base().args.Clear();
    return SjisToUtf8(e.what());
  }
  return "";
}

std::string NetCommandTest::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void NetCommandTest::WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

bool NetCommandTest::Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

std::vector<std::string> NetCommandTest::FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string NetCommandTest::SubFolder(const std::string& name) {
  const std::string path = folder + "/" + name;
  std::filesystem::create_directories(path);
  return path;
}

}  // namespace nura::test
