#include "support/wildcard.h"

#include <algorithm>
#include <cstdint>

#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

const std::string& BackslashMessage() {
  static const std::string text =
      SJ("ワイルドカードの[ ]中で\\記号を使うときは、\\t,\\nしか許されていません。");
  return text;
}

const std::string& RepeatFollowMessage() {
  static const std::string text =
      SJ("ワイルドカード[*...]に続けてワイルドカードを書くことは出来ません。");
  return text;
}

// Length of the character at byte `i` of `s`, 0 at the end.
size_t CharLengthAt(std::string_view s, size_t i) {
  return i >= s.size() ? 0 : SjisCharLength(s, i);
}

unsigned CodeOf(std::string_view ch) {
  if (ch.empty()) return 0;
  unsigned code = static_cast<unsigned char>(ch[0]);
  if (ch.size() > 1) code = code * 256 + static_cast<unsigned char>(ch[1]);
  return code;
}

// Sorts the alternatives of "[=...]" into their trial order: for each
// position i, the first shortest entry after i (or the entry at i when none
// follows) is moved to the front.
void ReorderAlternatives(std::vector<std::string>& list) {
  const size_t n = list.size();
  for (size_t i = 0; i < n; ++i) {
    size_t pick = i;
    if (i + 1 < n) {
      pick = i + 1;
      for (size_t j = i + 2; j < n; ++j)
        if (list[j].size() < list[pick].size()) pick = j;
    }
    std::string moved = std::move(list[pick]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(pick));
    list.insert(list.begin(), std::move(moved));
  }
}

}  // namespace

size_t TWText::CharLength() const { return CharLengthAt(text, pos); }

unsigned TWText::CharCode() const { return CodeOf(Char()); }

bool TWChar::Match(TWText& text) {
  if (text.AtEnd()) return false;
  const std::string_view ch = text.Char();
  text.pos += ch.size();
  return ch == ch_;
}

bool TWQuestion::Match(TWText& text) {
  // Beyond the end the cursor moves past it, so a whole match then fails.
  text.pos += text.AtEnd() ? 1 : text.CharLength();
  return true;
}

bool TWNumber::Match(TWText& text) {
  if (text.AtEnd()) return false;
  const char c = text.text[text.pos];
  text.pos += text.CharLength();
  return c >= '0' && c <= '9';
}

bool TWPickupFrom::Match(TWText& text) {
  owner_.captureStart_ = std::min(text.pos, text.text.size());
  return true;
}

bool TWPickupTo::Match(TWText& text) {
  const size_t here = std::min(text.pos, text.text.size());
  if (owner_.capturesEnabled_ && static_cast<long long>(here) > owner_.highestCapture_) {
    owner_.highestCapture_ = static_cast<long long>(here);
    const size_t from = std::min(owner_.captureStart_, here);
    owner_.captures_.emplace_back(text.text.substr(from, here - from));
  }
  return true;
}

bool TWAsterisk::Match(TWText& text) {
  auto& elements = owner_.elements_;
  const size_t rest = std::max(text.pos, text.text.size());
  if (index_ + 1 == elements.size()) {
    text.pos = rest;
    return true;
  }
  if (index_ + 2 == elements.size() && dynamic_cast<TWPickupTo*>(elements[index_ + 1].get())) {
    text.pos = rest;
    elements[index_ + 1]->Match(text);
    return true;
  }
  return owner_.StarTrial(index_, text);
}

bool TWKakko::InClass(unsigned code) const {
  bool in = false;
  for (const Range& r : ranges)
    if (code >= r.low && code <= r.high) {
      in = true;
      break;
    }
  return in != negated;
}

bool TWKakko::Match(TWText& text) {
  switch (mode) {
    case kOne: {
      if (text.AtEnd()) return false;
      const unsigned code = text.CharCode();
      text.pos += text.CharLength();
      return InClass(code);
    }
    case kZeroOrMore:
    case kOneOrMore: {
      size_t taken = 0;
      while (!text.AtEnd()) {
        const std::string_view ch = text.Char();
        if (stopper && ch == stopper->Char()) break;
        if (!InClass(CodeOf(ch))) break;
        text.pos += ch.size();
        ++taken;
      }
      return mode == kZeroOrMore || taken > 0;
    }
    case kAlternatives:
      for (const std::string& alt : alternatives) {
        // Compare character by character so that the cursor stays on a
        // character start.
        size_t p = text.pos, a = 0;
        bool same = true;
        while (a < alt.size()) {
          const size_t la = CharLengthAt(alt, a), lt = CharLengthAt(text.text, p);
          if (lt == 0 || alt.compare(a, la, text.text.substr(p, lt)) != 0) {
            same = false;
            break;
          }
          a += la;
          p += lt;
        }
        if (same) {
          text.pos = p;
          return true;
        }
      }
      return false;
  }
  return false;
}

