// Reading operands and expanding argument texts: the word table meets the
// evaluator here. Variables give their values, commands and labels run,
// "Aの鍵" reads an element of a hash, a variable or an object.
#include <cmath>
#include <cstring>

#include "engine/compiled_expression.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluate.h"
#include "engine/number_format.h"
#include "engine/operand_text.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "engine/table_access.h"
#include "platform/sjis.h"

namespace nura {

namespace {

const std::string& NoParticle() {
  static const std::string no = SJ("の");
  return no;
}

// Runs `body` and turns the evaluator's and scanners' plain errors into
// ENura with the statement's file and line.
template <class F>
auto Formatted(TNuraEngine& engine, F&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const ENura&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw ENura(engine.FormatErrorMessage(e.what()));
  }
}

// The value of key `key` in name=value lines; false when no line has it.
bool LineValue(const std::string& lines, const std::string& key, std::string& value) {
  for (const std::string& line : SplitLines(lines)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && TrimText(line.substr(0, eq)) == key) {
      value = line.substr(eq + 1);
      return true;
    }
  }
  return false;
}

class TOperandReader {
 public:
  explicit TOperandReader(TNuraEngine& engine) : engine_(engine) {}

  TStrNum Word(const std::string& word, const char*& cursor) {
    THash& words = engine_.Base().words;
    if (*cursor == '(') {
      if (IsCallable(words.FindNode(word, true))) return CallForm(word, cursor);
    }
    if (EndsWithNo(word)) {
      const std::string owner = word.substr(0, word.size() - NoParticle().size());
      if (NodePtr node = words.FindNode(owner, false)) {
        const std::string key = ReadKey(cursor);
        return key.empty() ? Value(node) : Element(node, key);
      }
    }
    NodePtr node = words.FindNode(word, false);
    if (node && *cursor == '#') return Indexed(node, cursor);
    if (node) return Value(node);
    TStrNum element;
    if (SplitElement(word, element)) return element;
    node = words.FindNode(word, true);
    if (IsCallable(node)) return Value(node);
    return TStrNum::FromText(word);
  }

 private:
  // "Aの鍵" written as one word: the owner A is the longest prefix before a
  // "の" that names a word.
  bool SplitElement(const std::string& word, TStrNum& element) {
    const std::string& no = NoParticle();
    for (size_t i = word.size(); i-- > 0;) {
      if (word.compare(i, no.size(), no) != 0 || i + no.size() >= word.size()) continue;
      if (!IsSjisCharStart(word, i)) continue;
      if (NodePtr owner = engine_.Base().words.FindNode(word.substr(0, i), false)) {
        element = Element(owner, word.substr(i + no.size()));
        return true;
      }
    }
    return false;
  }

  // "A#row" or "A#row#column": a cell of a variable read as a table, or an
  // element of a hash.
  TStrNum Indexed(const NodePtr& node, const char*& cursor) {
    ++cursor;
    const std::string first = ReadKey(cursor);
    if (node->kind == kWordHash) return HashElement(*node, first);
    if (node->kind != kWordVariable) {
      throw ENura(engine_.FormatErrorMessage(SJ("オブジェクト\"") + node->name +
                                             SJ("\"から、直接値を得ることは出来ません。")));
    }
    int column = -1;
    if (*cursor == '#') {
      ++cursor;
      column = IndexNumber(ReadIndex(cursor));
    }
    const int row = IndexNumber(first.empty() ? first : engine_.ExpandString(first));
    const TableCellReader reader = GetTableCellReader();
    return TStrNum::FromText(reader && row >= 0 ? reader(node->Value(), row, column) : "");
  }

  std::string ReadIndex(const char*& cursor) {
    const std::string key = ReadKey(cursor);
    return key.empty() ? key : engine_.ExpandString(key);
  }

  // An index that is no integer counts -1.
  static int IndexNumber(const std::string& text) {
    const std::string trimmed = TrimText(text);
    if (trimmed.empty() || !IsNumericText(trimmed)) return -1;
    const long double value = TextToNumber(trimmed);
    if (value != static_cast<long double>(static_cast<long long>(value)) || value < 0 ||
        value > 2147483647.0L) {
      return -1;
    }
    return static_cast<int>(value);
  }

