// Declared commands. A word of kind 5 holds the function's entry address
// (address), the index of its library handle in the state's library list
// (id), the library and function names (annotation) and the call style
// (value): "P" or empty for the first style, where every argument is a
// text pointer, or "=" and type letters (return type first) for the second.
#include "engine/declared_commands.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/foreign_call.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The first style takes at most this many arguments.
constexpr size_t kMaxFirstStyleArgs = 5;

[[noreturn]] void RaiseArgumentError(TNuraEngine& e, const std::string& name) {
  RaiseScriptError(e, Quoted(name) + SJ("命令の引数に誤りがあります。"));
}

[[noreturn]] void RaiseDefinitionError(TNuraEngine& e, const std::string& name) {
  RaiseScriptError(e, SJ("DLLからインポートした命令\"") + name + SJ("\"の定義が間違っています。"));
}

[[noreturn]] void RaiseCallError(TNuraEngine& e, const std::string& name) {
  RaiseScriptError(e, SJ("外部DLLからの関数\"") + name + SJ("\"の呼び出しに失敗しました。"));
}

// An argument text expanded and folded to half width.
std::string PopFolded(TNuraEngine& e) { return ConvertToHalf(PopText(e)); }

size_t CountMarks(const std::string& pattern) {
  return static_cast<size_t>(std::count(pattern.begin(), pattern.end(), '?'));
}

std::string RemoveSpaces(std::string text) {
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
  return text;
}

// The letter of a type name of the second style; 0 for an unknown name.
char TypeLetter(const std::string& typeName) {
  std::string lower = typeName;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const std::pair<const char*, char> kTypes[] = {
      {"void", 'v'}, {"char*", 'p'}, {"word", 'w'}, {"dword", 'd'}, {"bool", 'b'}, {"int", 'i'},
  };
  for (const auto& [name, letter] : kTypes)
    if (lower == name) return letter;
  return 0;
}

// Splits "name(parameters)" into the name and the text inside the
// parentheses (up to the last ")"; no parentheses: no parameters).
void SplitFunction(const std::string& text, std::string& name, std::string& parameters) {
  const size_t open = text.find('(');
  if (open == std::string::npos) {
    name = TrimText(text);
    parameters.clear();
    return;
  }
  name = TrimText(text.substr(0, open));
  const size_t close = text.rfind(')');
  const size_t end = close == std::string::npos || close < open ? text.size() : close;
  parameters = text.substr(open + 1, end - open - 1);
}

// Loads the library, finds the function and enters the word `name`.
void EnterDeclared(TNuraEngine& e, const std::string& library, const std::string& function,
                   const std::string& name, const std::string& value, const std::string& pattern) {
  TNuraBase& b = e.Base();
  void* handle = LoadForeignLibrary(ScriptPathToNative(library));
  if (!handle) RaiseScriptError(e, SJ("DLL\"") + library + SJ("\"が見つかりません。"));
  void* entry = FindForeignFunction(handle, SjisToUtf8(function));
  if (!entry) {
    UnloadForeignLibrary(handle);
    RaiseScriptError(e, SJ("DLL\"") + library + SJ("\"の関数\"") + function + SJ("\"が見つかりません。"));
  }
  if (name.empty()) {
    UnloadForeignLibrary(handle);
    RaiseArgumentError(e, name);
  }
  auto node = std::make_unique<THashNode>(name, false, kWordDeclared,
                                          static_cast<int32_t>(b.libraries.size()),
                                          Quoted(library) + function, value, pattern);
  node->SetAddress(entry);
  b.libraries.push_back(handle);
  try {
    b.words.Add(std::move(node));
  } catch (const std::runtime_error& x) {  // a protected word of that name
    b.libraries.pop_back();
    UnloadForeignLibrary(handle);
    if (dynamic_cast<const ENura*>(&x)) throw;
    RaiseScriptError(e, x.what());
  }
}

// "DLL宣言", "文字型DLL宣言": library, "name(parameters)", new name.
void CmdDeclare(TNuraEngine& e, CommandId id) {
  const std::string name = PopFolded(e);
  const std::string declaration = PopFolded(e);
  const std::string library = PopFolded(e);
  std::string function, parameters;
  SplitFunction(declaration, function, parameters);
  EnterDeclared(e, library, function, name, id == CommandId::DeclareText ? "P" : "", parameters);
}

