// "圧縮", "解凍", "自己解凍書庫作成": switches from the variables
// "圧縮オプション", "解凍オプション" and "自己解凍書庫オプション", the
// security confirmation first, failures as run-time errors that carry the
// library's message. A new archive replaces an existing one only when it is
// complete.
#include "archive/archive_commands.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "archive/archive_file.h"
#include "archive/pack_file_list.h"
#include "support/file_command_support.h"
#include "support/shell_helpers.h"
#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

void ParseArchiverOptions(TArchiveFile& archive, const std::string& text) {
  std::string rest = text;
  while (!rest.empty()) {
    std::string piece = TrimText(CutToken(" ", rest));
    if (piece.empty()) continue;
    if (piece[0] == '-') piece.erase(0, 1);
    if (piece.empty()) continue;
    const char last = piece.back();
    if (last < '0' || last > '9') continue;
    if (Shortint* target = archive.Options().FindSwitch(piece.substr(0, piece.size() - 1)))
      *target = static_cast<Shortint>(last - '0');
  }
}

namespace {

constexpr size_t kOutputSize = 8192;

// The owner window given to the libraries; the built-in ones show no
// windows of their own, so none is needed.
TWindowHandle MainWindow(TNuraEngine&) { return nullptr; }

std::string WithArchiveExtension(const std::string& name) {
  return ExtractExtension(name).empty() ? name + ".lzh" : name;
}

// The library's messages as the tail of an error text.
std::string FailureText(const TArchiveFile& file, int result) {
  std::string text = file.Output();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.empty() ? SJ("書庫ライブラリのエラー ") + std::to_string(result) : text;
}

// A file this command created and removes again unless it is kept.
class TScratchFile {
 public:
  TScratchFile() = default;
  explicit TScratchFile(std::string native) : native_(std::move(native)) {}
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;
  ~TScratchFile() {
    std::error_code ec;
    if (!native_.empty()) fs::remove(native_, ec);
  }
  std::string ScriptPath() const { return NativePathToScript(native_); }
  const std::string& Native() const { return native_; }
  void Release() { native_.clear(); }

