// Command statements kept per position. A statement made only of words
// ("回数を加算", "Aと言う", "Sの文字数") reads the same every time while the
// word table and its particle patterns stay as they are: its words are read
// once and then pushed again at once, and the command runs through the
// usual road (ExecutePendingWord at the statement's end), so binding, line
// numbers and error messages stay what they were.
//
// A statement is kept only when every item would go the plain road of
// StatementTail (pushed as read). Anything else (assignments, literals,
// numbers, groups, hash elements, loops, conditions, the call form, a
// te-form command that runs at once, "そして") keeps being read each time.
#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/binding.h"
#include "engine/command_ids.h"
#include "engine/engine.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

bool EndsStatement(char c) { return c == 0 || c == '\r' || c == '\n' || c == ';'; }

// Characters at which ExecuteStatement takes another road than reading a word.
bool StartsOtherItem(unsigned char c) {
  return c == '"' || c == '`' || c == '#' || c == '(' || c == '*' || c == '?' || c == '$' ||
         c == '+' || c == '-' || (c >= '0' && c <= '9');
}

}  // namespace

bool TNuraEngine::PlainItem(const std::string& word, const char* next, NodePtr& node) {
  static const std::string kAndThen = SJ("そして");
  node = nullptr;
  if (word.empty() || word == kAndThen || *next == '=' || *next == '&') return false;
  const TTailSuffix suffix = TailSuffixOf(word);
  if (suffix == TTailSuffix::kNo) return true;
  if (suffix != TTailSuffix::kNone && suffix != TTailSuffix::kTe) return false;
  node = base_->words.FindNode(word, true);
  const bool callable = node && IsCallableKind(node->kind);
  if (callable && (*next == '(' || suffix == TTailSuffix::kTe)) return false;
  return !IsBlockWord(word);
}

bool TNuraEngine::ScanPlainCommand(const char* at, TKeptCommand& kept) {
  static const std::string kNo = SJ("の");
  const char* p = at;
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (StartsOtherItem(c) || EndsStatement(static_cast<char>(c))) return false;
    const bool item = !kept.items.empty() && EndsWithText(kept.items.back(), kNo);
    std::string word = ReadKeptWord(p, item);
    SkipBlanks(p);
    if (!PlainItem(word, p, kept.node)) return false;
    kept.items.push_back(std::move(word));
    kept.length = static_cast<size_t>(p - at);
    const char* q = p;
    SkipSeparators(q);
    if (EndsStatement(*q)) {
      // The command word itself must not be a "の" item, which runs the
      // statement loop once more before the statement ends.
      if (EndsWithText(kept.items.back(), kNo)) return false;
      const bool lineEnd = *q == '\r' || *q == '\n';
      std::optional<TKeptLineEnd> keptEnd;
      if (lineEnd) keptEnd = ReadKeptLineEnd(at, q);
      if (kept.node && (*q == 0 || keptEnd)) {
        kept.endLength = static_cast<size_t>(q - at);
        if (keptEnd) kept.lineEnd = keptEnd->end;
        KeepBinding(kept);
      } else {
        kept.node = nullptr;
      }
      return true;
    }
    p = q;
  }
}

namespace {

// A copy of a kept statement's command word, for the arguments check behind
// it (the kept entry may be replaced while the word runs). Most words are a
// few characters: those are copied as bytes, without the string machinery.
class TWordCopy {
 public:
  explicit TWordCopy(const std::string& word) : size_(word.size()) {
    if (size_ <= TShortText::kMaxSize) {
      short_ = TShortText::Of(word);
    } else if (size_ <= sizeof(bytes_)) {
      std::memcpy(bytes_, word.data(), size_);
    } else {
      long_ = word;
    }
  }
  std::string Text() const {
    if (long_) return *long_;
    if (size_ > TShortText::kMaxSize) return std::string(bytes_, size_);
    std::string text;
    short_.WriteTo(text);
    return text;
  }

 private:
  TShortText short_;  // up to 16 bytes, in registers
  char bytes_[48];    // up to 48 (a long command name), without the heap
  size_t size_;
  std::optional<std::string> long_;
};

// A command binds its arguments before its handler runs, a label with a
// pattern as it is called.
bool BindsAtOnce(const THashNode& node) {
  return node.kind == kWordCommand || (node.kind == kWordLabel && !node.Pattern().empty());
}

}  // namespace

