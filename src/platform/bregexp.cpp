#include "platform/bregexp.h"

#include <oniguruma.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <string_view>

#include "platform/sjis.h"

namespace nura {

enum class RegexpKind { kMatch, kSubst, kTrans };

// One piece of a replacement: literal text, or a group's text (group >= 0).
struct ReplacementPiece {
  std::string text;
  int group = -1;
};

// Translation table by character code: kNotInSet leaves a character alone,
// kDelete drops it, any other value is the code that replaces it.
constexpr int32_t kNotInSet = -2;
constexpr int32_t kDelete = -1;

struct BRegexpCompiled {
  RegexpKind kind = RegexpKind::kMatch;
  OnigRegex regex = nullptr;
  OnigRegion* region = nullptr;
  bool global = false;
  std::vector<ReplacementPiece> replacement;
  std::vector<int32_t> translation;
  bool squeeze = false;

  ~BRegexpCompiled() {
    if (region) onig_region_free(region, 1);
    if (regex) onig_free(regex);
  }
};

BRegexpRecord::BRegexpRecord() = default;
BRegexpRecord::~BRegexpRecord() = default;

namespace {

void SetMessage(char* message, std::string_view text) {
  if (!message) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(kBRegexpMessageSize - 1));
  std::memcpy(message, text.data(), n);
  message[n] = '\0';
}

void EnsureOnigInitialized() {
  static std::once_flag once;
  std::call_once(once, [] {
    OnigEncoding encodings[] = {ONIG_ENCODING_SJIS};
    onig_initialize(encodings, 1);
  });
}

// Byte length of the character at `i` of `s` (size n).
inline size_t CharLength(const char* s, size_t i, size_t n) {
  return IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < n ? 2 : 1;
}

inline size_t CharLength(std::string_view s, size_t i) {
  return CharLength(s.data(), i, s.size());
}

// The parts of an expression such as "s/from/to/gi".
struct ParsedExpression {
  RegexpKind kind = RegexpKind::kMatch;
  std::string pattern;
  std::string replacement;
  std::string options;
};

bool IsDelimiter(char c) {
  return c != '\\' && std::ispunct(static_cast<unsigned char>(c));
}

// Reads up to the closing delimiter; escapes (a backslash and the character
// after it) are copied as they stand. False when the delimiter is missing.
bool ReadPart(std::string_view expr, size_t& i, char delimiter, std::string& out) {
  while (i < expr.size()) {
    const char c = expr[i];
    if (c == delimiter) {
      ++i;
      return true;
    }
    size_t len = CharLength(expr, i);
    if (c == '\\' && i + 1 < expr.size()) len = 1 + CharLength(expr, i + 1);
    out.append(expr.substr(i, len));
    i += len;
  }
  return false;
}

bool ParseExpression(std::string_view expr, ParsedExpression& parsed, std::string& error) {
  size_t i = 0;
  if (expr.size() > 2 && expr.substr(0, 2) == "tr" && IsDelimiter(expr[2])) {
    parsed.kind = RegexpKind::kTrans;
    i = 2;
  } else if (expr.size() > 1 && expr[0] == 's' && IsDelimiter(expr[1])) {
    parsed.kind = RegexpKind::kSubst;
    i = 1;
  } else if (expr.size() > 1 && expr[0] == 'm' && IsDelimiter(expr[1])) {
    i = 1;
  } else if (expr.empty() || expr[0] != '/') {
    error = "unknown command: use m/.../, s/.../.../ or tr/.../.../";
    return false;
  }
  const char delimiter = expr[i++];
  bool closed = ReadPart(expr, i, delimiter, parsed.pattern);
  if (closed && parsed.kind != RegexpKind::kMatch) {
    closed = ReadPart(expr, i, delimiter, parsed.replacement);
  }
  if (!closed) {
    error = "missing closing delimiter";
    return false;
  }
  parsed.options = std::string(expr.substr(i));
  return true;
}

// Match options to Oniguruma options; false on an unknown letter.
bool MatchOptions(std::string_view letters, OnigOptionType& options, bool& global) {
  options = ONIG_OPTION_NONE;
  global = false;
  for (char c : letters) {
    switch (c) {
      case 'g': global = true; break;
      case 'i': options |= ONIG_OPTION_IGNORECASE; break;
      case 'm': options |= ONIG_OPTION_NEGATE_SINGLELINE; break;
      case 's': options |= ONIG_OPTION_MULTILINE; break;
      case 'x': options |= ONIG_OPTION_EXTEND; break;
      default: return false;
    }
  }
  return true;
}

// "$1".."$9", "\1".."\9", "$&" and the escapes \n, \r, \t; any other
// escaped character stands for itself.
std::vector<ReplacementPiece> ParseReplacement(std::string_view text) {
  std::vector<ReplacementPiece> pieces(1);
  auto addGroup = [&pieces](int group) {
    pieces.push_back({std::string(), group});
    pieces.push_back({});
  };
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if ((c == '$' || c == '\\') && next >= '1' && next <= '9') {
      addGroup(next - '0');
      i += 2;
    } else if (c == '$' && next == '&') {
      addGroup(0);
      i += 2;
    } else if (c == '\\' && next != '\0') {
      const size_t len = CharLength(text, i + 1);
      if (next == 'n') pieces.back().text += '\n';
      else if (next == 'r') pieces.back().text += '\r';
      else if (next == 't') pieces.back().text += '\t';
      else pieces.back().text.append(text.substr(i + 1, len));
      i += 1 + len;
    } else {
      const size_t len = CharLength(text, i);
      pieces.back().text.append(text.substr(i, len));
      i += len;
    }
  }
  return pieces;
}

