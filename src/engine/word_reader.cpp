// Words and particles. A script writes a value and its particle without a
// space ("Aと言う", "3秒後に"), so the statement loop reads a word up to the
// end of its particle, not up to the next ASCII delimiter as ScanWord does.
//
// A word is first scanned like ScanWord (the run up to a delimiter). The run
// stays whole when it is a registered word (a variable by its exact name, a
// command also by its loose key: "言って"), ends in "の時" (a switch arm),
// or holds no particle. A variable's loose key does not count: "結果はそれ"
// splits the same before and after 結果 is assigned. Otherwise the run ends
// behind the first particle that follows at least one character of it,
// where:
//  - a particle that starts with hiragana splits after a character that is
//    not hiragana, or after a prefix that is a registered word ("それを");
//    after hiragana it also splits where it is "は" and a character that is
//    not hiragana follows it in the run ("あいうは5", "高さは50"), and, in
//    the item name of a phrase "Bの", behind okurigana ("Bの高さと5を");
//  - a particle that starts with another character ("秒", "列目から")
//    splits only after an ASCII name or a registered variable ("N秒");
//  - a registered word that starts at the particle and runs on
//    ("でなければ") or that runs from the start past it keeps the run.
// "もし" splits off the front of a run, since its condition follows it; a
// command in its te-form splits off a registered word behind it.
// A word without a particle (a label too, but not a command) takes one that
// follows after blanks, so "A は 5" reads like "Aは5".
//
// Long particles. A pattern particle that holds a registered word behind
// its head ("を呼ぶ" holds 呼ぶ, "へ飛ぶ" holds 飛ぶ) is read as the head
// particle and that word, with or without blanks: "受けを呼ぶ" and
// "受け を呼ぶ" both read "受けを", "呼ぶ". Nothing is decided before the
// statement's command is known: when that command's pattern asks for the
// long particle, binding takes the two texts together (binding.cpp), so
// "受けを呼ぶ 「t」という DDEサーバー作成" binds 受け to "?を呼ぶ"; otherwise
// the word stays a word and "Aを呼ぶ" alone calls A. Any other long
// particle ("秒後に", "列目から", "という") is read whole.
#include <algorithm>
#include <unordered_map>
#include <string_view>
#include <unordered_set>

#include "engine/engine.h"
#include "engine/scanners.h"
#include "platform/sjis.h"

