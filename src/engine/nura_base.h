// The interpreter state and its data structures: the value stacks and the
// run-control stack, with the word table (engine/word_table.h) and the
// script object list (engine/object_list.h). Every text is Shift-JIS.
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
#include "engine/object_list.h"
#include "engine/script_object.h"
#include "engine/security.h"
#include "engine/word_table.h"

namespace nura {

// A stack of strings; the top is the end.
class TStack {
 public:
  void Push(const std::string& s) { items_.push_back(s); }
  void Push(std::string&& s) { items_.push_back(std::move(s)); }
  std::string Pop();
  // Takes the top item off unread.
  void Drop() {
    if (!items_.empty()) items_.pop_back();
  }
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
  // Of a loop: the rounds whose body could not run at once
  // (TNuraEngine::RunLoopBodyAtOnce); past a few it is not tried again.
  uint8_t bodyDeclined = 0;
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
