#include "archive/archivers.h"

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "archive/pack_file_list.h"
#include "support/file_command_support.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

// ---- TArchiver: the operations a format does not have ----

TArchiveHandle TArchiver::OpenArchive(TWindowHandle, const std::string&, int) { return 0; }
int TArchiver::FindFirst(TArchiveHandle, const std::string&, TIndividualInfo&) { return -1; }
int TArchiver::FindNext(TArchiveHandle, TIndividualInfo&) { return -1; }
int TArchiver::CloseArchive(TArchiveHandle) { return 0; }

int TArchiver::Pack(TWindowHandle, const std::string&, TArcOutput&, bool,
                    const std::vector<std::string>&, const std::string&, const TArchiverOptions&) {
  throw EArchiver(SJ("この形式では書庫ファイルの作成をサポートしておりません。"));
}

int TArchiver::Delete(TWindowHandle, const std::string&, TArcOutput&, bool,
                      const std::vector<std::string>&, const TArchiverOptions&) {
  throw EArchiver(SJ("この形式の書庫ではファイルの削除をサポートしておりません。"));
}

int TArchiver::Update(TWindowHandle, const std::string&, TArcOutput&, bool,
                      const std::vector<std::string>&, const std::string&, const TArchiverOptions&) {
  throw EArchiver(SJ("この形式の書庫では書庫の更新をサポートしておりません。"));
}

int TArchiver::MakeSfx(TWindowHandle, const std::string&, TArcOutput&, const std::string&,
                       const TArchiverOptions&) {
  throw EArchiver(SJ("この形式では自己解凍書庫の作成をサポートしておりません。"));
}

int TArchiver::ExtractMem(TWindowHandle, const std::string&, std::string&, size_t,
                          const std::string&, const TArchiverOptions&) {
  throw EArchiver(SJ("この形式ではメモリへの展開をサポートしておりません。"));
}

bool TArchiver::CheckArchive(const std::string&, int) {
  throw EArchiver(SJ("この形式では書庫チェック機能をサポートしておりません。"));
}

int TArchiver::SetOwnerWindow(TArchiverProgressSink* window, int) {
  owner_ = window;
  return 0;
}

int TArchiver::KillOwnerWindow(TArchiverProgressSink*) {
  owner_ = nullptr;
  return 0;
}

void TArchiver::AddArchiveAndBase(TCmdOpt& cmd, const std::string& archive,
                                  const std::string& folder) {
  cmd.StrOpt("", archive);
  cmd.PathOpt("", folder);
}

void TArchiver::AddFiles(TCmdOpt& cmd, const TArchiverOptions& options, bool useResponseFile,
                         const std::vector<std::string>& patterns) {
  if (useResponseFile && !options.ResFileName.empty()) {
    if (cmd.AddResponseFile(patterns, options.ResFileName) < 0)
      throw EArchiver(SJ("レスポンスファイル\"") + options.ResFileName + SJ("\"を書き込めません。"));
  } else {
    cmd.AddFileList("", patterns);
  }
  if (!options.UserFileList.empty()) cmd.Add(options.UserFileList);
}

