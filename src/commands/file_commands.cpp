#include "commands/file_commands.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "support/dir_util.h"
#include "support/file_command_support.h"
#include "support/shell_helpers.h"
#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/packed_program.h"
#include "engine/script_files.h"
#include "engine/sjis_text.h"
#include "platform/clipboard.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/shell.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

const std::string& ClipboardWord() {
  static const std::string word = SJ("クリップボード");
  return word;
}

// The script's folder with its trailing separator.
std::string BaseFolder(TNuraEngine& engine) {
  std::string folder = ScriptFolder(engine);
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(ScriptPathToNative(path), ec);
}

// The variable that receives a read, its type letter "s".
void StoreReadText(TNuraEngine& engine, const NodePtr& node, const std::string& text) {
  if (node == ResultNode(engine)) {
    SetTextResult(engine, text);
    return;
  }
  CheckWritable(engine, *node);
  if (node->kind == kWordObject) {
    node->SetAnnotation("s");
    ObjectHost(engine).AssignObjectValue(engine, *node, text);
    return;
  }
  if (node->kind != kWordVariable && node->kind != kWordHash)
    RaiseScriptError(engine, Quoted(node->name) + SJ("には代入できません！"));
  node->kind = kWordVariable;
  node->SetHash(nullptr);
  node->SetValue(text);
  node->SetAnnotation("s");
}

// A file that a command reads: the extracted copy of a packed file, else
// the name completed by the folders where files are looked for.
std::string LocateSource(TNuraEngine& engine, const std::string& name) {
  const std::string packed = ExtractPackedFile(engine, name);
  return packed.empty() ? ResolveFilePath(engine, name) : packed;
}

// Devices and pipes are refused: reading one may never end.
bool ReadRegularFile(const std::string& path, std::string& text) {
  std::error_code ec;
  if (!fs::is_regular_file(ScriptPathToNative(path), ec)) return false;
  return ReadWholeFile(path, text);
}

// 読む, 開く: the whole file into a variable.
void ReadFile(TNuraEngine& engine, CommandId) {
  const std::string raw = PopRawArgument(engine);
  const NodePtr node = PopObject(engine, true);
  const std::string name = ExpandString(engine, raw);
  std::string text;
  if (name == ClipboardWord()) {
    text = GetClipboardText();
  } else if (!ReadRegularFile(LocateSource(engine, name), text)) {
    RaiseFileError(engine, name);
  }
  StoreReadText(engine, node, text);
}

