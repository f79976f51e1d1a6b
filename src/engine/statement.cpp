// The statement loop: one step reads one item at the cursor and either
// pushes it (a value or word with its particle) onto the argument stack or
// ends the statement by executing the word on top.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

#include "engine/command_ids.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/operand_text.h"
#include "engine/preprocess.h"
#include "engine/number_format.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "engine/table_access.h"
#include "platform/sjis.h"

namespace nura {
namespace {

bool IsOperatorChar(unsigned char c) { return c && std::strchr("%&*+-/<=>^|", c) != nullptr; }

// The kind letter of a computed value ("e" or "s", NUL-terminated); its
// length of one lets the compiler see that it fits in the node.
std::string_view KindLetter(const TStrNum& value) {
  return value.is_number ? std::string_view("e", 1) : std::string_view("s", 1);
}

// A computed value into a word: a whole number waits there as its number.
void WriteComputedValue(const TStrNum& value, THashNode& node) {
  int64_t whole = 0;
  if (value.is_number && !value.HasText() && ReadWholeNumber(value.number, whole)) {
    node.SetWhole(whole);
  } else {
    value.WriteText(node.ValueToReplace());
  }
}

// Replaces the line "key=..." of name=value lines, or appends it.
void SetLineValue(std::string& lines, const std::string& key, const std::string& value) {
  std::vector<std::string> list = SplitLines(lines);
  bool done = false;
  for (std::string& line : list) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && TrimText(line.substr(0, eq)) == key) {
      line = key + "=" + value;
      done = true;
      break;
    }
  }
  if (!done) list.push_back(key + "=" + value);
  lines = JoinLines(list);
}

}  // namespace

// ---- raw literals and text helpers ----

std::string TNuraEngine::MakeRawLiteral(const std::string& text) {
  std::string out = "`";
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsSjisLead(c) && i + 1 < text.size()) {
      out.append(text, i, 2);
      ++i;
      continue;
    }
    out += text[i];
    if (c == '`') out += '`';
  }
  return out + "`";
}

std::string TNuraEngine::RawLiteralToText(const std::string& raw) {
  if (raw.size() < 2 || raw.front() != '`' || raw.back() != '`') return raw;
  std::string out;
  const std::string inner = raw.substr(1, raw.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(inner[i]);
    if (IsSjisLead(c) && i + 1 < inner.size()) {
      out.append(inner, i, 2);
      ++i;
      continue;
    }
    out += inner[i];
    if (c == '`' && i + 1 < inner.size() && inner[i + 1] == '`') ++i;
  }
  return out;
}