namespace {

// ---- pieces the wrappers share ----

// The library object of a format unit, made on first load.
template <class Dll>
struct TDllSlot {
  std::unique_ptr<Dll> dll;
  template <class... Args>
  Dll& Load(Args&&... args) {
    if (!dll) dll = std::make_unique<Dll>(std::forward<Args>(args)...);
    dll->Load();
    return *dll;
  }
};

void AddUserOptions(TCmdOpt& cmd, const TArchiverOptions& o) {
  if (!o.UserOptions.empty()) cmd.Add(o.UserOptions);
}

// A file on the program search path (PATH); empty when absent.
std::string FindOnSearchPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "";
  size_t start = 0;
  while (start <= list.size()) {
    const size_t colon = list.find(':', start);
    const std::string dir = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty()) {
      std::error_code ec;
      const fs::path candidate = fs::path(dir) / name;
      if (fs::is_regular_file(candidate, ec)) return candidate.string();
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return "";
}

// The self-extracting program: the stub followed by the archive's bytes,
// named like the archive with `ext`, in `folder` when one is given.
std::string WriteStubProgram(const std::string& stubNative, const std::string& archive,
                             const std::string& folder, const std::string& ext) {
  std::string program = ChangeExtension(archive, ext);
  if (!folder.empty()) program = JoinPathName(folder, ExtractNamePart(program));
  std::string stub, data;
  const fs::path native = ScriptPathToNative(program);
  std::error_code ec;
  if (native.has_parent_path()) fs::create_directories(native.parent_path(), ec);
  if (!ReadNativeFile(stubNative, stub) || !ReadNativeFile(ScriptPathToNative(archive), data) ||
      !WriteFileAtomically(native.string(), stub + data))
    throw EArchiver(SJ("自己解凍書庫\"") + program + SJ("\"を作成できません。"));
  return program;
}

// Listing, check and owner window through the format's library.
class TDllArchiver : public TArchiver {
 public:
  TArchiveHandle OpenArchive(TWindowHandle window, const std::string& archive, int mode) override {
    return Dll().OpenArchive(window, archive, mode);
  }
  int FindFirst(TArchiveHandle h, const std::string& wildcard, TIndividualInfo& info) override {
    return Dll().FindFirst(h, wildcard, info);
  }
  int FindNext(TArchiveHandle h, TIndividualInfo& info) override { return Dll().FindNext(h, info); }
  int CloseArchive(TArchiveHandle h) override { return Dll().CloseArchive(h); }
  bool CheckArchive(const std::string& archive, int mode) override {
    return Dll().CheckArchive(archive, mode);
  }
  int SetOwnerWindow(TArchiverProgressSink* window, int flags) override {
    TArchiver::SetOwnerWindow(window, flags);
    return Dll().SetOwnerWindowEx(window) ? 0 : -1;
  }
  int KillOwnerWindow(TArchiverProgressSink* window) override {
    TArchiver::KillOwnerWindow(window);
    return Dll().KillOwnerWindowEx(window) ? 0 : -1;
  }