  // The key after "の": a word, or a parenthesised group evaluated.
  std::string ReadKey(const char*& cursor) {
    while (*cursor == ' ' || *cursor == '\t') ++cursor;
    if (*cursor == '(') {
      const std::string inner = ReadParenthesizedGroup(cursor);
      return engine_.EvaluateExpression(inner);
    }
    return ReadOperandWord(cursor);
  }

  TStrNum Value(const NodePtr& node) {
    switch (node->kind) {
      case kWordVariable:
        return VariableValue(*node);
      case kWordHash:
        return TStrNum::FromText(node->Hash() ? node->Hash()->GetNameValueText() : "");
      case kWordCommand:
      case kWordDeclared:
        return Command(node);
      case kWordLabel:
        return Label(node);
      default: {  // GUI object: its main value
        std::string value;
        if (!engine_.Objects().ReadObjectValue(engine_, *node, value)) value = node->Value();
        return TStrNum::FromText(value);
      }
    }
  }

  // Runs a command for its value; the caller's arguments and "それ" are
  // kept.
  TStrNum Command(const NodePtr& node) {
    TNuraBase& base = engine_.Base();
    NodePtr result = engine_.ResultNode();
    const std::string saved_value = result->Value(), saved_annotation = result->Annotation();
    const std::string saved_kind = engine_.ResultKind();
    const std::vector<std::string> saved_args = base.args.Items();
    base.args.Clear();
    auto restore = [&] {
      base.args.Clear();
      for (const std::string& a : saved_args) base.args.Push(a);
      result = engine_.ResultNode();
      result->SetValue(saved_value);
      result->SetAnnotation(saved_annotation);
      engine_.SetResultKind(saved_kind);
    };
    try {
      if (node->kind == kWordCommand) {
        engine_.DispatchCommand(*node);
      } else {
        engine_.ExecuteWord(*node);
      }
    } catch (...) {
      restore();
      throw;
    }
    const TStrNum value = VariableValue(engine_.ResultNode()->Value(), engine_.ResultKind());
    restore();
    return value;
  }

  // Runs a label as a function in a nested run; its value is "それ".
  TStrNum Label(const NodePtr& node) {
    engine_.SetResult("", "s");
    engine_.RunNested(node->Position(), node->Annotation());
    return VariableValue(engine_.ResultNode()->Value(), engine_.ResultKind());
  }

  // name(arguments): the call form reads its group at the interpreter's
  // cursor, so the rest of the operand text is lent to it for the call.
  TStrNum CallForm(const std::string& name, const char*& cursor) {
    TNuraBase& base = engine_.Base();
    const TextRef text = MakeText(std::string(cursor));
    const TextPos saved = base.cursor;
    base.cursor = TextPos::StartOf(text);
    std::string result;
    try {
      engine_.CallWord(name, result, false);
    } catch (...) {
      base.cursor = saved;
      throw;
    }
    const char* end = base.cursor.p;
    cursor += end ? static_cast<size_t>(end - text->c_str()) : text->size();
    if (end) base.cursor = saved;  // a call that ended the run keeps it ended
    TStrNum value = TStrNum::FromText(result);
    if (IsNumericText(result)) {
      value.is_number = true;
      value.number = TextToNumber(result);
    }
    return value;
  }

  TStrNum Element(NodePtr owner, const std::string& key) {
    THash& words = engine_.Base().words;
    if (owner->kind == kWordVariable) {
      NodePtr named = words.FindNode(owner->Value(), false);
      if (named && named != owner) owner = named;
    }
    switch (owner->kind) {
      case kWordVariable:
        return TStrNum::FromText(VariableElement(owner->Value(), key));
      case kWordHash:
        return HashElement(*owner, key);
      case kWordObject: {
        std::string value;
        if (engine_.Objects().GetObjectProperty(engine_, owner->name, key, value)) {
          return TStrNum::FromText(value);
        }
        break;
      }
      default:
        break;
    }
    throw ENura(engine_.FormatErrorMessage(SJ("オブジェクト\"") + owner->name +
                                           SJ("\"から、直接値を得ることは出来ません。")));
  }

  // The key is tried as written, then expanded.
  std::string VariableElement(const std::string& lines, const std::string& key) {
    std::string value;
    if (LineValue(lines, key, value)) return value;
    LineValue(lines, engine_.ExpandString(key), value);
    return value;
  }

