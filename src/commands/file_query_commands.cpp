// The file commands that only look: listings, existence tests, long and
// short names, dates, sizes and the parts of a path.
#include <ctime>
#include <filesystem>
#include <system_error>

#include "support/dir_util.h"
#include "support/file_command_support.h"
#include "commands/file_commands.h"
#include "support/shell_helpers.h"
#include "engine/command_api.h"
#include "engine/script_files.h"
#include "engine/sjis_text.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

// The pieces of a pattern list separated by ";".
std::vector<std::string> SplitPatterns(const std::string& text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

void ListEntries(TNuraEngine& engine, bool folders) {
  const std::string text = PopText(engine);
  if (text.empty()) return;
  std::vector<std::string> names;
  for (const std::string& piece : SplitPatterns(text)) {
    const TGlob glob(piece);
    const auto& list = folders ? glob.Folders() : glob.Files();
    names.insert(names.end(), list.begin(), list.end());
  }
  SetValueOnly(engine, JoinLines(names));
}

void ListFiles(TNuraEngine& engine, CommandId) { ListEntries(engine, false); }
void ListFolders(TNuraEngine& engine, CommandId) { ListEntries(engine, true); }

void ListAllFiles(TNuraEngine& engine, CommandId) {
  const std::string text = TrimText(PopText(engine));
  if (text.empty()) return;
  std::string all;
  SetTextResult(engine, all);
  for (const std::string& piece : SplitPatterns(text)) all += JoinLines(ListFilesRecursive(piece));
  SetTextResult(engine, all);
}

bool IsFolderPath(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(ScriptPathToNative(path), ec);
}

bool IsFilePath(const std::string& path) {
  std::error_code ec;
  const std::string native = ScriptPathToNative(path);
  return !path.empty() && fs::exists(native, ec) && !fs::is_directory(native, ec);
}

void IsFolder(TNuraEngine& engine, CommandId) {
  SetValueOnly(engine, IsFolderPath(TrimText(PopText(engine))) ? "1" : "0");
}

void IsFile(TNuraEngine& engine, CommandId) {
  SetValueOnly(engine, IsFilePath(TrimText(PopText(engine))) ? "1" : "0");
}

void Exists(TNuraEngine& engine, CommandId) {
  const std::string path = TrimText(PopText(engine));
  const bool found = EndsWithSeparator(path) ? IsFolderPath(path) : IsFilePath(path);
  SetValueOnly(engine, found ? "1" : "0");
}

// Linux has no 8.3 names: the full path of an existing file, else "".
void ShortName(TNuraEngine& engine, CommandId) {
  const std::string path = ResolveFilePath(engine, PopText(engine));
  std::error_code ec;
  const std::string native = ScriptPathToNative(path);
  std::string name;
  if (!native.empty() && fs::exists(native, ec))
    name = NativePathToScript(fs::absolute(native, ec).lexically_normal().string());
  if (name.size() > 256) name.clear();
  SetTextResult(engine, name);
}

void LongName(TNuraEngine& engine, CommandId) {
  const std::string path = ResolveFilePath(engine, PopText(engine));
  SetTextResult(engine, ExpandToLongFileName(path));
}

// The first entry that the text names (wildcards allowed, any kind).
TFileStatus StatusOfFirstMatch(TNuraEngine& engine) {
  const std::string text = PopText(engine);
  const TGlob glob(text);
  std::string first;
  if (!glob.Files().empty()) first = glob.Folder() + glob.Files().front();
  else if (!glob.Folders().empty()) first = glob.Folder() + glob.Folders().front();
  TFileStatus status;
  if (first.empty() || !ReadFileStatus(ScriptPathToNative(first), status)) RaiseFileError(engine, text);
  return status;
}

// Local time in the two-second steps of the platform's file records.
void FileDate(TNuraEngine& engine, CommandId) {
  std::tm tm = LocalTimeOf(StatusOfFirstMatch(engine).modified);
  tm.tm_sec -= tm.tm_sec % 2;
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &tm);
  SetTextResult(engine, text);
}

void FileSize(TNuraEngine& engine, CommandId) {
  const int64_t size = StatusOfFirstMatch(engine).size;
  const auto low = static_cast<uint32_t>(static_cast<uint64_t>(size) & 0xFFFFFFFFu);
  SetTextResult(engine, std::to_string(low));
}

void FolderPart(TNuraEngine& engine, CommandId) {
  SetResult(engine, ExtractFolderPart(PopText(engine)), "s");
}

void NamePart(TNuraEngine& engine, CommandId) {
  SetResult(engine, ExtractNamePart(PopText(engine)), "s");
}

void ExtensionPart(TNuraEngine& engine, CommandId) {
  SetResult(engine, ExtractExtension(PopText(engine)), "s");
}

void ReplaceExtension(TNuraEngine& engine, CommandId) {
  const std::string ext = PopText(engine);
  SetResult(engine, ChangeExtension(PopText(engine), ext), "s");
}

}  // namespace

constexpr CommandEntry kFileQueryCommands[] = {
    {CommandId::ListFiles, ListFiles},
    {CommandId::ListFolders, ListFolders},
    {CommandId::ListAllFiles, ListAllFiles},
    {CommandId::IsFolder, IsFolder},
    {CommandId::IsFile, IsFile},
    {CommandId::Exists, Exists},
    {CommandId::ShortName, ShortName},
    {CommandId::LongName, LongName},
    {CommandId::FileDate, FileDate},
    {CommandId::FileSize, FileSize},
    {CommandId::FolderPart, FolderPart},
    {CommandId::NamePart, NamePart},
    {CommandId::ExtensionPart, ExtensionPart},
    {CommandId::ReplaceExtension, ReplaceExtension},
};

void RegisterFileQueryCommands() { RegisterCommandTable(kFileQueryCommands); }

}  // namespace nura