 protected:
  void LoadDLL() override { Dll(); }
  virtual TCustomArchiverDll& Dll() = 0;
};

// ---- LHA ----

class TLha32 : public TDllArchiver {
 public:

  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    return Run(Dll(), window, "x", true, archive, folder, useResponse, patterns, o, output);
  }
  int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
           const std::vector<std::string>& patterns, const std::string& base,
           const TArchiverOptions& o) override {
    return Run(LhaDll(), window, "u", false, archive, base, useResponse, patterns, o, output);
  }
  int Delete(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
             const std::vector<std::string>& patterns, const TArchiverOptions& o) override {
    return Run(LhaDll(), window, "d", false, archive, "", useResponse, patterns, o, output);
  }
  int Update(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
             const std::vector<std::string>& patterns, const std::string& base,
             const TArchiverOptions& o) override {
    return Run(LhaDll(), window, "f", false, archive, base, useResponse, patterns, o, output);
  }
  int MakeSfx(TWindowHandle window, const std::string& archive, TArcOutput& output,
              const std::string& folder, const TArchiverOptions& o) override {
    return Run(LhaDll(), window, "s", false, archive, folder, false, {}, o, output);
  }
  int ExtractMem(TWindowHandle window, const std::string& archive, std::string& buffer, size_t size,
                 const std::string& entry, const TArchiverOptions& o) override {
    const std::string line = BuildLine("", false, archive, "", false, {entry}, o);
    lastCommandLine_ = line;
    std::string messages;
    return LhaDll().ExtractMem(window, line, buffer, size, messages);
  }
  bool CheckArchive(const std::string& archive, int mode) override {
    TCustomArchiverDll& dll = Dll();
    if (!dll.CheckArchive(archive, mode)) return false;
    // A trial open and close, as the listing would do it.
    const TArchiveHandle h = dll.OpenArchive(nullptr, archive, mode);
    if (h == 0) return false;
    dll.CloseArchive(h);
    return true;
  }

  // The LHA command line (the format's pattern, see the wrappers' notes).
  std::string BuildLine(const std::string& letter, bool extract, const std::string& archive,
                        const std::string& folder, bool useResponse,
                        const std::vector<std::string>& patterns, const TArchiverOptions& o) const {
    if (extract && o.jse < 0) throw EAssertionFailed(SJ("jse オプションが設定されていません。"));
    if (o.jso < 0) throw EAssertionFailed(SJ("jso オプションが設定されていません。"));
    TCmdOpt cmd(letter);
    cmd.Add("-+");
    const std::pair<const char*, Shortint> head[] = {{"a", o.a}, {"c", o.c}, {"e", o.e}, {"f", o.f},
                                                     {"h", o.h}, {"i", o.i}, {"l", o.l}, {"m", o.m}};
    for (const auto& [name, value] : head) cmd.NumOpt(name, value);
    cmd.NumOpt("n", OwnerRegistered() ? 1 : o.n);
    const std::pair<const char*, Shortint> middle[] = {{"o", o.o}, {"p", o.p}, {"r", o.r},
                                                       {"s", o.s}, {"t", o.t}, {"u", o.u}};
    for (const auto& [name, value] : middle) cmd.NumOpt(name, value);
    cmd.PathOpt("w", o.w);
    const std::pair<const char*, Shortint> xs[] = {{"x", o.x},   {"y", o.y},   {"z", o.z},
                                                   {"jc", o.jc}, {"jd", o.jd}, {"je", o.je},
                                                   {"jf", o.jf}, {"jh", o.jh}, {"ji", o.ji},
                                                   {"jm", o.jm}, {"jn", o.jn}};
    for (const auto& [name, value] : xs) cmd.NumOpt(name, value);
    cmd.StrOpt("jo", o.jo);
    cmd.StrOpt("job", o.job);
    const std::pair<const char*, Shortint> js[] = {
        {"jp", o.jp},   {"jr", o.jr},   {"jsb", o.jsb}, {"jsc", o.jsc}, {"jsd", o.jsd},
        {"jse", o.jse}, {"jsf", o.jsf}, {"jsl", o.jsl}, {"jso", o.jso}, {"jss", o.jss},
        {"jst", o.jst}, {"jsv", o.jsv}, {"jsz", o.jsz}, {"jw", o.jw}};
    for (const auto& [name, value] : js) cmd.NumOpt(name, value);
    for (const std::string& name : o.jx) cmd.StrOpt("jx", name);
    const std::pair<const char*, Shortint> jy[] = {{"jyc", o.jyc}, {"jyd", o.jyd}, {"jyk", o.jyk},
                                                   {"jyn", o.jyn}, {"jyo", o.jyo}};
    for (const auto& [name, value] : jy) cmd.NumOpt(name, value);
    cmd.StrOpt("jz", o.jz);
    const std::pair<const char*, Shortint> gs[] = {{"ga", o.ga}, {"gd", o.gd}, {"ge", o.ge},
                                                   {"gf", o.gf}, {"gj", o.gj}, {"gm", o.gm},
                                                   {"gn", o.gn}, {"go", o.go}, {"gp", o.gp}};
    for (const auto& [name, value] : gs) cmd.NumOpt(name, value);
    cmd.StrOpt("gr", o.gr);
    const std::pair<const char*, Shortint> tail[] = {{"gs", o.gs}, {"gu", o.gu}, {"gw", o.gw}};
    for (const auto& [name, value] : tail) cmd.NumOpt(name, value);
    AddUserOptions(cmd, o);
    AddArchiveAndBase(cmd, archive, folder);
    AddFiles(cmd, o, useResponse, patterns);
    return cmd.Text();
  }

 protected:
  // The library of listing, extraction and checks (ARJ has its own).
  TCustomArchiverDll& Dll() override { return LhaDll(); }
  static TCustomArchiverDll& LhaDll() {
    static TDllSlot<TArchiverDll> slot;
    return slot.Load(SJ("LHA 形式書庫"), "UNLHA32.DLL", "Unlha");
  }

  int Run(TCustomArchiverDll& dll, TWindowHandle window, const std::string& letter, bool extract,
          const std::string& archive, const std::string& folder, bool useResponse,
          const std::vector<std::string>& patterns, const TArchiverOptions& o, TArcOutput& output) {
    lastCommandLine_ = BuildLine(letter, extract, archive, folder, useResponse, patterns, o);
    return dll.Command(window, lastCommandLine_, output.text, output.size);
  }
};

