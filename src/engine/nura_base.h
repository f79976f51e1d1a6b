// The interpreter state and its data structures: the word table (THash of
// THashNode), the value stacks, the run-control stack and the script object
// list. Every text is Shift-JIS.
//
// Text positions: the cursor, labels, loop frames and event code point into
// texts (the program, included files, block copies, text runs). A position is
// a TextPos: the shared owner of the text plus a pointer into it, so a copy
// of a record or node keeps its text alive and never dangles.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/filemix.h"
#include "engine/kept_number.h"
#include "engine/name_index.h"
#include "engine/script_object.h"
#include "engine/security.h"

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

// One word of the word table.
class THashNode {
 public:
  std::string name;
  std::string pattern;     // particle pattern (commands, labels, declared commands)
  std::string value;       // value of a variable; "ハッシュ" for a hash
  std::string annotation;  // kind letter or description; a label's file name
  uint8_t kind = kWordVariable;
  bool isProtected = false;
  int32_t id = 0;          // dispatch id, declaration level or object id
  // label: behind its name; variable: where it was created; object: the
  // creating statement
  TextPos position;
  std::shared_ptr<THash> hash;  // kind 6: the hash's own table
  // kind 5: the library entry; a file-handle variable: its stream, kept to
  // check the handle (not owned). An object word (kind 4) holds no pointer:
  // its id indexes the object list.
  void* address = nullptr;
  // The number `value` reads as, kept while `value` stays as it was.
  mutable TKeptNumber keptNumber;

  THashNode() = default;
  THashNode(std::string name, bool isProtected, uint8_t kind, int32_t id,
            std::string annotation, std::string value, std::string pattern);
  static std::unique_ptr<THashNode> CreateVariable(std::string name, bool isProtected,
                                                   int32_t id, std::string value);
  // Copies every field except the name.
  void Assign(const THashNode& other);
};

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

// A stack of strings; the top is the end.
class TStack {
 public:
  void Push(const std::string& s) { items_.push_back(s); }
  void Push(std::string&& s) { items_.push_back(std::move(s)); }
  std::string Pop();
  std::string Shift();
  std::string GetItem(int i) const;
  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  void Clear() { items_.clear(); }
  const std::vector<std::string>& Items() const { return items_; }
  // Moves every item out (the stack is empty then) and back in.
  std::vector<std::string> TakeAll() { return std::exchange(items_, {}); }
  void PutAll(std::vector<std::string> items) { items_ = std::move(items); }

 private:
  std::vector<std::string> items_;
};

// Kinds of run-control records.
enum : uint8_t {
  kRunIfThen = 0,
  kRunIfElse = 1,
  kRunCountedVar = 2,
  kRunCounted = 3,
  kRunCall = 4,
  kRunEvent = 5,
  kRunItems = 6,
  kRunInvalid = 7,
  kRunSwitch = 8,
  kRunWhile = 9,
};

// One frame: a block, loop, call or event code.
struct TRunControl {
  // Each member is set by its own initializer, the frame is not zeroed
  // whole first (as for an aggregate made with "{}"): blocks push a frame
  // every time they run.
  TRunControl() {}
  TextPos returnPos;
  TextPos endPos;
  int32_t counter = 0;
  int32_t limit = 0;
  uint8_t kind = kRunInvalid;
  TextRef block;            // the copied body; the cursor runs inside it
  const std::string* savedFileName = nullptr;  // TNuraBase::SavedFileName()
  std::string condition;    // kind 9
  NodePtr loopVar;          // kind 2
  std::shared_ptr<const std::vector<std::string>> items;  // kind 6
};

// The run-control stack with its nested levels.
class TRunControlStack {
 public:
  TRunControl& Push(TRunControl record) { return current_.emplace_back(std::move(record)); }
  // A new empty record on top, to be filled in place.
  TRunControl& PushNew() { return current_.emplace_back(); }
  bool Pop(TRunControl& record);
  bool Peek(int i, TRunControl& record) const;
  // The top record of the current level, or nil.
  TRunControl* Top() { return current_.empty() ? nullptr : &current_.back(); }
  const TRunControl* Top() const { return current_.empty() ? nullptr : &current_.back(); }
  int Count() const { return static_cast<int>(current_.size()); }
  // Record i of the current level (0 = oldest); i must be below Count().
  TRunControl* At(int i) { return &current_[static_cast<size_t>(i)]; }
  // Moves record i above the records pushed after it; returns it.
  TRunControl* RaiseToTop(int i);
  // Removes the top record of the current level when there is one.
  void RemoveTop() {
    if (!current_.empty()) current_.pop_back();
  }
  void Clear() { current_.clear(); }
  void BeginNested();
  void EndNested();
  void ClearAll();
  // How many levels are saved below the current one.
  int NestedLevels() const { return static_cast<int>(saved_.size()); }

 private:
  static constexpr size_t kSpareFrames = 64;
  std::vector<TRunControl> current_;
  std::vector<std::vector<TRunControl>> saved_;
  std::vector<TRunControl> spare_;  // emptied room of the last nested level
};

// One script GUI object.
struct TObjNode {
  static constexpr int kEvents = 10;
  std::string name;
  std::array<std::string, kEvents> eventTexts;
  TObjectKind kind = TObjectKind::Button;
  std::array<TextPos, kEvents> eventPos;
  int32_t objectId = 0;
  TObjectHandle component;  // the control; freed with the node

  TObjNode(std::string name, TObjectHandle component, int32_t objectId, TObjectKind kind)
      : name(std::move(name)), kind(kind), objectId(objectId), component(std::move(component)) {}
  // The control while it lives; nil when it has none or it is gone.
  TScriptObject* Control() const { return component && component->Alive() ? component.get() : nullptr; }
};

