#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "platform/file_io.h"
#include "platform/sjis.h"

namespace nura {

namespace fs = std::filesystem;

namespace {

const char kHeader[] = "nurasera-registry 1";

// The components of a key path, split at "\" between characters; empty
// components dropped.
std::vector<std::string> SplitKey(const std::string& path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsSjisLead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      parts.back().append(path, i, 2);
      ++i;
    } else if (path[i] == '\\') {
      if (!parts.back().empty()) parts.emplace_back();
    } else {
      parts.back() += path[i];
    }
  }
  if (parts.back().empty()) parts.pop_back();
  return parts;
}

std::string JoinKey(const std::vector<std::string>& parts, size_t count) {
  std::string path;
  for (size_t i = 0; i < count && i < parts.size(); ++i) path += (i ? "\\" : "") + parts[i];
  return path;
}

// The comparison form: ASCII letters upper-cased, two-byte characters kept.
std::string Fold(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsSjisLead(static_cast<unsigned char>(out[i]))) {
      ++i;
    } else if (out[i] >= 'a' && out[i] <= 'z') {
      out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
  }
  return out;
}

std::string ToHex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool FromHex(std::string_view hex, std::string& out) {
  if (hex.size() % 2) return false;
  out.clear();
  out.reserve(hex.size() / 2);
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

// The words of a line separated by single blanks.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start <= line.size()) {
    size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    words.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// An exclusive lock on a file beside the store, held for one operation so
// that two programs never interleave their read-modify-write.
class TStoreLock {
 public:
  explicit TStoreLock(const std::string& storePath) {
    std::error_code ec;
    fs::create_directories(fs::path(storePath).parent_path(), ec);
    fd_ = ::open((storePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~TStoreLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  TStoreLock(const TStoreLock&) = delete;
  TStoreLock& operator=(const TStoreLock&) = delete;

 private:
  int fd_ = -1;
};

bool IsBelow(const std::string& folded, const std::string& foldedParent) {
  return folded.size() > foldedParent.size() + 1 &&
         folded.compare(0, foldedParent.size(), foldedParent) == 0 &&
         folded[foldedParent.size()] == '\\';
}

}  // namespace

TRegistryValue TRegistryValue::FromDWord(uint32_t number) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {TRegistryType::DWord, data};
}

uint32_t TRegistryValue::AsDWord() const {
  uint32_t n = 0;
  for (size_t i = 0; i < 4 && i < data.size(); ++i)
    n |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  return n;
}

TRegistryStore::TRegistryStore(std::string nativeFile) : path_(std::move(nativeFile)) {}

std::string TRegistryStore::DefaultPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = "/tmp";
  }
  return base + "/nurasera/registry";
}

bool TRegistryStore::Load(TKeys& keys) const {
  keys.clear();
  std::string text;
  if (!ReadNativeFile(path_, text)) {
    std::error_code ec;
    return !fs::exists(path_, ec);  // a missing store is an empty one
  }
  TKey* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;
    const std::vector<std::string_view> w = Words(line);
    std::string a, b;
    if (w.size() == 2 && w[0] == "K" && FromHex(w[1], a)) {
      const std::string path = JoinKey(SplitKey(a), SIZE_MAX);
      if (path.empty()) { current = nullptr; continue; }
      current = &keys.try_emplace(Fold(path), TKey{path, {}}).first->second;
    } else if (w.size() == 4 && w[0] == "V" && current && FromHex(w[2], a) && FromHex(w[3], b)) {
      const std::string_view t = w[1];
      TRegistryValue value;
      if (t == "1") value.type = TRegistryType::String;
      else if (t == "3") value.type = TRegistryType::Binary;
      else if (t == "4" && b.size() == 4) value.type = TRegistryType::DWord;
      else continue;
      value.data = std::move(b);
      current->values.emplace_back(std::move(a), std::move(value));
    }
    // Anything else (a damaged line) is skipped.
  }
  return true;
}

bool TRegistryStore::Save(const TKeys& keys) const {
  std::string text = std::string(kHeader) + "\n";
  for (const auto& [folded, key] : keys) {
    text += "K " + ToHex(key.path) + "\n";
    for (const auto& [name, value] : key.values) {
      text += "V " + std::to_string(static_cast<uint32_t>(value.type)) + " " + ToHex(name) + " " +
              ToHex(value.data) + "\n";
    }
  }
  std::error_code ec;
  fs::create_directories(fs::path(path_).parent_path(), ec);
  return WriteFileAtomically(path_, text);
}

template <class Change>
bool TRegistryStore::Modify(Change change) {
  TStoreLock lock(path_);
  TKeys keys;
  if (!Load(keys)) return false;
  if (!change(keys)) return false;
  return Save(keys);
}

bool TRegistryStore::CreateKey(const std::string& key) {
  const std::vector<std::string> parts = SplitKey(key);
  if (parts.empty()) return false;
  return Modify([&](TKeys& keys) {
    for (size_t n = 1; n <= parts.size(); ++n) {
      const std::string path = JoinKey(parts, n);
      keys.try_emplace(Fold(path), TKey{path, {}});
    }
    return true;
  });
}