  TStrNum HashElement(const THashNode& owner, const std::string& key) {
    if (!owner.Hash()) {
      throw ENura(engine_.FormatErrorMessage(
          SJ("作成されていないハッシュ\"") + owner.name +
          SJ("\"が、見つかりました。メモリが足りないか、バグの可能性があります。")));
    }
    NodePtr element = owner.Hash()->FindNode(key, false);
    if (!element) element = owner.Hash()->FindNode(engine_.ExpandString(key), false);
    if (!element) return TStrNum::FromText("");
    return VariableValue(*element);
  }

  TNuraEngine& engine_;
};

}  // namespace

TStrNum TNuraEngine::ReadOperand(const char*& cursor) {
  return Formatted(*this, [&]() -> TStrNum {
    const OperandReader& reader = OperandReaderOf();
    while (*cursor == ' ' || *cursor == '\t') ++cursor;
    const char c = *cursor;
    if (c == '"' || c == '`') return TStrNum::FromText(ReadStringLiteral(cursor, reader));
    if (c == '(') return nura::EvaluateExpression(ReadParenthesizedGroup(cursor), reader);
    const char* probe = cursor;
    if (c == '-' && ReadNumberLiteral(probe).empty()) {
      const TNestingGuard guard;  // "-" before "-" before ... nests
      ++cursor;
      const TStrNum v = ReadOperand(cursor);
      return v.is_number ? TStrNum::FromNumber(-v.number) : TStrNum::FromText("-" + v.Text());
    }
    const std::string number = ReadNumberLiteral(cursor);
    if (!number.empty()) return TStrNum::FromNumber(NumberLiteralValue(number));
    const std::string word = ReadOperandWord(cursor);
    if (word.empty()) {
      throw EExpression(SJ("演算子「") + std::string(1, c) + SJ("」の位置が不正。"));
    }
    return TOperandReader(*this).Word(word, cursor);
  });
}

const OperandReader& TNuraEngine::OperandReaderOf() {
  if (!operandReader_) operandReader_ = [this](const char*& c) { return ReadOperand(c); };
  return operandReader_;
}


namespace {

// Moves behind the "&" at `p`, the blanks after it and a line break that
// continues the text on the next line.
void SkipJoin(const char*& p) {
  ++p;
  SkipBlanks(p);
  if (SkipLineBreak(p)) SkipBlanks(p);
}

// The plain variable of `words` whose name is read at `p` (no "の" phrase,
// no call, no element): the node, `p` behind the name; else nil.
const THashNode* ReadPlainVariable(const THash& words, const char*& p) {
  const std::string word = ReadOperandWord(p);
  if (word.empty() || EndsWithNo(word) || *p == '(' || *p == '#') return nullptr;
  const THashNode* node = words.Find(word, false);
  return node && node->kind == kWordVariable ? node : nullptr;
}

// A text that is one number or one plain variable between blanks, as
// ExpandString reads it: the value's text into `out` and whether it is a
// number; for a variable only its node, into `variable`. False for any
// other text.
bool ExpandLoneOperand(const THash& words, const std::string& text, std::string& out, bool& isNumber,
                       const THashNode*& variable) {
  const char* p = text.c_str();
  SkipBlanks(p);
  if (*p == '"' || *p == '`' || *p == '(' || *p == '\0') return false;
  const char* end = p;
  const std::string number = ReadNumberLiteral(end);
  if (!number.empty()) {
    SkipBlanks(end);
    if (*end) return false;
    out = TStrNum::FromNumber(NumberLiteralValue(number)).TakeText();
    isNumber = true;
    return true;
  }
  if (*p == '-') return false;
  const THashNode* node = ReadPlainVariable(words, p);
  if (!node) return false;
  SkipBlanks(p);
  if (*p) return false;
  variable = node;
  return true;
}

}  // namespace

bool TNuraEngine::ExpandLone(const std::string& text, std::string& out, bool& isNumber) {
  TLoneVariable& kept = loneVariable_;
  const uint64_t shape = base_->words.ShapeGeneration();
  const THashNode* variable = nullptr;
  if (kept.node && kept.shape == shape && kept.node->kind == kWordVariable && kept.text == text) {
    variable = kept.node;
  } else {
    if (!ExpandLoneOperand(base_->words, text, out, isNumber, variable)) return false;
    if (!variable) return true;
    kept = {text, variable, shape};
  }
  // A number-marked text is given back as it stands, as VariableValue keeps it.
  out = variable->Value();
  isNumber = IsNumberKind(variable->Annotation());
  return true;
}

