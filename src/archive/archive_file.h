// TArchiveFile: the one component through which the commands pack and
// unpack. It picks the format wrapper by the archive's extension (or
// content), copies its switches to the wrapper and reports progress.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archivers.h"

namespace nura {

class TArchiveFile {
 public:
  // Progress: state, the library's extracting-info record, abort flag.
  using TArchiverProgressEvent =
      std::function<void(TArchiveFile& sender, int state, TExtractingInfo* info, bool& abort)>;

  TArchiveFile();
  ~TArchiveFile();
  TArchiveFile(const TArchiveFile&) = delete;
  TArchiveFile& operator=(const TArchiveFile&) = delete;

  // Setting the name detects the type by its extension.
  void SetFileName(const std::string& name);
  const std::string& FileName() const { return fileName_; }
  // Sizes the message buffer and empties it.
  void SetOutputSize(size_t size);
  size_t OutputSize() const { return output_.size; }
  const std::string& Output() const { return output_.text; }
  TArchiverOptions& Options() { return options_; }
  // A new wrapper of that type (atNone changes nothing, atAutoDetect only
  // stores the value); atYz1, atGCA and atBel raise EArchiver.
  void SetArchiverType(TArchiverType type);
  TArchiverType ArchiverType() const { return type_; }
  TArchiver* Archiver() { return archiver_.get(); }
  const std::string& LastCommandLine() const { return lastCommandLine_; }

  TArchiverProgressEvent OnProgress;
  // Files (script paths) that Pack never puts into the archive, besides
  // the archive itself: an archive that the new one will replace.
  std::vector<std::string> KeepOut;

  // With `options` null the component's own are used.
  int Extract(TWindowHandle window, const TArchiverOptions* options,
              const std::vector<std::string>& patterns, const std::string& folder);
  int Pack(TWindowHandle window, const TArchiverOptions* options,
           const std::vector<std::string>& patterns, const std::string& baseFolder);
  int MakeSfx(TWindowHandle window, const TArchiverOptions* options, const std::string& folder);

 private:
  class TProgressWindow;
  // Resolves atAutoDetect by content; EArchiver when no wrapper remains.
  TArchiver& ResolveArchiver();
  // Runs `operation` with the progress window registered (when OnProgress
  // is set) and remembers the command line, also after a failure.
  int WithProgress(TArchiver& archiver, const std::function<int()>& operation);
  // Drops the archive itself and the KeepOut files from `files` (names
  // under `baseFolder`), each compared by device and inode.
  void DropKeptOut(std::vector<std::string>& files, const std::string& baseFolder) const;

  std::string fileName_;
  TArcOutput output_;
  TArchiverOptions options_;
  TArchiverType type_ = TArchiverType::atAutoDetect;
  std::unique_ptr<TArchiver> archiver_;
  std::string lastCommandLine_;
  std::unique_ptr<TProgressWindow> progressWindow_;
};

}  // namespace nura
