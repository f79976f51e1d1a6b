#include "engine/binding.h"

#include <unordered_map>

#include "engine/operand_text.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {

namespace {

constexpr size_t kMaxStackTexts = 5000;

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EndsWithParticle(const std::string& text, const std::string& particle) {
  if (particle.empty()) return true;
  if (text.size() < particle.size()) return false;
  const size_t at = text.size() - particle.size();
  return IsSjisCharStart(text, at) && ParticleMatches(std::string_view(text).substr(at), particle);
}

// The word reader reads a long particle that holds a registered word after
// its head ("を呼ぶ" holds 呼ぶ) as the head particle and that word, so the
// value "受け" of "受けを呼ぶ" comes as "受けを" with "呼ぶ" above it. True
// when stack[k] ends in such a head and stack[k + 1] is the rest of
// `particle`; `head` is then the head's length.
bool ParticleSplitAt(const std::vector<std::string>& stack, size_t k, const std::string& particle,
                     size_t& head) {
  if (k + 1 >= stack.size()) return false;
  const std::string& rest = stack[k + 1];
  if (rest.empty() || rest.size() >= particle.size() ||
      particle.compare(particle.size() - rest.size(), rest.size(), rest) != 0) {
    return false;
  }
  const size_t length = particle.size() - rest.size();
  const std::string& text = stack[k];
  if (!IsSjisCharStart(particle, length) || text.size() < length ||
      !IsSjisCharStart(text, text.size() - length) ||
      text.compare(text.size() - length, length, particle, 0, length) != 0) {
    return false;
  }
  head = length;
  return true;
}

std::string ArgumentErrorHead(const std::string& command, const std::string& pattern) {
  return "\"" + command + SJ("\"命令の引数に誤りがあります。") + "\"" + pattern +
         SJ("\"の形式で指定してください。");
}

}  // namespace

bool ParticleMatches(std::string_view tail, std::string_view particle) {
  if (tail == particle) return true;
  static const std::string wo = SJ("を"), to = SJ("と"), no = SJ("の"), ni = SJ("に"), he = SJ("へ");
  if (particle == to || particle == no) return tail == wo;
  if (particle == wo) return tail == to || tail == no;
  if (particle == ni) return tail == he;
  if (particle == he) return tail == ni;
  return false;
}

std::vector<std::string> PatternParticles(const std::string& pattern) {
  std::vector<std::string> particles;
  if (Trim(pattern).empty()) return particles;
  size_t start = 0;
  for (;;) {
    const size_t comma = pattern.find(',', start);
    std::string slot = Trim(pattern.substr(start, comma == std::string::npos ? std::string::npos
                                                                            : comma - start));
    if (!slot.empty() && slot[0] == '?') slot.erase(0, 1);
    particles.push_back(slot);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return particles;
}

namespace {

// PatternParticles, split once per pattern text.
// The pattern bound last is checked first: a loop calls the same word.
const std::vector<std::string>& KeptPatternParticles(const std::string& pattern) {
  static std::unordered_map<std::string, std::vector<std::string>> kept;
  static const std::pair<const std::string, std::vector<std::string>>* last = nullptr;
  if (last && last->first == pattern) return last->second;
  auto found = kept.find(pattern);
  if (found == kept.end()) {
    if (kept.size() >= 4096) kept.clear();  // patterns made by scripts at run time
    found = kept.emplace(pattern, PatternParticles(pattern)).first;
  }
  last = &*found;
  return found->second;
}

// The usual case: the top texts already stand in slot order, each ending
// in its slot's particle (or lenient binding takes the topmost text
// whatever it ends in). Taking the slots from the last one, the topmost
// remaining text is then always the one found, so the texts stay where they
// are and only lose their particles.
bool BindInPlace(std::vector<std::string>& stack, const std::vector<std::string>& particles,
                 bool lenient) {
  const size_t base = stack.size() - particles.size();
  for (size_t slot = 0; !lenient && slot < particles.size(); ++slot) {
    if (!EndsWithParticle(stack[base + slot], particles[slot])) return false;
  }
  // Unless lenient, every text was found to end in its particle.
  for (size_t slot = 0; slot < particles.size(); ++slot) {
    std::string& text = stack[base + slot];
    if (!lenient || EndsWithParticle(text, particles[slot])) text.resize(text.size() - particles[slot].size());
  }
  return true;
}

// Takes the slots from the last to the first, each the topmost text that
// fits it, and puts them back on top in slot order.
void BindBySearch(std::vector<std::string>& stack, const std::string& command,
                  const std::string& pattern, const std::vector<std::string>& particles,
                  bool lenient) {
  std::vector<std::string> bound(particles.size());
  for (size_t slot = particles.size(); slot-- > 0;) {
    const std::string& particle = particles[slot];
    size_t found = stack.size();
    size_t head = 0;
    for (size_t k = stack.size(); k-- > 0;) {
      if (lenient || EndsWithParticle(stack[k], particle) ||
          ParticleSplitAt(stack, k, particle, head)) {
        found = k;
        break;
      }
    }
    if (found == stack.size()) {
      throw EBinding(ArgumentErrorHead(command, pattern) + "\"" + particle + "\"");
    }
    std::string text = std::move(stack[found]);
    const auto at = stack.begin() + static_cast<std::ptrdiff_t>(found);
    stack.erase(at, at + (head ? 2 : 1));
    if (head) {
      text.resize(text.size() - head);
    } else if (EndsWithParticle(text, particle)) {
      text.resize(text.size() - particle.size());
    }
    bound[slot] = std::move(text);
  }
  for (std::string& text : bound) stack.push_back(std::move(text));
}

}  // namespace

bool BindArguments(std::vector<std::string>& stack, const std::string& command,
                   const std::string& pattern, bool lenient) {
  static const std::string kSore = SJ("それ");
  const std::vector<std::string>& particles = KeptPatternParticles(pattern);
  bool implicit_subject = false;
  if (particles.size() == stack.size() + 1) {
    stack.insert(stack.begin(), lenient ? kSore : kSore + particles.front());
    implicit_subject = true;
  }
  if (stack.size() < particles.size()) {
    throw EBinding(ArgumentErrorHead(command, pattern) + SJ("引数が少ないです。"));
  }
  if (!BindInPlace(stack, particles, lenient)) BindBySearch(stack, command, pattern, particles, lenient);
  if (stack.size() > kMaxStackTexts) {
    throw EBinding(SJ("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！"));
  }
  return implicit_subject;
}

int CompareNumericLines(const std::string& a, const std::string& b) {
  const long double x = TextToNumber(a), y = TextToNumber(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int NumericLineCompare(const std::vector<std::string>& list, size_t i, size_t j) {
  if (i >= list.size() || j >= list.size()) return 0;
  return CompareNumericLines(list[i], list[j]);
}

}  // namespace nura
