#include "engine/word_commands.h"

#include <array>

#include "engine/command_api.h"
#include "engine/dialogs.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/preprocess.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {


const std::string kCrLf = "\r\n";

[[noreturn]] void RaiseNotCreated(TNuraEngine& engine, const std::string& name) {
  RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。"));
}

// The word a declaration names, created (as a variable of the current
// run-control depth) when missing. A protected word cannot be redeclared.
NodePtr DeclaredWord(TNuraEngine& engine, const std::string& name, const std::string& value) {
  TNuraBase& b = engine.Base();
  NodePtr node = b.words.FindNode(name, false);
  if (node && node->isProtected) {
    RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、既に存在するので、作成できません。"));
  }
  return node ? node : b.AddVariable(name, value, "");
}

void AsNumber(TNuraEngine& engine, CommandId) {
  NodePtr node = DeclaredWord(engine, PopRawWord(engine), "0");
  node->kind = kWordVariable;
  node->SetHash(nullptr);
  node->SetAnnotation("e");
  if (node->Value().empty()) node->SetValue("0");
}

void AsString(TNuraEngine& engine, CommandId) {
  NodePtr node = DeclaredWord(engine, PopRawWord(engine), "");
  if (node->kind == kWordHash) node->SetValue(node->Hash() ? node->Hash()->GetNameValueText() : "");
  node->kind = kWordVariable;
  node->SetHash(nullptr);
  node->SetAnnotation("s");
}

void AsDictionary(TNuraEngine& engine, CommandId) {
  const std::string name = PopRawWord(engine);
  NodePtr node = DeclaredWord(engine, name, "");
  if (node->kind == kWordVariable) {
    node->SetHash(std::make_shared<THash>());
    node->Hash()->LoadFromText(node->Value());
  } else if (node->kind != kWordHash) {
    RaiseScriptError(engine, "\"" + name + SJ("\"は、文法が正しくないため、実行できません。変更できません！"));
  }
  if (!node->Hash()) node->SetHash(std::make_shared<THash>());
  node->SetValue("");
  node->SetAnnotation("hs");
  node->kind = kWordHash;
}

// The name part of a name=value line; empty when it has no "=".
std::string NamePart(const std::string& line) {
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

void ListKeys(TNuraEngine& engine, CommandId) {
  const std::string name = PopRawWord(engine);
  NodePtr node = FindWord(engine, name);
  if (!node) RaiseNotCreated(engine, name);
  std::string keys;
  if (node->kind == kWordHash) {
    if (node->Hash()) {
      for (const NodePtr& item : node->Hash()->GetNodes()) keys += item->name + kCrLf;
    }
  } else {
    for (const std::string& line : SplitLines(node->Value())) keys += NamePart(line) + kCrLf;
  }
  SetTextResult(engine, keys);
}

void CopyWord(TNuraEngine& engine, CommandId) {
  TNuraBase& b = engine.Base();
  const std::string targetName = PopRawWord(engine);
  const std::string sourceName = PopRawWord(engine);
  NodePtr source = b.words.FindNode(sourceName, false);
  if (!source) RaiseNotCreated(engine, sourceName);
  // A reserved word, label or object never takes another word's place.
  NodePtr target = DeclaredWord(engine, targetName, "");
  b.words.AssignNode(*target, *source);
}

void Show(TNuraEngine& engine, CommandId) {
  const std::string name = PopRawWord(engine);
  if (FindWord(engine, name)) {
    if (engine.Host().ShowDebugger(engine)) engine.RequestClose();
    return;
  }
  const std::string value = engine.ExpandString(name);
  Dialogs().ShowMessage(SJ("「") + name + SJ("」の内容は、") + value, "");
}

// ---- ログる ----

struct TLogLine {
  std::string name;
  int64_t count = 0;
  std::string records;
};

// Splits name;count;limit;records (the records may hold ";").
TLogLine ParseLogLine(const std::string& line) {
  TLogLine log;
  size_t at = line.find(';');
  log.name = line.substr(0, at);
  std::string fields[2];
  for (std::string& field : fields) {
    if (at == std::string::npos) break;
    const size_t next = line.find(';', at + 1);
    field = line.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    at = next;
  }
  log.count = static_cast<int64_t>(TextToNumber(fields[0]));
  if (at != std::string::npos) log.records = line.substr(at + 1);
  return log;
}

int FindLogLine(const std::vector<std::string>& list, const std::string& name) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].compare(0, list[i].find(';'), name) == 0 && list[i].find(';') != std::string::npos)
      return static_cast<int>(i);
  }
  return -1;
}

