// The language's wildcard patterns: "*", "?", "#" (a digit), capture
// groups "(...)", and classes "[...]" with ranges, negation "!", the
// repetition modes "[*...]" and "[+...]" and alternative lists "[=a|b]".
// A pattern is compiled into a sequence of element objects; the text it is
// matched against is taken character by character (Shift-JIS: a two-byte
// character is one element) and never interpreted as a pattern.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nura {

// Raised for a malformed pattern; the calling command reports it.
class EWildcard : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TWString;

// The text under the cursor of a match: a byte position that always stands
// at a character start. A "?" at the end moves it one past the end.
struct TWText {
  std::string_view text;
  size_t pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  // Length in bytes of the character at the cursor (0 at the end).
  size_t CharLength() const;
  // Code of the character at the cursor: lead * 256 + trail, or the byte.
  unsigned CharCode() const;
  std::string_view Char() const { return text.substr(pos, CharLength()); }
};

// One pattern element.
class TWSeq {
 public:
  explicit TWSeq(TWString& owner) : owner_(owner) {}
  virtual ~TWSeq() = default;
  // Tries the element at the text cursor and advances the cursor.
  virtual bool Match(TWText& text) = 0;
  virtual std::string GetText() const = 0;

 protected:
  TWString& owner_;
};

class TWChar : public TWSeq {
 public:
  TWChar(TWString& owner, std::string_view ch) : TWSeq(owner), ch_(ch) {}
  bool Match(TWText& text) override;
  std::string GetText() const override { return ch_; }
  const std::string& Char() const { return ch_; }

 private:
  std::string ch_;  // one or two bytes
};

class TWQuestion : public TWSeq {
 public:
  using TWSeq::TWSeq;
  bool Match(TWText& text) override;
  std::string GetText() const override { return "?"; }
};

class TWAsterisk : public TWSeq {
 public:
  TWAsterisk(TWString& owner, size_t index) : TWSeq(owner), index_(index) {}
  bool Match(TWText& text) override;
  std::string GetText() const override { return "*"; }

 private:
  size_t index_;  // own position in the owner's element array
};

class TWNumber : public TWSeq {
 public:
  using TWSeq::TWSeq;
  bool Match(TWText& text) override;
  std::string GetText() const override { return "#"; }
};

class TWPickupFrom : public TWSeq {
 public:
  using TWSeq::TWSeq;
  bool Match(TWText& text) override;
  std::string GetText() const override { return "("; }
};

class TWPickupTo : public TWSeq {
 public:
  using TWSeq::TWSeq;
  bool Match(TWText& text) override;
  std::string GetText() const override { return ")"; }
};

// A character class "[...]".
class TWKakko : public TWSeq {
 public:
  enum Mode { kOne = 0, kZeroOrMore = 1, kOneOrMore = 2, kAlternatives = 3 };
  struct Range {
    unsigned low, high;
  };

  TWKakko(TWString& owner, std::string source) : TWSeq(owner), source_(std::move(source)) {}
  bool Match(TWText& text) override;
  std::string GetText() const override { return source_; }
  void SetSource(std::string source) { source_ = std::move(source); }

  bool negated = false;
  Mode mode = kOne;
  std::vector<Range> ranges;
  std::vector<std::string> alternatives;  // mode 3, in trial order
  const TWChar* stopper = nullptr;        // modes 1, 2: the literal after the class

 private:
  bool InClass(unsigned code) const;
  std::string source_;
};

// A compiled pattern and the state of one match against it.
class TWString {
 public:
  // Compiles `pattern`; raises EWildcard for a malformed class.
  explicit TWString(std::string_view pattern);
  TWString(const TWString&) = delete;
  TWString& operator=(const TWString&) = delete;

  int Count() const { return static_cast<int>(elements_.size()); }
  // Text forms of `count` elements from the 1-based index `first`, joined.
  std::string CopyText(int first, int count) const;
  // The element at the cursor (nullptr past the end); the cursor advances.
  TWSeq* NextElement();

  // Matches the pattern from the start of `text`. With `whole`, only a
  // match that ends exactly at the end of the text counts (a star tries
  // longer runs until one does); otherwise the shortest match is taken.
  // `end` receives the text position after the match.
  bool Match(std::string_view text, bool whole, size_t& end);
  bool MatchWhole(std::string_view text) {
    size_t end;
    return Match(text, true, end);
  }
  const std::vector<std::string>& Captures() const { return captures_; }

 private:
  friend class TWAsterisk;
  friend class TWPickupFrom;
  friend class TWPickupTo;

  void Compile(std::string_view pattern);
  size_t CompileClass(std::string_view pattern, size_t i);
  void LinkStoppers();
  // Runs elements from `index` on; used by the main loop and by the
  // star's look-ahead trials.
  bool Run(size_t index, TWText& text);
  bool StarTrial(size_t index, TWText& text);
  static constexpr uint8_t kNotTried = 0, kFailed = 1, kMatched = 2;
  uint8_t TrialOutcome(size_t index, size_t pos) const;
  void NoteOutcome(size_t index, size_t pos, uint8_t outcome);

  std::vector<std::unique_ptr<TWSeq>> elements_;
  size_t cursor_ = 0;
  std::vector<std::string> captures_;
  bool capturesEnabled_ = true;
  size_t captureStart_ = 0;
  long long highestCapture_ = -1;
  bool whole_ = false;
  // Outcomes of trials by (element, position): a table, or a map when the
  // table would be too large.
  std::vector<uint8_t> outcomes_;
  std::unordered_map<size_t, uint8_t> sparseOutcomes_;
  size_t memoWidth_ = 0;
  std::vector<size_t> starFailedFrom_;  // per star: trials failed from here on
};

// True when `text` holds "*", "?" or "[", the characters that make a search
// text a pattern.
bool ContainsWildcard(std::string_view text);

// True when `pattern` matches the whole of `text`.
bool WildcardMatch(std::string_view text, std::string_view pattern);

// Matches `pattern` at the start of `text`. On success returns true, puts
// the matched part in `matched`, leaves the rest in `text` and the captured
// texts in `captures`; on failure nothing changes.
bool WildcardMatchCut(std::string& text, std::string_view pattern, std::string& matched,
                      std::vector<std::string>& captures);

}  // namespace nura
