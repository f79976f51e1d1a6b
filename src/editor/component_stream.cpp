#include "editor/component_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "editor/editor_idents.h"
#include "editor/file_ext_component.h"
#include "engine/errors.h"
#include "platform/ini_file.h"
#include "platform/sjis.h"

namespace nura {

namespace {

[[noreturn]] void StreamError() { throw EReadError(SJ("ストリームの読み込みエラー")); }
[[noreturn]] void UnknownProperty(std::string_view name) {
  throw EReadError(SJ("プロパティ ") + std::string(name) + SJ(" は存在しません"));
}
[[noreturn]] void InvalidValue() { throw EReadError(SJ("プロパティの値が無効です")); }

// ---------------------------------------------------------------- writer

class Writer {
 public:
  std::string out;

  void Byte(uint8_t b) { out += static_cast<char>(b); }
  void ShortString(std::string_view s) {
    Byte(static_cast<uint8_t>(std::min<size_t>(s.size(), 255)));
    out.append(s.substr(0, 255));
  }
  void Int(int32_t v) {
    if (v >= -128 && v <= 127) {
      Byte(vaInt8);
      Byte(static_cast<uint8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      Byte(vaInt16);
      LittleEndian(static_cast<uint32_t>(v), 2);
    } else {
      Byte(vaInt32);
      LittleEndian(static_cast<uint32_t>(v), 4);
    }
  }
  void String(std::string_view s) {
    if (s.size() <= 255) {
      Byte(vaString);
      ShortString(s);
    } else {
      Byte(vaLString);
      LittleEndian(static_cast<uint32_t>(s.size()), 4);
      out.append(s);
    }
  }
  void Ident(std::string_view name) {
    Byte(vaIdent);
    ShortString(name);
  }
  // An identifier when the value has a name, else the integer.
  void NamedInt(int32_t v, std::optional<std::string_view> name) {
    if (name) Ident(*name);
    else Int(v);
  }

  void Properties(TPersistent& object, const std::string& path) {
    for (const TPropInfo& p : object.Properties()) Property(object, p, path + std::string(p.name));
  }

 private:
  void LittleEndian(uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }

  void Property(TPersistent& object, const TPropInfo& p, const std::string& name) {
    if (p.kind == TPropKind::Object) {
      Properties(*p.getObj(object), name + ".");
      return;
    }
    ShortString(p.kind == TPropKind::Strings ? name + ".Strings" : name);
    switch (p.kind) {
      case TPropKind::Integer: Int(p.getOrd(object)); break;
      case TPropKind::Boolean: Byte(p.getOrd(object) ? vaTrue : vaFalse); break;
      case TPropKind::String: String(p.getStr(object)); break;
      case TPropKind::Color: NamedInt(p.getOrd(object), ColorToIdent(p.getOrd(object))); break;
      case TPropKind::Cursor: NamedInt(p.getOrd(object), EditorCursorToIdent(p.getOrd(object))); break;
      case TPropKind::Enum: {
        const auto v = static_cast<size_t>(p.getOrd(object));
        if (v < p.names->size()) Ident((*p.names)[v]);
        else Int(p.getOrd(object));
        break;
      }
      case TPropKind::Set: {
        Byte(vaSet);
        const int32_t bits = p.getOrd(object);
        for (size_t i = 0; i < p.names->size(); ++i) {
          if (bits & (1 << i)) ShortString((*p.names)[i]);
        }
        Byte(0);
        break;
      }
      case TPropKind::Strings:
        Byte(vaList);
        for (const std::string& s : p.getList(object)) String(s);
        Byte(0);
        break;
      case TPropKind::Collection: {
        Byte(vaCollection);
        const auto& items = static_cast<const TCollection&>(*p.getObj(object));
        for (int i = 0; i < items.Count(); ++i) {
          Byte(vaList);
          Properties(items.Item(i), "");
          Byte(0);
        }
        Byte(0);
        break;
      }
      case TPropKind::Object: break;
    }
  }
};

// ---------------------------------------------------------------- reader

// The index of an enumeration or set member name.
int32_t NameIndex(const TNameList& names, std::string_view name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (SjisEqualsIgnoreAsciiCase(names[i], name)) return static_cast<int32_t>(i);
  }
  InvalidValue();
}

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  bool AtEnd() const { return pos_ >= in_.size(); }
  uint8_t Byte() {
    if (AtEnd()) StreamError();
    return static_cast<uint8_t>(in_[pos_++]);
  }
  // `n` bytes; the length is checked against what is left before anything
  // is taken.
  std::string_view Bytes(size_t n) {
    if (n > in_.size() - pos_) StreamError();
    const std::string_view s = in_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  std::string_view ShortString() { return Bytes(Byte()); }
  uint32_t LittleEndian(int bytes) {
    const std::string_view b = Bytes(static_cast<size_t>(bytes));
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[static_cast<size_t>(i)]);
    return v;
  }

