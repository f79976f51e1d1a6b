// The script engine: the interpreter state with the statement loop, the
// run loop, labels and calls, the dispatcher and the evaluator. The main
// window (or a test) owns one TNuraEngine and drives it; what the engine
// needs from the window goes through TEngineHost.
//
// The methods are spread over files named after what they hold:
// engine.cpp (state, result, errors, start-up pieces), statement.cpp
// (statement loop, assignments), word_reader.cpp (words and particles),
// run_loop.cpp (run loop, frames, error recovery), labels.cpp (labels and
// calls), declared_commands.cpp (calls of declared library functions),
// dispatch.cpp (dispatcher, binding, popping arguments), file_output.cpp
// (display output to a file, file names), arguments.cpp (coordinates, pen,
// brush and font settings), expand.cpp (argument expansion, operands and
// conditions). The command handlers, control flow included
// (control_commands.cpp), use this class through engine/command_api.h.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/command_registry.h"
#include "engine/compiled_expression.h"
#include "engine/dialogs.h"
#include "engine/engine_host.h"
#include "engine/evaluate.h"
#include "engine/nura_base.h"
#include "engine/position_cache.h"
#include "engine/rect.h"

namespace nura {

// Sets a kind text ("e", "s", "hs"), written only when it changes: kinds
// are set on every assignment and mostly stay as they were.
[[gnu::noinline]] void AssignKindText(std::string& slot, const char* kind);
inline void SetKindText(std::string& slot, const char* kind) {
  if (kind[0] != '\0' && kind[1] == '\0' && slot.size() == 1) {
    slot[0] = kind[0];  // one letter over another ("s" for "e"), in place
    return;
  }
  AssignKindText(slot, kind);
}

class TNuraEngine;
struct TStrNum;

class TNuraEngine {
 public:
  // Nested runs (includes, text runs, the call form, label operands, the
  // timer) deeper than this end with the runaway error, before the C++
  // stack could overflow.
  static constexpr int kMaxNestedRuns = 96;
  // Frames of one level beyond this are the runaway error.
  static constexpr int kMaxFrames = 0xFFFF;

  TNuraEngine();
  ~TNuraEngine();
  TNuraEngine(const TNuraEngine&) = delete;
  TNuraEngine& operator=(const TNuraEngine&) = delete;

  TNuraBase& Base() { return *base_; }
  const TNuraBase& Base() const { return *base_; }

  // The window's services; nullptr restores the no-op defaults.
  void SetHost(TEngineHost* host);
  TEngineHost& Host() { return *host_; }
  void SetDrawingHost(TDrawingHost* host) { drawing_ = host ? host : &defaultDrawing_; }
  TDrawingHost& Drawing() { return *drawing_; }
  void SetObjectHost(TObjectHost* host) { objectHost_ = host ? host : &defaultObjects_; }
  TObjectHost& Objects() { return *objectHost_; }

  // ---- start-up (engine.cpp) ----
  // Called by PrepareRun after the word table was cleared: enters the
  // vocabulary (the program installs RegisterBuiltinWords here).
  using RegistrationHook = std::function<void(TNuraEngine&)>;
  void SetRegistrationHook(RegistrationHook hook) { registration_ = std::move(hook); }
  // Resets the state for a run: error log, cursor, line, word table,
  // condition result; then the registration hook.
  void ResetForRun();
  // Preprocesses `source` into the program text (include slot 0) and enters
  // its labels with `fileName`. ENura on failure.
  void LoadProgram(const std::string& source, const std::string& fileName);
  // ResetForRun + LoadProgram + showing the main window (unless the text
  // contains "母艦浮上").
  void PrepareRun(const std::string& source, const std::string& fileName);
  // The script the start-up loaded (TNuraBase::ScriptFileName); empty when
  // there is none to run.
  const std::string& ScriptFileName() const;
  // Puts the cursor at the start of the program text and runs it.
  void Run();

  // ---- result (engine.cpp) ----
  // Sets "それ" and the result kind letter ("e", "s", "hs").
  void SetResult(const std::string& value, const std::string& kind);
  // The same with the kind as a literal, which is not copied when unchanged;
  // a value given away is moved in.
  void SetResult(const std::string& value, const char* kind);
  void SetResult(std::string&& value, const char* kind);
  // "それ" becomes the hash's name=value text with kind "hs"; returns it.
  std::string SetHashResult(const THash& hash);
  const std::string& ResultKind() const { return resultKind_; }
  void SetResultKind(const std::string& kind) { resultKind_ = kind; }
  void SetResultKind(const char* kind) { SetKindText(resultKind_, kind); }
  // The node "それ" (entered when missing).
  const NodePtr& ResultNode() {
    const NodePtr& node = base_->SystemNode(&TNuraBase::nodeResult);
    return node ? node : AddResultNode();
  }

