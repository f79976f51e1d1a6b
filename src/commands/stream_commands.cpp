#include "commands/stream_commands.h"

#include <cstdint>

#include "engine/command_api.h"
#include "commands/common_memory_stream.h"
#include "support/file_command_support.h"
#include "commands/stream_state.h"
#include "engine/cipher.h"
#include "engine/errors.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

constexpr int64_t kSharedSize = 256;

const std::string& FileKey() {
  static const std::string key = SJ("qz7rmwkt4#%8b52ソxjネy*&ヘ");
  return key;
}

// 共有保存: "それ", cut to the block, written from its start; a shorter text
// ends with a NUL. The block stays open while the program runs (one stream
// per name, reused by later saves).
void ShareSave(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  std::string text = ResultNode(engine)->Value();
  if (static_cast<int64_t>(text.size()) < kSharedSize) text += '\0';
  else text.resize(kSharedSize);
  auto& memories = StreamStateOf(engine).sharedMemories;
  TCommonMemoryStream* stream = nullptr;
  for (const auto& m : memories) {
    if (m->Name() == name) stream = m.get();
  }
  if (!stream) {
    memories.push_back(std::make_unique<TCommonMemoryStream>(name, kSharedSize));
    stream = memories.back().get();
  }
  stream->Seek(0, 0);
  stream->Write(text.data(), static_cast<int64_t>(text.size()));
}

// 共有読込: the block's bytes up to the first NUL; a block that no program
// wrote reads as an empty text.
void ShareLoad(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  TCommonMemoryStream stream(name, kSharedSize);
  char bytes[kSharedSize];
  const int64_t n = stream.Read(bytes, kSharedSize);
  std::string text(bytes, static_cast<size_t>(n));
  if (const size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  SetTextResult(engine, text);
}

void EncipherSave(TNuraEngine& engine, CommandId id) {
  const std::string file = PopText(engine);
  const std::string text = PopText(engine);
  const std::string path = AbsoluteScriptPath(file);
  if (ConfirmFileOperation(engine, path, "\"" + file + SJ("\"へ保存しますか？")) != 0) return;
  std::string content;
  try {
    content = EncipherDataFile(text);
  } catch (const std::exception&) {
    RaiseCommandError(engine, id, SJ("で、暗号化に失敗"));
  }
  if (!WriteFileAtomically(ScriptPathToNative(path), content)) RaiseFileError(engine, file);
}

void DecipherLoad(TNuraEngine& engine, CommandId) {
  const std::string file = PopText(engine);
  const bool toResult = SubjectLeftOut(engine);
  const std::string name = PopRawWord(engine);
  std::string content;
  if (!ReadNativeFile(ScriptPathToNative(AbsoluteScriptPath(file)), content)) RaiseFileError(engine, file);
  const std::optional<std::string> text = DecipherDataFile(content);
  if (!text) RaiseFileError(engine, file);
  if (toResult) {
    SetTextResult(engine, *text);
    return;
  }
  THashNode& variable = VariableForResult(engine, name);
  SetTextVariable(engine, variable, *text);
}

}  // namespace

std::string EncipherDataFile(const std::string& text) {
  if (text.empty()) return "";
  if (text.size() > UINT32_MAX) throw ERangeError();
  const uint32_t n = static_cast<uint32_t>(text.size());
  std::string content(4, '\0');
  for (int i = 0; i < 4; ++i) content[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  content += text;
  TCipher cipher;
  cipher.Assign(content);
  cipher.Transform(FileKey());
  return cipher.Memory();
}

std::optional<std::string> DecipherDataFile(const std::string& content) {
  if (content.empty()) return std::string();
  if (content.size() < 4) return std::nullopt;
  TCipher cipher;
  cipher.Assign(content);
  cipher.Transform(FileKey());
  const std::string& plain = cipher.Memory();
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<uint32_t>(static_cast<unsigned char>(plain[i])) << (8 * i);
  // The length is checked against the bytes present before anything is
  // allocated: a damaged or foreign file never asks for gigabytes.
  if (n > plain.size() - 4) return std::nullopt;
  return plain.substr(4, n);
}

constexpr CommandEntry kStreamCommands[] = {
    {CommandId::ShareSave, ShareSave},
    {CommandId::ShareLoad, ShareLoad},
    {CommandId::EncipherSave, EncipherSave},
    {CommandId::DecipherLoad, DecipherLoad},
};

void RegisterStreamCommands() { RegisterCommandTable(kStreamCommands); }

}  // namespace nura
