// Starting other programs: always a program and its argument list, never
// a command line through a shell. Documents, folders and URLs go to the
// desktop's opener (xdg-open). Paths and arguments are native UTF-8.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace nura {

// Starts `program` (a path, or a name looked up on PATH) in `folder`
// without waiting; false when it cannot be started.
bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder);

// Opens a document, a folder or a URL with the desktop's opener; false
// when the opener cannot be started.
bool OpenWithDesktop(const std::string& target, const std::string& folder);

// True for an existing regular file that the user may execute.
bool IsExecutableFile(const std::string& path);

// Runs `program` (a path, or a name looked up on PATH) with `arguments`,
// standard input empty, the variables `unset` removed from its
// environment; `output` gets its standard output and error together,
// `status` its exit status. False when it cannot be started, crashes or
// runs longer than `milliseconds` (it is then killed).
bool RunProgramForOutput(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& unset, std::string& output, int& status,
                         int milliseconds);

// The full path of `program` found on PATH; empty when it is not there.
std::string FindProgramOnPath(const std::string& program);

// A started program whose end is awaited. Giving up the wait (destroying
// the object while the program runs) leaves the program running.
class TChildProcess {
 public:
  TChildProcess();
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             const std::string& folder);
  // Waits at most `milliseconds`; true once the program has ended.
  bool WaitForEnd(int milliseconds);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace nura
