#include "engine/nura_base.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "engine/number_format.h"
#include "engine/sjis_text.h"
#include "platform/foreign_call.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

const char* const kNoSwitchValue = "\\~\x96\xa2\x92\xe8\x8b\x60";  // "\~未定義"

TextRef MakeText(std::string text) {
  return std::make_shared<const std::string>(std::move(text));
}

TextPos TextPos::StartOf(TextRef owner) {
  const char* p = owner ? owner->c_str() : nullptr;
  return TextPos(std::move(owner), p);
}

// ---- THashNode ----

THashNode::THashNode(std::string name, bool isProtected, uint8_t kind, int32_t id,
                     std::string annotation, std::string value, std::string pattern)
    : name(std::move(name)), value_(std::move(value)), id(id), kind(kind), isProtected(isProtected) {
  SetAnnotation(annotation);
  SetPattern(std::move(pattern));
}

std::unique_ptr<THashNode> THashNode::CreateVariable(std::string name, bool isProtected,
                                                     int32_t id, std::string value) {
  return std::make_unique<THashNode>(std::move(name), isProtected, kWordVariable, id, "",
                                     std::move(value), "");
}

void THashNode::SetWhole(int64_t whole) {
  if (kept_.CountUp(value_, whole)) return;  // mostly the last digit alone
  kept_.KeepPending(whole);
}

void THashNode::WritePendingDigits() const {
  const int64_t whole = kept_.PendingNumber();
  const TShortText digits = WholeDigits(whole);
  digits.WriteTo(value_);
  kept_.Keep(digits, whole);
}

bool THashNode::ReadWhole(int64_t& whole) const {
  if (kept_.Pending()) {
    whole = kept_.PendingNumber();
    return true;
  }
  if (kept_.Read(value_, whole)) return true;
  if (!ReadGeneralInteger(value_, whole)) return false;
  kept_.Keep(value_, whole);
  return true;
}

void THashNode::Assign(const THashNode& other) {
  if (&other == this) return;
  SetValue(other.Value());
  letter_ = other.letter_;
  id = other.id;
  kind = other.kind;
  isProtected = other.isProtected;
  // Extras once made stay, so that references to their fields hold.
  if (other.extras_)
    MutableExtras() = *other.extras_;
  else if (extras_)
    *extras_ = TWordExtras();
}

const std::string* THashNode::MakeLetterTexts() {
  static std::string texts[256];
  for (int c = 1; c < 256; ++c) texts[c] = std::string(1, static_cast<char>(c));
  return texts;
}

void THashNode::SetLongAnnotation(std::string_view text) {
  MutableExtras().annotation = text;
  letter_ = kLetterInExtras;
}

void THashNode::SetPattern(std::string pattern) {
  if (extras_ || !pattern.empty()) MutableExtras().pattern = std::move(pattern);
}

void THashNode::SetPosition(TextPos position) {
  if (extras_ || position.text || position.p) MutableExtras().position = std::move(position);
}

void THashNode::SetHash(std::shared_ptr<THash> hash) {
  if (extras_ || hash) MutableExtras().hash = std::move(hash);
}

void THashNode::SetAddress(void* address) {
  if (extras_ || address) MutableExtras().address = address;
}

TWordExtras& THashNode::MutableExtras() {
  if (!extras_) extras_ = std::make_unique<TWordExtras>();
  return *extras_;
}

const TWordExtras& THashNode::NoExtras() {
  static const TWordExtras none;
  return none;
}

// ---- StripOkurigana ----

namespace {

bool IsHiraganaCode(unsigned code) { return code >= 0x82A0 && code <= 0x833E; }

}  // namespace