// Code of the character at `i`, moving `i` past it; escapes as in
// replacements.
int32_t ReadListChar(std::string_view text, size_t& i) {
  if (text[i] == '\\' && i + 1 < text.size()) {
    ++i;
    const char c = text[i];
    if (c == 'n' || c == 'r' || c == 't') {
      ++i;
      return c == 'n' ? '\n' : c == 'r' ? '\r' : '\t';
    }
  }
  const size_t len = CharLength(text, i);
  int32_t code = static_cast<unsigned char>(text[i]);
  if (len == 2) code = (code << 8) | static_cast<unsigned char>(text[i + 1]);
  i += len;
  return code;
}

// Expands a translation list with ranges such as "a-z" into codes.
bool ExpandList(std::string_view text, std::vector<int32_t>& codes, std::string& error) {
  constexpr size_t kMaxListLength = 1 << 20;
  size_t i = 0;
  while (i < text.size()) {
    const int32_t first = ReadListChar(text, i);
    if (i + 1 < text.size() && text[i] == '-') {
      ++i;
      const int32_t last = ReadListChar(text, i);
      if (last < first) {
        error = "invalid range in translation list";
        return false;
      }
      for (int32_t c = first; c <= last; ++c) codes.push_back(c);
    } else {
      codes.push_back(first);
    }
    if (codes.size() > kMaxListLength) {
      error = "translation list too long";
      return false;
    }
  }
  return true;
}

bool CompileTranslation(const ParsedExpression& parsed, BRegexpCompiled& compiled,
                        std::string& error) {
  bool complement = false;
  bool remove = false;
  for (char c : parsed.options) {
    if (c == 'c') complement = true;
    else if (c == 'd') remove = true;
    else if (c == 's') compiled.squeeze = true;
    else {
      error = "unknown option";
      return false;
    }
  }
  std::vector<int32_t> from;
  std::vector<int32_t> to;
  if (!ExpandList(parsed.pattern, from, error) || !ExpandList(parsed.replacement, to, error)) {
    return false;
  }
  auto& table = compiled.translation;
  table.assign(0x10000, kNotInSet);
  // Without a to-list every character maps to itself (it is only counted);
  // a short to-list repeats its last character unless d deletes.
  auto target = [&](size_t k, int32_t self) -> int32_t {
    if (to.empty()) return remove ? kDelete : self;
    if (k < to.size()) return to[k];
    return remove ? kDelete : to.back();
  };
  if (complement) {
    std::vector<bool> inSet(0x10000, false);
    for (int32_t c : from) inSet[static_cast<size_t>(c)] = true;
    for (int32_t c = 0; c < 0x10000; ++c) {
      if (!inSet[static_cast<size_t>(c)]) table[static_cast<size_t>(c)] = target(to.size(), c);
    }
  } else {
    for (size_t k = 0; k < from.size(); ++k) {
      auto& slot = table[static_cast<size_t>(from[k])];
      if (slot == kNotInSet) slot = target(k, from[k]);  // the first mapping wins
    }
  }
  return true;
}

bool CompileRegex(const ParsedExpression& parsed, BRegexpCompiled& compiled, std::string& error) {
  OnigOptionType options;
  if (!MatchOptions(parsed.options, options, compiled.global)) {
    error = "unknown option";
    return false;
  }
  EnsureOnigInitialized();
  OnigErrorInfo info;
  const auto* pattern = reinterpret_cast<const OnigUChar*>(parsed.pattern.data());
  const int r = onig_new(&compiled.regex, pattern, pattern + parsed.pattern.size(), options,
                         ONIG_ENCODING_SJIS, ONIG_SYNTAX_PERL, &info);
  if (r != ONIG_NORMAL) {
    compiled.regex = nullptr;
    OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN];
    onig_error_code_to_str(text, r, &info);
    error = reinterpret_cast<const char*>(text);
    return false;
  }
  compiled.region = onig_region_new();
  if (parsed.kind == RegexpKind::kSubst) compiled.replacement = ParseReplacement(parsed.replacement);
  return true;
}

