#include "archive/self_extractor.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "archive/archive_io.h"
#include "archive/private_folder.h"
#include "engine/command_line.h"
#include "engine/dialogs.h"
#include "engine/filemix.h"
#include "platform/console_mode.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "platform/window_system.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

// The first entry marks the block as a self-extractor and holds its
// switches; the archive follows.
constexpr char kOptionsEntry[] = "NURASFX.OPT";
constexpr char kArchiveEntry[] = "NURASFX.LZH";

std::string RunningProgram() {
  const std::string& path = ProgramCommandLine().programPath;
  return path.empty() ? std::string("/proc/self/exe") : path;
}

// 0755 less the user's file-creation mask.
unsigned ExecutableMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0755 & ~static_cast<unsigned>(mask);
}

bool IsLhaArchive(const std::string& native) {
  TUtf8Locale locale;
  TArchiveReader reader(TBackendFormat::Lha);
  TMember member;
  return reader.Open(native) && reader.Next(member) == 1;
}

}  // namespace

int WriteSelfExtractor(const std::string& archiveNative, const std::string& programNative,
                       bool junkPaths, bool overwrite, std::string& messages) {
  std::string image, archive;
  const std::string program = RunningProgram();
  if (!ReadProgramImage(NativePathToScript(program), image)) {
    messages += SJ("自己解凍書庫の元になるプログラム\"") + Utf8ToSjis(program) + SJ("\"を読めません。\r\n");
    return kArcErrorFileOpen;
  }
  if (!ReadNativeFile(archiveNative, archive) || !IsLhaArchive(archiveNative)) {
    messages += Utf8ToSjis(archiveNative) + SJ(": LHA 書庫として読めません。\r\n");
    return kArcErrorNotArcFile;
  }
  const std::string options = std::string("-x") + (junkPaths ? "0" : "1") + (overwrite ? " -c1" : " -c0");
  std::string block;
  try {
    block = BuildMixContainer({{kOptionsEntry, options}, {kArchiveEntry, archive}});
  } catch (const std::exception&) {
    messages += SJ("書庫が大きすぎて自己解凍書庫にできません。\r\n");
    return kArcErrorCannotWrite;
  }
  // A link in the program's place (say, planted in a shared temporary
  // folder) is never written through.
  struct stat st {};
  if (::lstat(programNative.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    messages += Utf8ToSjis(programNative) + SJ(": シンボリックリンクには自己解凍書庫を書き込みません。\r\n");
    return kArcErrorCannotWrite;
  }
  TAtomicFileWriter out(programNative);
  if (out.Open()) {
    out.SetMode(ExecutableMode());
    if (out.Write(image) && out.Write(block) && out.Commit()) return kArcOk;
  }
  messages += Utf8ToSjis(programNative) + SJ(": 自己解凍書庫を書き込めません。\r\n");
  return kArcErrorCannotWrite;
}

namespace {


void WriteConsole(FILE* stream, const std::string& sjis) {
  std::string text = sjis;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::fputs((SjisToUtf8(text) + "\n").c_str(), stream);
  std::fflush(stream);
}

// The failure's message (Shift-JIS), on standard error or in a warning box.
int Fail(const std::string& text) {
  if (IsConsoleMode()) WriteConsole(stderr, text);
  else Dialogs().ShowWarning(text, SJ("自己解凍書庫"));
  return 1;
}

// One line per file on the terminal, the progress window in a window; the
// window's stop button cancels.
class TSfxProgress : public TArchiverProgressSink {
 public:
  explicit TSfxProgress(int total) : total_(total > 0 ? total : 1) {}
  ~TSfxProgress() override {
    if (!IsConsoleMode()) Dialogs().HideProgress();
  }
  bool Notify(int, TExtractingInfo& info) override {
    ++done_;
    const std::string line = "[" + std::to_string(done_) + "/" + std::to_string(total_) + "] " +
                             std::string(info.szSourceFileName);
    if (IsConsoleMode()) {
      WriteConsole(stdout, line);
    } else {
      Dialogs().ShowProgress(line, done_ * 100 / total_, [this] { stopped_ = true; });
      if (TWindowSystem* system = InstalledWindowSystem()) system->ProcessEvents();
    }
    return stopped_;
  }
  int Done() const { return done_; }

 private:
  int total_;
  int done_ = 0;
  bool stopped_ = false;
};

int CountMembers(const std::string& archive) {
  TUtf8Locale locale;
  TArchiveReader reader(TBackendFormat::Lha);
  TMember member;
  int count = 0;
  if (!reader.Open(archive)) return 0;
  while (reader.Next(member) == 1) count += member.folder ? 0 : 1;
  return count;
}

// The destination: asked on the terminal (an empty line takes the current
// folder) or in the folder dialog; false when the user cancels.
bool AskDestination(std::string& destination) {
  std::error_code ec;
  const std::string current = fs::current_path(ec).string();
  if (!IsConsoleMode()) return Dialogs().SelectFolder(current, destination);
  bool cancelled = false;
  const std::string typed = Dialogs().AskInput(
      SJ("展開先のフォルダを入力してください(空行なら ") + Utf8ToSjis(current) + SJ(")。"), "",
      cancelled);
  if (cancelled) return false;
  destination = typed.empty() ? current : ScriptPathToNative(typed);
  return true;
}

struct TSfxSettings {
  std::string destination;  // native
  bool overwrite = false;
  bool junkPaths = false;
};

int ExtractCarried(const std::string& block, const std::vector<std::string>& arguments) {
  TSfxSettings settings;
  for (const std::string& argument : arguments) {
    if (argument == "-y") settings.overwrite = true;
    else if (settings.destination.empty()) settings.destination = argument;
  }
  TPrivateFolder folder("nurasfx");
  if (folder.Path().empty()) return Fail(SJ("一時フォルダを作成できません。"));
  const std::string blockFile = folder.Path() + "/block";
  const std::string archive = folder.Path() + "/archive.lzh";
  std::string options;
  try {
    if (!WriteFileAtomically(blockFile, block)) return Fail(SJ("一時ファイルに書き込めません。"));
    TFileMixReader reader(NativePathToScript(blockFile));
    if (!reader.ExtractToString(kOptionsEntry, options) ||
        !reader.ExtractToFile(kArchiveEntry, NativePathToScript(archive)))
      return Fail(SJ("自己解凍書庫が壊れています: 書庫がありません。"));
  } catch (const std::exception& e) {
    return Fail(SJ("自己解凍書庫が壊れています: ") + e.what());
  }
  if (options.find("-c1") != std::string::npos) settings.overwrite = true;
  settings.junkPaths = options.find("-x0") != std::string::npos;
  if (settings.destination.empty() && !AskDestination(settings.destination))
    return Fail(SJ("展開を取り消しました。"));
  TSfxProgress progress(CountMembers(archive));
  TExtractRequest request;
  request.archive = archive;
  request.destination = settings.destination;
  request.junkPaths = settings.junkPaths;
  request.overwrite = settings.overwrite ? TOverwrite::Always : TOverwrite::Ask;
  request.askOverwrite = [](const std::string& member) {
    return Dialogs().AskYesNo(Utf8ToSjis(member) + SJ(" は既にあります。上書きしますか?"),
                              SJ("自己解凍書庫"));
  };
  request.progress = &progress;
  std::string messages;
  const int result = ExtractArchive(TBackendFormat::Lha, request, messages);
  if (result != kArcOk) {
    if (messages.empty()) messages = SJ("展開できませんでした。");
    return Fail(SJ("自己解凍書庫の展開に失敗しました。\r\n") + messages);
  }
  const std::string done = std::to_string(progress.Done()) + SJ(" 個のファイルを\"") +
                           Utf8ToSjis(settings.destination) + SJ("\"に展開しました。");
  if (IsConsoleMode()) WriteConsole(stdout, done);
  else Dialogs().ShowMessage(done, SJ("自己解凍書庫"));
  return 0;
}

}  // namespace

bool RunCarriedSelfExtractor(const std::string& executable, const std::vector<std::string>& arguments,
                             int& status) {
  std::string block;
  if (executable.empty() || !FindAppendedData(NativePathToScript(executable), block) ||
      FirstMixEntryName(block) != kOptionsEntry)
    return false;
  status = ExtractCarried(block, arguments);
  return true;
}

}  // namespace nura