void TNuraEngine::KeepBinding(TKeptCommand& kept) {
  const THashNode& node = *kept.node;
  if (!BindsAtOnce(node)) return;
  std::vector<std::string> texts(kept.items.begin(), kept.items.end() - 1);
  try {
    kept.boundSubject = BindArguments(texts, node.name, node.Pattern(), false);
  } catch (const EBinding&) {
    return;  // the error comes when the statement runs
  }
  kept.bound = std::move(texts);
  kept.hasBound = true;
  if (node.kind == kWordCommand) kept.handler = PlainHandlerOf(node);
  if (node.kind == kWordLabel) {
    const auto values = std::count(node.Pattern().begin(), node.Pattern().end(), '?');
    kept.callsLabel = static_cast<size_t>(values) == kept.bound.size();
    if (kept.callsLabel) {
      for (const std::string& text : kept.bound) kept.boundVariables.push_back(LoneVariable(text));
      kept.labelLineEnd = LabelLineEnd(node);
    }
  }
}

bool TNuraEngine::KeepCommandStatement(const char* at) {
  TKeptStatement entry;
  if (!base_->cursor.text || !ScanPlainCommand(at, entry.command)) {
    entry.kind = TKeptStatement::TKind::kRead;
    entry.command = TKeptCommand();
    KeepStatement(at, std::move(entry));
    return false;
  }
  entry.kind = TKeptStatement::TKind::kCommand;
  const TKeptStatement* kept =
      keptStatements_.Store(base_->cursor.text, at, std::move(entry), base_->words.ShapeGeneration());
  RunKeptCommand(kept->command, at);
  return true;
}

void TNuraEngine::PushKeptCommandItems(const TKeptCommand& kept, const char* at) {
  TNuraBase& b = *base_;
  for (const std::string& item : kept.items) b.args.Push(item);
  b.cursor.p = at + kept.length;
  // At the end of its text the word runs at once, as StatementTail does.
  if (*b.cursor.p == 0) ExecuteStatement();
}

void TNuraEngine::RunKeptCommandWord(const TKeptCommand& kept, const char* at) {
  // As the statement loop would: the items but the word pushed, the cursor
  // at the line break or the end of the text, and the word run there. The
  // entry may be replaced while the word runs: the word is a copy, and so is
  // the node pointer unless the word is a command, whose node is done with
  // before its handler runs any code.
  TNuraBase& b = *base_;
  THashNode& node = *kept.node;
  const bool bound = kept.hasBound && !b.lenientBinding && BindsAtOnce(node);
  if (bound && kept.callsLabel && node.kind == kWordLabel) {
    // The label takes every text: nothing is left for the arguments check.
    b.cursor.p = at + kept.endLength;
    b.implicitSubject = kept.boundSubject;
    CallKeptLabel(kept);
    return;
  }
  if (bound) {
    for (const std::string& text : kept.bound) b.args.Push(text);
  } else {
    const size_t words = kept.items.size() - 1;
    for (size_t i = 0; i < words; ++i) b.args.Push(kept.items[i]);
  }
  const TWordCopy word(kept.items.back());
  const NodePtr held = node.kind == kWordCommand ? nullptr : kept.node;
  const bool subject = kept.boundSubject;
  const char* end = at + kept.endLength;
  const TLineEnd lineEnd = kept.lineEnd;
  b.cursor.p = end;
  if (bound) b.implicitSubject = subject;
  if (bound && kept.handler && node.kind == kWordCommand) {
    // As DispatchCommand would run it; the node is not touched once the
    // handler runs.
    kept.handler(*this, static_cast<CommandId>(node.id));
  } else {
    // As RunWordNode; the word's text is made only for the error.
    if (bound) boundFor_ = &node;
    ExecuteWord(node);
  }
  if (!b.args.Empty()) RaiseArgumentsLeft(word.Text());
  // The word may have ended the run and freed the text `end` lies in: the
  // cursor, which holds its text, is compared first.
  if (b.cursor.p == end && *end) PassLineEnd(end, lineEnd);
}

std::optional<TNuraEngine::TLineEnd> TNuraEngine::LabelLineEnd(const THashNode& label) {
  const TextPos& start = label.Position();
  if (!start.p || !start.text || (*start.p != '\r' && *start.p != '\n')) return std::nullopt;
  const TLineEnd end = ReadLineEnd(start.text->c_str(), start.p);
  if (end.continues) return std::nullopt;
  return end;
}

void TNuraEngine::PassLabelBreak(const std::optional<TLineEnd>& kept) {
  // Nothing is pending at the label: its line break is passed at once,
  // unless the calls nest too deep, which the next step reports at the
  // label's line. A line end read when the call was kept is passed as
  // the statement step would pass it.
  TNuraBase& b = *base_;
  if (b.runControl.Count() > kMaxFrames) return;
  if (kept && b.args.Empty()) PassLineEnd(b.cursor.p, *kept);
  else PassBreakAtCursor();
}

