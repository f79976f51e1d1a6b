#include "engine/preprocess.h"

#include <array>
#include <charconv>
#include <cstring>
#include <limits>

#include "engine/conv_half.h"
#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// How the fast path treats a byte in one state of the pass: stop and let
// the full step decide, pass one byte, or pass a two-byte character whole.
// kLookup: a lead byte of which some characters fold; the table decides.
enum : uint8_t { kStop = 0, kOne = 1, kTwo = 2, kLookup = 3 };
using ByteClasses = std::array<uint8_t, 256>;

enum State { kNormal, kInDouble, kInBack, kInBlock, kInLine, kStateCount };

bool IsLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Bytes that the fast path may pass in each state; everything that the
// full step would treat specially (line ends, quotes, comment starters,
// braces, characters that fold) stops it.
std::array<ByteClasses, kStateCount> MakeByteClasses(const TConvToHalf& conv) {
  std::array<ByteClasses, kStateCount> classes{};
  auto stops = [](State s) -> std::string_view {
    switch (s) {
      case kNormal: return "\r\n/'{}\"`";
      case kInDouble: return "\r\n\"\\";
      case kInBack: return "\r\n`";
      case kInBlock: return "\r\n{}";
      default: return "\r\n";
    }
  };
  for (int s = 0; s < kStateCount; ++s) {
    ByteClasses& cls = classes[s];
    for (unsigned b = 1; b < 256; ++b) {
      // In a line comment only the line end matters; elsewhere a character
      // that folds may be a quote or a brace.
      const bool foldMatters = s != kInLine;
      if (IsLead(b)) {
        cls[b] = foldMatters && conv.HasPairsWithLead(static_cast<unsigned char>(b)) ? kLookup : kTwo;
        continue;
      }
      const char ch = static_cast<char>(b);
      bool folds = foldMatters && conv.Find(std::string_view(&ch, 1)) != nullptr;
      cls[b] = folds || stops(static_cast<State>(s)).find(ch) != std::string_view::npos ? kStop : kOne;
    }
  }
  return classes;
}

// Passes the run of bytes that need no decision; a lead byte before the
// NUL stops the run (the full step reads it as one byte).
const char* SkipRun(const char* p, const ByteClasses& cls, const TConvToHalf& conv) {
  for (;;) {
    uint8_t k = cls[static_cast<unsigned char>(*p)];
    if (k == kOne) {
      ++p;
    } else if (k != kStop && p[1] != '\0' && (k == kTwo || !conv.Find(std::string_view(p, 2)))) {
      p += 2;
    } else {
      return p;
    }
  }
}

void AppendLineMarker(std::string& out, int line) {
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, line).ptr;
  out += "\r\n";
  out.append(digits, end);
  out += ':';
}

// The first 20 bytes of the source from `at` (empty when nothing was
// remembered); may end inside a two-byte character.
std::string Excerpt(const char* at) {
  if (!at) return std::string();
  return std::string(at, strnlen(at, 20));
}

struct Remembered {
  const char* at = nullptr;
  int line = 0;
  void Set(const char* p, int l) {
    at = p;
    line = l;
  }
};

[[noreturn]] void RaiseUnbalanced(std::string_view headUtf8, const Remembered& where,
                                  const PreprocessErrorFormatter& formatError) {
  std::string text = SJ(headUtf8) + Excerpt(where.at) + SJ("』の近く");
  throw ENura(formatError(where.line, text));
}

}  // namespace