namespace {

// Writes the bytes of `word` that its loose key keeps to `out` (room for
// the word, or for limit + 2 bytes) and gives their count; stops once more
// than `limit` are kept.
size_t KeepLooseBytes(std::string_view word, char* out, size_t limit) {
  size_t o = 0;
  bool afterKanji = false;
  size_t i = 0;
  const size_t n = word.size();
  auto hiraganaAt = [&](size_t at) {
    return at + 1 < n && IsSjisLead(static_cast<unsigned char>(word[at])) &&
           IsHiraganaCode((static_cast<unsigned char>(word[at]) << 8) |
                          static_cast<unsigned char>(word[at + 1]));
  };
  while (i < n && o <= limit) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    if (!IsSjisLead(c) || i + 1 >= n) {
      out[o++] = word[i++];
    } else if (!hiraganaAt(i) || !afterKanji) {
      afterKanji = !hiraganaAt(i);
      out[o++] = word[i++];
      out[o++] = word[i++];
    } else {
      // Drop the whole run of hiragana after kanji or katakana.
      while (hiraganaAt(i)) i += 2;
      afterKanji = false;
    }
  }
  return o;
}

}  // namespace

std::string StripOkurigana(const std::string& word) {
  // Written in place: what is kept is never longer than the word.
  std::string out(word.size(), '\0');
  const size_t o = KeepLooseBytes(word, out.data(), std::string::npos - 2);
  if (o == 0) return word;
  out.resize(o);
  return out;
}

// ---- THash ----

int THash::HashOf(const std::string& name) {
  unsigned sum = 0;
  for (unsigned char c : name) sum += c;
  return static_cast<int>(sum % kBuckets);
}

NodePtr THash::AddNode(std::unique_ptr<THashNode> node) {
  return node ? AddNode(std::move(*node)) : nullptr;
}

NodePtr THash::AddNode(THashNode&& node) {
  if (!node.Pattern().empty()) ++patternGeneration_;
  const uint64_t hash = index_.Hash(node.name);
  if (const NodePtr* found = index_.Find(node.name, hash)) {
    const NodePtr& old = *found;
    if (old->isProtected) {
      throw std::runtime_error("\"" + node.name + "\"" +
                               SJ("は予約語なので、登録できません。"));
    }
    if (!old->Pattern().empty()) ++patternGeneration_;
    ++shapeGeneration_;
    old->Assign(node);
    return old;
  }
  // The node moves next to its reference count: one block to reach and
  // to free.
  return Enter(std::make_shared<THashNode>(std::move(node)), hash);
}

THashNode& THash::FindOrAddVariable(const std::string& name, int32_t id) {
  const uint64_t hash = index_.Hash(name);
  if (const NodePtr* found = index_.Find(name, hash)) return **found;
  // A default node is an empty open variable: only the name and level are set.
  NodePtr node = std::make_shared<THashNode>();
  node->name = name;
  node->id = id;
  return *Enter(std::move(node), hash);
}

const NodePtr& THash::Enter(NodePtr node, uint64_t hash) {
  if (count_ == INT32_MAX) throw std::overflow_error("word table overflow");
  longestName_ = std::max(longestName_, node->name.size());
  const NodePtr& entered = index_.Insert(std::move(node), hash);
  ++count_;
  ++shapeGeneration_;
  return entered;
}

void THash::AssignNode(THashNode& target, const THashNode& source) {
  const bool reshaped = target.kind != source.kind || target.Pattern() != source.Pattern();
  target.Assign(source);
  if (reshaped) TouchPatterns();
}

int THash::Add(std::unique_ptr<THashNode> node) {
  if (!node) return -1;
  AddNode(std::move(node));
  return count_;
}

namespace {

// Spellings kept for loose look-ups; texts run once may bring new ones
// without end, so the cache starts again beyond this.
constexpr size_t kMaxLooseSpellings = 8192;

}  // namespace

THash::TLooseEntry& THash::LooseEntry(const std::string& name) const {
  auto found = loose_.find(name);
  if (found == loose_.end()) {
    if (loose_.size() >= kMaxLooseSpellings) loose_.clear();
    found = loose_.emplace(name, TLooseEntry{StripOkurigana(name), nullptr, 0}).first;
  }
  return found->second;
}

