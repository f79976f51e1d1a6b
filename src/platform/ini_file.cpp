#include "platform/ini_file.h"

#include <fstream>
#include <iterator>

#include "platform/file_io.h"
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

// The name of a "[section]" line, or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.empty() || line[0] != '[') return std::nullopt;
  const size_t close = FindChar(line, ']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// True when `line` is "key=..." for `key`.
bool IsKeyLine(std::string_view line, std::string_view key) {
  if (line.empty() || line[0] == ';') return false;
  const size_t eq = FindChar(line, '=');
  return eq != std::string_view::npos && SjisEqualsIgnoreAsciiCase(Trim(line.substr(0, eq)), Trim(key));
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
  return ReadNativeFile(nativePath, text_);
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
      const auto name = SectionName(line);
      if (!name) continue;
      bool match = SjisEqualsIgnoreAsciiCase(*name, Trim(section));
      if (inSection && !match) return std::nullopt;  // the section ended
      inSection = match;
      continue;
    }
    if (!inSection || !IsKeyLine(line, key)) continue;
    return std::string(Unquote(Trim(line.substr(FindChar(line, '=') + 1))));
  }
  return std::nullopt;
}

std::vector<std::string> TIniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const std::string_view text = text_;
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    const std::string_view line = Trim(NextLine(text, pos));
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const auto name = SectionName(line);
      if (!name) continue;
      const bool match = SjisEqualsIgnoreAsciiCase(*name, Trim(section));
      if (inSection && !match) break;
      inSection = match;
      continue;
    }
    const size_t eq = FindChar(line, '=');
    if (inSection && eq != std::string_view::npos) keys.emplace_back(Trim(line.substr(0, eq)));
  }
  return keys;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  const std::string_view text = text_;
  bool inSection = false;
  size_t insertAt = std::string::npos;  // behind the section's last non-blank line
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const std::string_view raw = NextLine(text, pos);
    const std::string_view line = Trim(raw);
    if (const auto name = SectionName(line)) {
      const bool match = SjisEqualsIgnoreAsciiCase(*name, Trim(section));
      if (inSection && !match) break;  // the first occurrence of a section counts
      inSection = match;
      if (match) insertAt = pos;
      continue;
    }
    if (!inSection) continue;
    if (IsKeyLine(line, key)) {
      text_.replace(start, raw.size(), entry);
      return;
    }
    if (!line.empty()) insertAt = pos;
  }
  const bool endsWithBreak = text_.empty() || text_.back() == '\n' || text_.back() == '\r';
  if (insertAt == std::string::npos) {
    text_ += (endsWithBreak ? "[" : "\r\n[") + std::string(Trim(section)) + "]\r\n" + entry + "\r\n";
    return;
  }
  // A section whose last line has no line break (the end of the file).
  const bool lineEnded = insertAt > 0 && (text_[insertAt - 1] == '\n' || text_[insertAt - 1] == '\r');
  text_.insert(insertAt, (lineEnded ? "" : "\r\n") + entry + "\r\n");
}

bool TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  const std::string_view text = text_;
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const std::string_view line = Trim(NextLine(text, pos));
    if (const auto name = SectionName(line)) {
      const bool match = SjisEqualsIgnoreAsciiCase(*name, Trim(section));
      if (inSection && !match) return false;
      inSection = match;
      continue;
    }
    if (inSection && IsKeyLine(line, key)) {
      text_.erase(start, pos - start);  // the line and its line break
      return true;
    }
  }
  return false;
}

bool TIniFile::Save(const std::string& nativePath) const { return WriteFileAtomically(nativePath, text_); }

}  // namespace nura
