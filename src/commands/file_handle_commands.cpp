// A handle is a variable whose value is the marker "\FILE_HANDLE", whose
// object is the stream and whose id is the stream's slot in the handle
// list of the interpreter state. A handle is only believed when all three
// agree, so a script that copies the marker into another variable never
// reaches a stream through it.
#include "commands/file_handle_commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/command_api.h"
#include "support/file_command_support.h"
#include "support/number_functions.h"
#include "commands/stream_state.h"
#include "engine/errors.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

constexpr std::string_view kMarker = "\\FILE_HANDLE";

// The stream of a handle word; nil when the word is no (open) handle.
TTextFileStream* StreamOf(const TStreamState& state, const THashNode& node) {
  if (node.kind != kWordVariable || node.Value() != kMarker) return nullptr;
  const void* address = node.Address();
  if (!address || node.id < 0 || static_cast<size_t>(node.id) >= state.handles.size()) return nullptr;
  TTextFileStream* stream = state.handles[static_cast<size_t>(node.id)].get();
  return stream == address ? stream : nullptr;
}

// The word and its stream; the word is looked up without taking a
// reference, as the handle commands use it at once.
struct THandle {
  THashNode* node = nullptr;
  TTextFileStream* stream = nullptr;
};

// The word named by the next argument. Its name is copied into state.name
// only when it names no open handle (for the error); a handle found, as on
// every line of a loop, costs no copy.
THandle PopHandleWord(TNuraEngine& engine, TStreamState& state) {
  const std::string_view name = PeekRawWord(engine, state.name);
  THandle handle{state.words.Find(WordTable(engine), name), nullptr};
  if (handle.node) handle.stream = StreamOf(state, *handle.node);
  if (!handle.stream) state.name.assign(name);
  DropArgument(engine);
  return handle;
}

// The handle named by the next argument. A name that is no word gives an
// empty handle (the command does nothing); a word that is no handle is
// "変数"%s"が見つかりません。".
THandle FindHandle(TNuraEngine& engine) {
  TStreamState& state = StreamStateOf(engine);
  const THandle handle = PopHandleWord(engine, state);
  if (handle.node && !handle.stream)
    RaiseScriptError(engine, SJ("変数\"") + state.name + SJ("\"が見つかりません。"));
  return handle;
}

// The handle of the line commands: a missing word is an error as well,
// "ファイル"ハンドル:name"が、ありません。".
TTextFileStream& RequireHandle(TNuraEngine& engine, TStreamState& state) {
  const THandle handle = PopHandleWord(engine, state);
  if (!handle.stream) RaiseScriptError(engine, SJ("ファイル\"ハンドル:") + state.name + SJ("\"が、ありません。"));
  return *handle.stream;
}

// Closes the stream of `node` when it is a handle and empties its slot.
void CloseStream(TNuraEngine& engine, THashNode& node) {
  TStreamState& state = StreamStateOf(engine);
  if (StreamOf(state, node)) state.handles[static_cast<size_t>(node.id)].reset();
  node.SetAddress(nullptr);
  node.SetValue("");
}

void OpenHandle(TNuraEngine& engine, bool detailed) {
  const uint32_t mode = detailed ? static_cast<uint32_t>(PopInteger(engine))
                                 : static_cast<uint32_t>(kOpenReadWrite);
  const std::string file = PopText(engine);
  const std::string name = PopRawWord(engine);
  NodePtr node = FindWord(engine, name);
  if (!node) node = AddVariable(engine, name, "", "");
  if (node->isProtected || node->kind != kWordVariable)
    RaiseScriptError(engine, "\"" + node->name + SJ("\"は、読取専用です。"));
  const std::string path = AbsoluteScriptPath(file);
  if (ConfirmFileOperation(engine, path, SJ("ファイル\"") + file + SJ("\"を操作しようとしています。よろしいですか？")) != 0)
    return;
  const std::string native = ScriptPathToNative(path);
  std::error_code ec;
  if (!detailed && !std::filesystem::exists(native, ec)) std::ofstream(native, std::ios::binary);
  auto stream = std::make_unique<TTextFileStream>(native, mode);
  // A handle opened again lets go of its earlier file.
  CloseStream(engine, *node);
  auto& handles = StreamStateOf(engine).handles;
  node->SetAddress(stream.get());
  node->SetValue(kMarker);
  node->id = static_cast<int32_t>(handles.size());
  handles.push_back(std::move(stream));
}

