// The word table and text positions: a word (THashNode) of the table
// (THash), shared texts and positions inside them. Every text is Shift-JIS.
//
// Text positions: the cursor, labels, loop frames and event code point into
// texts (the program, included files, block copies, text runs). A position is
// a TextPos: the shared owner of the text plus a pointer into it, so a copy
// of a record or node keeps its text alive and never dangles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/kept_number.h"
#include "engine/name_index.h"

namespace nura {

// A NUL-terminated text shared by everything that points into it.
using TextRef = std::shared_ptr<const std::string>;

// Makes a shared text from `text`.
TextRef MakeText(std::string text);

// A position inside a shared text; p is nil when there is no position.
struct TextPos {
  TextRef text;
  const char* p = nullptr;

  TextPos() = default;
  TextPos(TextRef owner, const char* at) : text(std::move(owner)), p(at) {}
  // The start of `owner`.
  static TextPos StartOf(TextRef owner);
  explicit operator bool() const { return p != nullptr; }
  void Reset() { text.reset(); p = nullptr; }
};

class THash;

// Node kinds of the word table.
enum : uint8_t {
  kWordCommand = 0,
  kWordLabel = 2,
  kWordVariable = 3,
  kWordObject = 4,
  kWordDeclared = 5,
  kWordHash = 6,
};

// The fields most words never set (a variable holds none of them unless
// it is a hash, a file handle, or was given a position or a long
// annotation), made on a word's first use of one.
struct TWordExtras {
  std::string pattern;     // particle pattern (commands, labels, declared commands)
  std::string annotation;  // an annotation that is not a single letter
  // label: behind its name; variable: where it was created; object: the
  // creating statement
  TextPos position;
  std::shared_ptr<THash> hash;  // kind 6: the hash's own table
  // kind 5: the library entry; a file-handle variable: its stream, kept to
  // check the handle (not owned). An object word (kind 4) holds no pointer:
  // its id indexes the object list.
  void* address = nullptr;
};

// One word of the word table. A table may hold hundreds of thousands of
// them (a script's hash), so a node keeps only what every word uses; the
// rest waits in TWordExtras. The annotation (the kind letter of a variable,
// a description or a label's file name) is one letter in the node when it
// is one.
class THashNode {
 public:
  std::string name;

 private:
  // Ahead of the fields below, so that the node keeps its size.
  mutable std::string value_;
  // The number `value_` reads as, kept while `value_` stays as it was, or
  // the number whose text `value_` is still to become.
  mutable TKeptNumber kept_;

 public:
  int32_t id = 0;          // dispatch id, declaration level or object id
  uint8_t kind = kWordVariable;
  bool isProtected = false;

  THashNode() = default;
  THashNode(std::string name, bool isProtected, uint8_t kind, int32_t id,
            std::string annotation, std::string value, std::string pattern);
  THashNode(const THashNode& other) : name(other.name) {
    Assign(other);
    kept_ = other.kept_;
  }
  THashNode(THashNode&&) = default;
  THashNode& operator=(THashNode&&) = default;
  static std::unique_ptr<THashNode> CreateVariable(std::string name, bool isProtected,
                                                   int32_t id, std::string value);
  // Copies every field except the name (and the kept number).
  void Assign(const THashNode& other);