const THashNode* TNuraEngine::LoneVariable(const std::string& text) const {
  std::string number;
  bool isNumber = false;
  const THashNode* variable = nullptr;
  ExpandLoneOperand(base_->words, text, number, isNumber, variable);
  return variable;
}

std::string TNuraEngine::ExpandString(const std::string& text) {
  // One named result on every path, built in place.
  std::string result;
  bool loneIsNumber = false;
  if (ExpandLone(text, result, loneIsNumber)) {
    SetResultKind(loneIsNumber ? "e" : "s");
    return result;
  }
  // An argument list stays as written, as the statement reader keeps it.
  if (IsArgumentListText(text)) {
    SetResultKind("s");
    return TrimText(text);
  }
  result = Formatted(*this, [&]() -> std::string {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') return "";
    TStrNum value = ReadOperand(p);
    for (;;) {
      while (*p == ' ' || *p == '\t') ++p;
      if (*p == '\0') break;
      if (*p == '&' && p[1] != '&') {
        SkipJoin(p);
        std::string joined = value.TakeText();
        joined += ReadOperand(p).Text();
        value = TStrNum::FromText(std::move(joined));
        continue;
      }
      if (!std::strchr("%&*+-/<=>^|!", *p)) {
        // No operator follows: the text is a plain text ("5個", "a b").
        value = TStrNum::FromText(TrimText(text));
        break;
      }
      // The value goes on as the first operand of "(" + value + rest + ")".
      // A value that would not read back unchanged from its written form
      // is written out and read again.
      const OperandReader& reader = OperandReaderOf();
      if (value.is_number && !ReadsBackExactly(value.number)) {
        value = nura::EvaluateExpression("(" + FormatGeneral(value.number) + p + ")", reader);
        break;
      }
      const std::string rest = std::string(p) + ")";
      const char* q = rest.c_str();
      std::string firstText;
      if (!value.is_number) firstText = MakeRawLiteral(value.Text());
      const long double firstNumber = value.number == 0 ? 0 : value.number;
      if (value.is_number) value = TStrNum::FromNumber(firstNumber);
      value = nura::EvaluateExpressionAfter(std::move(value), q, reader, [&] {
        return "(" + (firstText.empty() ? FormatGeneral(firstNumber) : firstText);
      });
      break;
    }
    SetResultKind(value.is_number ? "e" : "s");
    return value.TakeText();
  });
  return result;
}

namespace {

// Moves over the operand at `p` when reading it runs no code: a literal
// without embedded expressions, a number, or a plain variable of `words`.
// False (and `p` anywhere) otherwise.
bool SkipQuietOperand(const THash& words, const char*& p) {
  static const std::string kYen = SJ("￥"), kWideOpen = SJ("｛");
  const char quote = *p;
  if (quote == '"' || quote == '`') {
    for (++p; *p; p += SjisCharLength(p)) {
      if (*p == quote) {
        if (quote == '`' && p[1] == '`') {
          ++p;
          continue;
        }
        ++p;
        return true;
      }
      if (quote == '"' && (*p == '{' || StartsWithText(p, kWideOpen))) return false;
      if (quote == '"' && (*p == '\\' || StartsWithText(p, kYen))) {
        p += *p == '\\' ? 1 : 2;
        if (!*p) return false;
      }
    }
    return false;  // unclosed: the error comes from the usual road
  }
  if (quote == '(' || quote == '-') return false;
  if (!ReadNumberLiteral(p).empty()) return true;
  return ReadPlainVariable(words, p) != nullptr;
}

}  // namespace

bool TNuraEngine::AppendInPlace(THashNode& node, const std::string& text, const TCompiledExpression* compiled) {
  if (!(compiled && compiled->AppendTo(node)) && !AppendByReading(node, text)) return false;
  node.SetAnnotation("s");
  SetResultKind("s");
  return true;
}