  int32_t IntValue(uint8_t type) {
    switch (type) {
      case vaInt8: return static_cast<int8_t>(Byte());
      case vaInt16: return static_cast<int16_t>(LittleEndian(2));
      case vaInt32: return static_cast<int32_t>(LittleEndian(4));
      default: InvalidValue();
    }
  }
  std::string StringValue(uint8_t type) {
    if (type == vaString) return std::string(ShortString());
    if (type == vaLString) return std::string(Bytes(LittleEndian(4)));
    InvalidValue();
  }
  void CheckType(uint8_t type) const {
    switch (type) {
      case vaNull: case vaList: case vaInt8: case vaInt16: case vaInt32: case vaString: case vaIdent:
      case vaFalse: case vaTrue: case vaSet: case vaLString: case vaCollection: return;
      default: StreamError();
    }
  }
  uint8_t Type() {
    const uint8_t type = Byte();
    CheckType(type);
    return type;
  }

  // Properties up to the zero byte that ends the list.
  void Properties(TPersistent& root) {
    for (std::string_view name = ShortString(); !name.empty(); name = ShortString()) Property(root, name);
  }

 private:
  void Property(TPersistent& root, std::string_view path) {
    TPersistent* object = &root;
    std::string_view rest = path;
    for (;;) {
      const size_t dot = rest.find('.');
      const std::string_view part = rest.substr(0, dot);
      const TPropInfo* p = FindProperty(*object, part);
      if (!p) UnknownProperty(path);
      if (dot == std::string_view::npos) {
        Value(*object, *p);
        return;
      }
      rest.remove_prefix(dot + 1);
      if (p->kind == TPropKind::Strings && SjisEqualsIgnoreAsciiCase(rest, "Strings")) {
        Value(*object, *p);
        return;
      }
      if (p->kind != TPropKind::Object) UnknownProperty(path);
      object = p->getObj(*object);
    }
  }

  int32_t NamedValue(uint8_t type, std::optional<int32_t> (*lookup)(std::string_view)) {
    if (type != vaIdent) return IntValue(type);
    const std::optional<int32_t> v = lookup(ShortString());
    if (!v) InvalidValue();
    return *v;
  }

  void Value(TPersistent& object, const TPropInfo& p) {
    const uint8_t type = Type();
    switch (p.kind) {
      case TPropKind::Integer: p.setOrd(object, IntValue(type)); break;
      case TPropKind::Boolean:
        if (type != vaFalse && type != vaTrue) InvalidValue();
        p.setOrd(object, type == vaTrue);
        break;
      case TPropKind::String: p.setStr(object, StringValue(type)); break;
      case TPropKind::Color:
        p.setOrd(object, NamedValue(type, [](std::string_view n) { return IdentToColor(n); }));
        break;
      case TPropKind::Cursor:
        p.setOrd(object, NamedValue(type, [](std::string_view n) { return EditorIdentToCursor(n); }));
        break;
      case TPropKind::Enum: p.setOrd(object, EnumValue(type, *p.names)); break;
      case TPropKind::Set: p.setOrd(object, SetValue(type, *p.names)); break;
      case TPropKind::Strings: p.setList(object, ListValue(type)); break;
      case TPropKind::Collection: CollectionValue(type, static_cast<TCollection&>(*p.getObj(object))); break;
      case TPropKind::Object: InvalidValue();
    }
  }

  int32_t EnumValue(uint8_t type, const TNameList& names) {
    if (type != vaIdent) InvalidValue();
    return NameIndex(names, ShortString());
  }

  int32_t SetValue(uint8_t type, const TNameList& names) {
    if (type != vaSet) InvalidValue();
    int32_t bits = 0;
    for (std::string_view name = ShortString(); !name.empty(); name = ShortString()) {
      bits |= static_cast<int32_t>(1u << NameIndex(names, name));
    }
    return bits;
  }

  std::vector<std::string> ListValue(uint8_t type) {
    if (type != vaList) InvalidValue();
    std::vector<std::string> lines;
    for (uint8_t t = Type(); t != vaNull; t = Type()) lines.push_back(StringValue(t));
    return lines;
  }

  void CollectionValue(uint8_t type, TCollection& items) {
    if (type != vaCollection) InvalidValue();
    items.BeginUpdate();
    try {
      items.Clear();
      for (uint8_t t = Type(); t != vaNull; t = Type()) {
        if (t != vaList) InvalidValue();
        Properties(items.Add());
      }
    } catch (...) {
      items.EndUpdate();
      throw;
    }
    items.EndUpdate();
  }

  std::string_view in_;
  size_t pos_ = 0;
};

}  // namespace

std::string WriteComponent(const TStoreComponent& component) {
  Writer w;
  w.out = "TPF0";
  w.ShortString(component.ClassName());
  w.ShortString(component.Name());
  w.Properties(const_cast<TStoreComponent&>(component), "");  // the writer only reads
  w.Byte(0);
  w.Byte(0);
  return w.out;
}