bool TNuraEngine::EndsWithText(const std::string& text, const std::string& suffix) {
  if (suffix.empty() || suffix.size() > text.size()) return false;
  // The suffix must start on a character boundary.
  size_t at = text.size() - suffix.size();
  size_t i = 0;
  while (i < at) i += (IsSjisLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
  return i == at && text.compare(at, suffix.size(), suffix) == 0;
}

std::string TNuraEngine::RemoveSuffix(const std::string& text, const std::string& suffix) {
  return EndsWithText(text, suffix) ? text.substr(0, text.size() - suffix.size()) : text;
}

std::string TNuraEngine::ReadQuotedLiteral() { return ScanQuotedLiteral(base_->cursor.p, -1); }

std::string TNuraEngine::ReadArgumentText() {
  const char*& c = base_->cursor.p;
  std::string out;
  if (!c) return out;
  SkipBlanks(c);
  for (;;) {
    const char ch = *c;
    if (!ch || ch == '\r' || ch == '\n' || ch == ';') {
      std::string trimmed = TrimText(out);
      if ((ch == '\r' || ch == '\n') && !trimmed.empty() && trimmed.back() == '&') {
        ReadLineMarker(c);
        continue;
      }
      return TrimText(out);
    }
    if (ch == '"' || ch == '`') {
      out += ScanQuotedLiteral(c, -1);
    } else if (ch == '(') {
      out += "(" + ScanParenthesized(c) + ")";
    } else {
      int len = SjisCharLength(c);
      out.append(c, len);
      c += len;
    }
  }
}

// ---- the statement step ----

std::string TNuraEngine::SyntaxError(const std::string& what, const std::string& detail) {
  return FormatErrorMessage(Quoted(what) + SJ("は、文法が正しくないため、実行できません。") + detail);
}

namespace {

// The first bytes of statements that start with a word (those a kept
// statement may stand at): all but the ends, literals, groups, comments,
// marks and numbers.
constexpr std::array<bool, 256> kWordStatementStart = [] {
  std::array<bool, 256> table{};
  table.fill(true);
  table[0] = false;
  for (unsigned char ch : std::string_view("\r\n\"`#(*;?$+-0123456789")) table[ch] = false;
  return table;
}();

}  // namespace

void TNuraEngine::ExecuteStatement() {
  const char*& c = base_->cursor.p;
  if (!c) return;
  // Commas (also "、" folded) separate the arguments of a statement.
  SkipSeparators(c);
  const unsigned char ch = static_cast<unsigned char>(*c);
  // The kept statement first, on a path of its own: the other kinds need
  // far more of the stack.
  if (kWordStatementStart[ch]) {
    if (!RunKeptStatement()) ExecuteWordStatement(ch);
    return;
  }
  ExecuteMarkedStatement(ch);
}

void TNuraEngine::ExecuteMarkedStatement(unsigned char ch) {
  const char*& c = base_->cursor.p;
  switch (ch) {
    case 0:
      ExecutePendingWord();
      return;
    case '\r':
    case '\n':
      EndOfLine();
      return;
    case '"':
    case '`': {
      std::string word = MakeRawLiteral(ExpandString(ReadQuotedLiteral()));
      if (!c) return;  // the evaluation ended the run
      ReadConcatenation(word);
      StatementTail(std::move(word), false);
      return;
    }
    case '#':
      HashElementStatement();
      return;
    case '(':
      GroupStatement();
      return;
    case '*':
      while (*c && *c != '\r' && *c != '\n') ++c;
      return;
    case ';':
      ++c;
      ExecutePendingWord();
      return;
    case '?':
      ++c;
      ExecuteConditionStatement();
      return;
    default:
      NumberStatement();  // "$", a sign or a digit
      return;
  }
}

void TNuraEngine::ExecuteWordStatement(unsigned char ch) {
  const char*& c = base_->cursor.p;
  const char* at = c;
  std::string word = ReadWord();
  if (word.empty()) {
    std::string at(c, SjisCharLength(c));
    std::string detail;
    if (ch == '&') detail = SJ("\"&\"は、文字列との連結に使います。");
    else if (IsOperatorChar(ch)) detail = Quoted(at) + SJ("は、計算式で使います。");
    throw ENura(SyntaxError(at, detail));
  }
  static const std::string kAndThen = SJ("そして");
  if (word == kAndThen) {
    ExecutePendingWord();
    return;
  }
  const char* p = c;
  SkipBlanks(p);
  if (*p == '=' && base_->args.Empty()) {
    // "word = value": read once, kept for the next time the cursor is here.
    c = p + 1;
    const int line = base_->line;
    const char* value = c;
    std::string text = ReadArgumentText();
    if (c && base_->line == line && !std::memchr(value, '\n', static_cast<size_t>(c - value)) &&
        !std::memchr(value, '\r', static_cast<size_t>(c - value))) {
      TKeptStatement entry;
      entry.target = word;
      entry.text = text;
      entry.length = static_cast<size_t>(c - at);
      KeepStatement(at, std::move(entry));
    }
    AssignValueText(word, text);
    return;
  }
  static const std::string kNo = SJ("の");
  if (base_->args.Empty() && !(*p == '(' && EndsWithText(word, kNo) && KeepElementAssignment(at, word, p))) {
    TKeptStatement entry;
    entry.kind = TKeptStatement::TKind::kWord;
    entry.target = word;
    entry.wordLength = static_cast<size_t>(c - at);
    KeepStatement(at, std::move(entry));
  }
  StatementTail(std::move(word), true);
}

bool TNuraEngine::RunKeptStatement() {
  TNuraBase& b = *base_;
  if (!b.args.Empty()) return false;
  const char* at = b.cursor.p;
  const TKeptStatement* kept = keptStatements_.Find(b.cursor.text, at, b.words.ShapeGeneration());
  if (!kept) return KeepCommandStatement(at);
  using TKind = TKeptStatement::TKind;
  switch (kept->kind) {
    case TKind::kCommand:
      RunKeptCommand(kept->command, at);
      return true;
    case TKind::kRead:
      return false;
    case TKind::kAssignment: {
      b.cursor.p = at + kept->length;
      if (RunCompiledAssignment(*kept)) {
        // No code ran: the line break behind is passed at once.
        if (kept->lineEnd) PassKeptLineEnd(at, *kept->lineEnd);
        return true;
      }
      AssignKeptText(*kept);
      return true;
    }
    case TKind::kElementAssignment:
      b.cursor.p = at + kept->length;
      if (RunCompiledElementAssignment(*kept)) return true;
      break;
    case TKind::kWord:
      break;
  }
  // The statement goes on behind the word that was read here.
  b.cursor.p = at + kept->wordLength;
  if (!RunKeptBlockWord(*kept)) StatementTail(kept->target, true);
  return true;
}

void TNuraEngine::AssignKeptText(const TKeptStatement& kept) {
  // The entry may be replaced while the assignment runs: copies go on.
  const std::string target = kept.target, text = kept.text;
  AssignValueText(target, text);
}

inline bool TNuraEngine::AssignWholeNumber(const TKeptStatement& kept, THashNode& node) {
  int64_t whole = 0;
  if (!kept.compiled->EvaluateWhole(whole)) return false;
  node.SetWhole(whole);
  SetResultKind("e");
  node.SetAnnotation("e");
  return true;
}

bool TNuraEngine::RunCompiledAssignment(const TKeptStatement& kept) {
  if (!kept.compileTried) {
    kept.compileTried = true;
    const NodePtr node = kept.target.find('#') == std::string::npos ? FindAssignTarget(kept.target) : nullptr;
    if (!node || node->kind != kWordVariable) return false;
    kept.node = node;
    kept.compiled = TCompiledExpression::Compile(kept.text, TCompiledExpression::TForm::kArgument, base_->words);
    // AppendInPlace takes only "X & ...".
    const char* p = kept.text.c_str();
    kept.appendForm = ReadOperandWord(p) == node->name && (SkipBlanks(p), *p == '&' && p[1] != '&');
    kept.lineEnd = ReadKeptLineEnd(base_->cursor.p - kept.length, base_->cursor.p);
  }
  THashNode* node = AssignableNode(kept);
  if (!node) return false;
  // As AssignValueText: appending in place first.
  if (kept.appendForm && AppendInPlace(*node, kept.text, kept.compiled.get())) return true;
  // A whole number goes into the text as its digits, else the value's text.
  return AssignWholeNumber(kept, *node) || AssignComputedValue(kept, *node);
}

THashNode* TNuraEngine::AssignableNode(const TKeptStatement& kept) {
  THashNode* node = kept.node.get();
  return kept.compiled && node && node->kind == kWordVariable && !node->isProtected ? node : nullptr;
}

bool TNuraEngine::AssignComputedValue(const TKeptStatement& kept, THashNode& node) {
  TStrNum value;
  if (!kept.compiled->Evaluate(value)) return false;
  const std::string_view kind = KindLetter(value);
  WriteComputedValue(value, node);
  SetResultKind(kind.data());
  node.SetAnnotation(kind);
  return true;
}

bool TNuraEngine::RunAloneInBlock(const TextRef& block, const char* at, int depth, TAloneEnd ending,
                                  TPositionLink<TKeptStatement>* link) {
  // A block that is one kept statement from `at` on may run where it
  // stands, without a frame and the cursor's trip into the block: a
  // whole-number assignment ("(A=A+1)") or a kept "もし".
  TNuraBase& b = *base_;
  if (!b.args.Empty()) return false;
  SkipSeparators(at);
  const uint64_t shape = b.words.ShapeGeneration();
  const TKeptStatement* kept = link ? keptStatements_.Follow(*link, shape) : nullptr;
  if (!kept) {
    kept = keptStatements_.Find(block, at, shape);
    if (kept && link) *link = keptStatements_.LinkTo(kept, shape);
  }
  if (!kept || !kept->compileTried) return false;
  if (kept->kind == TKeptStatement::TKind::kWord) return RunIfAloneInBlock(block, *kept, at, depth, ending);
  if (kept->kind != TKeptStatement::TKind::kAssignment || kept->appendForm) return false;
  // Its compiled form runs no code and raises no error, so the frame
  // would change nothing.
  const char* rest = at + kept->length;
  SkipBlanks(rest);
  if (!EndsAlone(rest, at, kept->lineEnd, ending)) return false;
  THashNode* node = AssignableNode(*kept);
  if (!node || !AssignWholeNumber(*kept, *node)) return false;
  if (ending == TAloneEnd::kLoopBody) PassAloneEnd(rest, at, kept->lineEnd);
  return true;
}

bool TNuraEngine::EndsAlone(const char* rest, const char* from, const std::optional<TKeptLineEnd>& lineEnd,
                            TAloneEnd ending) {
  if (*rest == '\0') return true;
  return ending == TAloneEnd::kLoopBody && lineEnd && from + lineEnd->offset == rest &&
         rest[lineEnd->end.markerLength] == '\0';
}

void TNuraEngine::PassAloneEnd(const char* rest, const char* from, const std::optional<TKeptLineEnd>& lineEnd) {
  if (*rest == '\0') {
    base_->cursor.p = rest;
  } else {
    PassKeptLineEnd(from, *lineEnd);
  }
}

void TNuraEngine::KeepStatement(const char* at, TKeptStatement entry) {
  keptStatements_.Store(base_->cursor.text, at, std::move(entry), base_->words.ShapeGeneration());
}

bool TNuraEngine::KeepElementAssignment(const char* at, const std::string& word, const char* group) {
  // The statement reads the group as a key, "=" and the value text on the
  // same line; a particle behind the group or an argument list is another
  // statement.
  TNuraBase& b = *base_;
  const char* p = group;
  TKeptStatement entry;
  entry.kind = TKeptStatement::TKind::kElementAssignment;
  try {
    entry.key = ScanParenthesized(p);
  } catch (const std::exception&) {
    return false;
  }
  if (entry.key.find(',') != std::string::npos || entry.key.find('#') != std::string::npos) return false;
  SkipBlanks(p);
  if (*p != '=') return false;
  for (const std::string& particle : Particles()) {
    if (particle[0] == '=') return false;
  }
  const char* saved = b.cursor.p;
  b.cursor.p = p + 1;
  entry.text = TrimText(ReadArgumentText());
  const char* end = b.cursor.p;
  b.cursor.p = saved;
  if (!end || std::find_if(p, end, [](char ch) { return ch == '\r' || ch == '\n'; }) != end) return false;
  entry.target = word;
  entry.length = static_cast<size_t>(end - at);
  entry.wordLength = static_cast<size_t>(b.cursor.p - at);
  KeepStatement(at, std::move(entry));
  return true;
}

bool TNuraEngine::RunCompiledElementAssignment(const TKeptStatement& kept) {
  TNuraBase& b = *base_;
  if (!kept.compileTried) {
    kept.compileTried = true;
    kept.node = b.words.FindNode(RemoveSuffix(kept.target, SJ("の")), false);
    if (!kept.node) return false;
    using TForm = TCompiledExpression::TForm;
    kept.compiledKey = TCompiledExpression::Compile(kept.key, TForm::kArgument, b.words);
    kept.compiled = TCompiledExpression::Compile(kept.text, TForm::kArgument, b.words);
  }
  THashNode* owner = kept.node.get();
  if (!kept.compiled || !kept.compiledKey || owner->kind != kWordHash || !owner->Hash()) return false;
  TStrNum key, value;
  if (!kept.compiledKey->Evaluate(key) || !kept.compiled->Evaluate(value)) return false;
  const std::string& keyText = key.Text();
  THashNode& element = owner->Hash()->FindOrAddVariable(keyText, b.runControl.Count());
  const std::string_view kind = KindLetter(value);
  SetResultKind(kind.data());
  WriteComputedValue(value, element);
  element.SetAnnotation(kind);
  return true;
}

void TNuraEngine::EndOfLine() {
  const char* at = base_->cursor.p;
  const TLineEnd end = LineEndAtCursor();
  // A line ending in "," continues on the next line.
  if (end.continues) {
    base_->cursor.p += end.markerLength;
    base_->line = end.markerLine;
    return;
  }
  // The word runs before the marker is passed, so that its errors report
  // the line it stands on. A command that moved the cursor keeps its place.
  if (!base_->args.Empty()) ExecutePendingWord();
  PassLineEnd(at, end);
}

void TNuraEngine::PassLineEnd(const char* at) {
  if (base_->cursor.p == at) PassLineEnd(at, LineEndAtCursor());
}

void TNuraEngine::PassLineEnd(const char* at, const TLineEnd& end) {
  const char*& c = base_->cursor.p;
  if (c != at) return;
  c += end.markerLength;
  base_->line = end.markerLine;
  if (base_->lineStop && host_->ShowDebugger(*this)) RequestClose();
}

void TNuraEngine::ReadConcatenation(std::string& word) {
  const char*& c = base_->cursor.p;
  for (;;) {
    if (!c) return;
    const char* p = c;
    SkipBlanks(p);
    if (*p != '&') break;
    c = p + 1;
    SkipBlanks(c);
    if (*c == '\r' || *c == '\n') {
      base_->line = ReadLineMarker(c);
      SkipBlanks(c);
    }
    if (*c == '"' || *c == '`') {
      word += "&" + MakeRawLiteral(ExpandString(ReadQuotedLiteral()));
    } else {
      std::string operand = ReadWord();
      if (operand.empty()) throw ENura(SyntaxError("&", SJ("\"&\"は、文字列との連結に使います。")));
      word += "&" + operand;
    }
  }
  word += ReadParticle();
}

void TNuraEngine::HashElementStatement() {
  const char*& c = base_->cursor.p;
  TNuraBase& b = *base_;
  std::string name = b.args.Pop();
  if (name.empty()) throw ENura(SyntaxError("#", ""));
  if (!b.words.FindNode(name, false)) {
    auto node = THashNode::CreateVariable(name, false, -1, "");
    node->SetPosition(b.cursor);
    b.words.Add(std::move(node));
  }
  ++c;
  std::string word = name + "#" + ReadKey();
  SkipBlanks(c);
  if (*c == '#') {
    ++c;
    std::string key2 = ReadKey();
    static const std::string kTopic = SJ("は");
    if (EndsWithText(key2, kTopic)) {
      key2 = RemoveSuffix(key2, kTopic);
      c -= kTopic.size();
    }
    word += "#" + ExpandString(key2);
    if (!c) return;
  }
  if (*c && !IsWordDelimiter(static_cast<unsigned char>(*c))) word += ReadParticle();
  StatementTail(std::move(word), false);
}

std::string TNuraEngine::ReadKey() {
  const char*& c = base_->cursor.p;
  SkipBlanks(c);
  if (*c == '(') return "(" + ScanParenthesized(c) + ")";
  return ReadWord();
}

void TNuraEngine::NumberStatement() {
  const char*& c = base_->cursor.p;
  std::string expr = ReadNumberToken(c);
  if (expr.empty()) expr.assign(1, *c++);
  bool calculated = false;
  for (;;) {
    const char* p = c;
    SkipBlanks(p);
    if (!IsOperatorChar(static_cast<unsigned char>(*p))) break;
    c = p;
    while (IsOperatorChar(static_cast<unsigned char>(*c))) expr += *c++;
    SkipBlanks(c);
    expr += ReadNumberToken(c);
    calculated = true;
  }
  std::string word = calculated ? EvaluateExpression(expr) : expr;
  if (!c) return;
  const unsigned char next = static_cast<unsigned char>(*c);
  if (next != '\r' && next != '\n' && next != ',' && next != ';' && next != 0xA4)
    word += ReadParticle();
  StatementTail(std::move(word), false);
}

void TNuraEngine::GroupStatement() {
  const char*& c = base_->cursor.p;
  std::string inner = ScanParenthesized(c);
  std::string word = IsArgumentList(inner) ? "(" + inner + ")" : MakeRawLiteral(ExpandString(inner));
  if (!c) return;
  word += ReadParticle();
  StatementTail(std::move(word), false);
}

void TNuraEngine::StatementTail(std::string word, bool callable) {
  static const std::string kWa = SJ("は"), kKai = SJ("回"), kArm = SJ("の時");
  TNuraBase& b = *base_;
  const char*& c = b.cursor.p;
  if (!c) return;
  const char* behind = c;
  SkipBlanks(c);
  if (*c == '=') {
    ++c;
    ExecuteAssignment(word);
    return;
  }
  if (*c == '&') {
    std::string value;
    if (ParsePropertyReference(word, value)) word = MakeRawLiteral(value);
    if (!c) return;
    ReadConcatenation(word);
    b.args.Push(std::move(word));
    return;
  }
  switch (TailSuffixOf(word)) {
    case TTailSuffix::kNo:
      // The item name behind "Bの" is the next step's word: a chain of
      // phrases is read in the run loop, not by recursion.
      b.args.Push(std::move(word));
      return;
    case TTailSuffix::kWa:
      ExecuteAssignment(RemoveSuffix(word, kWa));
      return;
    case TTailSuffix::kKai: {
      std::string count = ExpandString(RemoveSuffix(word, kKai));
      if (!c) return;
      StartCountedLoop(IsNumberText(count) ? TextToInt32(count) : -1);
      return;
    }
    case TTailSuffix::kArm:
      ExecuteSwitchArm(RemoveSuffix(word, kArm));
      return;
    case TTailSuffix::kTe: {
      NodePtr node = b.words.FindNode(word, true);
      if (node && IsCallableKind(node->kind)) {
        if (*behind == '(') {
          c = behind;
          std::string result;
          CallWord(word, result, false);
          SetResult(result, resultKind_);
        } else {
          ExecuteWord(*node);
        }
        return;
      }
      break;
    }
    case TTailSuffix::kNone:
      break;
  }
  if (IsBlockWord(word)) {
    b.args.Push(std::move(word));
    ExecutePendingWord();
    return;
  }
  if (callable && *c == '(') {
    NodePtr node = b.words.FindNode(word, true);
    if (node && IsCallableKind(node->kind)) {
      c = behind;
      std::string result;
      CallWord(word, result, false);
      if (!c) return;
      const char* p = c;
      SkipBlanks(p);
      if (*p == 0 || *p == '\r' || *p == ';') {
        SetResult(result, resultKind_);
        return;
      }
      word = resultKind_ == "s" ? MakeRawLiteral(result) : result;
      word += ReadParticle();
    }
  }
  b.args.Push(std::move(word));
  if (c && *c == 0) ExecuteStatement();
}

TNuraEngine::TTailSuffix TNuraEngine::TailSuffixOf(const std::string& word) {
  static const std::string kNo = SJ("の"), kWa = SJ("は"), kKai = SJ("回"), kArm = SJ("の時"),
                           kTe = SJ("て");
  if (EndsWithText(word, kNo)) return TTailSuffix::kNo;
  if (EndsWithText(word, kWa)) return TTailSuffix::kWa;
  if (EndsWithText(word, kKai)) return TTailSuffix::kKai;
  if (EndsWithText(word, kArm)) return TTailSuffix::kArm;
  if (EndsWithText(word, kTe)) return TTailSuffix::kTe;
  return TTailSuffix::kNone;
}

// ---- executing words ----

bool TNuraEngine::IsBlockWord(const std::string& word) const {
  static const std::string kIf = SJ("もし"), kRepeat = SJ("繰返"), kIterate = SJ("反復"),
                           kLoop = SJ("ループ");
  if (word == kIf) return true;
  const std::string& key = base_->words.LooseKey(word);
  return key == kRepeat || key == kIterate || key == kLoop;
}

bool TNuraEngine::IsPlainIfCommand(const THashNode& node) {
  return node.kind == kWordCommand && node.id == IdNumber(CommandId::If) && node.Pattern().empty();
}

bool TNuraEngine::RunKeptBlockWord(const TKeptStatement& kept) {
  TNuraBase& b = *base_;
  if (!kept.compileTried) {
    // Only a word that StatementTail runs at once, whatever follows it.
    kept.compileTried = true;
    if (TailSuffixOf(kept.target) != TTailSuffix::kNone) return false;
    if (IsBlockWord(kept.target)) kept.node = b.words.FindNode(kept.target, true);
  }
  if (!kept.node) return false;
  const char* p = b.cursor.p;
  SkipBlanks(p);
  if (*p == '=' || *p == '&') return false;
  b.cursor.p = p;
  const THashNode& node = *kept.node;
  if (IsPlainIfCommand(node)) {
    // もし, kept in every loop that decides: straight to its statement, as
    // the dispatcher would go with nothing to bind.
    static const std::string kIf = SJ("もし");  // the entry may go while the condition runs
    b.implicitSubject = false;
    RunIfStatementWith(&kept.condition);
    CheckArgumentsTaken(kIf);
    return true;
  }
  RunWordNode(kept.target, *kept.node);
  return true;
}

void TNuraEngine::ExecutePendingWord() {
  TNuraBase& b = *base_;
  if (b.args.Empty()) return;
  const std::string word = b.args.Pop();
  NodePtr node = b.words.FindNode(word, true);
  if (!node) {
    if (!TryPropertyWord(word)) RaiseUndefinedWord(word);
    return;
  }
  RunWordNode(word, *node);
}

void TNuraEngine::RunWordNode(const std::string& word, THashNode& node) {
  ExecuteWord(node);
  CheckArgumentsTaken(word);
}

void TNuraEngine::CheckArgumentsTaken(const std::string& word) {
  if (!base_->args.Empty()) RaiseArgumentsLeft(word);
}

// Kept apart from the check, which runs behind every word.
[[gnu::noinline]] void TNuraEngine::RaiseArgumentsLeft(const std::string& word) {
  TNuraBase& b = *base_;
  std::string rest;
  for (const auto& item : b.args.Items()) rest += (rest.empty() ? "" : "\r\n") + item;
  b.args.Clear();
  throw ENura(FormatErrorMessage(
      Quoted(word) + SJ("命令の引数に誤りがあります。引数が多いです。\"") + rest + "\""));
}

void TNuraEngine::ExecuteWord(THashNode& node) {
  switch (node.kind) {
    case kWordCommand:
      DispatchCommand(node);
      return;
    case kWordLabel:
      CallUserFunction(node);
      return;
    case kWordDeclared:
      CallDllWord(node);
      return;
    case kWordVariable:
    case kWordObject:
      throw ENura(SyntaxError(node.name, SJ("変数を実行することは出来ません。")));
    default:
      return;
  }
}

bool TNuraEngine::TryPropertyWord(const std::string& word) {
  // The object is the text below the word ("Bの" of "Bの幅"); the property
  // reader consumes it when it knows the property. An empty stack gives no
  // object and nothing is pushed back.
  TNuraBase& b = *base_;
  const bool had = !b.args.Empty();
  const std::string object = b.args.Pop();
  std::string value;
  if (objectHost_->GetObjectProperty(*this, RemoveSuffix(object, SJ("の")), word, value)) {
    SetResult(value, ResultKind());
    return true;
  }
  if (had) b.args.Push(object);
  return false;
}

void TNuraEngine::RaiseUndefinedWord(const std::string& word) {
  TNuraBase& b = *base_;
  std::string text;
  for (const auto& item : b.args.Items()) text += item + ",";
  text = TrimText(text + word);
  b.args.Clear();
  throw ENura(FormatErrorMessage(
      Quoted(text) + SJ("は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！")));
}

// ---- assignments ----

NodePtr TNuraEngine::FindAssignTarget(const std::string& name) {
  THash& words = base_->words;
  NodePtr node = words.FindNode(name, false);
  if (node) return node;
  node = words.FindNode(name, true);
  return node && node->kind == kWordCommand ? node : nullptr;
}

void TNuraEngine::ExecuteAssignment(const std::string& target) {
  TNuraBase& b = *base_;
  if (!b.args.Empty()) {
    AssignElement(target);
    return;
  }
  if (!target.empty() && (target[0] == '"' || target[0] == '`')) {
    throw ENura(SyntaxError(target + SJ("の代入文"),
                            SJ("『変数名は、「内容」』のように書いてください。")));
  }
  AssignValueText(target, ReadArgumentText());
}

void TNuraEngine::AssignValueText(const std::string& target, const std::string& text) {
  TNuraBase& b = *base_;
  if (target.find('#') == std::string::npos) {
    const NodePtr node = FindAssignTarget(target);
    if (node && node->kind == kWordVariable && !node->isProtected && AppendInPlace(*node, text)) return;
  }
  const std::string value = ExpandString(text);
  const std::string kind = resultKind_;
  if (AssignTableElement(target, value)) return;
  NodePtr node = FindAssignTarget(target);
  if (!node) node = b.AddVariable(target, "", "");
  StoreValue(*node, value, kind);
}

void TNuraEngine::CheckWritable(const THashNode& node) {
  if (node.kind == kWordVariable && node.isProtected)
    throw ENura(FormatErrorMessage(Quoted(node.name) + SJ("は、読取専用です。")));
}

void TNuraEngine::StoreValue(THashNode& node, const std::string& value, const std::string& kind) {
  static const std::string kWorkFolder = SJ("作業フォルダ");
  switch (node.kind) {
    case kWordCommand: {
      if (node.name != StripOkurigana(kWorkFolder)) {
        throw ENura(FormatErrorMessage(Quoted(node.name) + SJ("は\"システム命令\"で予約語なので代入できません。")));
      }
      base_->args.Push(MakeRawLiteral(value));
      const bool lenient = base_->lenientBinding;
      base_->lenientBinding = true;
      try {
        DispatchCommand(node);
      } catch (...) {
        base_->lenientBinding = lenient;
        throw;
      }
      base_->lenientBinding = lenient;
      return;
    }
    case kWordVariable:
      CheckWritable(node);
      if (kind == "hs") {
        MakeHash(node, value);
      } else {
        node.SetValue(value);
        node.SetAnnotation(kind);
      }
      return;
    case kWordObject: {
      objectHost_->AssignObjectValue(*this, node, value);
      NodePtr last = base_->words.FindNode(SJ("そ"), false);
      if (last) base_->words.AssignNode(*last, node);
      return;
    }
    case kWordHash:
      if (kind == "hs") {
        MakeHash(node, value);
      } else {
        node.kind = kWordVariable;
        node.SetHash(nullptr);
        node.SetValue(value);
        node.SetAnnotation(kind);
      }
      return;
    default:
      throw ENura(SyntaxError(node.name, SJ("代入出来ません。")));
  }
}

void TNuraEngine::MakeHash(THashNode& node, const std::string& text) {
  static const std::string kHashText = SJ("ハッシュ");
  node.kind = kWordHash;
  node.SetHash(std::make_shared<THash>());
  node.Hash()->LoadFromText(text);
  node.SetValue(kHashText);
  node.SetAnnotation(kHashText);
}

NodePtr TNuraEngine::FollowNameChain(NodePtr node) {
  // At most 8 hops: "縦" names itself and A -> B -> A cycles must end.
  for (int hop = 0; hop < 8 && node && node->kind == kWordVariable; ++hop) {
    NodePtr next = base_->words.FindNode(node->Value(), false);
    if (!next || next == node) break;
    node = next;
  }
  return node;
}

void TNuraEngine::AssignElement(const std::string& target) {
  static const std::string kNo = SJ("の");
  static const std::string kHashText = SJ("ハッシュ");
  TNuraBase& b = *base_;
  const std::string stacked = b.args.Pop();
  if (!EndsWithText(stacked, kNo)) {
    throw ENura(FormatErrorMessage(
        SJ("\"オブジェクトへの不正な代入(") + stacked + "," + target +
        SJ(")。『オブジェクトの、項目名は、値』の形式で指定してください。\"")));
  }
  std::string name = RemoveSuffix(stacked, kNo);
  NodePtr node = b.words.FindNode(name, false);
  if (!node) {
    name = ExpandString(name);
    node = b.words.FindNode(name, false);
  }
  if (!node) {
    auto fresh = std::make_unique<THashNode>(name, false, kWordHash, b.runControl.Count(),
                                             kHashText, kHashText, "");
    fresh->SetHash(std::make_shared<THash>());
    node = b.words.AddNode(std::move(fresh));
  }
  node = FollowNameChain(node);
  const std::string valueText = TrimText(ReadArgumentText());
  CheckWritable(*node);
  switch (node->kind) {
    case kWordVariable: {
      const std::string key = ExpandString(target);
      const std::string value = ExpandString(valueText);
      SetLineValue(node->MutableValue(), key, value);
      return;
    }
    case kWordObject:
      // The text as written: the property writer evaluates it unless the
      // property takes it as written (event bindings: label names and code).
      objectHost_->SetObjectProperty(*this, *node, target, valueText);
      return;
    case kWordHash: {
      const std::string key = ExpandString(target);
      const std::string value = ExpandString(valueText);
      if (!node->Hash()) node->SetHash(std::make_shared<THash>());
      NodePtr element = node->Hash()->FindNode(key, false);
      if (!element)
        element = node->Hash()->AddNode(THashNode::CreateVariable(key, false, b.runControl.Count(), ""));
      element->SetValue(value);
      element->SetAnnotation(resultKind_);
      return;
    }
    default:
      throw ENura(FormatErrorMessage(Quoted(node->name) + SJ("には代入できません！")));
  }
}

// ---- conditions and switch arms ----

void TNuraEngine::ExecuteConditionStatement() {
  TNuraBase& b = *base_;
  if (b.args.Empty()) throw ENura(SyntaxError("?", ""));
  std::string text = b.args.Pop();
  std::string value;
  if (ParsePropertyReference(text, value)) text = value;
  const long double result = TextToNumber(EvaluateExpression(text));
  if (!b.cursor.p) return;
  const long double whole = std::trunc(result);
  b.conditionResult = whole != 0 && !std::isnan(whole) ? 1 : 0;
  const char*& c = b.cursor.p;
  SkipBlanks(c);
  if (*c == '\r' || *c == '\n') b.line = ReadLineMarker(c);
  SkipBlanks(c);
  static const std::string kWords[] = {SJ("ならば"), SJ("違えば"), SJ("なら"), SJ("でなければ")};
  bool present = false;
  for (const auto& w : kWords)
    if (std::strncmp(c, w.c_str(), w.size()) == 0) present = true;
  RunIfBlock(present);
}

void TNuraEngine::ExecuteSwitchArm(const std::string& arm) {
  static const std::string kOther = SJ("その他"), kAtLeast = SJ("以上"), kAtMost = SJ("以下");
  TNuraBase& b = *base_;
  TRunControl frame;
  frame.kind = kRunSwitch;
  CaptureArgument(frame);
  bool match = false;
  if (b.switchValue != kNoSwitchValue) {
    if (arm == kOther) {
      match = true;
    } else if (EndsWithText(arm, kAtLeast)) {
      match = TextToNumber(b.switchValue) >= TextToNumber(ExpandString(RemoveSuffix(arm, kAtLeast)));
    } else if (EndsWithText(arm, kAtMost)) {
      match = TextToNumber(b.switchValue) <= TextToNumber(ExpandString(RemoveSuffix(arm, kAtMost)));
    } else {
      match = ExpandString(arm) == b.switchValue;
    }
  }
  if (!match) return;
  b.switchValue = kNoSwitchValue;
  EnterBlock(std::move(frame));
}

// ---- property references ----

bool TNuraEngine::ParsePropertyReference(const std::string& text, std::string& value) {
  static const std::string kNo = SJ("の");
  std::string current = text;
  // A variable whose value names a word is followed at most 8 times.
  for (int hop = 0; hop <= 8; ++hop) {
    const char* p = current.c_str();
    const std::string word = ReadWordAt(p);
    if (!EndsWithText(word, kNo)) {
      if (!base_->words.FindNode(current, false)) return false;
      value = ExpandString(current);
      return true;
    }
    NodePtr node = base_->words.FindNode(RemoveSuffix(word, kNo), false);
    if (!node) return false;
    if (node->kind == kWordObject || node->kind == kWordHash) {
      value = ExpandString(current);
      return true;
    }
    if (node->kind != kWordVariable || !base_->words.FindNode(node->Value(), false)) return false;
    SkipBlanks(p);
    current = node->Value() + kNo + p;
  }
  return false;
}

// ---- numbers and table cells ----

bool TNuraEngine::IsNumberText(const std::string& text) {
  std::string t = TrimText(text);
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) t.erase(0, 1);
  return IsNumericText(t);
}

