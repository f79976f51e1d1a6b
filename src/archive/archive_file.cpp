#include "archive/archive_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "archive/pack_file_list.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

// The hidden window that turns the library's progress messages into
// OnProgress; its answer is the abort flag.
class TArchiveFile::TProgressWindow : public TArchiverProgressSink {
 public:
  explicit TProgressWindow(TArchiveFile& owner) : owner_(owner) {}
  bool Notify(int state, TExtractingInfo& info) override {
    bool abort = false;
    if (owner_.OnProgress) owner_.OnProgress(owner_, state, &info, abort);
    return abort;
  }

 private:
  TArchiveFile& owner_;
};

TArchiveFile::TArchiveFile() = default;
TArchiveFile::~TArchiveFile() = default;

void TArchiveFile::SetFileName(const std::string& name) {
  fileName_ = name;
  SetArchiverType(DetectArchiveTypeByName(name));
}

void TArchiveFile::SetOutputSize(size_t size) {
  output_.size = size;
  output_.text.clear();
}

void TArchiveFile::SetArchiverType(TArchiverType type) {
  switch (type) {
    case TArchiverType::atNone:
      return;
    case TArchiverType::atAutoDetect:
      type_ = type;
      return;
    case TArchiverType::atYz1:
    case TArchiverType::atGCA:
    case TArchiverType::atBel:
      throw EArchiver(SJ("書庫の形式を特定できませんでした。"));
    default:
      archiver_.reset();
      archiver_ = CreateArchiver(type);
      type_ = type;
  }
}

TArchiver& TArchiveFile::ResolveArchiver() {
  if (type_ == TArchiverType::atAutoDetect) {
    const TArchiverType detected = DetectArchiveTypeByContent(fileName_);
    if (detected != TArchiverType::atNone) SetArchiverType(detected);
  }
  if (type_ == TArchiverType::atAutoDetect || !archiver_)
    throw EArchiver(SJ("書庫の形式を判別できません。"));
  return *archiver_;
}

int TArchiveFile::WithProgress(TArchiver& archiver, const std::function<int()>& operation) {
  struct TRegistration {
    TArchiver& archiver;
    TProgressWindow* window;
    ~TRegistration() {
      if (!window) return;
      try {
        archiver.KillOwnerWindow(window);
      } catch (const EArchiver&) {
        // A failed unregistration is ignored.
      }
    }
  };
  TProgressWindow* window = nullptr;
  if (OnProgress) {
    if (!progressWindow_) progressWindow_ = std::make_unique<TProgressWindow>(*this);
    window = progressWindow_.get();
    try {
      archiver.SetOwnerWindow(window, 0);
    } catch (const EArchiver&) {
      // A failed registration is ignored.
    }
  }
  TRegistration registration{archiver, window};
  struct TRemember {
    TArchiveFile& file;
    TArchiver& archiver;
    ~TRemember() { file.lastCommandLine_ = archiver.LastCommandLine(); }
  } remember{*this, archiver};
  return operation();
}

int TArchiveFile::Extract(TWindowHandle window, const TArchiverOptions* options,
                          const std::vector<std::string>& patterns, const std::string& folder) {
  TArchiver& archiver = ResolveArchiver();
  const TArchiverOptions& o = options ? *options : options_;
  return WithProgress(archiver, [&] {
    return archiver.Extract(window, fileName_, output_, (o.ResFileUsage & ruOnUnpack) != 0, patterns,
                            folder, o);
  });
}

int TArchiveFile::Pack(TWindowHandle window, const TArchiverOptions* options,
                       const std::vector<std::string>& patterns, const std::string& baseFolder) {
  TArchiver& archiver = ResolveArchiver();
  archiver.EnsureDLL();
  const TArchiverOptions& o = options ? *options : options_;
  const bool useResponse = (o.ResFileUsage & ruOnPack) != 0;
  if (o.PackFilter == TPackFilter::pfArchiver) {
    return WithProgress(archiver, [&] {
      return archiver.Pack(window, fileName_, output_, useResponse, patterns, baseFolder, o);
    });
  }
  TArchiverOptions copy;
  o.AssignTo(copy);
  copy.ResFileUsage = o.ResFileUsage;
  bool cancelled = false;
  const TPackProgress progress = [this](int state, TExtractingInfo& info) {
    bool abort = false;
    if (OnProgress) OnProgress(*this, state, &info, abort);
    return abort;
  };
  std::vector<std::string> files =
      BuildPackFileList(copy, baseFolder, patterns, cancelled, OnProgress ? progress : nullptr);
  // The library finds the files as DropKeptOut looked at them.
  TPackFileStatus status;
  if (cancelled) return kArcErrorUserCancel;
  DropKeptOut(files, baseFolder);
  if (files.empty()) {
    output_.text.clear();
    return 0;
  }
  copy.jx.clear();
  return WithProgress(archiver, [&] {
    return archiver.Pack(window, fileName_, output_, useResponse, files, baseFolder, copy);
  });
}

namespace {

// Device and inode of an existing file (links followed), as the same file
// is told by them; a file to be packed is looked up through the packing's
// record.
std::optional<std::pair<dev_t, ino_t>> FileIdentity(const std::string& native, bool packed) {
  if (packed) {
    TPackedFileStatus status;
    if (!StatPackFile(native, status)) return std::nullopt;
    return std::pair(status.device, status.inode);
  }
  struct stat sb {};
  if (::stat(native.c_str(), &sb) != 0) return std::nullopt;
  return std::pair(sb.st_dev, sb.st_ino);
}

}  // namespace

void TArchiveFile::DropKeptOut(std::vector<std::string>& files, const std::string& baseFolder) const {
  // The kept-out files are looked at once, each member once.
  std::vector<std::pair<dev_t, ino_t>> kept;
  for (const std::string& file : KeepOut) {
    if (auto id = FileIdentity(ScriptPathToNative(file), false)) kept.push_back(*id);
  }
  if (auto id = FileIdentity(ScriptPathToNative(fileName_), false)) kept.push_back(*id);
  if (kept.empty()) return;
  std::erase_if(files, [&](const std::string& name) {
    const auto id = FileIdentity(NativePathUnder(baseFolder, name), true);
    return id && std::find(kept.begin(), kept.end(), *id) != kept.end();
  });
}

int TArchiveFile::MakeSfx(TWindowHandle window, const TArchiverOptions* options,
                          const std::string& folder) {
  TArchiver& archiver = ResolveArchiver();
  const TArchiverOptions& o = options ? *options : options_;
  return WithProgress(archiver, [&] { return archiver.MakeSfx(window, fileName_, output_, folder, o); });
}

}  // namespace nura