// ARJ: listing, extraction, check and owner window through its own
// library, the `arj` program; packing and the rest are LHA's.
class TArj32 : public TLha32 {
 protected:
  TCustomArchiverDll& Dll() override {
    static TDllSlot<TArchiverDll> slot;
    return slot.Load(SJ("ARJ 形式書庫"), "arj", "Unarj");
  }
};

// ---- ZIP: three libraries behind one entry table ----

class TZipDll : public TCustomArchiverDll {
 public:
  void Load() override {
    unzip_ = LoadArchiverLibrary("UNZIP32.DLL");
    zip_ = LoadArchiverLibrary("ZIP32J.DLL");
    lmzip_ = LoadArchiverLibrary("LMZIP32.DLL");
  }
  void Unload() override { unzip_ = zip_ = lmzip_ = nullptr; }
  bool CanUnpack() const { return unzip_ || lmzip_; }
  bool CanPack() const { return zip_ || lmzip_; }
  bool HasZip32j() const { return zip_ != nullptr; }

  // The pack command "Zip".
  int PackCommand(TWindowHandle window, const std::string& line, std::string& output, size_t size) {
    std::string name;
    TArchiverLibrary* library = Lookup("Zip", {zip_, lmzip_}, name);
    if (!library) throw EEntryNotFound(EntryNotFoundMessage("Zip"));
    return library->Command(window, line, output, size);
  }

 protected:
  TArchiverLibrary* Resolve(std::string_view operation, std::string& exportName) override {
    const std::string name = "UnZip" + std::string(operation);
    if (operation.empty() || operation == "CheckArchive" || operation == "ExtractMem")
      return Lookup(name, {unzip_, lmzip_, zip_}, exportName);
    if (operation == "SetOwnerWindowEx" || operation == "KillOwnerWindowEx")
      return Lookup(name, {unzip_}, exportName);
    return Lookup(name, {lmzip_, zip_, unzip_}, exportName);
  }
  std::string EntryNotFoundMessage(const std::string& exportName) const override {
    return exportName + SJ(" のエントリが DLL に見つかりませんでした。");
  }

 private:
  TArchiverLibrary* Lookup(const std::string& name, std::initializer_list<TArchiverLibrary*> order,
                           std::string& exportName) {
    exportName = name;
    for (TArchiverLibrary* library : order) {
      if (!library) continue;
      std::string inLibrary = name;
      // That library spells the "Z" of its export names in lower case.
      if (library == lmzip_ && inLibrary.size() > 2 && inLibrary[2] == 'Z') inLibrary[2] = 'z';
      if (library->HasExport(inLibrary)) return library;
    }
    return nullptr;
  }

  TArchiverLibrary* unzip_ = nullptr;
  TArchiverLibrary* zip_ = nullptr;
  TArchiverLibrary* lmzip_ = nullptr;
};