  // ---- errors (engine.cpp) ----
  // The line of the statement at the cursor (read from the line marker).
  int CurrentLine();
  // "[エラー] file(N行目): text".
  std::string FormatErrorMessage(const std::string& text);
  // The security confirmation for a command that changes `path`; 0 allows,
  // any other value refuses (the command then ends silently).
  int ConfirmFileOperation(const std::string& path, const std::string& message);
  // "[注　意] file(N行目): text" into the error log; with "-debug" the error
  // dialog opens at once and its choice is returned for the run loop.
  std::optional<ErrorChoice> ReportWarning(const std::string& text);
  // The input-method state for a dialog: `mode` as ImeModeFromNumber, a
  // negative one taken from "ダイアログIMEの状態" (0 when not a number).
  TImeMode GetDialogImeMode(int mode);

  // ---- statement loop (statement.cpp) ----
  void ExecuteStatement();
  // The statement steps behind ExecuteStatement: one that starts with a
  // word no kept statement stands for, and one that starts with a mark
  // (an end, a literal, a group, a number ...).
  [[gnu::noinline]] void ExecuteWordStatement(unsigned char first);
  [[gnu::noinline]] void ExecuteMarkedStatement(unsigned char first);
  void ExecutePendingWord();
  void ExecuteWord(THashNode& node);
  void ExecuteAssignment(const std::string& target);
  // The assignment of the value text `text` (the rest of the statement,
  // already read) to `target`.
  void AssignValueText(const std::string& target, const std::string& text);
  void AssignElement(const std::string& target);
  void ExecuteConditionStatement();
  void ExecuteSwitchArm(const std::string& arm);
  bool ParsePropertyReference(const std::string& text, std::string& value);
  // Reads the literal at the cursor (quotes and escapes kept).
  std::string ReadQuotedLiteral();
  // The rest of the statement: up to CR, LF or ";" (a "&" at the line end
  // continues on the next line), quotes and groups whole.
  std::string ReadArgumentText();
  // The variable or command an assignment to `name` goes to (nil: none).
  NodePtr FindAssignTarget(const std::string& name);
  // Raises the read-only error for a protected variable.
  void CheckWritable(const THashNode& node);
  // A text carried unevaluated: `text` between backquotes, backquotes doubled.
  static std::string MakeRawLiteral(const std::string& text);
  // The inverse: enclosing backquotes removed, doubled ones made single.
  static std::string RawLiteralToText(const std::string& raw);
  // True when `text` ends with `suffix` at a character boundary.
  static bool EndsWithText(const std::string& text, const std::string& suffix);
  // A sign and a numeric text ("12", "-3.5").
  static bool IsNumberText(const std::string& text);
  // The number read leniently, truncated; ERangeError outside 32 bits.
  static int32_t TextToInt32(const std::string& text);
  static bool IsCallableKind(uint8_t kind) {
    return kind == kWordCommand || kind == 1 || kind == kWordLabel || kind == kWordDeclared;
  }

  // ---- words and particles (word_reader.cpp) ----
  // Reads the word at the cursor with its particle (see word_reader.cpp).
  std::string ReadWord();
  // The same on any text: `p` moves behind the word. `item`: the word names
  // the item of an object or hash phrase ("Bの" stands before it).
  std::string ReadWordAt(const char*& p, bool item = false);
  // Reads the particle at the cursor (after blanks), longest first; empty
  // (and the cursor unmoved) when none stands there.
  std::string ReadParticle();
  std::string ReadParticleAt(const char*& p);
  // The particles of the registered patterns (cached per pattern change).
  const std::vector<std::string>& Particles();

