// A download's file while it arrives: the bytes go to a temporary file
// beside the target, which takes the target's name only when the transfer
// is complete. A failed or stopped transfer leaves nothing behind.
#pragma once

#include <string>
#include <string_view>

namespace nura {

class TPartialFile {
 public:
  TPartialFile() = default;
  ~TPartialFile();
  TPartialFile(const TPartialFile&) = delete;
  TPartialFile& operator=(const TPartialFile&) = delete;

  // Creates the temporary file beside `nativeTarget`; false on failure.
  bool Create(const std::string& nativeTarget);
  bool Write(std::string_view bytes);
  // Flushes and renames the file to the target; with `replace` false an
  // existing target is kept and the commit fails. False on any failure (the
  // temporary file is then removed).
  bool Commit(bool replace);
  // Removes the temporary file.
  void Discard();

 private:
  int fd_ = -1;
  std::string target_;
  std::string temp_;
};

}  // namespace nura
