#include "archive/archiver_library.h"

#include <map>
#include <utility>

#include "platform/sjis.h"

namespace nura {

// The backends built into the program (archive_backends.cpp).
std::vector<std::pair<std::string, TArchiverLibraryFactory>> BuiltinArchiverLibraries();

namespace {

struct TLibrarySlot {
  TArchiverLibraryFactory factory;
  std::unique_ptr<TArchiverLibrary> instance;
};

std::string UpperName(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

void AddLibrary(std::map<std::string, TLibrarySlot>& libraries, const std::string& fileName,
                TArchiverLibraryFactory factory) {
  TLibrarySlot& slot = libraries[UpperName(fileName)];
  if (!slot.instance) slot.factory = std::move(factory);
}

std::map<std::string, TLibrarySlot>& Libraries() {
  static std::map<std::string, TLibrarySlot> libraries = [] {
    std::map<std::string, TLibrarySlot> builtins;
    for (auto& [name, factory] : BuiltinArchiverLibraries())
      AddLibrary(builtins, name, std::move(factory));
    return builtins;
  }();
  return libraries;
}

}  // namespace

void RegisterArchiverLibrary(const std::string& fileName, TArchiverLibraryFactory factory) {
  AddLibrary(Libraries(), fileName, std::move(factory));
}

TArchiverLibrary* LoadArchiverLibrary(const std::string& fileName) {
  auto& libraries = Libraries();
  auto it = libraries.find(UpperName(fileName));
  if (it == libraries.end() || !it->second.factory) return nullptr;
  if (!it->second.instance) it->second.instance = it->second.factory();
  return it->second.instance.get();
}

// ---- TCustomArchiverDll ----

TArchiverLibrary& TCustomArchiverDll::Required(std::string_view operation) {
  std::string name;
  TArchiverLibrary* library = Resolve(operation, name);
  if (!library) throw EEntryNotFound(EntryNotFoundMessage(name));
  return *library;
}

int TCustomArchiverDll::Command(TWindowHandle window, const std::string& line, std::string& output,
                                size_t size) {
  return Required("").Command(window, line, output, size);
}

bool TCustomArchiverDll::CheckArchive(const std::string& name, int mode) {
  return Required("CheckArchive").CheckArchive(name, mode);
}

int TCustomArchiverDll::CloseArchive(TArchiveHandle handle) {
  return Required("CloseArchive").CloseArchive(handle);
}

int TCustomArchiverDll::ExtractMem(TWindowHandle window, const std::string& line,
                                   std::string& buffer, size_t size, std::string& output) {
  return Required("ExtractMem").ExtractMem(window, line, buffer, size, output);
}

void TCustomArchiverDll::CompleteRecord(TArchiverLibrary& library, TArchiveHandle handle,
                                        TIndividualInfo& info) {
  // The record is packed: its fields are read and written by value.
  auto ask = [&](const char* op, bool (TArchiverLibrary::*get)(TArchiveHandle, uint64_t&),
                 uint64_t fallback) {
    std::string name;
    uint64_t value = 0;
    return Resolve(op, name) == &library && (library.*get)(handle, value) ? value : fallback;
  };
  const uint64_t dosTime = UnixTimeToFileTime(DosDateTimeToUnixTime(info.wDate, info.wTime));
  info.ftLastWriteTime = ask("GetWriteTimeEx", &TArchiverLibrary::GetWriteTimeEx, dosTime);
  info.ftLastAccessTime = ask("GetAccessTimeEx", &TArchiverLibrary::GetAccessTimeEx, dosTime);
  info.ftCreationTime = ask("GetCreateTimeEx", &TArchiverLibrary::GetCreateTimeEx, dosTime);
  info.llOriginalSize =
      ask("GetOriginalSizeEx", &TArchiverLibrary::GetOriginalSizeEx, info.dwOriginalSize);
  info.llCompressedSize =
      ask("GetCompressedSizeEx", &TArchiverLibrary::GetCompressedSizeEx, info.dwCompressedSize);
}

int TCustomArchiverDll::FindFirst(TArchiveHandle handle, const std::string& wildcard,
                                  TIndividualInfo& info) {
  TArchiverLibrary& library = Required("FindFirst");
  const int result = library.FindFirst(handle, wildcard, info);
  if (result == 0) CompleteRecord(library, handle, info);
  return result;
}

int TCustomArchiverDll::FindNext(TArchiveHandle handle, TIndividualInfo& info) {
  TArchiverLibrary& library = Required("FindNext");
  const int result = library.FindNext(handle, info);
  if (result == 0) CompleteRecord(library, handle, info);
  return result;
}

bool TCustomArchiverDll::KillOwnerWindowEx(TArchiverProgressSink* sink) {
  return Required("KillOwnerWindowEx").KillOwnerWindowEx(sink);
}

TArchiveHandle TCustomArchiverDll::OpenArchive(TWindowHandle window, const std::string& name,
                                               int mode) {
  return Required("OpenArchive").OpenArchive(window, name, mode);
}

bool TCustomArchiverDll::SetOwnerWindowEx(TArchiverProgressSink* sink) {
  return Required("SetOwnerWindowEx").SetOwnerWindowEx(sink);
}

int TCustomArchiverDll::GetArchiveType(const std::string& name) {
  std::string exportName;
  TArchiverLibrary* library = Resolve("GetArchiveType", exportName);
  return library ? library->GetArchiveType(name) : 0;
}

// ---- TArchiverDll ----

void TArchiverDll::Load() {
  if (library_) return;
  library_ = LoadArchiverLibrary(fileName_);
  if (!library_)
    throw ENoArchiverDLL(description_ + SJ(" を扱うには ") + fileName_ + SJ(" が 必要です。"));
}

TArchiverLibrary* TArchiverDll::Resolve(std::string_view operation, std::string& exportName) {
  Load();
  exportName = prefix_ + std::string(operation);
  return library_->HasExport(exportName) ? library_ : nullptr;
}

std::string TArchiverDll::EntryNotFoundMessage(const std::string& exportName) const {
  return fileName_ + SJ(" に ") + exportName + SJ(" のエントリが見つかりません。");
}

}  // namespace nura