// ZIP member names: a leading "-" as "[-]", "\" as "/", "[" as "[[]".
std::string ZipName(const std::string& name) {
  std::string out;
  size_t i = 0;
  if (!name.empty() && name[0] == '-') {
    out = "[-]";
    i = 1;
  }
  for (; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsSjisLead(c) && i + 1 < name.size()) {
      out += name.substr(i++, 2);
    } else if (c == '\\') {
      out += '/';
    } else if (c == '[') {
      out += "[[]";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

class TZip32 : public TDllArchiver {
 public:

  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    TZipDll& dll = Dll();
    if (!dll.CanUnpack())
      throw EArchiver(SJ("ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。"));
    TCmdOpt cmd("-x");
    cmd.SetTransform(ZipName);
    cmd.FlagOpt("o", o.c == 1);
    cmd.FlagOpt("-i", o.n > 0 || OwnerRegistered());
    cmd.FlagOpt("j", o.x == 0);
    Finish(cmd, o, archive, folder, useResponse, patterns);
    return dll.Command(window, lastCommandLine_, output.text, output.size);
  }
  int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
           const std::vector<std::string>& patterns, const std::string& base,
           const TArchiverOptions& o) override {
    return PackFamily("", window, archive, output, useResponse, patterns, base, o);
  }
  int Delete(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
             const std::vector<std::string>& patterns, const TArchiverOptions& o) override {
    return PackFamily("-d", window, archive, output, useResponse, patterns, "", o);
  }
  int Update(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
             const std::vector<std::string>& patterns, const std::string& base,
             const TArchiverOptions& o) override {
    return PackFamily("-f", window, archive, output, useResponse, patterns, base, o);
  }
  int MakeSfx(TWindowHandle window, const std::string& archive, TArcOutput& output,
              const std::string& folder, const TArchiverOptions& o) override {
    if (!Dll().HasZip32j()) throw ESfxNoRequiredFile("zip", "ZIP32J.DLL");
    const bool gui = o.gw > 0;
    const std::string stubName = gui ? "sfx32gui.dat" : "sfx16.dat";
    const std::string stub = FindOnSearchPath(stubName);
    if (stub.empty()) throw ESfxNoRequiredFile("zip", stubName, gui ? "Win32" : "DOS");
    const std::string program = WriteStubProgram(stub, archive, folder, ".EXE");
    lastCommandLine_ = "-A " + program;
    return Dll().PackCommand(window, lastCommandLine_, output.text, output.size);
  }
  int ExtractMem(TWindowHandle window, const std::string& archive, std::string& buffer, size_t size,
                 const std::string& entry, const TArchiverOptions& o) override {
    TCmdOpt cmd;
    cmd.SetTransform(ZipName);
    Finish(cmd, o, archive, "", false, {entry});
    std::string messages;
    return Dll().ExtractMem(window, lastCommandLine_, buffer, size, messages);
  }
  bool CheckArchive(const std::string& archive, int mode) override {
    return Dll().CheckArchive(archive, mode) || Dll().CheckArchive(archive, mode | 1);
  }

 protected:
  TZipDll& Dll() override { return ZipDll(); }

 private:
  static TZipDll& ZipDll() {
    static TDllSlot<TZipDll> slot;
    return slot.Load();
  }

  void Finish(TCmdOpt& cmd, const TArchiverOptions& o, const std::string& archive,
              const std::string& folder, bool useResponse, const std::vector<std::string>& patterns) {
    AddUserOptions(cmd, o);
    AddArchiveAndBase(cmd, archive, folder);
    AddFiles(cmd, o, useResponse, patterns);
    lastCommandLine_ = cmd.Text();
  }

  int PackFamily(const std::string& letter, TWindowHandle window, const std::string& archive,
                 TArcOutput& output, bool useResponse, const std::vector<std::string>& patterns,
                 const std::string& base, const TArchiverOptions& o) {
    TZipDll& dll = Dll();
    if (!dll.CanPack())
      throw EArchiver(SJ("ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。"));
    TCmdOpt cmd(letter);
    cmd.SetTransform(ZipName);
    cmd.FlagOpt("S", o.a > 0);
    cmd.FlagOpt("D", o.a < 2);
    cmd.FlagOpt("v", o.l > 0);
    cmd.FlagOpt("q", o.n > 0);
    cmd.FlagOpt("r", o.r > 0);
    cmd.FlagOpt("o", o.n > 0);
    cmd.FlagOpt("u", o.u > 0);
    cmd.FlagOpt("j", o.x == 0);
    cmd.FlagOpt("FF", o.jc > 0);
    cmd.FlagOpt("k", o.ji > 0);
    if (o.jm >= 0) cmd.Add("-" + std::to_string(o.jm));
    cmd.FlagOpt("J", o.gd > 0);
    Finish(cmd, o, archive, base, useResponse, patterns);
    return dll.PackCommand(window, lastCommandLine_, output.text, output.size);
  }
};

// ---- the formats with one library and a generic line ----

// A format with one library: its command line goes to that library.
class TSingleDllArchiver : public TDllArchiver {
 protected:
  TArchiverDll& Dll() override = 0;

  int Run(TCmdOpt& cmd, TWindowHandle window, TArcOutput& output) {
    lastCommandLine_ = cmd.Text();
    return Dll().Command(window, lastCommandLine_, output.text, output.size);
  }
  // UserOptions, archive, folder, files.
  int Finish(TCmdOpt& cmd, TWindowHandle window, TArcOutput& output, const TArchiverOptions& o,
             const std::string& archive, const std::string& folder, bool useResponse,
             const std::vector<std::string>& patterns) {
    AddUserOptions(cmd, o);
    AddArchiveAndBase(cmd, archive, folder);
    AddFiles(cmd, o, useResponse, patterns);
    return Run(cmd, window, output);
  }
};