  // ---- run loop (run_loop.cpp) ----
  void RunLoop();
  void CheckRunControl();
  void HandleRunError(const std::exception& e);
  void RunIfBlock(bool wordPresent);
  // "もし" at the cursor: the condition, then the block it chooses. A
  // statement whose condition is compiled keeps its blocks with the
  // condition, so that later runs read neither again.
  void RunIfStatement() { RunIfStatementWith(nullptr); }
  // Reads a block at the cursor into `frame` (block text, return position,
  // end position, saved file name).
  void CaptureArgument(TRunControl& frame);
  // Runs `start` in a new run-control level with `fileName` as the current
  // file; cursor and file name are restored afterwards.
  void RunNested(const TextPos& start, const std::string& fileName);
  // Starts a counted loop of `count` rounds over the block at the cursor.
  void StartCountedLoop(int count);
  // Event code of a GUI object: a kind-5 frame returns to the interrupted
  // cursor; when no run is active the run loop runs it on this level.
  void RunEventCode(const TextPos& code, const std::string& fileName);
  // The script timer fired with `target` as its jump target.
  void RunTimerTarget(const TextPos& target);
  // A socket or DDE event enters the label at `label`: with a run active a
  // kind-5 frame returns to the interrupted cursor and the cursor moves to
  // the label; when idle the label runs to its end in a nested level and
  // no frame is pushed.
  void RunCommEvent(const TextPos& label, const std::string& fileName);
  int NestedRunDepth() const { return nestDepth_; }
  // True while a run is under way: the cursor stands on a statement (not
  // nil, not on the NUL at the end of its text).
  bool RunActive() const { return base_->cursor.p && *base_->cursor.p; }
  // Pushes `frame` and moves the cursor to the start of its block copy.
  void EnterBlock(TRunControl&& frame);
  // "回数" becomes `count` (with type letter "e" when `asNumber`).
  void SetCountVariable(int32_t count, bool asNumber);
  // "終わり": asks the window to close; the run stops when it does.
  void RequestClose();
  // The runaway error text, formatted.
  std::string RunawayMessage();

  // ---- labels and calls (labels.cpp) ----
  void DefineLabels(const TextRef& text, const std::string& fileName);
  void CallUserFunction(THashNode& node);
  // Pushes the call frame of the label and moves the cursor into it.
  void EnterLabel(const THashNode& node);
  // The call form name(arguments); false when `name` is no callable word
  // (then the name itself was pushed when `push` is set).
  bool CallWord(const std::string& name, std::string& result, bool push);
  void JumpToLabel(const std::string& name);
  static std::string RemoveSuffix(const std::string& text, const std::string& suffix);
  // The position behind a local label "*name" that begins a line of `block`.
  static const char* FindLocalLabel(const std::string& block, const std::string& name);
  // Calls the library function of a declared command (kind 5) with the
  // stacked arguments; its result goes to "それ" (declared_commands.cpp).
  void CallDllWord(THashNode& node);

  // ---- dispatcher and argument popping (dispatch.cpp) ----
  void DispatchCommand(THashNode& node);
  // The handler that DispatchCommand runs for a command's node once its
  // arguments are bound; nil where it does anything else.
  static CommandHandler PlainHandlerOf(const THashNode& node);
  void BindCommandArguments(THashNode& node);
  std::string PopArgumentText();
  long double PopArgumentNumber();
  NodePtr FindObjectWord(bool create);

  // ---- display output and file names (file_output.cpp) ----
  // "表示" with "表示出力先" set: the text is appended as a line to that
  // file (after the security confirmation), or a new file is written.
  void AppendDisplayOutput(const std::string& text);
  // A file name completed by the first folder that holds it: the current
  // folder, the script's folder, the program's folder, the current file's
  // folder; a name with ":" or an absolute path stays as it is.
  std::string ResolveFilePath(const std::string& name);