TWString::TWString(std::string_view pattern) {
  Compile(pattern);
  LinkStoppers();
}

void TWString::Compile(std::string_view pattern) {
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const size_t len = CharLengthAt(pattern, i);
    if (len == 2) {
      elements_.push_back(std::make_unique<TWChar>(*this, pattern.substr(i, 2)));
      i += 2;
      continue;
    }
    switch (c) {
      case '#': elements_.push_back(std::make_unique<TWNumber>(*this)); break;
      case '(': elements_.push_back(std::make_unique<TWPickupFrom>(*this)); break;
      case ')': elements_.push_back(std::make_unique<TWPickupTo>(*this)); break;
      case '*': elements_.push_back(std::make_unique<TWAsterisk>(*this, elements_.size())); break;
      case '?': elements_.push_back(std::make_unique<TWQuestion>(*this)); break;
      case '[':
        i = CompileClass(pattern, i + 1);
        continue;
      case '\\': {
        const size_t next = CharLengthAt(pattern, i + 1);
        if (next == 0) {
          elements_.push_back(std::make_unique<TWChar>(*this, "\\"));
        } else if (next == 1 && pattern[i + 1] == 'n') {
          elements_.push_back(std::make_unique<TWChar>(*this, "\r"));
          elements_.push_back(std::make_unique<TWChar>(*this, "\n"));
        } else if (next == 1 && pattern[i + 1] == 't') {
          elements_.push_back(std::make_unique<TWChar>(*this, "\t"));
        } else {
          elements_.push_back(std::make_unique<TWChar>(*this, pattern.substr(i + 1, next)));
        }
        i += 1 + next;
        continue;
      }
      default: elements_.push_back(std::make_unique<TWChar>(*this, pattern.substr(i, 1)));
    }
    ++i;
  }
}

// Compiles a class whose body starts at `i` (after "["); returns the
// position after its "]" (or the end).
size_t TWString::CompileClass(std::string_view pattern, size_t i) {
  const size_t open = i - 1;
  auto kakko = std::make_unique<TWKakko>(*this, "");
  if (i < pattern.size() && pattern[i] == '!') {
    kakko->negated = true;
    ++i;
  }
  if (i < pattern.size()) {
    switch (pattern[i]) {
      case '*': kakko->mode = TWKakko::kZeroOrMore; ++i; break;
      case '+': kakko->mode = TWKakko::kOneOrMore; ++i; break;
      case '=': kakko->mode = TWKakko::kAlternatives; ++i; break;
      default: break;
    }
  }
  if (kakko->mode == TWKakko::kAlternatives) {
    std::string current;
    while (i < pattern.size() && pattern[i] != ']') {
      const size_t len = CharLengthAt(pattern, i);
      if (len == 1 && pattern[i] == '|') {
        kakko->alternatives.push_back(std::move(current));
        current.clear();
      } else {
        current.append(pattern.substr(i, len));
      }
      i += len;
    }
    kakko->alternatives.push_back(std::move(current));
    ReorderAlternatives(kakko->alternatives);
  } else {
    // Reads one class character; a backslash may only stand for \t or \n.
    auto readChar = [&](unsigned& low, unsigned& high) {
      if (pattern[i] == '\\') {
        const char e = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (e == 't') {
          low = high = 9;
        } else if (e == 'n') {
          low = 10;
          high = 13;
        } else {
          throw EWildcard(BackslashMessage());
        }
        i += 2;
        return;
      }
      const size_t len = CharLengthAt(pattern, i);
      low = high = CodeOf(pattern.substr(i, len));
      i += len;
    };
    while (i < pattern.size() && pattern[i] != ']') {
      unsigned low, high;
      readChar(low, high);
      if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
        ++i;
        unsigned low2, high2;
        readChar(low2, high2);
        low = std::min(low, low2);
        high = std::max(high, high2);
      }
      kakko->ranges.push_back({low, high});
    }
  }
  if (i < pattern.size()) ++i;  // the closing "]"
  kakko->SetSource(std::string(pattern.substr(open, i - open)));
  elements_.push_back(std::move(kakko));
  return i;
}

