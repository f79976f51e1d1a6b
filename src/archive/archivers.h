// The format wrappers: one TArchiver subclass per archive format binds the
// format's library and turns the LHA-style switches of TArchiverOptions
// into that library's command line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "archive/archiver_library.h"
#include "archive/archiver_options.h"
#include "archive/cmd_opt.h"

namespace nura {

// A broken precondition of a wrapper (a switch that must be set).
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// The text buffer that receives a library's messages.
struct TArcOutput {
  std::string text;
  size_t size = 0;
};

class TArchiver {
 public:
  virtual ~TArchiver() = default;

  virtual TArchiveHandle OpenArchive(TWindowHandle window, const std::string& archive, int mode);
  virtual int FindFirst(TArchiveHandle handle, const std::string& wildcard, TIndividualInfo& info);
  virtual int FindNext(TArchiveHandle handle, TIndividualInfo& info);
  virtual int CloseArchive(TArchiveHandle handle);
  virtual int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output,
                      bool useResponseFile, const std::vector<std::string>& patterns,
                      const std::string& folder, const TArchiverOptions& options) = 0;
  virtual int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output,
                   bool useResponseFile, const std::vector<std::string>& patterns,
                   const std::string& baseFolder, const TArchiverOptions& options);
  virtual int Delete(TWindowHandle window, const std::string& archive, TArcOutput& output,
                     bool useResponseFile, const std::vector<std::string>& patterns,
                     const TArchiverOptions& options);
  virtual int Update(TWindowHandle window, const std::string& archive, TArcOutput& output,
                     bool useResponseFile, const std::vector<std::string>& patterns,
                     const std::string& baseFolder, const TArchiverOptions& options);
  virtual int MakeSfx(TWindowHandle window, const std::string& archive, TArcOutput& output,
                      const std::string& folder, const TArchiverOptions& options);
  virtual int ExtractMem(TWindowHandle window, const std::string& archive, std::string& buffer,
                         size_t size, const std::string& entry, const TArchiverOptions& options);
  virtual bool CheckArchive(const std::string& archive, int mode);
  virtual int SetOwnerWindow(TArchiverProgressSink* window, int flags);
  virtual int KillOwnerWindow(TArchiverProgressSink* window);
  void EnsureDLL() { LoadDLL(); }

  const std::string& LastCommandLine() const { return lastCommandLine_; }

 protected:
  // Binds (creates once and loads) the format's library.
  virtual void LoadDLL() = 0;

  // The quoted archive, then the folder quoted with a trailing "\".
  static void AddArchiveAndBase(TCmdOpt& cmd, const std::string& archive, const std::string& folder);
  // The file names quoted (or through the response file), then UserFileList.
  static void AddFiles(TCmdOpt& cmd, const TArchiverOptions& options, bool useResponseFile,
                       const std::vector<std::string>& patterns);
  bool OwnerRegistered() const { return owner_ != nullptr; }

  TArchiverProgressSink* owner_ = nullptr;
  std::string lastCommandLine_;
};

// The archiver of a type with its library loaded; nullptr for types that
// have none (atYz1, atGCA, atBel, atNone, atAutoDetect).
std::unique_ptr<TArchiver> CreateArchiver(TArchiverType type);

// The type by content: the LHA, CAB, BGA, ZIP, ARJ and RAR checks in this
// order, else the tar library's answer; a missing library rejects.
TArchiverType DetectArchiveTypeByContent(const std::string& archive);

}  // namespace nura
