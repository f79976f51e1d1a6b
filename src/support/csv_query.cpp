// The row query of SelectRows, e.g. `age<30 OR name="C*" AND (x>=1 or y=2)`.
//
// Connectives have no precedence: each AND or OR combines everything to
// its left (on its level) with everything to its right, so the query is
// grouped from the right. It is parsed once into segments joined by
// connectives and then evaluated row by row, right to left, without
// recursion over the chain; only parenthesised groups nest.
#include <memory>
#include <vector>

#include "support/csv_db.h"
#include "support/date_time.h"
#include "support/wildcard.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kMaxGroupDepth = 100;

enum class ValueKind { kText, kDate, kNumber, kNever };

// One condition "field op value", cell against value.
struct QueryCondition {
  int col = 0;
  int op = 1;  // 1 =, 2 <>, 3 >, 4 >=, 5 <, 6 <=
  ValueKind kind = ValueKind::kNumber;
  std::string text;
  std::unique_ptr<TWString> pattern;  // text "=" and "<>"
  TDateTimeValue date;
  long double number = 0;
};

struct QueryExpr;

// Conditions and groups of one stretch between connectives, OR-ed.
struct QuerySegment {
  std::vector<QueryCondition> conditions;
  std::vector<std::unique_ptr<QueryExpr>> groups;
};

struct QueryExpr {
  std::vector<QuerySegment> segments;  // at least one
  std::vector<bool> isAnd;             // connective after segment i
};

bool StartsWith(const char* p, const char* word) {
  while (*word)
    if (*p++ != *word++) return false;
  return true;
}

bool IsOperatorChar(char c) { return c == '<' || c == '=' || c == '>'; }

void StepChar(const char*& p) { p += IsSjisLead(static_cast<unsigned char>(*p)) && p[1] ? 2 : 1; }

int OperatorCode(std::string_view op) {
  if (op == "=") return 1;
  if (op == "<>" || op == "><") return 2;
  if (op == ">") return 3;
  if (op == ">=" || op == "=>") return 4;
  if (op == "<") return 5;
  if (op == "<=" || op == "=<") return 6;
  static const std::string message = SJ("演算子の指定エラー。");
  throw EParserError(message);
}

// The outcome of operator `op` given how the cell relates to the value.
bool Holds(int op, bool less, bool equal) {
  switch (op) {
    case 1: return equal;
    case 2: return !equal;
    case 3: return !less && !equal;
    case 4: return !less;
    case 5: return less;
    default: return less || equal;
  }
}

// The value without its first and last characters.
std::string StripQuotes(std::string_view value) {
  if (value.size() < 2) return {};
  size_t last = 1;
  for (size_t i = 1; i < value.size(); i += SjisCharLength(value, i)) last = i;
  return std::string(value.substr(1, last - 1));
}

class QueryParser {
 public:
  explicit QueryParser(const TCsvDbBase& db) : db_(db) {}
  std::unique_ptr<QueryExpr> Parse(const std::string& text, int depth) const;

 private:
  QueryCondition MakeCondition(std::string_view field, std::string_view op,
                               std::string_view value) const;
  const TCsvDbBase& db_;
};

std::unique_ptr<QueryExpr> QueryParser::Parse(const std::string& text, int depth) const {
  if (depth > kMaxGroupDepth) {
    static const std::string message = SJ("条件の括弧が深すぎます。");
    throw EParserError(message);
  }
  auto expr = std::make_unique<QueryExpr>();
  expr->segments.emplace_back();
  const char* p = text.c_str();
  while (*p) {
    while (*p == '\t' || *p == ' ') ++p;
    if (!*p) break;
    if (*p == '(') {
      expr->segments.back().groups.push_back(Parse(ReadBracketedText(p), depth + 1));
      continue;
    }
    const bool isAnd = StartsWith(p, "AND ") || StartsWith(p, "and ");
    if (isAnd || StartsWith(p, "OR ") || StartsWith(p, "or ")) {
      p += isAnd ? 4 : 3;
      expr->isAnd.push_back(isAnd);
      expr->segments.emplace_back();
      continue;
    }
    // field, the run of operator characters, the value up to a blank
    const char* start = p;
    while (*p && !IsOperatorChar(*p)) StepChar(p);
    const std::string_view field(start, static_cast<size_t>(p - start));
    start = p;
    while (IsOperatorChar(*p)) ++p;
    const std::string_view op(start, static_cast<size_t>(p - start));
    start = p;
    while (*p && *p != '\t' && *p != '\n' && *p != '\r' && *p != ' ') StepChar(p);
    const std::string_view value(start, static_cast<size_t>(p - start));
    expr->segments.back().conditions.push_back(MakeCondition(TrimText(field), op, TrimText(value)));
  }
  return expr;
}