// "DLLを利用": library, "[type ]name(types)", particle pattern, new name.
void CmdUseLibrary(TNuraEngine& e, CommandId) {
  const std::string name = PopFolded(e);
  const std::string pattern = PopFolded(e);
  const std::string declaration = PopFolded(e);
  const std::string library = PopFolded(e);
  std::string head, parameters;
  SplitFunction(declaration, head, parameters);
  const size_t space = head.find_last_of(" \t");
  const std::string function = space == std::string::npos ? head : head.substr(space + 1);
  const std::string returnType = space == std::string::npos ? "" : RemoveSpaces(head.substr(0, space));
  // Every type must be known: a missing letter would shift the others.
  std::string letters(1, returnType.empty() ? 'v' : TypeLetter(returnType));
  size_t passed = 0;
  const std::string list = RemoveSpaces(parameters);
  for (size_t start = 0; !list.empty();) {
    const size_t comma = list.find(',', start);
    letters += TypeLetter(list.substr(start, comma == std::string::npos ? comma : comma - start));
    if (letters.back() != 'v') ++passed;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (letters.find('\0') != std::string::npos || passed != CountMarks(pattern) ||
      function.empty()) {
    RaiseArgumentError(e, name);
  }
  EnterDeclared(e, library, function, name, "=" + letters, pattern);
}

// One argument of a call: the bytes passed and, for a variable, the node
// whose value receives what the function wrote into them.
struct DllArgument {
  std::vector<char> bytes;  // NUL-terminated copy
  NodePtr variable;
};

bool IsLiteral(const std::string& raw) {
  static const std::string kOpen1 = SJ("「"), kOpen2 = SJ("『");
  return !raw.empty() && (raw[0] == '"' || raw[0] == '`' || raw.starts_with(kOpen1) ||
                          raw.starts_with(kOpen2));
}

DllArgument ReadDllArgument(TNuraEngine& e, const std::string& raw) {
  DllArgument arg;
  std::string text;
  NodePtr node = FindWord(e, raw);
  if (node && node->kind == kWordVariable) {
    // A variable passes its value (a buffer made by "確保" its bytes).
    text = node->Value();
    arg.variable = node;
  } else if (IsLiteral(raw)) {
    text = e.ExpandString(raw);
  } else if (!e.ParsePropertyReference(raw, text)) {
    text = raw;
  }
  arg.bytes.assign(text.begin(), text.end());
  arg.bytes.push_back('\0');
  return arg;
}

// The text of a returned pointer; empty for nil.
std::string TextAt(int64_t address) {
  const char* p = reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
  return p ? std::string(p) : std::string();
}

// The integer of an argument text for an integer letter.
int64_t IntegerOf(const DllArgument& arg, char letter) {
  const std::string text(arg.bytes.data());
  if (letter != 'd') return TNuraEngine::TextToInt32(text);
  const long double v = TextToNumber(text);
  if (!(v > -2147483649.0L && v < 4294967296.0L)) throw ERangeError();
  return static_cast<int64_t>(v);
}

ForeignType TypeOfLetter(char letter) {
  switch (letter) {
    case 'p': return ForeignType::Pointer;
    case 'v': return ForeignType::Void;
    case 'd': return ForeignType::UInt32;
    case 'w': return ForeignType::UInt16;
    default: return ForeignType::Int32;  // "i", "b"
  }
}

// Copies what the function wrote into a variable's bytes back into it.
void WriteBack(const DllArgument& arg) {
  THashNode* node = arg.variable.get();
  if (!node || node->kind != kWordVariable || node->isProtected) return;
  const size_t size = arg.bytes.size() - 1;
  if (node->Value().size() != size || std::memcmp(node->Value().data(), arg.bytes.data(), size) == 0)
    return;
  node->MutableValue().assign(arg.bytes.data(), size);
  node->SetAnnotation("s");
}

}  // namespace

void TNuraEngine::CallDllWord(THashNode& node) {
  TNuraBase& b = *base_;
  BindCommandArguments(node);
  // The declaration may be replaced while arguments run; keep this one.
  const std::string name = node.name, style = node.Value();
  void* const entry = node.Address();
  std::vector<DllArgument> args(CountMarks(node.Pattern()));
  for (size_t i = args.size(); i-- > 0;) args[i] = ReadDllArgument(*this, b.args.Pop());

  ForeignType resultType = ForeignType::Int32;
  std::vector<ForeignArg> passed;
  char resultLetter = 0;
  if (style.empty() || style == "P") {
    if (args.size() > kMaxFirstStyleArgs) RaiseDefinitionError(*this, name);
    resultType = style.empty() ? ForeignType::Int32 : ForeignType::Pointer;
    for (DllArgument& arg : args) passed.push_back({ForeignType::Pointer, 0, arg.bytes.data()});
  } else if (style[0] == '=' && style.size() >= 2) {
    resultLetter = style[1];
    resultType = TypeOfLetter(resultLetter);
    size_t next = 0;
    for (size_t i = 2; i < style.size(); ++i) {
      const char letter = style[i];
      if (letter == 'v') continue;
      if (next >= args.size() || !std::strchr("pidwb", letter)) RaiseDefinitionError(*this, name);
      DllArgument& arg = args[next++];
      if (letter == 'p') {
        passed.push_back({ForeignType::Pointer, 0, arg.bytes.data()});
      } else {
        passed.push_back({TypeOfLetter(letter), IntegerOf(arg, letter), nullptr});
      }
    }
    if (next != args.size() || !std::strchr("pidwbv", resultLetter)) RaiseDefinitionError(*this, name);
  } else {
    RaiseDefinitionError(*this, name);
  }

  int64_t value = 0;
  if (!CallForeign(entry, resultType, passed, value)) RaiseCallError(*this, name);
  for (const DllArgument& arg : args) WriteBack(arg);
  if (resultType == ForeignType::Pointer) {
    SetResult(TextAt(value), "s");
  } else if (resultType == ForeignType::Void) {
    SetResult("", "e");
  } else {
    SetResult(std::to_string(value), "e");
  }
}

constexpr CommandEntry kDeclaredCommands[] = {
    {CommandId::Declare, CmdDeclare},
    {CommandId::DeclareText, CmdDeclare},
    {CommandId::UseLibrary, CmdUseLibrary},
};

void RegisterDeclaredCommands() { RegisterCommandTable(kDeclaredCommands); }

}  // namespace nura