void PreprocessSource(std::string& text, const PreprocessErrorFormatter& formatError) {
  TConvToHalf conv;
  conv.AddAll();
  const std::array<ByteClasses, kStateCount> classes = MakeByteClasses(conv);

  std::string out;
  out.reserve(text.size() + text.size() / 8 + 16);
  const char* p = text.c_str();
  bool inDouble = false, inBack = false, inBlock = false, inLine = false;
  int line = 1;
  Remembered quote, brace;

  for (;;) {
    // Fast path: copy (or, in comments, drop) what needs no decision.
    State state = inDouble ? kInDouble : inBack ? kInBack : inBlock ? kInBlock : inLine ? kInLine : kNormal;
    const char* run = p;
    p = SkipRun(p, classes[state], conv);
    if (state <= kInBack) out.append(run, p);
    if (*p == '\0') break;

    std::string_view raw = ReadSourceChar(p);
    // Decisions are made on the folded character everywhere (so "」" closes
    // a literal and "｝" a comment); literals keep the raw one.
    std::string_view ch = raw;
    if (const std::string* folded = conv.Find(raw)) ch = *folded;
    const bool inLiteral = inDouble || inBack;
    const bool inComment = inBlock || inLine;
    const char c = ch[0];

    if (c == '\r' || c == '\n') {
      // CR LF, a lone CR and a lone LF each end one line.
      if (c == '\r' && *p == '\n') ++p;
      inLine = false;
      if (inLiteral) out += "\r\n";
      else AppendLineMarker(out, line);
      if (line < std::numeric_limits<int>::max()) ++line;
      continue;
    }
    if (c == '\\' && inDouble) {
      // The escaped character is copied as it stands; a line end is not
      // swallowed, so the line count stays right.
      out += '\\';
      if (*p != '\r' && *p != '\n') out += ReadSourceChar(p);
      continue;
    }
    if (c == '/' && !inLiteral && !inBlock && *p == '/') {
      ++p;
      inLine = true;
      continue;
    }
    if (c == '\'' && !inLiteral && !inBlock) {
      inLine = true;
      continue;
    }
    if ((c == '{' || c == '}') && !inLiteral && !inLine) {
      inBlock = c == '{';
      brace.Set(p, line);
      continue;
    }
    if (c == '"' && !inComment && !inBack) {
      inDouble = !inDouble;
      out += '"';
      quote.Set(p, line);
      continue;
    }
    if (c == '`' && !inComment && !inDouble) {
      if (*p == '`') {
        ++p;
        out += "``";
        quote.Set(p, line);
      } else {
        inBack = !inBack;
        out += '`';
        if (inBack) quote.Set(p, line);
      }
      continue;
    }
    if (inComment) continue;
    out += inLiteral ? raw : ch;
  }

  if (inBlock) RaiseUnbalanced("{ }が対応していません。『", brace, formatError);
  if (inDouble) RaiseUnbalanced("「」または\"\"が対応していません。『", quote, formatError);
  if (inBack) RaiseUnbalanced("『』または''''が対応していません。『", quote, formatError);
  text = std::move(out);
}

void PreprocessSource(std::string& text, std::string_view fileName) {
  PreprocessSource(text, [fileName](int line, const std::string& message) {
    return FormatErrorMessage(fileName, line, message);
  });
}

int ReadLineMarker(const char*& cursor) {
  if (!cursor) return -1;
  while (*cursor == '\t' || *cursor == '\n' || *cursor == '\r' || *cursor == ' ') ++cursor;
  if (*cursor < '0' || *cursor > '9') return -1;
  long long line = 0;
  while (*cursor >= '0' && *cursor <= '9') {
    if (line <= std::numeric_limits<int>::max()) line = line * 10 + (*cursor - '0');
    ++cursor;
  }
  if (*cursor == ':') ++cursor;
  return line <= std::numeric_limits<int>::max() ? static_cast<int>(line) : -1;
}

namespace {

// The number of a marker "digits:" at `p`, or -1.
int MarkerAt(const char* p, const char* end) {
  long long n = 0;
  const char* q = p;
  for (; q < end && *q >= '0' && *q <= '9'; ++q) {
    n = n * 10 + (*q - '0');
    if (n > std::numeric_limits<int>::max()) return -1;
  }
  return q > p && q < end && *q == ':' ? static_cast<int>(n) : -1;
}

// The line of the cursor on the last line of the text, which has no marker
// behind it: one more than the marker before it, counting the line breaks
// of a literal in between. Line ends and marker bytes are never trail
// bytes, so the backward scan cannot land inside a character.
int LastLineNumber(const char* begin, const char* cursor, const char* end) {
  int breaks = 0;
  const char* p = cursor;
  for (;;) {
    while (p > begin && p[-1] != '\n' && p[-1] != '\r') --p;
    if (p == begin) return breaks + 1;
    int marker = MarkerAt(p, end);
    if (marker >= 0) return marker + breaks + 1;
    ++breaks;
    --p;
    if (p > begin && *p == '\n' && p[-1] == '\r') --p;
  }
}

}  // namespace

int CurrentLine(std::string_view text, const char* cursor, int heldLine) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (!cursor || cursor < begin || cursor > end) return heldLine;
  const char* p = cursor;
  while (p < end && *p != '\0' && *p != '\r' && *p != '\n')
    p += p + 1 < end && IsLead(static_cast<unsigned char>(*p)) ? 2 : 1;
  if (p >= end || *p == '\0') return LastLineNumber(begin, cursor, end);
  while (p < end && (*p == '\r' || *p == '\n')) ++p;
  int marker = MarkerAt(p, end);
  return marker >= 0 ? marker : heldLine;
}

}  // namespace nura
