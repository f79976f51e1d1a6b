#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace nura {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Children whose wait was given up: reaped when they have ended, so that
// they leave no zombie, never killed.
std::vector<pid_t>& Abandoned() {
  static std::vector<pid_t> children;
  return children;
}

void ReapAbandoned() {
  std::erase_if(Abandoned(), [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

// What a started program gets: its folder (empty: ours), its standard
// input, output and error (-1: ours), and the variables taken out of its
// environment.
struct TSpawn {
  std::string folder;
  int input = -1, output = -1, error = -1;
  std::vector<std::string> unset;
};

// Starts `program` (looked up on PATH when it names no folder); its
// process id, or -1 when it cannot be started.
pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments, const TSpawn& how) {
  if (program.empty()) return -1;
  ReapAbandoned();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (char** variable = environ; *variable; ++variable) {
    bool removed = false;
    for (const std::string& name : how.unset) {
      removed = removed || (std::strncmp(*variable, name.c_str(), name.size()) == 0 && (*variable)[name.size()] == '=');
    }
    if (!removed) envp.push_back(*variable);
  }
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!how.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, how.folder.c_str());
  const int streams[] = {how.input, how.output, how.error};
  for (int target = 0; target < 3; ++target) {
    if (streams[target] >= 0) posix_spawn_file_actions_adddup2(&actions, streams[target], target);
  }
  pid_t pid = -1;
  const bool search = program.find('/') == std::string::npos;
  const int failed = search ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data())
                            : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

// Waits at most `milliseconds` for `pid` to end; true with its wait status
// when it has.
bool WaitForChild(pid_t pid, int milliseconds, int& status) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
  const int watch = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  for (;;) {
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid || (ended < 0 && errno != EINTR)) break;
    const int left = MillisecondsLeft(end);
    if (left == 0) {
      if (watch >= 0) ::close(watch);
      return false;
    }
    if (watch >= 0) {
      pollfd ready{watch, POLLIN, 0};
      ::poll(&ready, 1, left);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 5)));
    }
  }
  if (watch >= 0) ::close(watch);
  return true;
}

void KillChild(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

}  // namespace

// The program runs as a grandchild, which the system adopts: it outlives
// us and leaves no zombie. The child reports whether it could start it.
bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder) {
  if (program.empty()) return false;
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    TSpawn how;
    how.folder = folder;
    ::_exit(Spawn(program, arguments, how) < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OpenWithDesktop(const std::string& target, const std::string& folder) {
  return StartDetachedProcess("xdg-open", {target}, folder);
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool RunProgramForOutput(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& unset, std::string& output, int& status,
                         int milliseconds) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return false;
  const int empty = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  TSpawn how;
  how.input = empty;
  how.output = how.error = pipe[1];
  how.unset = unset;
  const pid_t pid = Spawn(program, arguments, how);
  ::close(pipe[1]);
  if (empty >= 0) ::close(empty);
  if (pid < 0) {
    ::close(pipe[0]);
    return false;
  }
  // Reads to the end of the output, then waits for the end of the program.
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
  std::string read;
  char chunk[16 * 1024];
  for (bool open = true; open;) {
    pollfd ready{pipe[0], POLLIN, 0};
    const int waiting = ::poll(&ready, 1, MillisecondsLeft(end));
    if (waiting < 0 && errno == EINTR) continue;
    if (waiting <= 0) break;
    const ssize_t n = ::read(pipe[0], chunk, sizeof chunk);
    if (n > 0) read.append(chunk, static_cast<size_t>(n));
    else open = n < 0 && errno == EINTR;
  }
  ::close(pipe[0]);
  int wait = 0;
  if (!WaitForChild(pid, MillisecondsLeft(end), wait)) {
    KillChild(pid);
    return false;
  }
  if (!WIFEXITED(wait)) return false;
  output = std::move(read);
  status = WEXITSTATUS(wait);
  return true;
}

std::string FindProgramOnPath(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : std::string();
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (size_t start = 0; start <= folders.size();) {
    size_t stop = folders.find(':', start);
    if (stop == std::string::npos) stop = folders.size();
    const std::string folder = folders.substr(start, stop - start);
    if (!folder.empty()) {
      const std::string candidate = folder + "/" + program;
      if (IsExecutableFile(candidate)) return candidate;
    }
    start = stop + 1;
  }
  return {};
}

struct TChildProcess::TImpl {
  pid_t pid = -1;
  bool ended = false;
};

TChildProcess::TChildProcess() : impl_(std::make_unique<TImpl>()) {}

TChildProcess::~TChildProcess() {
  if (impl_->pid > 0 && !impl_->ended) Abandoned().push_back(impl_->pid);
}

bool TChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder) {
  if (impl_->pid > 0 || program.empty()) return false;
  TSpawn how;
  how.folder = folder;
  impl_->pid = Spawn(program, arguments, how);
  return impl_->pid > 0;
}

bool TChildProcess::WaitForEnd(int milliseconds) {
  if (impl_->pid <= 0 || impl_->ended) return true;
  int status = 0;
  impl_->ended = WaitForChild(impl_->pid, milliseconds, status);
  return impl_->ended;
}

}  // namespace nura