// The whole file is replaced through the atomic writer; appending adds to
// it in place.
bool WriteBytes(const std::string& path, const std::string& bytes, bool append) {
  if (!append) return WriteFileAtomically(ScriptPathToNative(path), bytes);
  std::ofstream out(ScriptPathToNative(path), std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

// 書く, 保存: the text as the whole file.
void WriteFile(TNuraEngine& engine, CommandId) {
  const std::string raw = PopRawArgument(engine);
  const std::string text = PopText(engine);
  const std::string name = ExpandString(engine, raw);
  if (name == ClipboardWord()) {
    SetClipboardText(text);
    return;
  }
  if (!ConfirmChange(engine, name, Quoted(name) + SJ("へ書き込みます。"))) return;
  if (!WriteBytes(name, text, false)) RaiseFileError(engine, name);
}

void AppendFile(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const std::string text = PopText(engine);
  if (name == ClipboardWord()) {
    SetClipboardText(GetClipboardText() + text);
    return;
  }
  const std::string path = ResolveFilePath(engine, name);
  if (!ConfirmChange(engine, path, SJ("ファイル") + Quoted(path) + SJ("へ文字列を追加します。"))) return;
  std::error_code ec;
  if (!fs::exists(ScriptPathToNative(path), ec))
    RaiseScriptError(engine, SJ("ファイル\"") + path + SJ("\"が、ありません。"));
  if (!WriteBytes(path, text, true)) RaiseFileError(engine, path);
}

// The copy writes (and may replace) the destination, so it is confirmed
// like the other writes.
void CopyFile(TNuraEngine& engine, CommandId) {
  const std::string to = PopText(engine);
  const std::string from = LocateSource(engine, PopText(engine));
  if (!ConfirmChange(engine, to, Quoted(from) + SJ("を,") + Quoted(to) + SJ("へコピーしますか？"))) return;
  // Any other failure of the copy goes unreported; a folder copied into
  // itself is refused and said so.
  if (ShellCopyNestsInItself(from, to)) RaiseFileError(engine, from);
  ShellCopyFile(from, to);
}

void MoveFile(TNuraEngine& engine, CommandId) {
  const std::string to = PopText(engine);
  const std::string from = ResolveFilePath(engine, PopText(engine));
  const std::string message = Quoted(from) + SJ("を,") + Quoted(to) + SJ("へ移動しますか？");
  if (!ConfirmChange(engine, ConfirmTargetOf(engine, from, to), message)) return;
  ShellMoveFile(from, to);
}

// An existing file of the new name is never replaced: the rename fails.
void RenameFile(TNuraEngine& engine, CommandId) {
  const std::string to = PopText(engine);
  const std::string from = PopText(engine);
  const std::string message = SJ("ファイル名\"") + from + SJ("\"を、\r\n\"") + to + SJ("\"に、改名します。");
  if (!ConfirmChange(engine, ConfirmTargetOf(engine, from, to), message)) return;
  if (!RenameNoReplace(ScriptPathToNative(from), ScriptPathToNative(to)))
    RaiseFileError(engine, from, SJ("ファイル名の変更"));
}

std::string PathForDelete(TNuraEngine& engine, const std::string& path) {
  return IsAbsoluteScriptPath(path) ? path : BaseFolder(engine) + path;
}

void DeleteFile(TNuraEngine& engine, CommandId) {
  const std::string path = PathForDelete(engine, PopText(engine));
  if (!ConfirmChange(engine, path, SJ("ファイル") + Quoted(path) + SJ("を、削除します。"))) return;
  ShellDeleteFile(path, true);
}

// Files only, as the platform's file deletion: a folder stays.
void DeleteFileCompletely(TNuraEngine& engine, CommandId) {
  const std::string path = PathForDelete(engine, ResolveFilePath(engine, PopText(engine)));
  if (!ConfirmChange(engine, path, SJ("ファイル") + Quoted(path) + SJ("を、完全に削除します。"))) return;
  if (!HasFileWildcard(path) && IsFolder(path)) return;
  ShellDeleteFile(path, false);
}

void CreateFolder(TNuraEngine& engine, CommandId id) {
  const std::string folder = TrimText(PopText(engine));
  if (folder.empty()) RaiseArgumentError(engine, id, SJ("引数を指定してください。"));
  if (!ConfirmChange(engine, folder, Quoted(folder) + SJ(" にフォルダを作成します。"))) return;
  std::error_code ec;
  fs::create_directories(ScriptPathToNative(folder), ec);
}

// The whole tree goes, so it is confirmed like a file deletion.
void DeleteFolder(TNuraEngine& engine, CommandId) {
  const std::string folder = PopText(engine);
  if (TrimText(folder).empty()) return;
  if (!ConfirmChange(engine, folder, SJ("フォルダ") + Quoted(folder) + SJ("を、削除します。"))) return;
  DeleteFolderTree(folder);
}

void ChangeWorkingFolder(TNuraEngine& engine, CommandId id, const std::string& folder) {
  std::error_code ec;
  std::filesystem::current_path(ScriptPathToNative(folder), ec);
  if (!ec) return;
  const std::string reason = Utf8ToSjis(ec.message());
  RaiseScriptError(engine, Quoted(CommandNameOf(id)) + SJ("で作業フォルダの変更に失敗。理由は、") + reason);
}

void SetWorkingFolder(TNuraEngine& engine, CommandId id) {
  ChangeWorkingFolder(engine, id, PopText(engine));
}

// Without an argument (or with the "それ" that the dispatcher supplies) the
// current folder; with one, a change of folder.
void WorkingFolder(TNuraEngine& engine, CommandId id) {
  if (ArgumentCount(engine) > 0 && !SubjectLeftOut(engine)) {
    SetWorkingFolder(engine, id);
    return;
  }
  PopRawArgument(engine);
  std::error_code ec;
  std::string current = NativePathToScript(fs::current_path(ec).string());
  if (current.empty() || current.back() != '/') current += '/';
  SetTextResult(engine, current);
}

// A decimal integer with an optional sign; false for any other text.
bool ParseInteger(const std::string& text, int32_t& value) {
  const std::string t = TrimText(text);
  size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
  if (i >= t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    v = v * 10 + (t[i] - '0');
    if (v > 0x7FFFFFFFLL) return false;
  }
  value = static_cast<int32_t>(t[0] == '-' ? -v : v);
  return true;
}

void SetAttributes(TNuraEngine& engine, CommandId) {
  const std::string bitsText = PopText(engine);
  const std::string file = PopText(engine);
  int32_t bits = 0;
  if (!ParseInteger(bitsText, bits)) return;
  if (!ConfirmChange(engine, file, Quoted(file) + SJ("のファイル属性変更をしますか？"))) return;
  SetFileAttributeBits(ScriptPathToNative(file), bits);
}

void GetAttributes(TNuraEngine& engine, CommandId) {
  const std::string path = ResolveFilePath(engine, PopText(engine));
  SetResult(engine, std::to_string(GetFileAttributeBits(ScriptPathToNative(path))), "e");
}

// The link is a desktop entry: its name ends in ".desktop" (a ".lnk" or
// any other extension is replaced). It writes a file, so it is confirmed.
void CreateShortcut(TNuraEngine& engine, CommandId) {
  std::string link = TrimText(PopText(engine));
  const std::string file = TrimText(ResolveFilePath(engine, PopText(engine)));
  if (file.empty() || link.empty()) return;
  if (EndsWithSeparator(link)) link += ExtractNamePart(file);
  static const std::string kDesktop = ".desktop";
  if (link.size() < kDesktop.size() || link.compare(link.size() - kDesktop.size(), kDesktop.size(), kDesktop) != 0)
    link = ChangeExtension(link, kDesktop);
  if (!ConfirmChange(engine, link, Quoted(link) + SJ("へ書き込みます。"))) return;
  CreateShellLink(link, file, "", kShowNormal, ExtractFolderPart(AbsoluteScriptPath(file)));
}

}  // namespace

constexpr CommandEntry kFileCommands[] = {
    {CommandId::ReadFile, ReadFile},
    {CommandId::ReadFileUnnamed, ReadFile},
    {CommandId::WriteFile, WriteFile},
    {CommandId::WriteFileUnnamed, WriteFile},
    {CommandId::AppendFile, AppendFile},
    {CommandId::CopyFile, CopyFile},
    {CommandId::MoveFile, MoveFile},
    {CommandId::RenameFile, RenameFile},
    {CommandId::DeleteFile, DeleteFile},
    {CommandId::DeleteFileCompletely, DeleteFileCompletely},
    {CommandId::CreateFolder, CreateFolder},
    {CommandId::DeleteFolder, DeleteFolder},
    {CommandId::SetWorkingFolder, SetWorkingFolder},
    {CommandId::WorkingFolder, WorkingFolder},
    {CommandId::SetFileAttributes, SetAttributes},
    {CommandId::GetFileAttributes, GetAttributes},
    {CommandId::CreateShortcut, CreateShortcut},
};

void RegisterFileCommands() {
  RegisterCommandTable(kFileCommands);
  RegisterFileQueryCommands();
  RegisterAssociationCommands();
}

}  // namespace nura
