#include "platform/ini_file.h"

#include <fstream>
#include <iterator>

#include "platform/sjis.h"

namespace nura {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

// The next line of `text` from `pos` (CR LF, CR or LF ends it).
std::string_view NextLine(std::string_view text, size_t& pos) {
  size_t start = pos;
  size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) end = text.size();
  pos = end;
  if (pos < text.size() && text[pos] == '\r') ++pos;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return text.substr(start, end - start);
}

// The position of the one-byte character `c` in `s`, found only at
// character starts, or npos.
size_t FindChar(std::string_view s, char c) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == c) return i;
    if (IsSjisLead(static_cast<unsigned char>(s[i]))) ++i;
  }
  return std::string_view::npos;
}

}  // namespace

bool SjisEqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsSjisLead(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
  }
  return true;
}

bool TIniFile::Load(const std::string& nativePath) {
  text_.clear();
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) return false;
  text_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

void TIniFile::LoadFromText(std::string_view text) { text_ = std::string(text); }

std::optional<std::string> TIniFile::ReadString(std::string_view section,
                                                std::string_view key) const {
  const std::string_view text = text_;
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    std::string_view line = Trim(NextLine(text, pos));
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = FindChar(line, ']');
      if (close == std::string_view::npos) continue;
      bool match = SjisEqualsIgnoreAsciiCase(Trim(line.substr(1, close - 1)), Trim(section));
      if (inSection && !match) return std::nullopt;  // the section ended
      inSection = match;
      continue;
    }
    if (!inSection) continue;
    size_t eq = FindChar(line, '=');
    if (eq == std::string_view::npos) continue;
    if (SjisEqualsIgnoreAsciiCase(Trim(line.substr(0, eq)), Trim(key)))
      return std::string(Unquote(Trim(line.substr(eq + 1))));
  }
  return std::nullopt;
}

}  // namespace nura