const std::string& THash::LooseKey(const std::string& name) const { return LooseEntry(name).key; }

const NodePtr& THash::FindLoose(const std::string& name) const {
  TLooseEntry& entry = LooseEntry(name);
  if (entry.shape != shapeGeneration_) {
    const NodePtr* found = index_.Find(entry.key);
    if (!found) found = index_.Find(name);
    entry.node = found ? *found : nullptr;
    entry.shape = shapeGeneration_;
  }
  return entry.node;
}

bool THash::MayHold(std::string_view name, bool loose) const {
  if (name.size() <= longestName_) return true;
  if (!loose) return false;
  // A loose look-up also finds the word by its key, which may be far
  // shorter than the spelling; only as many bytes of it as the longest
  // name (and one) are made.
  std::string key(longestName_ + 2, '\0');
  return KeepLooseBytes(name, key.data(), longestName_) <= longestName_;
}

const NodePtr* THash::Lookup(const std::string& name, bool loose) const {
  if (name.empty()) return nullptr;
  if (loose) {
    const NodePtr& node = FindLoose(name);
    return node ? &node : nullptr;
  }
  return index_.Find(name);
}

NodePtr THash::FindNode(const std::string& name, bool loose) const {
  const NodePtr* node = Lookup(name, loose);
  return node ? *node : nullptr;
}

THashNode* THash::Find(const std::string& name, bool loose) const {
  const NodePtr* node = Lookup(name, loose);
  return node ? node->get() : nullptr;
}

std::string THash::FindValue(const std::string& name, bool loose) const {
  const THashNode* n = Find(name, loose);
  return n ? n->Value() : std::string();
}

bool THash::RemoveFirst(const std::string& name, bool keepProtected) {
  const NodePtr* found = index_.Find(name);
  if (!found) return false;
  const NodePtr node = *found;
  if (keepProtected && node->isProtected) return false;
  if (!node->Pattern().empty()) ++patternGeneration_;
  ++removalGeneration_;
  ++shapeGeneration_;
  index_.Erase(name);
  --count_;
  return true;
}

int THash::Delete(const std::string& name, bool loose) {
  bool removed = false;
  if (loose) removed = RemoveFirst(StripOkurigana(name), true);
  if (RemoveFirst(name, loose)) removed = true;
  return removed ? count_ : -1;
}

void THash::Clear() {
  index_.Clear();
  loose_.clear();
  count_ = 0;
  longestName_ = 0;
  ++patternGeneration_;
  ++removalGeneration_;
  ++shapeGeneration_;
}

