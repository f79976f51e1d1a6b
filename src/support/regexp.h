// TBRegExp: one regular-expression operation (match, substitution,
// translation or split) over the Perl-style expression layer, with access
// to the groups or pieces it found. Each object keeps its own copy of the
// subject, so its results stay valid whatever happens to the caller's text
// or to other objects.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/bregexp.h"

namespace nura {

class EBRegExpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TBRegExp {
 public:
  TBRegExp();
  ~TBRegExp();
  TBRegExp(const TBRegExp&) = delete;
  TBRegExp& operator=(const TBRegExp&) = delete;

  // False when the expression library could not be bound.
  bool Available() const;

  bool Match(std::string_view expression, std::string_view target);
  // On success `target` receives the substituted or translated text.
  bool Subst(std::string_view expression, std::string& target);
  bool Trans(std::string_view expression, std::string& target);
  bool Split(std::string_view expression, std::string_view target, int limit);

  // Groups + 1 after a match or substitution, pieces after a split, else 0.
  int GetCount() const;
  int GetMatchCount() const;
  int GetSplitCount() const;
  std::string GetMatch(int index) const;
  std::string GetSplitItem(int index) const;
  // Every item of the last operation, each followed by CR LF.
  std::string GetText() const;

 private:
  using MatchEntry = int (*)(const char*, const char*, const char*, BRegexpRecord**, char*);
  using SplitEntry = int (*)(const char*, const char*, const char*, int, BRegexpRecord**, char*);

  enum State : unsigned char { kNone = 0, kMatched = 1, kSplit = 2 };

  void ReleaseIfPatternChanged(const std::string& expression);
  int Call(MatchEntry entry, const std::string& expression);
  void RaiseOnMessage(const char* message) const;

  MatchEntry bmatch_ = nullptr;
  MatchEntry bsubst_ = nullptr;
  MatchEntry btrans_ = nullptr;
  SplitEntry bsplit_ = nullptr;
  void (*bregfree_)(BRegexpRecord*) = nullptr;
  const char* (*bregexpVersion_)() = nullptr;

  State state_ = kNone;
  std::string subject_;  // the text that the record's pointers refer to
  BRegexpRecord* record_ = nullptr;
};

}  // namespace nura