  // The value of a variable; "ハッシュ" for a hash. A whole number written
  // by SetWhole waits as its number until its text is asked for here.
  const std::string& Value() const {
    if (kept_.Pending()) WritePendingDigits();
    return value_;
  }
  // The text to change in place.
  std::string& MutableValue() {
    if (kept_.Pending()) WritePendingDigits();
    return value_;
  }
  // The text to write over whole: a number waiting for its text is
  // dropped.
  std::string& ValueToReplace() {
    kept_ = TKeptNumber();
    return value_;
  }
  void SetValue(std::string_view text) { ValueToReplace().assign(text); }
  void SetValue(std::string&& text) { ValueToReplace() = std::move(text); }
  void SetValue(const char* text) { SetValue(std::string_view(text)); }
  // The value becomes the general format of `whole`, which must fit
  // (TKeptNumber::FitsPending: at most 16 digits with its sign). Counting
  // up by one mostly changes the last digit in place; other numbers are
  // kept, their text made when it is read.
  void SetWhole(int64_t whole);
  // The whole number the value reads as: one written by SetWhole, or a
  // text in the general format of a whole number (no leading zero, at most
  // 15 digits); false for any other text.
  bool ReadWhole(int64_t& whole) const;
  // The number kept for the value's text, to hand on with a copy of the
  // text (KeepNumber).
  const TKeptNumber& KeptNumber() const {
    if (kept_.Pending()) WritePendingDigits();
    return kept_;
  }
  // Keeps `kept` beside the value: it counts only if kept for this text.
  void KeepNumber(const TKeptNumber& kept) {
    if (kept_.Pending()) WritePendingDigits();
    kept_ = kept;
  }

  // The fields below are read through references that stay valid while the
  // node lives. A reference follows later changes of its field once the
  // node holds its extras (the annotation: while it is not one letter).

  // Kind letter or description; a label's file name.
  const std::string& Annotation() const {
    return letter_ == kLetterInExtras ? extras_->annotation : LetterText(letter_);
  }
  void SetAnnotation(std::string_view text) {
    if (text.size() == 1 && IsInlineLetter(text[0])) {
      letter_ = text[0];
    } else if (text.empty()) {
      letter_ = '\0';
    } else {
      SetLongAnnotation(text);
    }
  }
  const std::string& Pattern() const { return Extras().pattern; }
  void SetPattern(std::string pattern);
  const TextPos& Position() const { return Extras().position; }
  void SetPosition(TextPos position);
  const std::shared_ptr<THash>& Hash() const { return Extras().hash; }
  void SetHash(std::shared_ptr<THash> hash);
  void* Address() const { return Extras().address; }
  void SetAddress(void* address);

 private:
  // letter_: the annotation's one letter, NUL for none, or this mark for
  // an annotation kept in the extras.
  static constexpr char kLetterInExtras = '\xff';
  static bool IsInlineLetter(char c) { return c != '\0' && c != kLetterInExtras; }
  // The text of the one letter `c` (empty for NUL).
  static const std::string& LetterText(char c) {
    static const std::string* const texts = MakeLetterTexts();
    return texts[static_cast<unsigned char>(c)];
  }
  static const std::string* MakeLetterTexts();
  void SetLongAnnotation(std::string_view text);
  const TWordExtras& Extras() const { return extras_ ? *extras_ : NoExtras(); }
  TWordExtras& MutableExtras();
  static const TWordExtras& NoExtras();

  void WritePendingDigits() const;

  char letter_ = '\0';  // in the padding after the public fields
  std::unique_ptr<TWordExtras> extras_;
};

// With its reference count (std::make_shared) a node takes 120 bytes where
// std::string takes 32, one heap block of 128.
static_assert(sizeof(void*) != 8 || sizeof(std::string) != 32 || sizeof(THashNode) <= 104);

using NodePtr = std::shared_ptr<THashNode>;

// True for a word that runs code when it is read as an operand: a command,
// a label or a declared command.
inline bool IsCallable(const NodePtr& node) {
  return node && (node->kind == kWordCommand || node->kind == kWordLabel || node->kind == kWordDeclared);
}

// The loose key: hiragana endings after kanji or katakana dropped
// ("繰り返す" -> "繰返", "言う" -> "言"); a word that would become empty stays.
std::string StripOkurigana(const std::string& word);

// The word table: an index by name for look-ups, which keeps the words in
// the order they came. Enumeration goes by 256 buckets, the byte sum of the
// name, each bucket in that order. A name is held by at most one node.
class THash {
 public:
  static constexpr int kBuckets = 256;