template <const char* const* Names>
TArchiverDll& UnitDll() {
  static TDllSlot<TArchiverDll> slot;
  return slot.Load(SJ(Names[0]), Names[1], Names[2]);
}

constexpr const char* kCabNames[] = {"CAB 形式書庫", "CAB32.DLL", "Cab"};
constexpr const char* kTarNames[] = {"tar/tgz/taz/bz2 形式書庫", "TAR32.DLL", "Tar"};
constexpr const char* kRarNames[] = {"RAR 形式書庫", "UNRAR32.DLL", "Unrar"};
constexpr const char* kBgaNames[] = {"BGA 形式書庫", "BGA32.DLL", "Bga"};
constexpr const char* k7zNames[] = {"7z 形式書庫", "7-zip32.dll", "SevenZip"};

class TCab32 : public TSingleDllArchiver {
 public:
  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    return Line("-x", window, output, archive, folder, useResponse, patterns, o);
  }
  int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
           const std::vector<std::string>& patterns, const std::string& base,
           const TArchiverOptions& o) override {
    return Line("-a", window, output, archive, base, useResponse, patterns, o);
  }
  int MakeSfx(TWindowHandle window, const std::string& archive, TArcOutput& output,
              const std::string& folder, const TArchiverOptions& o) override {
    return Line("-f", window, output, archive, folder, false, {}, o);
  }

 protected:
  TArchiverDll& Dll() override { return UnitDll<kCabNames>(); }

 private:
  int Line(const std::string& letter, TWindowHandle window, TArcOutput& output,
           const std::string& archive, const std::string& folder, bool useResponse,
           const std::vector<std::string>& patterns, const TArchiverOptions& o) {
    TCmdOpt cmd(letter);
    cmd.FlagOpt("o", o.c == 1);
    cmd.FlagOpt("i", o.n > 0 || OwnerRegistered());
    cmd.FlagOpt("r", o.r > 0);
    cmd.PathOpt("h", o.w);
    cmd.FlagOpt("j", o.x == 0);
    cmd.FlagOpt("q", o.ji > 0);
    return Finish(cmd, window, output, o, archive, folder, useResponse, patterns);
  }
};

class TTar32 : public TSingleDllArchiver {
 public:
  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    return Line("x", window, output, archive, folder, useResponse, patterns, o);
  }
  int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
           const std::vector<std::string>& patterns, const std::string& base,
           const TArchiverOptions& o) override {
    return Line("c", window, output, archive, base, useResponse, patterns, o);
  }
  int MakeSfx(TWindowHandle, const std::string& archive, TArcOutput&, const std::string& folder,
              const TArchiverOptions&) override {
    RefuseSfx();
    const std::string stub = FindOnSearchPath("kmtarsef.exe");
    if (stub.empty()) throw ESfxNoRequiredFile("tar/tgz", "kmtarsef.exe");
    WriteStubProgram(stub, archive, folder, ".EXE");
    return 0;
  }
  int TarType(const std::string& archive) { return Dll().GetArchiveType(archive); }

 protected:
  TArchiverDll& Dll() override { return UnitDll<kTarNames>(); }
  // The compression switch of the class: none for plain tar.
  virtual void AddCompression(TCmdOpt&, const TArchiverOptions&) const {}
  virtual void RefuseSfx() const {}

 private:
  int Line(const std::string& letter, TWindowHandle window, TArcOutput& output,
           const std::string& archive, const std::string& folder, bool useResponse,
           const std::vector<std::string>& patterns, const TArchiverOptions& o) {
    TCmdOpt cmd(letter);
    cmd.FlagOpt("AH", o.a > 0);
    cmd.FlagOpt("I", o.a == 0);
    cmd.FlagOpt("-display-dialog=0", !OwnerRegistered() && o.n > 0);
    cmd.FlagOpt("g", o.o > 0);
    // The library keeps newer files unless told to replace them, as "-c1"
    // does for the other formats.
    cmd.FlagOpt("-overwrite", letter == "x" && o.c > 0);
    if (o.p >= 0) cmd.Add("--check-all-path=" + std::to_string(o.p));
    if (o.x >= 0) cmd.Add("--use-directory=" + std::to_string(o.x));
    AddCompression(cmd, o);
    AddUserOptions(cmd, o);
    cmd.StrOpt("f", archive);
    cmd.PathOpt("o", folder);
    AddFiles(cmd, o, useResponse, patterns);
    return Run(cmd, window, output);
  }
};