  // ---- argument helpers of the drawing commands (arguments.cpp) ----
  // A coordinate pair "(x,y)", also behind an object-property reference or
  // in backquotes; "座標の指定エラー" when malformed.
  void ParseCoordinates(const std::string& text, int& x, int& y);
  // A rectangle "(x1,y1,x2,y2)" (parentheses optional, read as
  // ParseCoordinates does); missing values are 0. "座標の指定エラー" when a
  // value is malformed, "座標の指定エラー。引数が多すぎます。" with the text
  // for more than four.
  TRect ParseRectangle(const std::string& text);
  // A font text "name|style|size" (or with "｜"): the installed font name,
  // the style flags (1 bold, 2 italic, 4 underline) and the size (0 when
  // not given).
  std::string ParseFontText(const std::string& text, int& style, int& size);
  // The font settings of the system variables "文字色", "文字書体" and
  // "文字サイズ".
  void GetFontSettings(int32_t& colour, int& size, std::string& name, int& style);
  // The main window's drawing surface takes the pen and brush of "ペン色",
  // "ペン太さ" and "塗り色", or the font of GetFontSettings (through the host).
  void ApplyPenAndBrush();
  void ApplyFontSettings();
  // The tab width of "タブ文字の個数": 1 to 256, else 8.
  int TabWidth();
  // The control of the script object `name` when its kind has a drawing
  // surface (picture, list, form, grid, label, animated picture); nil for
  // other kinds. The GUI takes its canvas or bitmap.
  // "オブジェクト"%s"は、作成されていません。" when absent.
  TScriptObject* GetObjectCanvas(const std::string& name);
  // The control of the script object `name` when it is a picture or a form
  // (the kinds with a bitmap); nil for other kinds. The same error when
  // absent.
  TScriptObject* GetObjectBitmap(const std::string& name);

  // ---- evaluator (expand.cpp) ----
  // Evaluates an argument text: operands joined by "&", else an expression.
  std::string ExpandString(const std::string& text);
  // Evaluates the expression text; sets the result kind ("e" or "s").
  // ExpandString also leaves the kind of its value in ResultKind().
  std::string EvaluateExpression(const std::string& text);
  // Reads and evaluates one operand at `cursor` (literal, number, group,
  // variable, call, element); the cursor moves past it.
  TStrNum ReadOperand(const char*& cursor);
  // The condition of "もし" at the interpreter's cursor, up to its then-word
  // (the cursor is left on the word).
  std::string ReadConditionText();
  // The Japanese condition forms rewritten into operator form.
  std::string TranslateConditionPhrase(const std::string& text);
  // ReadConditionText translated, kept per position of the text while the
  // same names exist in the word table.
  std::string ReadTranslatedCondition();
  // "X=X&..." on an unprotected variable X: appends the other operands to
  // X's text in place when none of them runs code; false when the value
  // text is not of that form (nothing was evaluated then). `compiled`, the
  // text compiled, appends without reading the text again where it can.
  bool AppendInPlace(THashNode& node, const std::string& text, const TCompiledExpression* compiled = nullptr);
  bool AppendByReading(THashNode& node, const std::string& text);
  // ReadOperand as the evaluator's operand reader.
  const OperandReader& OperandReaderOf();

 private:
  // engine.cpp
  const NodePtr& AddResultNode();
  // arguments.cpp: the object list's entry of `name`; "作成されていません"
  // when absent.
  const TObjNode& ObjectNamed(const std::string& name);
  // statement.cpp
  std::string SyntaxError(const std::string& what, const std::string& detail);
  void EndOfLine();
  // Behind the word run at the line break `at`: the line marker is read
  // unless the word moved the cursor.
  void PassLineEnd(const char* at);
  void HashElementStatement();
  std::string ReadKey();
  void NumberStatement();
  void GroupStatement();
  void StatementTail(std::string word, bool callable);
  // The endings by which StatementTail takes a word's road, the first that
  // fits in the order it tests them ("の", "は", "回", "の時", "て").
  enum class TTailSuffix : uint8_t { kNone, kNo, kWa, kKai, kArm, kTe };
  static TTailSuffix TailSuffixOf(const std::string& word);
  // "もし" and the loop words, which run as their statement's command.
  bool IsBlockWord(const std::string& word) const;
  // Runs the word's node with the arguments on the stack; the command must
  // take them all.
  void RunWordNode(const std::string& word, THashNode& node);
  void ReadConcatenation(std::string& word);
  bool TryPropertyWord(const std::string& word);
  NodePtr FollowNameChain(NodePtr node);
  void RaiseUndefinedWord(const std::string& word);
  void StoreValue(THashNode& node, const std::string& value, const std::string& kind);
  void MakeHash(THashNode& node, const std::string& text);
  bool AssignTableElement(const std::string& target, const std::string& value);
  // run_loop.cpp
  // CaptureArgument into `frame`; with nil only read past the block (with
  // the same errors).
  void ReadArgumentBlock(TRunControl* frame);
  // The parenthesised group at the cursor as a block text; the copy is
  // made once per position of its text, so a block has one identity.
  TextRef CaptureGroup();
  void RecoverFromError(const std::exception& e, const char* statementStart);
  // Starts the next round of the loop frame `index` (the top) in place;
  // false when it is no loop or its last round is done.
  bool RestartLoop(int index);
  bool AtStatementStart() const;
  void SkipToNextStatement();
  // Pushes a kind-5 frame returning to the cursor and moves the cursor to
  // `code` in `fileName`.
  void PushEventFrame(const TextPos& code, const std::string& fileName);
  // labels.cpp
  static std::vector<std::string> SplitArgumentList(const std::string& list);
  void RunLabelAsFunction(THashNode& node);
  // Runs `body` in a new run-control level, bounded in depth; cursor and
  // file name are restored afterwards, also when `body` throws.
  void InNestedLevel(const std::function<void()>& body);
  // word_reader.cpp
  const std::string* ParticleAt(const char* p, const char* limit);
  bool IsRegistered(const std::string& word, bool loose) const;
  // IsRegistered of the bytes from..to, at once false when no word can be
  // that long.
  bool IsRegisteredSpan(const char* from, const char* to, bool loose) const;
  bool IsWholeWord(std::string_view run) const;
  // The end of the run of word bytes at `start` (as ScanWord ends it).
  const char* KeptRunEnd(const char* start);
  // A place where a run may split: the run's start, the character before
  // `at`, whether all before `at` is ASCII and whether it ends in okurigana.
  struct TSplitPlace {
    const char* start;
    const char* last;
    const char* at;
    bool ascii;
    bool okurigana;
  };
  bool RegisteredWordRunsOn(const char* start, const char* from, const char* past,
                            const char* end) const;
  bool SplitsAt(const TSplitPlace& place, const std::string& particle, const char* end,
                bool item) const;

