// Network tests: real peers from Debian packages started on loopback inside
// the test's own network namespace (see in-own-network), an engine with the
// built-in vocabulary and the network commands, and dialogs that record the
// progress window.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/command_ids.h"
#include "engine/engine.h"
#include "engine/engine_fixture.h"

namespace nura::test {

// A peer process under /usr/bin/python3 (or another program); ready once
// 127.0.0.1:`port` accepts connections. Stopped when destroyed.
class TPeer {
 public:
  TPeer(const std::vector<std::string>& pythonArgs, int port);
  // Any program with its arguments (argv[0] included); with `ownGroup` it
  // runs in a process group of its own, which is stopped as a whole.
  TPeer(std::vector<std::string> programArgs, int port, bool ownGroup);
  ~TPeer();
  TPeer(const TPeer&) = delete;
  TPeer& operator=(const TPeer&) = delete;
  bool Ready() const { return ready_; }

 private:
  pid_t pid_ = -1;
  bool ready_ = false;
  bool ownGroup_ = false;
};

// Connects from the local address `from` to 127.0.0.1:`port` until it
// succeeds (the server may not listen yet); the open socket, or -1 after
// `tries` attempts 50 ms apart.
int ConnectFrom(const char* from, int port, int tries = 100);

// The folder of the peer scripts.
std::string PeerScript(const std::string& name);

class TProgressDialogs : public RecordingDialogs {
 public:
  std::vector<std::string> stages;  // UTF-8 text of every progress update
  std::vector<int> positions;
  bool visible = false;
  bool stopOffered = false;  // the last update offered the stop button
  // Pressed on the update with this index (from 0); -1 never.
  int pressStopAt = -1;

  void ShowProgress(const std::string& text, int position, std::function<void()> onStop) override;
  void HideProgress() override { visible = false; }
};

// An engine with the network commands and a temporary folder.
class NetCommandTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets a system variable (both texts UTF-8).
  void Set(const std::string& name, const std::string& value);
  std::string Var(const std::string& name);
  // Runs command `id` with UTF-8 text arguments (first argument first);
  // the value of "それ" as UTF-8.
  std::string Call(CommandId id, std::initializer_list<std::string> args = {});
  // The UTF-8 message of the error that the command raises, empty when none.
  std::string ErrorOf(CommandId id, std::initializer_list<std::string> args = {});
  // A file of `folder` (native path) read whole; "" when missing.
  static std::string ReadFile(const std::string& path);
  static void WriteFile(const std::string& path, const std::string& bytes);
  static bool Exists(const std::string& path);
  // The names in a folder, sorted.
  static std::vector<std::string> FilesIn(const std::string& folder);
  // A fresh subfolder of the test's folder.
  std::string SubFolder(const std::string& name);

  TProgressDialogs dialogs;
  TNuraEngine engine;
  std::string folder;  // the test's temporary folder, ending without "/"
};

// The same, for tests that talk over the network: they run only inside
// their own network namespace.
class NetTest : public NetCommandTest {
 protected:
  void SetUp() override;
};

}  // namespace nura::test
