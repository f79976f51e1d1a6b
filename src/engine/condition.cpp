// Conditions of "もし" and "ループ": reading the condition text up to its
// then-word, and translating the Japanese forms into operator form.
#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "engine/operand_text.h"
#include "engine/scanners.h"
#include "platform/sjis.h"

namespace nura {

namespace {

const std::vector<std::string>& ThenWords() {
  static const std::vector<std::string> words = {SJ("ならば"), SJ("なら"), SJ("違えば"),
                                                 SJ("でなければ")};
  return words;
}

bool AtThenWord(const char* p) {
  for (const std::string& w : ThenWords()) {
    if (StartsWithText(p, w)) return true;
  }
  return false;
}

bool EndsWithText(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A double-quoted or backquoted literal copied whole with its quotes;
// false when it is not closed.
bool CopyLiteral(const char*& p, std::string& out) {
  try {
    out += ScanQuotedLiteral(p, -1);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

constexpr int kMaxGroupDepth = 200;
thread_local int group_depth = 0;

enum class TItemKind { kWord, kGroup, kLiteral, kOther };

struct TConditionItem {
  TItemKind kind;
  std::string text;
};

// Byte offset of the last occurrence of `part` at a character start, or npos.
size_t LastCharPos(const std::string& text, const std::string& part) {
  size_t found = std::string::npos;
  for (size_t i = 0; i + part.size() <= text.size();) {
    if (text.compare(i, part.size(), part) == 0) found = i;
    i += IsSjisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return found;
}

size_t FirstCharPos(const std::string& text, const std::string& part, size_t from) {
  for (size_t i = 0; i + part.size() <= text.size();) {
    if (i >= from && text.compare(i, part.size(), part) == 0) return i;
    i += IsSjisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return std::string::npos;
}

// A word written without spaces ("Aが5以上かつBが3") is cut into the items
// that the translation needs: a leading "かつ" or "または", the left side
// ending in "が", and the right side.
void SplitWord(std::string word, const WordPredicate& is_word,
               std::vector<TConditionItem>& items) {
  static const std::string kAnd = SJ("かつ"), kOr = SJ("または"), kGa = SJ("が");
  if (is_word && is_word(word)) {
    items.push_back({TItemKind::kWord, word});
    return;
  }
  while (!word.empty()) {
    size_t cut = std::string::npos;
    for (const std::string* joiner : {&kAnd, &kOr}) {
      const size_t at = FirstCharPos(word, *joiner, 1);
      if (at < cut) cut = at;
    }
    std::string piece = word.substr(0, cut);
    word = cut == std::string::npos ? "" : word.substr(cut);
    for (const std::string* joiner : {&kAnd, &kOr}) {
      if (piece.compare(0, joiner->size(), *joiner) == 0) {
        items.push_back({TItemKind::kWord, joiner->c_str()});
        piece = piece.substr(joiner->size());
      }
    }
    const size_t ga = LastCharPos(piece, kGa);
    if (ga != std::string::npos && ga > 0 && ga + kGa.size() < piece.size()) {
      items.push_back({TItemKind::kWord, piece.substr(0, ga + kGa.size())});
      piece = piece.substr(ga + kGa.size());
    }
    if (!piece.empty()) items.push_back({TItemKind::kWord, piece});
  }
}

std::vector<TConditionItem> CutItems(const std::string& text, const WordPredicate& is_word) {
  std::vector<TConditionItem> items;
  const char* p = text.c_str();
  while (*p != '\0') {
    if (*p == '(') {
      std::string inner;
      try {
        inner = ReadParenthesizedGroup(p);
      } catch (const EExpression&) {
        throw EExpression(SJ("条件分岐で括弧の取得に失敗。"));
      }
      // A group may hold Japanese forms of its own: "(Aが5)かつ(Bが3)".
      if (++group_depth > kMaxGroupDepth) {
        group_depth = 0;
        throw EExpression(SJ("条件分岐で括弧の取得に失敗。"));
      }
      std::string translated;
      try {
        translated = TranslateConditionPhrase(inner, is_word);
      } catch (...) {
        --group_depth;
        throw;
      }
      --group_depth;
      items.push_back({TItemKind::kGroup, "(" + translated + ")"});
    } else if (*p == '"' || *p == '`') {
      std::string literal;
      if (!CopyLiteral(p, literal)) throw EExpression(SJ("条件分岐で文字列の取得に失敗。"));
      items.push_back({TItemKind::kLiteral, literal});
    } else {
      const char* before = p;
      while (*p == ' ' || *p == '\t') ++p;
      const char* word_start = p;
      std::string word = ReadOperandWord(p);
      if (before != word_start) items.push_back({TItemKind::kOther, std::string(before, word_start)});
      if (!word.empty()) {
        SplitWord(word, is_word, items);
      } else if (*p != '\0' && *p != '(' && *p != '"' && *p != '`') {
        items.push_back({TItemKind::kOther, std::string(1, *p++)});
      }
    }
  }
  return items;
}

bool IsBlank(const TConditionItem& item) {
  return item.kind == TItemKind::kOther && item.text.find_first_not_of(" \t") == std::string::npos;
}

// The operator and the right side without its suffix, for the right side of
// an "X が Y" comparison; consumes items from `i`.
std::string RightSide(const std::vector<TConditionItem>& items, size_t& i) {
  static const std::string kAtLeast = SJ("以上"), kAtMost = SJ("以下"), kEqual = SJ("と等しい");
  const std::pair<const std::string*, const char*> suffixes[] = {
      {&kAtLeast, ">="}, {&kAtMost, "<="}, {&kEqual, "="}};
  while (i < items.size() && IsBlank(items[i])) ++i;
  if (i >= items.size()) return "=";
  std::string y = items[i++].text;
  size_t j = i;
  while (j < items.size() && IsBlank(items[j])) ++j;
  for (const auto& [suffix, op] : suffixes) {
    if (j < items.size() && items[j].kind == TItemKind::kWord && items[j].text == *suffix) {
      i = j + 1;
      return op + y;
    }
    if (EndsWithText(y, *suffix) && y.size() > suffix->size()) {
      return op + y.substr(0, y.size() - suffix->size());
    }
  }
  return "=" + y;
}

}  // namespace

std::string ReadConditionText(const char*& cursor) {
  const std::string kNoEnd = SJ("条件分岐の終端文字を認識できませんでした。");
  const char* p = cursor;
  std::string out;
  for (;;) {
    if (*p == '\0') throw EExpression(kNoEnd);
    if (AtThenWord(p)) break;
    if (*p == '"' || *p == '`') {
      if (!CopyLiteral(p, out)) throw EExpression(kNoEnd);
    } else if (*p == '\r' || *p == '\n') {
      SkipLineBreak(p);
      while (*p == ' ' || *p == '\t') ++p;
      if (!AtThenWord(p)) throw EExpression(kNoEnd);
      break;
    } else {
      if (IsSjisLead(static_cast<unsigned char>(*p)) && p[1] != '\0') out += *p++;
      out += *p++;
    }
  }
  cursor = p;
  return out;
}

std::string TranslateConditionPhrase(const std::string& text, const WordPredicate& is_word) {
  static const std::string kAnd = SJ("かつ"), kOr = SJ("または"), kGa = SJ("が");
  const std::vector<TConditionItem> items = CutItems(text, is_word);
  std::string out;
  for (size_t i = 0; i < items.size();) {
    const TConditionItem& item = items[i++];
    if (item.kind != TItemKind::kWord) {
      out += item.text;
    } else if (item.text.compare(0, kAnd.size(), kAnd) == 0) {
      out += " && " + item.text.substr(kAnd.size());
    } else if (item.text.compare(0, kOr.size(), kOr) == 0) {
      out += " || " + item.text.substr(kOr.size());
    } else if (EndsWithText(item.text, kGa) && item.text.size() > kGa.size()) {
      out += item.text.substr(0, item.text.size() - kGa.size()) + RightSide(items, i);
    } else if (item.text == kGa) {
      // "A が 5 以上": the left side is already written, blanks follow it.
      while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
      out += RightSide(items, i);
    } else {
      out += item.text;
    }
  }
  return out;
}

}  // namespace nura