// A repetition class stops at the literal character that follows it (one
// capture mark may stand between); anything else after it is an error.
void TWString::LinkStoppers() {
  for (size_t i = 0; i < elements_.size(); ++i) {
    auto* kakko = dynamic_cast<TWKakko*>(elements_[i].get());
    if (!kakko || (kakko->mode != TWKakko::kZeroOrMore && kakko->mode != TWKakko::kOneOrMore))
      continue;
    size_t next = i + 1;
    if (next < elements_.size() && (dynamic_cast<TWPickupFrom*>(elements_[next].get()) ||
                                    dynamic_cast<TWPickupTo*>(elements_[next].get())))
      ++next;
    if (next >= elements_.size()) continue;
    kakko->stopper = dynamic_cast<const TWChar*>(elements_[next].get());
    if (!kakko->stopper) throw EWildcard(RepeatFollowMessage());
  }
}

std::string TWString::CopyText(int first, int count) const {
  std::string out;
  for (int k = std::max(first, 1); k < first + count && k <= Count(); ++k)
    out += elements_[static_cast<size_t>(k - 1)]->GetText();
  return out;
}

TWSeq* TWString::NextElement() {
  TWSeq* e = cursor_ < elements_.size() ? elements_[cursor_].get() : nullptr;
  ++cursor_;
  return e;
}

bool TWString::Run(size_t index, TWText& text) {
  for (size_t i = index; i < elements_.size(); ++i)
    if (!elements_[i]->Match(text)) return false;
  return true;
}

uint8_t TWString::TrialOutcome(size_t index, size_t pos) const {
  const size_t key = index * memoWidth_ + pos;
  if (!outcomes_.empty()) return outcomes_[key];
  const auto found = sparseOutcomes_.find(key);
  return found == sparseOutcomes_.end() ? kNotTried : found->second;
}

void TWString::NoteOutcome(size_t index, size_t pos, uint8_t outcome) {
  const size_t key = index * memoWidth_ + pos;
  if (!outcomes_.empty())
    outcomes_[key] = outcome;
  else
    sparseOutcomes_[key] = outcome;
}

// The star's look-ahead: tries the rest of the pattern at each position
// from the cursor on, shortest first, without recording captures. A match
// of the whole text also needs the rest to end at the end of the text.
bool TWString::StarTrial(size_t index, TWText& text) {
  const size_t size = text.text.size();
  // A star whose trials failed from some position fails from every later
  // one too, since those trials are a subset.
  if (text.pos >= starFailedFrom_[index]) return false;
  const bool savedEnabled = capturesEnabled_;
  const size_t savedStart = captureStart_;
  capturesEnabled_ = false;
  const bool startsCapture =
      dynamic_cast<TWPickupFrom*>(elements_[index + 1].get()) != nullptr;
  size_t p = text.pos;
  bool found = false;
  while (p <= size) {
    uint8_t outcome = TrialOutcome(index + 1, p);
    if (outcome == kNotTried) {
      if (startsCapture) captureStart_ = p;
      TWText trial{text.text, p};
      outcome = Run(index + 1, trial) && (!whole_ || trial.pos == size) ? kMatched : kFailed;
      NoteOutcome(index + 1, p, outcome);
    }
    if (outcome == kMatched) {
      found = true;
      break;
    }
    if (p == size) break;
    p += CharLengthAt(text.text, p);
  }
  // The trials must not disturb a capture opened before the star.
  capturesEnabled_ = savedEnabled;
  captureStart_ = savedStart;
  if (found)
    text.pos = p;
  else
    starFailedFrom_[index] = std::min(starFailedFrom_[index], text.pos);
  return found;
}

bool TWString::Match(std::string_view text, bool whole, size_t& end) {
  cursor_ = 0;
  captures_.clear();
  capturesEnabled_ = true;
  captureStart_ = 0;
  highestCapture_ = -1;
  whole_ = whole;
  // The outcome of a trial depends only on where it starts (element and
  // text position): each is remembered, matched or failed, so that every
  // pair is tried once and patterns with many stars stay polynomial.
  memoWidth_ = text.size() + 1;
  const size_t cells = (elements_.size() + 1) * memoWidth_;
  outcomes_.assign(cells <= (size_t{1} << 24) ? cells : 0, kNotTried);
  sparseOutcomes_.clear();
  starFailedFrom_.assign(elements_.size(), SIZE_MAX);
  TWText t{text, 0};
  const bool ok = Run(0, t) && (!whole || t.pos == text.size());
  end = std::min(t.pos, text.size());
  return ok;
}

bool ContainsWildcard(std::string_view text) {
  return text.find_first_of("*?[") != std::string_view::npos;
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  TWString compiled(pattern);
  return compiled.MatchWhole(text);
}

bool WildcardMatchCut(std::string& text, std::string_view pattern, std::string& matched,
                      std::vector<std::string>& captures) {
  TWString compiled(pattern);
  size_t end;
  if (!compiled.Match(text, false, end)) return false;
  matched = text.substr(0, end);
  captures = compiled.Captures();
  text.erase(0, end);
  return true;
}

}  // namespace nura