int32_t TNuraEngine::TextToInt32(const std::string& text) {
  const long double v = TextToNumber(text);
  if (!(v > -2147483649.0L && v < 2147483648.0L)) throw ERangeError();
  return static_cast<int32_t>(v);
}

bool TNuraEngine::AssignTableElement(const std::string& target, const std::string& value) {
  static const std::string kWa = SJ("は");
  const size_t first = target.find('#');
  if (first == std::string::npos) return false;
  const std::string name = target.substr(0, first);
  std::string rest = target.substr(first + 1);
  std::string columnKey;
  const size_t second = rest.find('#');
  if (second != std::string::npos) {
    columnKey = RemoveSuffix(rest.substr(second + 1), kWa);
    rest.resize(second);
  }
  const std::string rowText = ExpandString(RemoveSuffix(rest, kWa));
  if (!IsNumberText(rowText) || TextToNumber(rowText) != std::trunc(TextToNumber(rowText))) return false;
  const int row = TextToInt32(rowText);
  int column = -1;
  if (!columnKey.empty()) {
    const std::string columnText = ExpandString(columnKey);
    if (IsNumberText(columnText)) column = TextToInt32(columnText);
  }
  NodePtr node = base_->words.FindNode(name, false);
  if (!node) node = base_->AddVariable(name, "", "");
  CheckWritable(*node);
  TableCellWriter writer = GetTableCellWriter();
  if (!writer) throw ENura(FormatErrorMessage(Quoted(target) + SJ("には代入できません！")));
  writer(node->MutableValue(), row, column, value);
  return true;
}

}  // namespace nura
