// The registry of this platform: a per-user store of keys and typed values
// in one file under the XDG config folder. Keys are paths of names
// separated by "\" (Shift-JIS, compared without regard to ASCII case); each
// key holds named values of type string, 32-bit number or binary data.
// Every operation reads the file, and every change writes it whole through
// a temporary file and a rename, under a lock shared with other programs,
// so that a crash never loses what was stored before.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nura {

enum class TRegistryType : uint32_t { String = 1, Binary = 3, DWord = 4 };

struct TRegistryValue {
  TRegistryType type = TRegistryType::String;
  std::string data;  // DWord: 4 bytes, little-endian

  static TRegistryValue FromString(std::string text) { return {TRegistryType::String, std::move(text)}; }
  static TRegistryValue FromBinary(std::string bytes) { return {TRegistryType::Binary, std::move(bytes)}; }
  static TRegistryValue FromDWord(uint32_t number);
  uint32_t AsDWord() const;
};

class TRegistryStore {
 public:
  // The store in `nativeFile` (default: DefaultPath()).
  explicit TRegistryStore(std::string nativeFile = DefaultPath());

  // $XDG_CONFIG_HOME/nurasera/registry (~/.config when the variable is
  // unset or not absolute).
  static std::string DefaultPath();
  const std::string& Path() const { return path_; }

  // Creates the key and the keys above it; false when the file cannot be
  // written or the path is empty.
  bool CreateKey(const std::string& key);
  bool KeyExists(const std::string& key) const;
  std::optional<TRegistryValue> ReadValue(const std::string& key, const std::string& name) const;
  // Writes a value, creating its key when missing.
  bool WriteValue(const std::string& key, const std::string& name, const TRegistryValue& value);
  // False when the value or key does not exist or the file cannot be written.
  bool DeleteValue(const std::string& key, const std::string& name);
  // Deletes the key with every key below it.
  bool DeleteKey(const std::string& key);
  // The names of the keys directly below `key`, in order of their names.
  std::vector<std::string> SubKeyNames(const std::string& key) const;

 private:
  struct TKey {
    std::string path;  // as first written
    std::vector<std::pair<std::string, TRegistryValue>> values;
  };
  using TKeys = std::map<std::string, TKey>;  // by folded path

  bool Load(TKeys& keys) const;
  bool Save(const TKeys& keys) const;
  // Runs `change` on the keys under the lock and saves them when it
  // returns true.
  template <class Change>
  bool Modify(Change change);

  std::string path_;
};

// The registry class of the commands: a root key and the path of the open
// key under it.
class TRegistry {
 public:
  explicit TRegistry(std::string storeFile = TRegistryStore::DefaultPath()) : store_(std::move(storeFile)) {}

  // Roots 0x80000000 + 0..6 (HKEY_CLASSES_ROOT ... HKEY_DYN_DATA); false
  // for any other. Closes the open key.
  bool SetRootKey(uint32_t root);
  // Opens `path` below the root (a leading "\" is allowed), creating it when
  // `canCreate`; false when it is missing or cannot be made.
  bool OpenKey(const std::string& path, bool canCreate);
  bool HasOpenKey() const { return open_; }
  // The open key's path below the root, as given to OpenKey.
  const std::string& CurrentPath() const { return currentPath_; }

  std::optional<TRegistryValue> ReadValue(const std::string& name) const;
  bool WriteValue(const std::string& name, const TRegistryValue& value);
  bool DeleteValue(const std::string& name);
  bool DeleteKey(const std::string& name);
  std::vector<std::string> SubKeyNames() const;

 private:
  std::string FullPath(const std::string& below) const;

  TRegistryStore store_;
  std::string rootName_;
  std::string currentPath_;
  bool open_ = false;
};

}  // namespace nura