void ReadComponent(std::string_view stream, TStoreComponent& component) {
  Reader r(stream);
  if (r.Bytes(4) != "TPF0") StreamError();
  r.ShortString();  // the class name: the component reads into itself
  const std::string name(r.ShortString());
  r.Properties(component);
  if (r.Byte() != 0) StreamError();  // no children
  component.SetName(name);
}

std::vector<std::string> StreamToHexLines(std::string_view stream) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::vector<std::string> lines;
  for (size_t i = 0; i < stream.size(); i += 32) {
    std::string line;
    for (const char c : stream.substr(i, 32)) {
      line += kDigits[static_cast<uint8_t>(c) >> 4];
      line += kDigits[static_cast<uint8_t>(c) & 15];
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string HexLinesToStream(const std::vector<std::string>& lines) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string stream;
  for (const std::string& line : lines) {
    for (size_t i = 0; i < line.size(); i += 2) {
      const int hi = digit(line[i]);
      if (i + 1 == line.size()) {
        stream += static_cast<char>(hi < 0 ? 0 : hi);
        continue;
      }
      const int lo = digit(line[i + 1]);
      stream += static_cast<char>(hi < 0 || lo < 0 ? 0 : hi * 16 + lo);
    }
  }
  return stream;
}

namespace {

std::string CountKey(const std::string& prefix) { return prefix + "_c"; }
std::string LineKey(const std::string& prefix, long long i) { return prefix + "_d" + std::to_string(i); }

// The count kept under prefix + "_c"; 0 when it is missing or no number.
long long StoredCount(const TIniFile& ini, const std::string& section, const std::string& prefix) {
  const std::optional<std::string> text = ini.ReadString(section, CountKey(prefix));
  if (!text) return 0;
  errno = 0;
  char* end = nullptr;
  const long long count = std::strtoll(text->c_str(), &end, 10);
  return end == text->c_str() || *end != '\0' || errno == ERANGE ? 0 : count;
}

// The line numbers i, from <= i < to, whose keys prefix + "_d" + i the
// section holds, ascending. A loop over the range finds just these; taking
// them from the keys that exist bounds the work by the file, whatever
// count a damaged file gives.
std::vector<long long> StoredLines(const TIniFile& ini, const std::string& section, const std::string& prefix,
                                   long long from, long long to) {
  const std::string head = prefix + "_d";
  std::vector<long long> found;
  for (const std::string& key : ini.Keys(section)) {
    if (key.size() <= head.size() || key.size() > head.size() + 18) continue;
    if (!SjisEqualsIgnoreAsciiCase(std::string_view(key).substr(0, head.size()), head)) continue;
    const std::string digits = key.substr(head.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || (digits.size() > 1 && digits[0] == '0'))
      continue;
    const long long i = std::stoll(digits);
    if (i >= from && i < to) found.push_back(i);
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

}  // namespace

bool WriteStreamToIni(std::string_view stream, const std::string& iniPath, const std::string& section,
                      const std::string& prefix) {
  const std::vector<std::string> lines = StreamToHexLines(stream);
  TIniFile ini;
  std::error_code error;
  // A file that exists but cannot be read is never replaced.
  if (!ini.Load(iniPath) && std::filesystem::exists(iniPath, error)) return false;
  // The lines of the old count beyond the new one go; other keys stay.
  const long long newCount = static_cast<long long>(lines.size());
  const long long oldCount = StoredCount(ini, section, prefix);
  for (const long long i : StoredLines(ini, section, prefix, newCount, oldCount))
    ini.DeleteKey(section, LineKey(prefix, i));
  if (lines.empty()) {
    ini.DeleteKey(section, CountKey(prefix));
  } else {
    ini.WriteString(section, CountKey(prefix), std::to_string(lines.size()));
    for (long long i = 0; i < newCount; ++i)
      ini.WriteString(section, LineKey(prefix, i), lines[static_cast<size_t>(i)]);
  }
  return ini.Save(iniPath);
}

std::string ReadStreamFromIni(const std::string& iniPath, const std::string& section, const std::string& prefix) {
  TIniFile ini;
  if (!ini.Load(iniPath)) return {};
  // Up to the count; a missing line reads as an empty one, which adds no
  // bytes, so only the lines that exist are read.
  std::vector<std::string> lines;
  for (const long long i : StoredLines(ini, section, prefix, 0, StoredCount(ini, section, prefix)))
    lines.push_back(ini.ReadString(section, LineKey(prefix, i)).value_or(""));
  return HexLinesToStream(lines);
}

bool TFileExtComponent::SaveToIni(const std::string& iniPath, const std::string& section,
                                  const std::string& prefix) const {
  return WriteStreamToIni(WriteComponent(*this), iniPath, section, prefix);
}

void TFileExtComponent::LoadFromIni(const std::string& iniPath, const std::string& section,
                                    const std::string& prefix) {
  const std::string stream = ReadStreamFromIni(iniPath, section, prefix);
  if (!stream.empty()) ReadComponent(stream, *this);
}

}  // namespace nura