namespace {

std::string TrimBlank(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

void THash::LoadFromText(const std::string& text) {
  for (const std::string& line : SplitLines(text)) {
    size_t eq = line.find('=');
    std::string name = TrimBlank(eq == std::string::npos ? line : line.substr(0, eq));
    std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
    AddNode(THashNode(std::move(name), false, kWordVariable, 0, "", std::move(value), ""));
  }
}

std::vector<NodePtr> THash::GetNodes() const {
  // A counting sort by bucket keeps the order of arrival within each.
  std::vector<uint8_t> bucketOf;
  bucketOf.reserve(index_.Size());
  std::array<size_t, kBuckets + 1> start{};
  index_.ForEach([&](const NodePtr& node) {
    const int bucket = HashOf(node->name);
    bucketOf.push_back(static_cast<uint8_t>(bucket));
    ++start[bucket + 1];
  });
  for (int b = 0; b < kBuckets; ++b) start[b + 1] += start[b];
  std::vector<NodePtr> out(bucketOf.size());
  size_t i = 0;
  index_.ForEach([&](const NodePtr& node) { out[start[bucketOf[i++]]++] = node; });
  return out;
}

std::string THash::GetNamesText() const {
  std::string out;
  for (const auto& n : GetNodes()) out += n->name + "\r\n";
  return TrimBlank(out);
}

std::string THash::GetNameValueText() const {
  std::string out;
  for (const auto& n : GetNodes()) out += n->name + "=" + n->Value() + "\r\n";
  return TrimBlank(out);
}

// ---- TStack ----

std::string TStack::Pop() {
  if (items_.empty()) return {};
  std::string s = std::move(items_.back());
  items_.pop_back();
  return s;
}

std::string TStack::Shift() {
  if (items_.empty()) return {};
  std::string s = std::move(items_.front());
  items_.erase(items_.begin());
  return s;
}

std::string TStack::GetItem(int i) const {
  if (i < 0 || i >= Count()) return {};
  return items_[i];
}

// ---- TRunControlStack ----

bool TRunControlStack::Pop(TRunControl& record) {
  if (current_.empty()) return false;
  record = std::move(current_.back());
  current_.pop_back();
  return true;
}

bool TRunControlStack::Peek(int i, TRunControl& record) const {
  if (i < 0 || i >= Count()) return false;
  record = current_[i];
  return true;
}

TRunControl* TRunControlStack::RaiseToTop(int i) {
  const auto at = current_.begin() + i;
  std::rotate(at, at + 1, current_.end());
  return &current_.back();
}

void TRunControlStack::BeginNested() {
  saved_.push_back(std::move(current_));
  current_ = std::move(spare_);
  current_.clear();
  spare_ = {};
}

void TRunControlStack::EndNested() {
  if (saved_.empty()) return;
  current_.clear();
  // A small level's room serves the next nested run (calls in expressions
  // nest one level each).
  if (current_.capacity() <= kSpareFrames) spare_ = std::move(current_);
  current_ = std::move(saved_.back());
  saved_.pop_back();
}

void TRunControlStack::ClearAll() {
  current_.clear();
  saved_.clear();
}

// ---- TObjList ----

TObjNode* TObjList::FindByName(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? nullptr : items_[i].get();
}

int TObjList::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] && items_[i]->name == name) return static_cast<int>(i);
  return -1;
}

TObjNode* TObjList::GetItem(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return items_[i].get();
}

std::unique_ptr<TObjNode> TObjList::Take(int i) {
  if (i < 0 || i >= Count()) return nullptr;
  return std::move(items_[static_cast<size_t>(i)]);
}

void TObjList::SetItem(int i, std::unique_ptr<TObjNode> node) {
  if (i < 0 || i >= Count()) return;
  items_[i] = std::move(node);
}

// ---- TNuraBase ----

TNuraBase::TNuraBase() : switchValue(kNoSwitchValue) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}

TNuraBase::~TNuraBase() {
  words.Clear();
  args.Clear();
  objects.Clear();
  runControl.ClearAll();
  secondStack.Clear();
  containerReader.reset();
  if (!containerTempFile.empty()) std::remove(containerTempFile.c_str());
  for (const auto& f : extractedFiles) std::remove(ScriptPathToNative(f).c_str());
  for (void* library : libraries) UnloadForeignLibrary(library);
}

void TNuraBase::CacheSystemNodes() {
  nodeCount = words.FindNode(SJ("回数"), false);
  nodeResult = words.FindNode(SJ("それ"), false);
  nodeLastObject = words.FindNode(SJ("そ"), false);
  nodeErrorMessage = words.FindNode(SJ("エラーメッセージ"), false);
  nodeNoExit = words.FindNode(SJ("終了不可能"), false);
  nodeAndThen = words.FindNode(SJ("そして"), false);
  cachedAt_ = words.RemovalGeneration();
}

NodePtr TNuraBase::AddVariable(const std::string& name, const std::string& value,
                               const std::string& annotation) {
  return words.AddNode(THashNode(name, false, kWordVariable, runControl.Count(), annotation, value, ""));
}

}  // namespace nura