 private:
  std::string native_;
};

// An empty file beside `archive` with the same extension, made
// exclusively; the new archive is written there first. ReplaceFileWith
// gives it the archive's permissions when it takes the archive's place.
std::string ReserveBeside(const std::string& archive) {
  const fs::path native = ScriptPathToNative(archive);
  const std::string ext = native.extension().string();
  std::string name = (native.parent_path() / native.stem()).string() + ".~XXXXXX" + ext;
  const int fd = mkstemps(name.data(), static_cast<int>(ext.size()));
  if (fd < 0) throw EArchiver(SJ("書庫") + Quoted(archive) + SJ("を作成できません。"));
  ::close(fd);
  return name;
}

// The temporary folder + "nupack" + N + ".lzh" for the first N that is
// free, made exclusively.
std::string ReserveNumberedArchive() {
  std::string folder = ScriptPathToNative(GetTempFolder());
  if (!folder.empty() && folder.back() != '/') folder += '/';
  for (long n = 1; n < 1000000; ++n) {
    const std::string name = folder + "nupack" + std::to_string(n) + ".lzh";
    const int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  throw EArchiver(SJ("一時書庫を作成できません。"));
}

std::vector<std::string> ListLines(const std::string& text) {
  std::vector<std::string> lines;
  const std::string all = TrimText(text);
  // Each line ends at the next "\n" that starts a character.
  for (size_t from = 0; from < all.size();) {
    const int64_t at = SjisPosFrom("\n", all, static_cast<int64_t>(from) + 1);
    const size_t stop = at == 0 ? all.size() : static_cast<size_t>(at - 1);
    std::string line = all.substr(from, stop - from);
    from = at == 0 ? all.size() : stop + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

// The folder part of the longest line (the first of equally long ones);
// lines that begin with it lose it.
std::string RelativeToBase(std::vector<std::string>& lines) {
  size_t longest = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].size() > lines[longest].size()) longest = i;
  }
  const std::string base = lines.empty() ? "" : ExtractFolderPart(lines[longest]);
  if (base.empty()) return base;
  for (std::string& line : lines) {
    if (line.compare(0, base.size(), base) == 0) line.erase(0, base.size());
  }
  return base;
}

// The message for a line without wildcards that names nothing; empty
// when every such line names a file or folder.
std::string MissingFileText(const std::vector<std::string>& lines, const std::string& base) {
  for (const std::string& line : lines) {
    if (line.find_first_of("*?") != std::string::npos) continue;
    TPackedFileStatus status;
    if (!StatPackFile(NativePathUnder(base, line), status))
      return SJ("ファイル") + Quoted(JoinPathName(base, line)) + SJ("が見つかりません。");
  }
  return "";
}

// Packs the lines into a new file beside the archive, which replaces the
// archive when it is complete. The failure's text; empty on success and
// when the user cancelled.
std::string PackReplacing(TNuraEngine& engine, TArchiveFile& file, const std::string& archive,
                          const std::vector<std::string>& lines, const std::string& base,
                          const std::string& options) {
  try {
    file.SetFileName(archive);
    TScratchFile temp(ReserveBeside(archive));
    file.SetFileName(temp.ScriptPath());
    file.KeepOut = {archive};
    file.SetOutputSize(kOutputSize);
    ParseArchiverOptions(file, options);
    file.Options().x = 1;
    file.Options().jso = 1;
    const int result = file.Pack(MainWindow(engine), nullptr, lines, base);
    if (result == kArcErrorUserCancel) return "";
    if (result != kArcOk) return FailureText(file, result);
    std::error_code ec;
    if (fs::file_size(temp.Native(), ec) == 0) return SJ("圧縮するファイルが見つかりません。");
    if (!ReplaceFileWith(temp.Native(), ScriptPathToNative(archive)))
      return SJ("書庫") + Quoted(archive) + SJ("を書き込めません。");
    temp.Release();
    return "";
  } catch (const EArchiver& e) {
    return e.what();
  } catch (const EAssertionFailed& e) {
    return e.what();
  }
}

// "圧縮" with the file list and the archive as texts.
void CompressFiles(TNuraEngine& engine, const std::string& listText, std::string archive) {
  archive = WithArchiveExtension(archive);
  std::vector<std::string> lines = ListLines(listText);
  if (!ConfirmChange(engine, archive, Quoted(archive) + SJ("へ圧縮します。"))) return;
  // Relative lines name files of the current folder, also those that do
  // not lie below the base folder.
  for (std::string& line : lines) {
    if (!IsAbsoluteScriptPath(line)) line = AbsoluteScriptPath(line);
  }
  const std::string base = RelativeToBase(lines);
  const std::string options = WordValue(engine, SJ("圧縮オプション"));
  TArchiveFile file;
  // The packing finds the files as the check looked at them.
  TPackFileStatus status;
  status.Reserve(lines.size());
  std::string failure = MissingFileText(lines, base);
  if (failure.empty()) failure = PackReplacing(engine, file, archive, lines, base, options);
  if (failure.empty()) return;
  RaiseScriptError(engine, SJ("ファイル圧縮のエラー。コマンドライン=") + Quoted(file.LastCommandLine()) +
                               SJ("。オプション=") + Quoted(options) + SJ("。") + failure);
}

// "圧縮" ("?を,?へ": the file list, the archive).
void Pack(TNuraEngine& engine, CommandId) {
  const std::string archive = PopText(engine);
  const std::string list = PopText(engine);
  CompressFiles(engine, list, archive);
}

// "解凍" ("?を,?へ": the archive, the destination folder).
void Unpack(TNuraEngine& engine, CommandId) {
  const std::string destination = PopText(engine);
  const std::string archive = WithArchiveExtension(PopText(engine));
  if (!ConfirmChange(engine, destination, Quoted(destination) + SJ("へ解凍します。"))) return;
  const std::string options = WordValue(engine, SJ("解凍オプション"));
  TArchiveFile file;
  std::string failure;
  try {
    file.SetFileName(archive);
    file.SetOutputSize(kOutputSize);
    ParseArchiverOptions(file, options);
    file.Options().jse = 1;
    file.Options().jso = 1;
    const int result = file.Extract(MainWindow(engine), nullptr, {}, destination);
    if (result != kArcOk && result != kArcErrorUserCancel) failure = FailureText(file, result);
  } catch (const EArchiver& e) {
    failure = e.what();
  } catch (const EAssertionFailed& e) {
    failure = e.what();
  }
  if (failure.empty()) return;
  RaiseScriptError(engine, SJ("解凍のエラー。解凍先") + Quoted(destination) + SJ("、解凍元") +
                               Quoted(archive) + SJ("。オプション=") + Quoted(options) + SJ("。") +
                               failure);
}

// Makes the self-extracting program from an existing archive and moves it
// to the target name.
void MakeSelfExtractorFrom(TNuraEngine& engine, const std::string& archive,
                           const std::string& target) {
  const std::string folder = ExtractFolderPart(archive);
  const std::string base = ExtractNamePart(ChangeExtension(archive, ""));
  const std::string program = folder + SjisCopy(base, 1, 8) + ".exe";
  TArchiveFile file;
  file.SetFileName(archive);
  file.SetOutputSize(kOutputSize);
  ParseArchiverOptions(file, WordValue(engine, SJ("自己解凍書庫オプション")));
  file.Options().jso = 1;
  const int result = file.MakeSfx(MainWindow(engine), nullptr, folder);
  if (result != kArcOk) throw EArchiver(FailureText(file, result));
  const std::string from = ScriptPathToNative(program);
  std::error_code ec;
  if (!fs::exists(from, ec) || program == target) return;
  const fs::perms mode = fs::status(from, ec).permissions();  // executable
  const bool moved = ReplaceFileWith(from, ScriptPathToNative(target));
  if (moved) fs::permissions(ScriptPathToNative(target), mode, ec);
  fs::remove(from, ec);  // left behind only when the move failed
  if (!moved)
    throw EArchiver(SJ("自己解凍書庫") + Quoted(program) + SJ("を") + Quoted(target) +
                    SJ("へ移動できません。"));
}

// "自己解凍書庫作成" ("?を,?へ": the file list or an LHA archive, the program).
void MakeSelfExtracting(TNuraEngine& engine, CommandId) {
  const std::string target = PopText(engine);
  const std::string source = PopText(engine);
  if (!ConfirmChange(engine, target, Quoted(target) + SJ("へ自己解凍書庫を作成します。"))) return;
  // The old target goes first, so the new program keeps its own mode.
  std::error_code ec;
  fs::remove(ScriptPathToNative(target), ec);
  std::string ext = ExtractExtension(source);
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  try {
    if (ext != ".LZH") {
      TScratchFile temp(ReserveNumberedArchive());
      CompressFiles(engine, source, temp.ScriptPath());
      MakeSelfExtractorFrom(engine, temp.ScriptPath(), target);
    } else {
      MakeSelfExtractorFrom(engine, source, target);
    }
  } catch (const EArchiver& e) {
    RaiseScriptError(engine, e.what());
  } catch (const EAssertionFailed& e) {
    RaiseScriptError(engine, e.what());
  }
}

}  // namespace

constexpr CommandEntry kArchiveCommands[] = {
    {CommandId::Pack, Pack},
    {CommandId::Unpack, Unpack},
    {CommandId::MakeSelfExtracting, MakeSelfExtracting},
};

void RegisterArchiveCommands() { RegisterCommandTable(kArchiveCommands); }

}  // namespace nura