bool TRegistryStore::KeyExists(const std::string& key) const {
  TStoreLock lock(path_);
  TKeys keys;
  return Load(keys) && keys.count(Fold(JoinKey(SplitKey(key), SIZE_MAX))) > 0;
}

std::optional<TRegistryValue> TRegistryStore::ReadValue(const std::string& key,
                                                         const std::string& name) const {
  TStoreLock lock(path_);
  TKeys keys;
  if (!Load(keys)) return std::nullopt;
  const auto it = keys.find(Fold(JoinKey(SplitKey(key), SIZE_MAX)));
  if (it == keys.end()) return std::nullopt;
  const std::string folded = Fold(name);
  for (const auto& [valueName, value] : it->second.values) {
    if (Fold(valueName) == folded) return value;
  }
  return std::nullopt;
}

bool TRegistryStore::WriteValue(const std::string& key, const std::string& name,
                                const TRegistryValue& value) {
  const std::vector<std::string> parts = SplitKey(key);
  if (parts.empty()) return false;
  return Modify([&](TKeys& keys) {
    for (size_t n = 1; n < parts.size(); ++n) {
      const std::string path = JoinKey(parts, n);
      keys.try_emplace(Fold(path), TKey{path, {}});
    }
    const std::string path = JoinKey(parts, parts.size());
    TKey& entry = keys.try_emplace(Fold(path), TKey{path, {}}).first->second;
    const std::string folded = Fold(name);
    for (auto& [valueName, old] : entry.values) {
      if (Fold(valueName) == folded) {
        old = value;
        return true;
      }
    }
    entry.values.emplace_back(name, value);
    return true;
  });
}

bool TRegistryStore::DeleteValue(const std::string& key, const std::string& name) {
  return Modify([&](TKeys& keys) {
    const auto it = keys.find(Fold(JoinKey(SplitKey(key), SIZE_MAX)));
    if (it == keys.end()) return false;
    auto& values = it->second.values;
    const std::string folded = Fold(name);
    for (auto v = values.begin(); v != values.end(); ++v) {
      if (Fold(v->first) == folded) {
        values.erase(v);
        return true;
      }
    }
    return false;
  });
}

bool TRegistryStore::DeleteKey(const std::string& key) {
  const std::string folded = Fold(JoinKey(SplitKey(key), SIZE_MAX));
  if (folded.empty()) return false;
  return Modify([&](TKeys& keys) {
    const auto it = keys.find(folded);
    if (it == keys.end()) return false;
    keys.erase(it);
    for (auto k = keys.begin(); k != keys.end();) {
      k = IsBelow(k->first, folded) ? keys.erase(k) : std::next(k);
    }
    return true;
  });
}

std::vector<std::string> TRegistryStore::SubKeyNames(const std::string& key) const {
  TStoreLock lock(path_);
  TKeys keys;
  std::vector<std::string> names;
  if (!Load(keys)) return names;
  const std::string parentPath = JoinKey(SplitKey(key), SIZE_MAX);
  const std::string folded = Fold(parentPath);
  const size_t depth = SplitKey(parentPath).size();
  for (const auto& [foldedPath, entry] : keys) {
    if (!IsBelow(foldedPath, folded)) continue;
    const std::vector<std::string> parts = SplitKey(entry.path);
    if (parts.size() == depth + 1) names.push_back(parts.back());
  }
  return names;
}

// ---- TRegistry ----

namespace {

const char* const kRootNames[] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

}  // namespace

bool TRegistry::SetRootKey(uint32_t root) {
  open_ = false;
  currentPath_.clear();
  rootName_.clear();
  if (root < 0x80000000u || root - 0x80000000u >= std::size(kRootNames)) return false;
  rootName_ = kRootNames[root - 0x80000000u];
  return true;
}

std::string TRegistry::FullPath(const std::string& below) const {
  return rootName_ + "\\" + below;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  if (rootName_.empty()) return false;
  const std::string full = FullPath(path);
  const bool ok = canCreate ? store_.CreateKey(full) : store_.KeyExists(full);
  if (!ok) return false;
  currentPath_ = JoinKey(SplitKey(path), SIZE_MAX);
  open_ = true;
  return true;
}

std::optional<TRegistryValue> TRegistry::ReadValue(const std::string& name) const {
  if (!open_) return std::nullopt;
  return store_.ReadValue(FullPath(currentPath_), name);
}

bool TRegistry::WriteValue(const std::string& name, const TRegistryValue& value) {
  return open_ && store_.WriteValue(FullPath(currentPath_), name, value);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return open_ && store_.DeleteValue(FullPath(currentPath_), name);
}

bool TRegistry::DeleteKey(const std::string& name) {
  if (!open_ || SplitKey(name).empty()) return false;
  return store_.DeleteKey(FullPath(currentPath_ + "\\" + name));
}

std::vector<std::string> TRegistry::SubKeyNames() const {
  if (!open_) return {};
  return store_.SubKeyNames(FullPath(currentPath_));
}

}  // namespace nura