QueryCondition QueryParser::MakeCondition(std::string_view field, std::string_view op,
                                          std::string_view value) const {
  QueryCondition c;
  c.op = OperatorCode(op);
  c.col = db_.FieldIndex(field);
  if (c.col < 0) {
    static const std::string head = SJ("フィールド名"), tail = SJ("が見つかりません。");
    throw EParserError(head + "\"" + std::string(field) + "\"" + tail);
  }
  if (!value.empty() && (value[0] == '"' || value[0] == '`')) {
    c.kind = ValueKind::kText;
    c.text = StripQuotes(value);
    if (c.op == 1 || c.op == 2) c.pattern = std::make_unique<TWString>(c.text);
  } else if (!value.empty() && value[0] == '#') {
    c.kind = ParseDateTime(value.substr(1), c.date) ? ValueKind::kDate : ValueKind::kNever;
  } else {
    c.kind = ValueKind::kNumber;
    c.number = TextToNumber(value);
  }
  return c;
}

class QueryEvaluator {
 public:
  explicit QueryEvaluator(const TCsvDbBase& db) : db_(db) {}

  bool Row(const QueryExpr& expr, int row) const {
    bool value = Segment(expr.segments.back(), row);
    for (size_t i = expr.segments.size() - 1; i-- > 0;) {
      const bool left = Segment(expr.segments[i], row);
      value = expr.isAnd[i] ? (left && value) : (left || value);
    }
    return value;
  }

 private:
  bool Segment(const QuerySegment& seg, int row) const {
    for (const QueryCondition& c : seg.conditions)
      if (Condition(c, row)) return true;
    for (const auto& group : seg.groups)
      if (Row(*group, row)) return true;
    return false;
  }

  // Row 0 always holds; a nil row never does.
  bool Condition(const QueryCondition& c, int row) const {
    if (row == 0) return true;
    if (!db_.GetRow(row)) return false;
    const std::string_view cell = db_.GetCell(c.col, row);
    switch (c.kind) {
      case ValueKind::kText:
        if (c.pattern) return c.pattern->MatchWhole(cell) == (c.op == 1);
        return Holds(c.op, cell < c.text, cell == c.text);
      case ValueKind::kDate: {
        TDateTimeValue date;
        if (!ParseDateTime(cell, date)) return false;
        return Holds(c.op, date < c.date, date == c.date);
      }
      case ValueKind::kNumber: {
        const long double n = TextToNumber(cell);
        return Holds(c.op, n < c.number, n == c.number);
      }
      case ValueKind::kNever: return false;
    }
    return false;
  }

  const TCsvDbBase& db_;
};

}  // namespace

std::unique_ptr<TCsvDb> TCsvDbBase::SelectRows(std::string_view query) const {
  auto result = std::make_unique<TCsvDb>();
  const std::string text = TrimText(query);
  if (text.empty()) return result;
  const std::unique_ptr<QueryExpr> expr = QueryParser(*this).Parse(text, 0);
  const QueryEvaluator evaluator(*this);
  for (int r = 0; r < RowCount(); ++r)
    if (evaluator.Row(*expr, r)) CopyRowTo(*result, r);
  return result;
}

}  // namespace nura