void Log(TNuraEngine& engine, CommandId) {
  static const std::string kBreak = SJ("~改行_");
  TNuraBase& b = engine.Base();
  const int32_t limit = PopInteger(engine);
  const std::string name = PopRawWord(engine);
  const int index = FindLogLine(b.logList, name);
  TLogLine log;
  if (index < 0) {
    log.name = name;
    log.count = 1;
  } else {
    log = ParseLogLine(b.logList[static_cast<size_t>(index)]);
    if (log.count >= INT32_MAX) throw ERangeError();
    ++log.count;
  }
  const std::string value = SjisReplace(engine.ExpandString(name), kCrLf, kBreak, true);
  log.records += kBreak + "(" + std::to_string(log.count) + ")=" + value;
  if (log.count == limit) {
    const std::string text = SjisReplace(log.records, kBreak, kCrLf, true);
    const std::string memo = Dialogs().ShowMemo(text, SJ("ログ - \"") + name + "\"");
    if (memo.empty() && engine.Host().ShowDebugger(engine)) engine.RequestClose();
    log.records.clear();
  }
  const std::string line =
      name + ";" + std::to_string(log.count) + ";" + std::to_string(limit) + ";" + log.records;
  if (index < 0) {
    b.logList.push_back(line);
  } else {
    b.logList[static_cast<size_t>(index)] = line;
  }
}

// ---- 作る ----

// Runs the statements of `text` here, outside the run loop, so that their
// error reaches the caller.
void RunStatements(TNuraEngine& engine, std::string text) {
  TNuraBase& b = engine.Base();
  const std::string name =
      b.FileName() + SJ("の") + std::to_string(engine.CurrentLine()) + SJ("行目のぬらせら");
  PreprocessSource(text, name);
  const TextRef code = MakeText(std::move(text));
  const TextPos savedCursor = b.cursor;
  const std::string* savedFile = b.SavedFileName();
  const int savedLine = b.line;
  auto restore = [&] {
    if (!b.stopRequest) b.cursor = savedCursor;
    b.RestoreFileName(savedFile);
    b.line = savedLine;
  };
  b.cursor = TextPos::StartOf(code);
  b.SetFileName(name);
  try {
    while (b.cursor.p && *b.cursor.p && !b.stopRequest) {
      const char* before = b.cursor.p;
      engine.ExecuteStatement();
      if (b.cursor.p == before) break;
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void Make(TNuraEngine& engine, CommandId id) {
  const std::string name = TrimText(PopText(engine));
  if (name.empty()) RaiseArgumentError(engine, id, SJ("オブジェクト名がありません。"));
  try {
    RunStatements(engine, CreationStatement(name));
  } catch (const std::exception& e) {
    const bool logged = dynamic_cast<const ENura*>(&e) != nullptr;
    std::string message = logged ? e.what() : engine.FormatErrorMessage(e.what());
    // The failing creation's entry is replaced by the one with the note.
    std::string& log = ErrorLog();
    const std::string entry = message + kCrLf;
    if (logged && log.size() >= entry.size() && log.compare(log.size() - entry.size(), entry.size(), entry) == 0)
      log.resize(log.size() - entry.size());
    throw ENura(message + SJ("(\"作る\"命令にて)"));
  }
}

}  // namespace

std::string CreationStatement(const std::string& name) {
  static const std::array<std::string, 21> kKinds = {
      SJ("ボタン"), SJ("エディタ"), SJ("イメージ"), SJ("バー"), SJ("コンボ"), SJ("リスト"),
      SJ("メモ"), SJ("フォーム"), SJ("グリッド"), SJ("ラベル"), SJ("チェック"), SJ("トラック"),
      SJ("アニメ"), SJ("メニュー"), SJ("ブラウザ"), SJ("パネル"), SJ("Tエディタ"), SJ("ラジオ"),
      SJ("スクロール"), SJ("タブページ"), SJ("ツリー")};
  static const std::string kMenu = SJ("メニュー");
  const std::string raw = TNuraEngine::MakeRawLiteral(name);
  for (const std::string& kind : kKinds) {
    if (name.size() < kind.size() || name.compare(name.size() - kind.size(), kind.size(), kind) != 0)
      continue;
    if (kind == kMenu) return raw + SJ("を,メニュー作成;");
    return raw + SJ("を,") + kind + SJ("として,作成;");
  }
  return raw + SJ("を,ボタンとして,作成;");
}

constexpr CommandEntry kWordCommands[] = {
    {CommandId::Show, Show},
    {CommandId::AsNumber, AsNumber},
    {CommandId::AsString, AsString},
    {CommandId::HashKeys, ListKeys},
    {CommandId::DictionaryKeys, ListKeys},
    {CommandId::AsDictionary, AsDictionary},
    {CommandId::CopyWord, CopyWord},
    {CommandId::WriteLog, Log},
    {CommandId::Make, Make},
};

void RegisterWordCommands() { RegisterCommandTable(kWordCommands); }

}  // namespace nura