const TNuraEngine::TKeptCommand* TNuraEngine::KeptTakingStatement(const TKeptCommand& call, const char*& at) const {
  const TNuraBase& b = *base_;
  const TextPos& label = call.node->Position();
  if (!call.labelLineEnd || !label.text) return nullptr;
  // Where the statement step would look for the first statement.
  at = label.p + call.labelLineEnd->markerLength;
  SkipSeparators(at);
  const TKeptStatement* first = keptStatements_.Find(label.text, at, b.words.ShapeGeneration());
  if (!first || first->kind != TKeptStatement::TKind::kCommand) return nullptr;
  const TKeptCommand& taking = first->command;
  const THashNode* node = taking.node.get();
  const bool plain = node && node->kind == kWordCommand && node->id == static_cast<int>(CommandId::TakeArguments) &&
                     taking.endLength && taking.items.size() == 1 && taking.hasBound && taking.handler &&
                     taking.bound.empty();
  return plain ? &taking : nullptr;
}

bool TNuraEngine::CallTakingAtOnce(const TKeptCommand& kept, const THashNode& variable) {
  // The label begins with a plain 引数取得 (kept) and gets one value with
  // nothing to trim: the value goes to "それ" as the call enters, as that
  // statement would put it there, and the statement is passed. Anything
  // that could make the steps differ (values left by an earlier call, the
  // debugger stepping lines, lenient binding, nesting too deep) takes the
  // usual road.
  TNuraBase& b = *base_;
  if (!b.secondStack.Empty() || b.lineStop || b.lenientBinding || b.runControl.Count() >= kMaxFrames) return false;
  // A whole number (a count, mostly) goes over as its number, its digits
  // made only when they are read; another value must have nothing to trim.
  int64_t whole = 0;
  const bool isWhole = variable.ReadWhole(whole) && TKeptNumber::FitsPending(whole);
  if (!isWhole && HasOuterBlank(variable.Value())) return false;
  const char* at = nullptr;
  const TKeptCommand* taking = KeptTakingStatement(kept, at);
  if (!taking) return false;
  const TKeptNumber number = isWhole ? TKeptNumber() : variable.KeptNumber();
  EnterLabel(*kept.node);
  PassLabelBreak(kept.labelLineEnd);
  // As RunKeptCommandWord runs the statement: the cursor at its end, its
  // binding's subject flag, the value, and the line break behind.
  const char* end = at + taking->endLength;
  b.cursor.p = end;
  b.implicitSubject = taking->boundSubject;
  if (isWhole) {
    THashNode& result = *ResultNode();
    result.SetWhole(whole);
    result.SetAnnotation("s");
    SetResultKind("s");
  } else {
    SetResult(variable.Value(), "s");
    ResultNode()->KeepNumber(number);
  }
  if (*end) PassLineEnd(end, taking->lineEnd);
  return true;
}

void TNuraEngine::CallKeptLabel(const TKeptCommand& kept) {
  TNuraBase& b = *base_;
  TStack& values = b.secondStack;
  const auto isVariable = [](const THashNode* node) { return node && node->kind == kWordVariable; };
  const std::vector<const THashNode*>& plain = kept.boundVariables;
  if (std::all_of(plain.begin(), plain.end(), isVariable)) {
    if (plain.size() == 1 && CallTakingAtOnce(kept, *plain[0])) return;
    // Plain variables give their values without running code.
    for (const THashNode* variable : plain) values.Push(ExpandVariable(*variable));
    if (plain.size() == 1) b.secondStackNumber = plain[0]->KeptNumber();
    EnterLabel(*kept.node);
    PassLabelBreak(kept.labelLineEnd);
    return;
  }
  // Expanding a text may run code that replaces the kept entry or removes
  // the variables it names: the node and the texts go on as copies, and a
  // variable counts only while the table keeps its shape.
  const NodePtr node = kept.node;
  const uint64_t shape = b.words.ShapeGeneration();
  const std::vector<std::string> texts = kept.bound;
  const std::vector<const THashNode*> variables = kept.boundVariables;
  for (size_t i = 0; i < texts.size(); ++i) {
    const THashNode* variable = b.words.ShapeGeneration() == shape ? variables[i] : nullptr;
    values.Push(isVariable(variable) ? ExpandVariable(*variable) : ExpandString(texts[i]));
  }
  EnterLabel(*node);
  PassLabelBreak(std::nullopt);
}

}  // namespace nura
