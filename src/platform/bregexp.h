// Perl-style regular expressions over Shift-JIS text: "m/pattern/opts",
// "s/pattern/replacement/opts" and "tr/from/to/opts", matched by Oniguruma
// with its Shift-JIS encoding, so a match never splits a two-byte
// character. The entry points take NUL-terminated expressions, a target
// given by start and end pointers, a record that holds the compiled
// expression and the results, and an 80-byte message buffer that receives
// an error text (empty on success).
//
// Match and substitution options: g (global), i (ignore case), m (^ and $
// at every line), s ("." matches a line break too), x (blanks and comments
// in the pattern). Translation options: c (complement), d (delete
// characters without counterpart), s (squeeze repeated results).
// Replacements know $1-$9 (also \1-\9), $& and the escapes \n, \r, \t.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace nura {

inline constexpr int kBRegexpMessageSize = 80;

struct BRegexpCompiled;

// The compiled expression with the results of the last call.
struct BRegexpRecord {
  BRegexpRecord();
  ~BRegexpRecord();

  std::string output;                       // result of a substitution or translation
  int split_count = 0;                      // pieces of the last split
  std::vector<const char*> split_pointers;  // start and end of each piece
  std::string expression;                   // the expression compiled here
  std::vector<const char*> start_pointers;  // whole match, then each group
  std::vector<const char*> end_pointers;    // (null for a group that took no part)
  int group_count = 0;                      // parenthesised groups
  std::unique_ptr<BRegexpCompiled> compiled;
};

// Each returns 1 on success, 0 when nothing matched, -1 on an error (the
// message buffer then holds its text). A null *record is created; a record
// compiled for another expression is compiled again.
int BMatch(const char* expression, const char* target, const char* target_end,
           BRegexpRecord** record, char* message);
int BSubst(const char* expression, const char* target, const char* target_end,
           BRegexpRecord** record, char* message);
int BTrans(const char* expression, const char* target, const char* target_end,
           BRegexpRecord** record, char* message);
// Splits at every match of "m/pattern/"; a positive limit caps the number of
// pieces (the last holds the rest), a limit of 0 drops empty trailing pieces.
int BSplit(const char* expression, const char* target, const char* target_end, int limit,
           BRegexpRecord** record, char* message);
void BRegfree(BRegexpRecord* record);
const char* BRegexpVersion();

}  // namespace nura