bool TNuraEngine::AppendByReading(THashNode& node, const std::string& text) {
  // Only "X & operand & ...", X being the variable itself, whose further
  // operands read without running code, so X cannot change meanwhile.
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  if (std::strchr("\"`(-+$0123456789", *p)) return false;
  if (EndsWithNo(node.name) || ReadOperandWord(p) != node.name || *p == '(' || *p == '#') return false;
  const char* rest = p;
  bool joined = false;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') break;
    if (*p != '&' || p[1] == '&') return false;
    SkipJoin(p);
    if (!SkipQuietOperand(base_->words, p)) return false;
    joined = true;
  }
  if (!joined) return false;
  // The same operands again, read as ExpandString reads them.
  std::string tail;
  Formatted(*this, [&] {
    p = rest;
    for (;;) {
      while (*p == ' ' || *p == '\t') ++p;
      if (*p == '\0') return;
      SkipJoin(p);
      tail += ReadOperand(p).Text();
    }
  });
  node.MutableValue() += tail;
  return true;
}

std::string TNuraEngine::EvaluateExpression(const std::string& text) {
  return Formatted(*this, [&]() -> std::string {
    TStrNum value = nura::EvaluateExpression(text, OperandReaderOf());
    SetResultKind(value.is_number ? "e" : "s");
    return value.TakeText();
  });
}

std::string TNuraEngine::ReadConditionText() {
  return Formatted(*this, [&]() -> std::string {
    const char* p = Base().cursor.p;
    if (!p) throw EExpression(SJ("条件分岐の終端文字を認識できませんでした。"));
    std::string text = nura::ReadConditionText(p);
    Base().cursor.p = p;
    return text;
  });
}

std::string TNuraEngine::ReadTranslatedCondition() {
  TNuraBase& b = *base_;
  const char* at = b.cursor.p;
  const uint64_t shape = b.words.ShapeGeneration();
  if (const TCachedCondition* cached = at ? conditionCache_.Find(b.cursor.text, at, shape) : nullptr) {
    b.cursor.p = at + cached->length;
    return cached->translated;
  }
  std::string translated = TranslateConditionPhrase(ReadConditionText());
  if (b.cursor.p) {
    TCachedCondition entry;
    entry.translated = translated;
    entry.length = static_cast<size_t>(b.cursor.p - at);
    conditionCache_.Store(b.cursor.text, at, std::move(entry), shape);
  }
  return translated;
}

bool TNuraEngine::EvaluateCondition(const TCachedCondition** kept, TPositionLink<TCachedCondition>* link) {
  TNuraBase& b = *base_;
  const char* at = b.cursor.p;
  if (!at) return EvaluateConditionText();
  const uint64_t shape = b.words.ShapeGeneration();
  const TCachedCondition* cached = link ? conditionCache_.Follow(*link, shape) : nullptr;
  if (!cached) {
    cached = conditionCache_.Find(b.cursor.text, at, shape);
    if (!cached) return EvaluateConditionText();
    if (link) *link = conditionCache_.LinkTo(cached, shape);
  }
  b.cursor.p = at + cached->length;
  if (!cached->compileTried) {
    cached->compileTried = true;
    cached->compiled =
        TCompiledExpression::Compile(cached->translated, TCompiledExpression::TForm::kExpression, b.words);
  }
  // A whole number is "1" only when it is 1.
  int64_t whole = 0;
  if (cached->compiled && cached->compiled->EvaluateWhole(whole)) {
    SetResultKind("e");
    *kept = cached;
    return whole == 1;
  }
  return EvaluateKeptCondition(*cached, kept);
}

bool TNuraEngine::EvaluateConditionText() {
  return TrimText(EvaluateExpression(ReadTranslatedCondition())) == "1";
}

bool TNuraEngine::EvaluateKeptCondition(const TCachedCondition& cached, const TCachedCondition** kept) {
  TStrNum value;
  if (!cached.compiled || !cached.compiled->Evaluate(value)) {
    const std::string translated = cached.translated;  // the entry may go while it runs
    return TrimText(EvaluateExpression(translated)) == "1";
  }
  SetResultKind(value.is_number ? "e" : "s");
  *kept = &cached;
  // A comparison gives 1 or 0: no text needed for those.
  if (value.is_number && (value.number == 0 || value.number == 1)) return value.number == 1;
  return TrimText(value.Text()) == "1";
}

std::string TNuraEngine::TranslateConditionPhrase(const std::string& text) {
  return Formatted(*this, [&]() -> std::string {
    const WordPredicate is_word = [this](const std::string& w) {
      return Base().words.FindNode(w, false) != nullptr;
    };
    return nura::TranslateConditionPhrase(text, is_word);
  });
}

}  // namespace nura