std::unique_ptr<BRegexpCompiled> Compile(std::string_view expression, std::string& error) {
  ParsedExpression parsed;
  if (!ParseExpression(expression, parsed, error)) return nullptr;
  auto compiled = std::make_unique<BRegexpCompiled>();
  compiled->kind = parsed.kind;
  const bool ok = parsed.kind == RegexpKind::kTrans ? CompileTranslation(parsed, *compiled, error)
                                                    : CompileRegex(parsed, *compiled, error);
  return ok ? std::move(compiled) : nullptr;
}

// The record compiled for `expression`, made or recompiled as needed; null
// on an error (then the message is set).
BRegexpRecord* Prepare(const char* expression, const char* target, const char* target_end,
                       BRegexpRecord** record, RegexpKind kind, char* message) {
  SetMessage(message, "");
  if (!expression || !record || !target || !target_end || target_end < target) {
    SetMessage(message, "invalid argument");
    return nullptr;
  }
  BRegexpRecord* rec = *record;
  if (!rec || !rec->compiled || rec->expression != expression) {
    std::string error;
    auto compiled = Compile(expression, error);
    if (!compiled) {
      SetMessage(message, error);
      return nullptr;
    }
    if (!rec) rec = *record = new BRegexpRecord;
    rec->compiled = std::move(compiled);
    rec->expression = expression;
  }
  if (rec->compiled->kind != kind) {
    SetMessage(message, kind == RegexpKind::kMatch   ? "expression is not m/.../"
                        : kind == RegexpKind::kSubst ? "expression is not s/.../.../"
                                                     : "expression is not tr/.../.../");
    return nullptr;
  }
  rec->group_count = rec->compiled->regex ? onig_number_of_captures(rec->compiled->regex) : 0;
  return rec;
}

// Searches from offset `from`; the match start, -1 for none, or -2 on an
// error (message set).
long Search(BRegexpCompiled& c, const char* target, size_t size, size_t from, char* message) {
  const auto* str = reinterpret_cast<const OnigUChar*>(target);
  const long r = onig_search(c.regex, str, str + size, str + from, str + size, c.region,
                             ONIG_OPTION_NONE);
  if (r >= 0 || r == ONIG_MISMATCH) return r >= 0 ? r : -1;
  OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN];
  onig_error_code_to_str(text, static_cast<int>(r));
  SetMessage(message, reinterpret_cast<const char*>(text));
  return -2;
}

// Copies the region of the last search into the record's match pointers.
void StoreGroups(BRegexpRecord& rec, const char* target) {
  const OnigRegion* region = rec.compiled->region;
  const size_t n = static_cast<size_t>(rec.group_count) + 1;
  rec.start_pointers.assign(n, nullptr);
  rec.end_pointers.assign(n, nullptr);
  for (size_t k = 0; k < n && k < static_cast<size_t>(region->num_regs); ++k) {
    if (region->beg[k] == ONIG_REGION_NOTPOS) continue;
    rec.start_pointers[k] = target + region->beg[k];
    rec.end_pointers[k] = target + region->end[k];
  }
}

void ClearGroups(BRegexpRecord& rec) {
  rec.start_pointers.clear();
  rec.end_pointers.clear();
}

void AppendReplacement(std::string& out, const BRegexpCompiled& c, const char* target) {
  for (const auto& piece : c.replacement) {
    if (piece.group < 0) {
      out += piece.text;
    } else if (piece.group < c.region->num_regs && c.region->beg[piece.group] != ONIG_REGION_NOTPOS) {
      out.append(target + c.region->beg[piece.group],
                 static_cast<size_t>(c.region->end[piece.group] - c.region->beg[piece.group]));
    }
  }
}

int32_t CodeAt(const char* s, size_t i, size_t len) {
  int32_t code = static_cast<unsigned char>(s[i]);
  if (len == 2) code = (code << 8) | static_cast<unsigned char>(s[i + 1]);
  return code;
}

void AppendCode(std::string& out, int32_t code) {
  if (code > 0xFF) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

}  // namespace

int BMatch(const char* expression, const char* target, const char* target_end,
           BRegexpRecord** record, char* message) {
  BRegexpRecord* rec = Prepare(expression, target, target_end, record, RegexpKind::kMatch, message);
  if (!rec) return -1;
  ClearGroups(*rec);
  const size_t size = static_cast<size_t>(target_end - target);
  const long r = Search(*rec->compiled, target, size, 0, message);
  if (r == -2) return -1;
  if (r < 0) return 0;
  StoreGroups(*rec, target);
  return 1;
}