  std::unique_ptr<TNuraBase> base_;
  TEngineHost defaultHost_;
  TEngineHost* host_ = &defaultHost_;
  TDrawingHost defaultDrawing_;
  TDrawingHost* drawing_ = &defaultDrawing_;
  TObjectHost defaultObjects_;
  TObjectHost* objectHost_ = &defaultObjects_;
  RegistrationHook registration_;
  std::string resultKind_ = "s";
  int nestDepth_ = 0;
  std::vector<std::string> particles_;
  std::unordered_map<unsigned char, std::vector<const std::string*>> particleIndex_;
  uint64_t particleGeneration_ = 0;
  // The last long run KeptRunEnd scanned: its text, its start and its end.
  std::weak_ptr<const std::string> runText_;
  const char* runFrom_ = nullptr;
  const char* runTo_ = nullptr;
  // Words read at the cursor: what ReadWordAt gave there, kept per position
  // while the word table and its patterns stay as they were.
  struct TKeptWord {
    std::string word;
    size_t length = 0;  // bytes from the position to behind the word
    bool item = false;  // read as the item name of a phrase "Bの"
  };
  TPositionCache<TKeptWord> wordCache_;
  // The word at `p`, which lies in the cursor's text, read through wordCache_.
  std::string ReadKeptWord(const char*& p, bool item);
  // What a line end reads at its position: whether the line ends in ","
  // (the statement goes on), the bytes of the marker behind it and its line.
  struct TLineEnd {
    bool continues = false;
    uint32_t markerLength = 0;
    int markerLine = -1;
  };
  // Command statements made only of words (kept_commands.cpp): the items
  // as read, the last one the command word; none for a statement that
  // takes another road.
  struct TKeptCommand {
    std::vector<std::string> items;
    size_t length = 0;  // bytes to behind the blanks after the last item
    // Where the statement ends when it ends at a line break that does not
    // continue the line, or at the end of its text (0: elsewhere), and the
    // command word's node then: the word runs at once from there.
    size_t endLength = 0;
    TLineEnd lineEnd;  // what the line end there reads
    NodePtr node;
    // The texts below the word as binding (not lenient) leaves them for
    // the pattern of a command or of a label that has one, and whether
    // "それ" was put below them: the word then runs without binding.
    std::vector<std::string> bound;
    bool hasBound = false;
    bool boundSubject = false;
    // The word is a label whose pattern takes each bound text as one value
    // (as many "?" as texts): it is called at once with them, and the
    // plain variable each text names (nil: none) gives its value at once.
    bool callsLabel = false;
    std::vector<const THashNode*> boundVariables;
    // What the line break behind that label reads, when it ends its line.
    std::optional<TLineEnd> labelLineEnd;
    // The word is a command whose bound texts go to this handler at once.
    CommandHandler handler = nullptr;
  };
  bool PlainItem(const std::string& word, const char* next, NodePtr& node);
  bool ScanPlainCommand(const char* at, TKeptCommand& kept);
  void KeepBinding(TKeptCommand& kept);
  // The node whose arguments RunKeptCommandWord pushed bound already;
  // BindCommandArguments takes them as they are.
  const THashNode* boundFor_ = nullptr;
  OperandReader operandReader_;
  // The text ExpandString read last as one plain variable and that
  // variable, true while the table keeps `shape` (an argument such as
  // "回数" is read again every call).
  struct TLoneVariable {
    std::string text;
    const THashNode* node = nullptr;
    uint64_t shape = 0;
  } loneVariable_;
  // ExpandString of a text that is one number or one plain variable.
  bool ExpandLone(const std::string& text, std::string& out, bool& isNumber);
  // The plain variable that a text names alone, as ExpandString reads it
  // (nil: the text is no such name); true while the table keeps its shape
  // and the node stays a variable.
  const THashNode* LoneVariable(const std::string& text) const;
  // ExpandString of a text that names `variable` alone.
  const std::string& ExpandVariable(const THashNode& variable) {
    SetResultKind(IsNumberKind(variable.Annotation()) ? "e" : "s");
    return variable.Value();
  }
  struct TCapturedBlock {
    TextRef block;
    size_t length = 0;  // bytes from "(" to behind ")"
  };
  TPositionCache<TCapturedBlock> blockCache_;
  // What CurrentLine reads of a position: whether a line break follows on
  // its line, and the line its marker gives (kHeld: none, the line held).
  // A line marker read is the same as a position with a break that gives
  // the marker's line.
  struct TLineAt {
    static constexpr int kHeld = -2;
    bool breakFollows = false;
    int line = kHeld;
    // The line after this position is read, from `line`; `heldByBlock`:
    // the cursor runs in the block of the top frame.
    int Apply(int line, bool heldByBlock) const {
      return this->line != kHeld && (breakFollows || !heldByBlock) ? this->line : line;
    }
  };
  // Both are read once per position, each when first asked for.
  struct TPositionLines {
    std::optional<TLineAt> at;
    std::optional<TLineEnd> end;
  };
  TPositionCache<TPositionLines> lineCache_;
  // The line break a statement at `at` ends at when only blanks stand
  // between `from` (its end) and the break and the line does not go on:
  // its distance from `at` and what the line end reads there.
  struct TKeptLineEnd {
    size_t offset = 0;
    TLineEnd end;
  };
  std::optional<TKeptLineEnd> ReadKeptLineEnd(const char* at, const char* from) const;
  // Passes a kept line end, as EndOfLine with nothing pushed.
  void PassKeptLineEnd(const char* at, const TKeptLineEnd& kept);
  const TLineAt& LineAtCursor();
  TLineEnd LineEndAtCursor();
  TLineEnd ReadLineEndAtCursor(const TPositionLines* known);
  // What the line end at `at` in `text` reads.
  static TLineEnd ReadLineEnd(const char* text, const char* at);
  // PassLineEnd with what the line end at `at` reads.
  void PassLineEnd(const char* at, const TLineEnd& end);
  void PassBreakAtCursor();
  bool CursorInTopBlock() const;
  // The positions and markers whose lines reading a statement took, from
  // the last marker on: replayed, they leave the line as the reading did.
  class TLineSteps {
   public:
    void Marker(int line) {
      steps_[0] = TLineAt{true, line};
      count_ = 1;
    }
    void Position(const TLineAt& at) {
      if (count_ < steps_.size()) steps_[count_] = at;
      ++count_;
    }
    bool Complete() const { return count_ <= steps_.size(); }
    int Apply(int line, bool heldByBlock) const {
      for (size_t i = 0; i < count_; ++i) line = steps_[i].Apply(line, heldByBlock);
      return line;
    }