namespace nura {
namespace {

bool IsHiraganaAt(const char* p) {
  unsigned code = (static_cast<unsigned char>(p[0]) << 8) | static_cast<unsigned char>(p[1]);
  return IsSjisLead(static_cast<unsigned char>(p[0])) && p[1] && code >= 0x82A0 && code <= 0x833E;
}

bool IsAllAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The end of the ScanWord run at `p` (no blanks skipped).
const char* RunEnd(const char* p) {
  while (*p) {
    if (!IsSjisLead(static_cast<unsigned char>(*p)) && IsWordDelimiter(static_cast<unsigned char>(*p)))
      break;
    p += SjisCharLength(p);
  }
  return p;
}

// The suffixes beyond the patterns: assignment, switch arms, conditions,
// counted loops.
const char* const kExtraParticles[] = {"は", "の時", "が", "回", "以上の時", "以下の時"};

// The end of a command in its te-form that another registered word follows
// in the same run ("計算して言う" ends after "計算して"), or nil.
const char* TeFormEnd(const THash& words, const char* start, const char* end) {
  static const std::string kTe = SJ("て"), kDe = SJ("で");
  for (const char* at = start + SjisCharLength(start); at < end; at += SjisCharLength(at)) {
    // A command ending here or further on would be longer than any word:
    // a long run is not searched to its end.
    if (!words.MayHold(std::string_view(start, static_cast<size_t>(at + 2 - start)), true)) return nullptr;
    if (std::string_view(at, 2) != kTe && std::string_view(at, 2) != kDe) continue;
    const char* after = at + 2;
    if (after >= end) return nullptr;
    NodePtr command = words.FindNode(std::string(start, after), true);
    if (!command || (command->kind != kWordCommand && command->kind != kWordLabel &&
                     command->kind != kWordDeclared)) {
      continue;
    }
    if (words.MayHold(std::string_view(after, end - after), true) &&
        words.FindNode(std::string(after, end), true)) {
      return after;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<std::string>& TNuraEngine::Particles() {
  THash& words = base_->words;
  if (particleGeneration_ == words.PatternGeneration()) return particles_;
  // Each particle once: the patterns repeat a few particles many times.
  std::vector<std::string> found;
  std::unordered_set<std::string_view> seen;
  const std::vector<NodePtr> nodes = words.GetNodes();
  for (const auto& node : nodes) {
    if (node->Pattern().empty() || (node->kind != kWordCommand && node->kind != kWordLabel)) continue;
    size_t start = 0;
    const std::string_view pat = node->Pattern();
    while (start <= pat.size()) {
      size_t comma = pat.find(',', start);
      if (comma == std::string_view::npos) comma = pat.size();
      std::string_view slot = pat.substr(start, comma - start);
      start = comma + 1;
      size_t b = slot.find_first_not_of(" \t");
      size_t e = slot.find_last_not_of(" \t");
      if (b == std::string_view::npos) continue;
      slot = slot.substr(b, e - b + 1);
      if (!slot.empty() && slot[0] == '?') slot.remove_prefix(1);
      if (!slot.empty() && seen.insert(slot).second) found.emplace_back(slot);
    }
  }
  for (const char* extra : kExtraParticles) found.push_back(SJ(extra));
  std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  });
  found.erase(std::unique(found.begin(), found.end()), found.end());
  particles_ = std::move(found);
  particleGeneration_ = words.PatternGeneration();
  particleIndex_.clear();
  for (const auto& p : particles_) particleIndex_[static_cast<unsigned char>(p[0])].push_back(&p);
  return particles_;
}

// The longest particle that begins at `p` and ends at or before `limit`;
// a shorter one when a registered word fills the rest of the run behind it
// ("Aを呼ぶ" is "Aを" and "呼ぶ", though "を呼ぶ" is a particle too).
const std::string* TNuraEngine::ParticleAt(const char* p, const char* limit) {
  Particles();
  auto it = particleIndex_.find(static_cast<unsigned char>(*p));
  if (it == particleIndex_.end()) return nullptr;
  const size_t room = static_cast<size_t>(limit - p);
  const std::string* longest = nullptr;
  for (const std::string* cand : it->second) {
    if (cand->size() > room || !std::equal(cand->begin(), cand->end(), p)) continue;
    if (!longest) longest = cand;
    if (cand->size() < room && IsRegisteredSpan(p + cand->size(), limit, true)) return cand;
  }
  return longest;
}

bool TNuraEngine::IsRegistered(const std::string& word, bool loose) const {
  return base_->words.FindNode(word, loose) != nullptr;
}

bool TNuraEngine::IsRegisteredSpan(const char* from, const char* to, bool loose) const {
  return base_->words.MayHold(std::string_view(from, static_cast<size_t>(to - from)), loose) &&
         IsRegistered(std::string(from, to), loose);
}

bool TNuraEngine::IsWholeWord(std::string_view run) const {
  if (!base_->words.MayHold(run, true)) return false;
  const std::string word(run);
  if (IsRegistered(word, false)) return true;
  NodePtr node = base_->words.FindNode(word, true);
  return node && IsCallableKind(node->kind);
}

// True when a registered word starts at `from` and runs past `past`, or
// starts at `start` and runs past `past`.
bool TNuraEngine::RegisteredWordRunsOn(const char* start, const char* from, const char* past,
                                       const char* end) const {
  // Only as far as the longest registered name reaches from `from`.
  for (const char* q = past; q < end;) {
    q += SjisCharLength(q);
    if (!base_->words.MayHold(std::string_view(from, static_cast<size_t>(q - from)), false)) break;
    if (IsRegistered(std::string(from, q), false) || IsRegisteredSpan(start, q, false)) return true;
  }
  return false;
}

bool TNuraEngine::SplitsAt(const TSplitPlace& place, const std::string& particle,
                           const char* end, bool item) const {
  static const std::string kTopic = SJ("は");
  const char* start = place.start;
  const char* at = place.at;
  const char* last = place.last;
  const char* after = at + particle.size();
  const bool wordFollows = after < end && IsRegisteredSpan(after, end, true);
  bool ok;
  if (IsHiraganaAt(particle.c_str())) {
    const bool topicBeforeValue = particle == kTopic && after < end && !IsHiraganaAt(after);
    ok = !IsHiraganaAt(last) || IsRegisteredSpan(start, at, true) || wordFollows ||
         topicBeforeValue || (item && place.okurigana);
  } else {
    NodePtr node = base_->words.MayHold(std::string_view(start, at - start), false)
                       ? base_->words.FindNode(std::string(start, at), false)
                       : nullptr;
    ok = place.ascii || wordFollows ||
         (node && (node->kind == kWordVariable || node->kind == kWordHash));
  }
  return ok && !RegisteredWordRunsOn(start, at, at + particle.size(), end);
}

std::string TNuraEngine::ReadWord() {
  static const std::string kNo = SJ("の");
  if (!base_->cursor.p) return {};
  const TStack& args = base_->args;
  const bool item = !args.Empty() && EndsWithText(args.Items().back(), kNo);
  return ReadKeptWord(base_->cursor.p, item);
}

std::string TNuraEngine::ReadKeptWord(const char*& p, bool item) {
  const char* at = p;
  const TextRef& text = base_->cursor.text;
  const uint64_t shape = base_->words.ShapeGeneration();
  const TKeptWord* kept = wordCache_.Find(text, at, shape);
  if (kept && kept->item == item) {
    p = at + kept->length;
    return kept->word;
  }
  std::string word = ReadWordAt(p, item);
  wordCache_.Store(text, at, TKeptWord{word, static_cast<size_t>(p - at), item}, shape);
  return word;
}

std::string TNuraEngine::ReadParticle() { return ReadParticleAt(base_->cursor.p); }

std::string TNuraEngine::ReadWordAt(const char*& c, bool item) {
  if (!c) return {};
  while (*c == ' ' || *c == '\t') ++c;
  const char* start = c;
  const char* end = KeptRunEnd(start);
  if (end == start) return {};
  const std::string_view run(start, static_cast<size_t>(end - start));
  static const std::string kIf = SJ("もし");
  static const std::string kArm = SJ("の時");
  const char* wordEnd = end;
  bool hasParticle = false;
  if (IsWholeWord(run)) {
    // A registered word stays whole.
  } else if (run.size() > kIf.size() && run.compare(0, kIf.size(), kIf) == 0) {
    wordEnd = start + kIf.size();
  } else if (run.size() > kArm.size() && run.compare(run.size() - kArm.size(), kArm.size(), kArm) == 0) {
    hasParticle = true;
  } else if (const char* te = TeFormEnd(base_->words, start, end)) {
    wordEnd = te;
    hasParticle = true;
  } else {
    // What the prefix before `at` is made of is carried along, so each
    // place costs the same however far into the run it lies.
    TSplitPlace place{start, start, start + SjisCharLength(start), IsAllAscii(std::string_view(start, 1)), false};
    bool beforeLastNonHiragana = false;
    for (; place.at < end; place.at += SjisCharLength(place.at)) {
      const std::string* particle = ParticleAt(place.at, end);
      if (particle && SplitsAt(place, *particle, end, item)) {
        wordEnd = place.at + particle->size();
        hasParticle = true;
        break;
      }
      beforeLastNonHiragana = beforeLastNonHiragana || !IsHiraganaAt(place.last);
      place.last = place.at;
      place.ascii = place.ascii && static_cast<unsigned char>(*place.at) < 0x80;
      place.okurigana = IsHiraganaAt(place.last) && beforeLastNonHiragana;
    }
  }
  c = wordEnd;
  std::string word(start, wordEnd);
  if (!hasParticle && wordEnd == end) {
    NodePtr node = base_->words.FindNode(word, true);
    if (!node || node->kind != kWordCommand) word += ReadParticleAt(c);
  }
  return word;
}

const char* TNuraEngine::KeptRunEnd(const char* start) {
  // A line of words written without blanks is one run: its end is found
  // once, not again for every word in it. Only long runs in the cursor's
  // text are kept; the weak reference tells whether that text still lives.
  const TextRef& text = base_->cursor.text;
  if (start > runFrom_ && start <= runTo_ && text && !runText_.owner_before(text) &&
      !text.owner_before(runText_) && !runText_.expired()) {
    return runTo_;
  }
  const char* end = RunEnd(start);
  constexpr ptrdiff_t kKeptRun = 256;
  if (end - start > kKeptRun && text && start >= text->data() && start < text->data() + text->size()) {
    runText_ = text;
    runFrom_ = start;
    runTo_ = end;
  }
  return end;
}

std::string TNuraEngine::ReadParticleAt(const char*& c) {
  if (!c) return {};
  const char* p = c;
  while (*p == ' ' || *p == '\t') ++p;
  if (!*p) return {};
  const char* end = RunEnd(p);
  const std::string* particle = ParticleAt(p, end);
  if (!particle) return {};
  // A registered word that begins with the particle wins ("でなければ").
  if (static_cast<size_t>(end - p) > particle->size() && IsRegisteredSpan(p, end, true)) return {};
  c = p + particle->size();
  return *particle;
}

}  // namespace nura