class TTgz32 : public TTar32 {
 protected:
  void AddCompression(TCmdOpt& cmd, const TArchiverOptions& o) const override {
    cmd.Add(o.jm > 0 ? "-z" + std::to_string(o.jm) : "-z");
  }
};

class TBZ232 : public TTar32 {
 protected:
  void AddCompression(TCmdOpt& cmd, const TArchiverOptions& o) const override {
    cmd.Add(o.jm > 0 ? "-B" + std::to_string(o.jm) : "-B");
  }
  void RefuseSfx() const override {
    throw EArchiver(SJ("BZ2 形式書庫は自己解凍形式にできません。"));
  }
};

class TRar32 : public TSingleDllArchiver {
 public:
  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    TCmdOpt cmd(o.x == 0 ? "-e" : "-x");
    cmd.FlagOpt("u", o.c < 1);
    cmd.FlagOpt("y", o.m > 0);
    cmd.FlagOpt("s", o.p > 0);
    return Finish(cmd, window, output, o, archive, folder, useResponse, patterns);
  }
  int ExtractMem(TWindowHandle window, const std::string& archive, std::string& buffer, size_t size,
                 const std::string& entry, const TArchiverOptions& o) override {
    TCmdOpt cmd;
    AddUserOptions(cmd, o);
    AddArchiveAndBase(cmd, archive, "");
    AddFiles(cmd, o, false, {entry});
    lastCommandLine_ = cmd.Text();
    std::string messages;
    return Dll().ExtractMem(window, lastCommandLine_, buffer, size, messages);
  }

 protected:
  TArchiverDll& Dll() override { return UnitDll<kRarNames>(); }
};

class TBGA32 : public TSingleDllArchiver {
 public:
  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    return Line("x", window, output, archive, folder, useResponse, patterns, o);
  }
  int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
           const std::vector<std::string>& patterns, const std::string& base,
           const TArchiverOptions& o) override {
    return Line("a", window, output, archive, base, useResponse, patterns, o);
  }
  int Delete(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
             const std::vector<std::string>& patterns, const TArchiverOptions& o) override {
    return Line("d", window, output, archive, "", useResponse, patterns, o);
  }
  int MakeSfx(TWindowHandle window, const std::string& archive, TArcOutput& output,
              const std::string& folder, const TArchiverOptions& o) override {
    return Line("s", window, output, archive, folder, false, {}, o);
  }

 protected:
  TArchiverDll& Dll() override { return UnitDll<kBgaNames>(); }

 private:
  int Line(const std::string& letter, TWindowHandle window, TArcOutput& output,
           const std::string& archive, const std::string& folder, bool useResponse,
           const std::vector<std::string>& patterns, const TArchiverOptions& o) {
    TCmdOpt cmd(letter);
    cmd.FlagOpt("a", o.a > 0);
    cmd.Add(o.c < 1 ? "-n" : "-o");
    cmd.FlagOpt("i", o.n > 0 || OwnerRegistered());
    cmd.FlagOpt("r", o.r > 0);
    cmd.FlagOpt("j", o.x < 1);
    cmd.NumOpt("l", o.jm);
    return Finish(cmd, window, output, o, archive, folder, useResponse, patterns);
  }
};

class TSevenZip32 : public TSingleDllArchiver {
 public:
  int Extract(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
              const std::vector<std::string>& patterns, const std::string& folder,
              const TArchiverOptions& o) override {
    return Line(o.x == 0 ? "e" : "x", true, window, output, archive, folder, useResponse, patterns, o);
  }
  int Pack(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
           const std::vector<std::string>& patterns, const std::string& base,
           const TArchiverOptions& o) override {
    return Line("u", false, window, output, archive, base, useResponse, patterns, o);
  }
  int Delete(TWindowHandle window, const std::string& archive, TArcOutput& output, bool useResponse,
             const std::vector<std::string>& patterns, const TArchiverOptions& o) override {
    return Line("d", false, window, output, archive, "", useResponse, patterns, o);
  }
  int MakeSfx(TWindowHandle, const std::string& archive, TArcOutput&, const std::string& folder,
              const TArchiverOptions& o) override {
    if (o.gw <= 0) throw EArchiver(SJ("16bit SFX を作成することはできません。"));
    static const char* const kStubs[] = {"7z.sfx", "7zC.sfx", "7zCon.sfx", "7zS.sfx", "7zSD.sfx"};
    const std::string stub = FindOnSearchPath(kStubs[0]);
    if (stub.empty()) throw ESfxNoRequiredFile("7z", kStubs[0]);
    WriteStubProgram(stub, archive, folder, ".exe");
    return 0;
  }