void Open(TNuraEngine& engine, CommandId) { OpenHandle(engine, false); }
void OpenDetailed(TNuraEngine& engine, CommandId) { OpenHandle(engine, true); }

void Close(TNuraEngine& engine, CommandId) {
  THandle handle = FindHandle(engine);
  if (!handle.node) return;
  CloseStream(engine, *handle.node);
  const std::string name = handle.node->name;
  DeleteWord(engine, name, false);
}

void Eof(TNuraEngine& engine, CommandId) {
  THandle handle = FindHandle(engine);
  if (handle.stream) SetFlagResult(engine, handle.stream->Eof());
}

void ToStart(TNuraEngine& engine, CommandId) {
  if (THandle handle = FindHandle(engine); handle.stream) handle.stream->Seek(0, TSeekOrigin::Begin);
}

void ToEnd(TNuraEngine& engine, CommandId) {
  if (THandle handle = FindHandle(engine); handle.stream) handle.stream->Seek(0, TSeekOrigin::End);
}

void Move(TNuraEngine& engine, CommandId) {
  const int32_t offset = PopInteger(engine);
  if (THandle handle = FindHandle(engine); handle.stream) handle.stream->Seek(offset, TSeekOrigin::Begin);
}

// The line buffer keeps its size from line to line up to this; a larger
// one (a long line, or the old text of a long variable) is let go.
constexpr size_t kKeptLineBuffer = 64 * 1024;

void ReadLine(TNuraEngine& engine, CommandId) {
  TStreamState& state = StreamStateOf(engine);
  TTextFileStream& stream = RequireHandle(engine, state);
  THashNode& variable = VariableForResult(engine, PeekRawWord(engine, state.name));
  DropArgument(engine);
  stream.ReadLine(state.line);
  SwapTextVariable(engine, variable, state.line);
  if (state.line.capacity() > kKeptLineBuffer) std::string().swap(state.line);
}

void WriteLine(TNuraEngine& engine, CommandId) {
  if (SecurityLevelHigh(engine)) {
    PopRawWord(engine);
    PopText(engine);
    return;
  }
  TTextFileStream& stream = RequireHandle(engine, StreamStateOf(engine));
  stream.WriteLine(PopText(engine));
}

// ハンドルにバイナリを書く: exactly n bytes, the value cut or padded with
// zero bytes.
void WriteBinary(TNuraEngine& engine, CommandId) {
  const int32_t count = PopInteger(engine);
  THandle handle = FindHandle(engine);
  const std::string value = PopText(engine);
  if (!handle.stream || count < 1) return;
  CheckGrowth(static_cast<uint64_t>(count));
  const size_t n = static_cast<size_t>(count);
  handle.stream->Write(value.substr(0, n));
  static const std::string zeros(4096, '\0');
  for (size_t left = n - std::min(n, value.size()); left > 0;) {
    const size_t chunk = std::min(left, zeros.size());
    handle.stream->Write(zeros.substr(0, chunk));
    left -= chunk;
  }
}

// ハンドルにバイナリを読む: n bytes from the position; past the end of the
// file the value is filled with zero bytes.
void ReadBinary(TNuraEngine& engine, CommandId) {
  const int32_t count = PopInteger(engine);
  THandle handle = FindHandle(engine);
  const std::string name = PopRawWord(engine);
  if (!handle.stream) return;
  THashNode& variable = VariableForResult(engine, name);
  if (count < 1) return;
  CheckGrowth(static_cast<uint64_t>(count));
  std::string bytes = handle.stream->Read(static_cast<size_t>(count));
  bytes.resize(static_cast<size_t>(count), '\0');
  SetTextVariable(engine, variable, bytes);
}

}  // namespace

constexpr CommandEntry kFileHandleCommands[] = {
    {CommandId::HandleOpen, Open},
    {CommandId::HandleOpenDetailed, OpenDetailed},
    {CommandId::HandleClose, Close},
    {CommandId::HandleAtEnd, Eof},
    {CommandId::HandleToStart, ToStart},
    {CommandId::HandleToEnd, ToEnd},
    {CommandId::HandleSeek, Move},
    {CommandId::HandleReadLine, ReadLine},
    {CommandId::HandleWriteLine, WriteLine},
    {CommandId::HandleWriteBinary, WriteBinary},
    {CommandId::HandleReadBinary, ReadBinary},
};

void RegisterFileHandleCommands() { RegisterCommandTable(kFileHandleCommands); }

}  // namespace nura