int BSubst(const char* expression, const char* target, const char* target_end,
           BRegexpRecord** record, char* message) {
  BRegexpRecord* rec = Prepare(expression, target, target_end, record, RegexpKind::kSubst, message);
  if (!rec) return -1;
  ClearGroups(*rec);
  BRegexpCompiled& c = *rec->compiled;
  const size_t size = static_cast<size_t>(target_end - target);
  std::string out;
  out.reserve(size);
  size_t copied = 0;  // target bytes up to here are in `out`
  size_t from = 0;
  bool any = false;
  while (from <= size) {
    const long r = Search(c, target, size, from, message);
    if (r == -2) return -1;
    if (r < 0) break;
    any = true;
    const auto start = static_cast<size_t>(c.region->beg[0]);
    const auto end = static_cast<size_t>(c.region->end[0]);
    out.append(target + copied, start - copied);
    AppendReplacement(out, c, target);
    StoreGroups(*rec, target);
    copied = end;
    if (!c.global) break;
    if (end > start) {
      from = end;
    } else {
      // An empty match: the next search starts one character further on,
      // and that character is kept.
      if (end >= size) break;
      const size_t len = CharLength(target, end, size);
      out.append(target + end, len);
      copied = from = end + len;
    }
  }
  if (!any) return 0;
  out.append(target + copied, size - copied);
  rec->output = std::move(out);
  return 1;
}

int BTrans(const char* expression, const char* target, const char* target_end,
           BRegexpRecord** record, char* message) {
  BRegexpRecord* rec = Prepare(expression, target, target_end, record, RegexpKind::kTrans, message);
  if (!rec) return -1;
  ClearGroups(*rec);
  const BRegexpCompiled& c = *rec->compiled;
  const size_t size = static_cast<size_t>(target_end - target);
  std::string out;
  out.reserve(size);
  int matched = 0;
  int32_t lastWritten = -1;  // for squeezing: the last translated code written
  for (size_t i = 0; i < size;) {
    const size_t len = CharLength(target, i, size);
    const int32_t code = CodeAt(target, i, len);
    const int32_t mapped = c.translation[static_cast<size_t>(code)];
    if (mapped == kNotInSet) {
      out.append(target + i, len);
      lastWritten = -1;
    } else {
      ++matched;
      if (mapped != kDelete && !(c.squeeze && mapped == lastWritten)) {
        AppendCode(out, mapped);
        lastWritten = mapped;
      }
    }
    i += len;
  }
  rec->output = std::move(out);
  return matched > 0 ? 1 : 0;
}

int BSplit(const char* expression, const char* target, const char* target_end, int limit,
           BRegexpRecord** record, char* message) {
  BRegexpRecord* rec = Prepare(expression, target, target_end, record, RegexpKind::kMatch, message);
  if (!rec) return -1;
  ClearGroups(*rec);
  BRegexpCompiled& c = *rec->compiled;
  const size_t size = static_cast<size_t>(target_end - target);
  auto& pieces = rec->split_pointers;
  pieces.clear();
  size_t pieceStart = 0;
  size_t from = 0;
  while (from <= size && (limit <= 0 || pieces.size() / 2 + 1 < static_cast<size_t>(limit))) {
    const long r = Search(c, target, size, from, message);
    if (r == -2) return -1;
    if (r < 0) break;
    const auto start = static_cast<size_t>(c.region->beg[0]);
    const auto end = static_cast<size_t>(c.region->end[0]);
    if (start == end) {
      // An empty match splits between characters, never at a piece's start
      // or at the end of the text.
      if (start >= size) break;
      if (start == pieceStart) {
        from = start + CharLength(target, start, size);
        continue;
      }
    }
    pieces.push_back(target + pieceStart);
    pieces.push_back(target + start);
    pieceStart = end;
    from = end > start ? end : end + CharLength(target, end, size);
  }
  pieces.push_back(target + pieceStart);
  pieces.push_back(target + size);
  if (limit == 0) {
    while (pieces.size() >= 2 && pieces[pieces.size() - 2] == pieces.back()) pieces.resize(pieces.size() - 2);
  }
  rec->split_count = static_cast<int>(pieces.size() / 2);
  return rec->split_count > 0 ? 1 : 0;
}

void BRegfree(BRegexpRecord* record) { delete record; }

const char* BRegexpVersion() {
  static const std::string version = std::string("nura bregexp on Oniguruma ") + onig_version();
  return version.c_str();
}

}  // namespace nura