 protected:
  TArchiverDll& Dll() override { return UnitDll<k7zNames>(); }

 private:
  int Line(const std::string& letter, bool extract, TWindowHandle window, TArcOutput& output,
           const std::string& archive, const std::string& folder, bool useResponse,
           const std::vector<std::string>& patterns, const TArchiverOptions& o) {
    TCmdOpt cmd(letter);
    if (extract) {
      if (o.m == 2) cmd.Add("-aou");
      else if (o.jn > 0) cmd.Add("-aos");
      else if (o.c > 0) cmd.Add("-aoa");
    }
    cmd.FlagOpt("hide", o.n > 0);
    if (o.r == 0) cmd.Add("-r-");
    else if (o.r > 1) cmd.Add("-r");
    cmd.PathOpt("w", o.w);
    cmd.FlagOpt("y", o.y > 0);
    for (const std::string& name : o.jx) cmd.StrOpt("x!", name);
    cmd.StrOpt("o", folder);
    AddUserOptions(cmd, o);
    cmd.StrOpt("", archive);
    AddFiles(cmd, o, useResponse, patterns);
    return Run(cmd, window, output);
  }
};

}  // namespace

std::unique_ptr<TArchiver> CreateArchiver(TArchiverType type) {
  std::unique_ptr<TArchiver> archiver;
  switch (type) {
    case TArchiverType::atLha: archiver = std::make_unique<TLha32>(); break;
    case TArchiverType::atZip: archiver = std::make_unique<TZip32>(); break;
    case TArchiverType::atCab: archiver = std::make_unique<TCab32>(); break;
    case TArchiverType::atArj: archiver = std::make_unique<TArj32>(); break;
    case TArchiverType::atTar: archiver = std::make_unique<TTar32>(); break;
    case TArchiverType::atTgz: archiver = std::make_unique<TTgz32>(); break;
    case TArchiverType::atBZ2: archiver = std::make_unique<TBZ232>(); break;
    case TArchiverType::atRar: archiver = std::make_unique<TRar32>(); break;
    case TArchiverType::atBga: archiver = std::make_unique<TBGA32>(); break;
    case TArchiverType::at7z: archiver = std::make_unique<TSevenZip32>(); break;
    default: return nullptr;
  }
  archiver->EnsureDLL();
  return archiver;
}

TArchiverType DetectArchiveTypeByContent(const std::string& archive) {
  const std::string full = NativePathToScript(fs::absolute(ScriptPathToNative(archive)).string());
  static const TArchiverType kOrder[] = {TArchiverType::atLha, TArchiverType::atCab,
                                         TArchiverType::atBga, TArchiverType::atZip,
                                         TArchiverType::atArj, TArchiverType::atRar};
  for (TArchiverType type : kOrder) {
    try {
      if (type == TArchiverType::atBga) {
        std::error_code ec;
        if (!fs::exists(ScriptPathToNative(full), ec)) continue;
      }
      std::unique_ptr<TArchiver> archiver = CreateArchiver(type);
      if (archiver->CheckArchive(full, 0)) return type;
    } catch (const EArchiver&) {
      // A missing library rejects.
    }
  }
  try {
    TTar32 tar;
    tar.EnsureDLL();
    const int code = tar.TarType(full);
    if (code == 1) return TArchiverType::atTar;
    if (code >= 2 && code <= 5) return TArchiverType::atTgz;
    if (code == 6 || code == 7) return TArchiverType::atBZ2;
  } catch (const EArchiver&) {
  }
  return TArchiverType::atNone;
}

}  // namespace nura