class TObjList {
 public:
  void Add(std::unique_ptr<TObjNode> node) { items_.push_back(std::move(node)); }
  int Count() const { return static_cast<int>(items_.size()); }
  TObjNode* FindByName(const std::string& name) const;
  int IndexOfName(const std::string& name) const;
  TObjNode* GetItem(int i) const;
  void SetItem(int i, std::unique_ptr<TObjNode> node);
  // Takes entry `i` out, leaving it nil; nil when there is none.
  std::unique_ptr<TObjNode> Take(int i);
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TObjNode>> items_;
};

// The "no switch active" value.
extern const char* const kNoSwitchValue;

// The interpreter state.
class TNuraBase {
 public:
  static constexpr int kIncludeSlots = 50;

  TNuraBase();
  ~TNuraBase();
  TNuraBase(const TNuraBase&) = delete;
  TNuraBase& operator=(const TNuraBase&) = delete;

  // The file the cursor runs in, as error messages name it.
  const std::string& FileName() const { return *fileName_; }
  void SetFileName(const std::string& name) {
    if (*fileName_ != name) fileName_ = &KeepFileName(name);
  }
  // The script the run starts with, as the start-up loaded it: the name
  // that errors and the first run give it ("nurasera.nrs" for a packed
  // program; empty when nothing is to run).
  const std::string& ScriptFileName() const { return scriptFileName_; }
  // The one writer of the script's name: sets it, the script path it was
  // read from (empty for a packed program) and the current file name.
  void SetScriptFile(const std::string& fileName, const std::string& path) {
    scriptFileName_ = fileName;
    scriptPath = path;
    SetFileName(fileName);
  }
  TextRef text;               // the preprocessed program text
  bool runtimeFlag = false;
  bool appendedFlag = false;
  bool defaultScriptFlag = false;
  bool debugFlag = false;
  TextPos cursor;
  int line = 0;
  THash words;
  int nextObjectX = 0, nextObjectY = 0;
  // "センタリング": text, pictures and new objects are centred horizontally.
  bool centring = false;
  TStack args;
  TRunControlStack runControl;
  TObjList objects;
  std::vector<void*> libraries;  // module handles of declared commands
  int conditionResult = 0;
  bool stopFlag = false;
  bool stopRequest = false;
  bool lenientBinding = false;
  bool implicitSubject = false;
  std::string switchValue;
  bool lineStop = false;
  int securityLevel = 1;
  // What command families keep between their commands (FamilyState), at
  // the slot of each family's type (FamilyStateSlot).
  std::vector<std::shared_ptr<void>> familyState;
  TSecurityAnswer securityAnswer = TSecurityAnswer::None;  // "全てはい"/"全ていいえ"

  // Error handling (set by the error-mode commands).
  bool warnOnError = true;
  NodePtr errorLabel;
  // Set while the error label's code handles an error: a further error
  // then goes to the error dialog, never back into the label. Cleared when
  // that code leaves ("エラーから復帰", a jump, "戻る") or the error mode
  // is set again.
  bool inErrorLabel = false;
  TextPos errorResume;
  NodePtr exitLabel;
  // "ログる": one line per logged variable, name;count;limit;records.
  std::vector<std::string> logList;

  // Included texts stay for the life of the state: their labels point in.
  std::vector<TextRef> includes;
  std::string baseFolder;     // the script's folder
  std::string scriptPath;     // the script's path as given (SetScriptFile)
  std::vector<std::string> extractedFiles;  // deleted with the state
  // The container of a packed program or of "-resource", and the temporary
  // copy that the program made of it (deleted with the state; a file that
  // the user named is never deleted).
  std::unique_ptr<TFileMixReader> containerReader;
  std::string containerTempFile;
  bool trayFlag = false;

  TStack secondStack;         // values kept across user-function calls
  // The number a variable kept for the text it gave to secondStack (a
  // kept number counts only for its own text, so it goes along safely).
  TKeptNumber secondStackNumber;

  // Fast access to words set at registration (CacheSystemNodes).
  NodePtr nodeCount;          // "回数"
  NodePtr nodeResult;         // "それ"
  NodePtr nodeLastObject;     // "そ"
  NodePtr nodeErrorMessage;   // "エラーメッセージ"
  NodePtr nodeNoExit;         // "終了不可能"
  NodePtr nodeAndThen;        // "そして"

  // Looks the cached words up again (after registration).
  void CacheSystemNodes();
  // A cached word (&TNuraBase::nodeCount ...), looked up again first when
  // it is missing or a word left the table since it was cached; nil when the
  // table has no such word.
  const NodePtr& SystemNode(NodePtr TNuraBase::*slot) {
    if (cachedAt_ != words.RemovalGeneration() || !(this->*slot)) CacheSystemNodes();
    return this->*slot;
  }
  // The current file name for a frame to restore later. The names used
  // stay while the state lives (they are few: files and text runs), so a
  // frame holds one without counting references.
  const std::string* SavedFileName() const { return fileName_; }
  // The file name becomes `saved` (nil: empty).
  void RestoreFileName(const std::string* saved) { fileName_ = saved ? saved : &KeepFileName(""); }
  // Makes a variable node of the current run-control depth and enters it.
  NodePtr AddVariable(const std::string& name, const std::string& value,
                      const std::string& annotation);

 private:
  uint64_t cachedAt_ = 0;
  // Every file name used, and the current one among them (never nil).
  std::unordered_set<std::string> fileNames_;
  const std::string& KeepFileName(const std::string& name) { return *fileNames_.insert(name).first; }
  const std::string* fileName_ = &KeepFileName("");
  std::string scriptFileName_;
};

}  // namespace nura