  THash() = default;
  THash(const THash&) = delete;
  THash& operator=(const THash&) = delete;

  static int HashOf(const std::string& name);

  // Enters `node`. A node of the same name is replaced by taking over the
  // new node's fields, so the node object (and every pointer to it) stays
  // the same. A protected one raises std::runtime_error
  // ""%s"は予約語なので、登録できません。". Nil gives -1; else the count.
  int Add(std::unique_ptr<THashNode> node);
  // As Add, returning the node that now holds the word.
  NodePtr AddNode(std::unique_ptr<THashNode> node);
  NodePtr AddNode(THashNode&& node);

  // The node of `name`; an empty variable of declaration level `id` is
  // entered when the table has none. The reference holds until the word
  // leaves the table.
  THashNode& FindOrAddVariable(const std::string& name, int32_t id);

  // Gives `target`, a word of this table, every field of `source` but the
  // name (THashNode::Assign); a change of kind or pattern counts as a
  // change of the table's shape.
  void AssignNode(THashNode& target, const THashNode& source);

  NodePtr FindNode(const std::string& name, bool loose) const;
  // False when no look-up of `name` can find a word: it is longer than
  // every name the table has held since it was cleared (with loose: its
  // loose key is too). Costs at most the longest name's length, however
  // long `name` is.
  bool MayHold(std::string_view name, bool loose) const;
  // The loose key of `name` (StripOkurigana), kept per spelling; the
  // reference holds until the next look-up.
  const std::string& LooseKey(const std::string& name) const;
  THashNode* Find(const std::string& name, bool loose) const;
  std::string FindValue(const std::string& name, bool loose) const;

  // Removes the word (with loose: also the node of the stripped key). A
  // protected word is never removed by a loose delete. The new count, or -1
  // when nothing was removed.
  int Delete(const std::string& name, bool loose);
  void Clear();
  int Count() const { return count_; }

  void LoadFromText(const std::string& text);
  std::string GetNamesText() const;
  std::string GetNameValueText() const;
  std::vector<NodePtr> GetNodes() const;

  // Grows whenever a node with a particle pattern arrives or the table is
  // cleared; lets readers cache what they derive from the patterns.
  uint64_t PatternGeneration() const { return patternGeneration_; }
  void TouchPatterns() {
    ++patternGeneration_;
    ++shapeGeneration_;
  }
  // Grows whenever a node leaves the table (a replaced word keeps its node),
  // so a pointer kept since then may name a word that is gone.
  uint64_t RemovalGeneration() const { return removalGeneration_; }
  // Grows whenever a word enters, is entered again or leaves the table, and
  // whenever particle patterns change: what was read from a program text
  // with the help of the table (words, particles, conditions) stays true
  // until then.
  uint64_t ShapeGeneration() const { return shapeGeneration_; }

 private:
  bool RemoveFirst(const std::string& name, bool keepProtected);
  // Enters `node`, whose name (of hash `hash`) the table does not hold.
  const NodePtr& Enter(NodePtr node, uint64_t hash);

  TNameIndex index_;
  size_t longestName_ = 0;  // bytes of the longest name entered since Clear
  // Loose look-ups by spelling: the key and the node found (nil: none),
  // the node valid while the table's shape is that of `shape`.
  struct TLooseEntry {
    std::string key;
    NodePtr node;
    uint64_t shape = 0;
  };
  mutable std::unordered_map<std::string, TLooseEntry> loose_;
  TLooseEntry& LooseEntry(const std::string& name) const;
  // The node of `name` by its loose key (nil: none), cached per spelling.
  const NodePtr& FindLoose(const std::string& name) const;
  // The slot of the node found, or nil.
  const NodePtr* Lookup(const std::string& name, bool loose) const;
  int count_ = 0;
  uint64_t patternGeneration_ = 1;
  uint64_t removalGeneration_ = 1;
  uint64_t shapeGeneration_ = 1;
};

}  // namespace nura