   private:
    std::array<TLineAt, 3> steps_;
    size_t count_ = 0;
  };
  // What follows the condition of "もし": the then- and else-blocks (nil
  // when the statement has none), where the statement ends and the lines
  // it passed.
  struct TKeptStatement;
  struct TIfTail {
    TextRef thenBlock, elseBlock;
    // The statements at their starts, when they were run at once.
    mutable TPositionLink<TKeptStatement> thenStatement, elseStatement;
    size_t length = 0;  // bytes from the then-word to the statement's end
    TLineSteps lines;
    // The line break behind, when only blanks stand before it.
    std::optional<TKeptLineEnd> lineEnd;
  };
  // Reads past the blocks behind the condition.
  TIfTail ReadIfTail(bool wordPresent);
  // Enters the block that the condition result (1, 0) chooses, if any.
  // `depth`: the else-if blocks decided on the way (RunIfAloneInBlock).
  void EnterIfBlock(const TIfTail& tail, int result, int depth = 0);
  // The block at the cursor (a group, or the rest of the statement) read
  // past; `start`: where it begins; `lines`: the lines it passed.
  TextRef ReadBlock(const char*& start, TLineSteps& lines);
  struct TCachedCondition {
    std::string translated;
    size_t length = 0;  // bytes up to the then-word
    // The translated condition compiled on its second use (nil: not compiled).
    mutable bool compileTried = false;
    mutable CompiledExpressionRef compiled;
    // Of "もし": the blocks behind, kept on the first run through `compiled`.
    mutable std::optional<TIfTail> ifTail;
  };
  // The condition of "もし" at the cursor read (as ReadTranslatedCondition)
  // and evaluated (as EvaluateExpression): true when its value is "1",
  // blanks aside. `kept`: the entry whose compiled condition gave the
  // value, when one did (no code ran then), else nil.
  bool EvaluateCondition(const TCachedCondition** kept, TPositionLink<TCachedCondition>* link = nullptr);
  // RunIfStatement; `link`: where the statement keeps its condition's
  // entry (nil: none), followed instead of a search.
  void RunIfStatementWith(TPositionLink<TCachedCondition>* link);
  // Its slower ways: a condition not kept yet, read from the text, and a
  // kept one whose value is not a whole number.
  [[gnu::noinline]] bool EvaluateConditionText();
  [[gnu::noinline]] bool EvaluateKeptCondition(const TCachedCondition& cached, const TCachedCondition** kept);
  TPositionCache<TCachedCondition> conditionCache_;
  // The first run of a kept "もし": its blocks read (and kept when the
  // lines they pass are complete), then the chosen one entered.
  [[gnu::noinline]] void KeepIfTail(const TCachedCondition& kept, int result);
  // Statements read once per position while the word table and its
  // patterns stay as they were: "word = value", "Hの(key) = value", a
  // command statement made only of words, and of any other statement the
  // word it begins with (kRead: nothing kept but that it is read).
  struct TKeptStatement {
    enum class TKind : uint8_t { kAssignment, kElementAssignment, kWord, kCommand, kRead };
    TKind kind = TKind::kAssignment;
    TKeptCommand command;  // kCommand
    std::string target;  // the variable; the hash's word with its "の"
    std::string key;     // the key text in the group (element assignment)
    std::string text;    // the value text
    size_t length = 0;   // bytes to the end of the value text
    size_t wordLength = 0;  // bytes to the end of the word (not of "word = value")
    // Made on the second run: the variable or the hash, the texts compiled,
    // and whether the value may append to the variable ("X=X&...").
    mutable bool compileTried = false;
    mutable NodePtr node;
    mutable CompiledExpressionRef compiled, compiledKey;
    mutable bool appendForm = false;
    mutable std::optional<TKeptLineEnd> lineEnd;  // of an assignment
    // Of a "もし" decided at once: its condition's entry.
    mutable TPositionLink<TCachedCondition> condition;
  };
  TPositionCache<TKeptStatement> keptStatements_;
  bool RunKeptStatement();
  // A kept assignment the compiled form declined, read from its texts.
  [[gnu::noinline]] void AssignKeptText(const TKeptStatement& kept);
  void KeepStatement(const char* at, TKeptStatement entry);
  // The kept statements through their compiled texts; false when the
  // statement must be run by reading its text (nothing happened then).
  bool RunCompiledAssignment(const TKeptStatement& kept);
  // Its steps: the variable it may write (nil: none), the whole-number
  // way, any other computed value (false: the text must be read).
  static THashNode* AssignableNode(const TKeptStatement& kept);
  [[gnu::always_inline]] inline bool AssignWholeNumber(const TKeptStatement& kept, THashNode& node);
  [[gnu::noinline]] bool AssignComputedValue(const TKeptStatement& kept, THashNode& node);
  // How a block run at once may end behind its statement: at its end
  // (the block stands inside another statement, at whose end the cursor
  // stays), or, as a loop's body, also at one line break (the cursor then
  // moves as the statement steps would move it, to the body's end).
  enum class TAloneEnd : uint8_t { kBlockEnd, kLoopBody };
  // Runs the block at once when it is, from `at` on, a kept whole-number
  // assignment alone, or decides it (RunIfAloneInBlock); false when it
  // must be entered (nothing happened then). `depth` as EnterIfBlock's.
  // `link`: where the statement at the block's start is kept (nil: none).
  bool RunAloneInBlock(const TextRef& block, const char* at, int depth, TAloneEnd ending,
                       TPositionLink<TKeptStatement>* link = nullptr);
  // Decides at once a block that is one kept "もし" statement (`kept`, at
  // `at`) and nothing else (the "違えば(もし ...)" of an else-if) whose
  // compiled condition gives a whole number: its chosen block takes the
  // block's own frame, as the statement would enter it there. False when
  // the block must be entered (nothing happened then).
  bool RunIfAloneInBlock(const TextRef& block, const TKeptStatement& kept, const char* at, int depth,
                         TAloneEnd ending);
  // Whether the block ends at `rest` (behind a statement and its blanks)
  // as `ending` allows; `lineEnd`: the statement's kept line end, from
  // `from`. PassAloneEnd moves the cursor there.
  static bool EndsAlone(const char* rest, const char* from, const std::optional<TKeptLineEnd>& lineEnd,
                        TAloneEnd ending);
  void PassAloneEnd(const char* rest, const char* from, const std::optional<TKeptLineEnd>& lineEnd);
  // Runs the round of the loop on top whose body starts at the cursor at
  // once, when it runs where it stands; false when the statement loop must
  // go on from the cursor.
  bool RunLoopBodyAtOnce();
  bool RunCompiledElementAssignment(const TKeptStatement& kept);
  // A kept "もし" or loop word through its kept node; false when the
  // statement must be read on.
  bool RunKeptBlockWord(const TKeptStatement& kept);
  // The command もし as the program defines it: its statement runs
  // straight, with nothing to bind.
  static bool IsPlainIfCommand(const THashNode& node);
  // The arguments-left-over error of `word` when arguments stand on the
  // stack after it ran.
  void CheckArgumentsTaken(const std::string& word);
  [[noreturn]] void RaiseArgumentsLeft(const std::string& word);
  // "Hの(key) = value" at `group` (the "(" behind the word at `at`), kept
  // when it is of that simple form; false when it is not.
  bool KeepElementAssignment(const char* at, const std::string& word, const char* group);
  // A statement seen first at the cursor: kept and run when it is a command
  // statement made only of words, else kept as one to read (false).
  bool KeepCommandStatement(const char* at);
  // A kept command statement: its word run where the statement ends, or
  // (ending elsewhere) its items pushed and the cursor moved behind them.
  void RunKeptCommand(const TKeptCommand& kept, const char* at) {
    if (kept.endLength) RunKeptCommandWord(kept, at);
    else PushKeptCommandItems(kept, at);
  }
  void PushKeptCommandItems(const TKeptCommand& kept, const char* at);
  // The kept statement's command word run where the statement ends.
  void RunKeptCommandWord(const TKeptCommand& kept, const char* at);
  // The label of a kept statement called with its bound texts, each
  // expanded onto the second stack as CallUserFunction does.
  void CallKeptLabel(const TKeptCommand& kept);
  // What the line break behind `label` reads, when the label ends its line.
  static std::optional<TLineEnd> LabelLineEnd(const THashNode& label);
  // The line break behind a label entered by a kept call; `kept`: what it
  // reads, when the call kept that.
  void PassLabelBreak(const std::optional<TLineEnd>& kept);
  // The kept statement a call's label begins with, at `at`, when it is a
  // plain 引数取得 (nil otherwise).
  const TKeptCommand* KeptTakingStatement(const TKeptCommand& call, const char*& at) const;
  // A kept call of one plain variable whose label begins with a plain
  // 引数取得: the label entered and that statement run at once; false
  // when the call must take the usual road (nothing happened then).
  bool CallTakingAtOnce(const TKeptCommand& kept, const THashNode& variable);
};

}  // namespace nura
