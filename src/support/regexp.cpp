#include "support/regexp.h"

namespace nura {
namespace {

const char kIndexOutOfRange[] = "index out of range";
const char kNotBound[] = "regular-expression library entry missing";

std::string TextBetween(const char* start, const char* end) {
  if (!start || !end || end < start) return std::string();
  return std::string(start, static_cast<size_t>(end - start));
}

}  // namespace

TBRegExp::TBRegExp()
    : bmatch_(&BMatch),
      bsubst_(&BSubst),
      btrans_(&BTrans),
      bsplit_(&BSplit),
      bregfree_(&BRegfree),
      bregexpVersion_(&BRegexpVersion) {}

TBRegExp::~TBRegExp() {
  if (record_ && bregfree_) bregfree_(record_);
}

bool TBRegExp::Available() const {
  return bmatch_ && bsubst_ && btrans_ && bsplit_ && bregfree_ && bregexpVersion_;
}

void TBRegExp::ReleaseIfPatternChanged(const std::string& expression) {
  if (record_ && record_->expression != expression) {
    if (bregfree_) bregfree_(record_);
    record_ = nullptr;
  }
}

void TBRegExp::RaiseOnMessage(const char* message) const {
  if (message[0] != '\0') throw EBRegExpError(message);
}

// Runs a match-shaped entry point on the subject; raises the library's
// message as EBRegExpError.
int TBRegExp::Call(MatchEntry entry, const std::string& expression) {
  if (!entry || !bregfree_) throw EBRegExpError(kNotBound);
  ReleaseIfPatternChanged(expression);
  char message[kBRegexpMessageSize] = {};
  const int result = entry(expression.c_str(), subject_.data(),
                           subject_.data() + subject_.size(), &record_, message);
  RaiseOnMessage(message);
  return result;
}

bool TBRegExp::Match(std::string_view expression, std::string_view target) {
  state_ = kNone;
  subject_.assign(target);
  if (Call(bmatch_, std::string(expression)) <= 0) return false;
  state_ = kMatched;
  return true;
}

bool TBRegExp::Subst(std::string_view expression, std::string& target) {
  state_ = kNone;
  if (target.empty()) return false;
  subject_ = target;
  if (Call(bsubst_, std::string(expression)) <= 0) return false;
  target = record_->output;
  state_ = kMatched;
  return true;
}

bool TBRegExp::Trans(std::string_view expression, std::string& target) {
  state_ = kNone;
  subject_ = target.empty() ? std::string(" ") : target;
  if (Call(btrans_, std::string(expression)) <= 0) return false;
  target = record_->output;
  return true;
}

bool TBRegExp::Split(std::string_view expression, std::string_view target, int limit) {
  state_ = kNone;
  if (!bsplit_ || !bregfree_) throw EBRegExpError(kNotBound);
  subject_.assign(target.empty() ? std::string_view(" ") : target);
  const std::string expr(expression);
  ReleaseIfPatternChanged(expr);
  char message[kBRegexpMessageSize] = {};
  const int result = bsplit_(expr.c_str(), subject_.data(), subject_.data() + subject_.size(),
                             limit, &record_, message);
  RaiseOnMessage(message);
  state_ = kSplit;
  return result > 0;
}

int TBRegExp::GetMatchCount() const { return record_ ? record_->group_count + 1 : 0; }

int TBRegExp::GetSplitCount() const { return record_ ? record_->split_count : 0; }

int TBRegExp::GetCount() const {
  switch (state_) {
    case kMatched: return GetMatchCount();
    case kSplit: return GetSplitCount();
    default: return 0;
  }
}

std::string TBRegExp::GetMatch(int index) const {
  if (state_ != kMatched || !record_ || index < 0 || index > record_->group_count ||
      static_cast<size_t>(index) >= record_->start_pointers.size()) {
    throw EBRegExpError(kIndexOutOfRange);
  }
  const auto k = static_cast<size_t>(index);
  return TextBetween(record_->start_pointers[k], record_->end_pointers[k]);
}

std::string TBRegExp::GetSplitItem(int index) const {
  if (state_ != kSplit || !record_ || index < 0 || index >= record_->split_count) {
    throw EBRegExpError(kIndexOutOfRange);
  }
  const auto k = static_cast<size_t>(index) * 2;
  return TextBetween(record_->split_pointers[k], record_->split_pointers[k + 1]);
}

std::string TBRegExp::GetText() const {
  std::string text;
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    text += state_ == kMatched ? GetMatch(i) : GetSplitItem(i);
    text += "\r\n";
  }
  return text;
}

}  // namespace nura
