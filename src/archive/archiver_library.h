// The archiver libraries and their entry tables. A library is an
// in-process backend registered under the file name that the format
// wrappers load ("UNLHA32.DLL" ...); its exports are named by a prefix and
// the operation ("UnlhaOpenArchive"), the command export by the prefix
// alone. A library that is not built cannot be loaded: the wrapper then
// reports that the format needs it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archiver_options.h"

namespace nura {

// The owner window that the callers hand to a library (opaque here).
using TWindowHandle = void*;
// A listing handle; 0 is none.
using TArchiveHandle = uintptr_t;

class TArchiverLibrary {
 public:
  virtual ~TArchiverLibrary() = default;
  // True when the library has the export of that full name.
  virtual bool HasExport(std::string_view name) const = 0;

  // The command export: runs the LHA-style command line; messages go to
  // `output` (at most size - 1 bytes; none when size is 0).
  virtual int Command(TWindowHandle window, const std::string& line, std::string& output,
                      size_t size) = 0;
  virtual bool CheckArchive(const std::string& name, int mode) = 0;
  virtual TArchiveHandle OpenArchive(TWindowHandle window, const std::string& name, int mode) = 0;
  virtual int CloseArchive(TArchiveHandle handle) = 0;
  // 0 found, -1 end (or an error code).
  virtual int FindFirst(TArchiveHandle handle, const std::string& wildcard,
                        TIndividualInfo& info) = 0;
  virtual int FindNext(TArchiveHandle handle, TIndividualInfo& info) = 0;
  // Extracts the one member that the line names into `buffer` (at most
  // `size` bytes).
  virtual int ExtractMem(TWindowHandle window, const std::string& line, std::string& buffer,
                         size_t size, std::string& output) = 0;
  // Registers the progress receiver of an operation; KillOwnerWindowEx
  // forgets it.
  virtual bool SetOwnerWindowEx(TArchiverProgressSink* sink) = 0;
  virtual bool KillOwnerWindowEx(TArchiverProgressSink* sink) = 0;
  // Times (FILETIME) and sizes of the member that the listing stands on.
  virtual bool GetWriteTimeEx(TArchiveHandle handle, uint64_t& time) = 0;
  virtual bool GetCreateTimeEx(TArchiveHandle handle, uint64_t& time) = 0;
  virtual bool GetAccessTimeEx(TArchiveHandle handle, uint64_t& time) = 0;
  virtual bool GetOriginalSizeEx(TArchiveHandle handle, uint64_t& size) = 0;
  virtual bool GetCompressedSizeEx(TArchiveHandle handle, uint64_t& size) = 0;
  // The tar library's type code of an archive: 1 tar, 2-5 compressed tar,
  // 6-7 bzip2 tar, 0 other.
  virtual int GetArchiveType(const std::string& name) = 0;
};

using TArchiverLibraryFactory = std::function<std::unique_ptr<TArchiverLibrary>()>;

// Adds a library under a file name (letter case ignored); a later
// registration replaces an earlier one that was not loaded yet.
void RegisterArchiverLibrary(const std::string& fileName, TArchiverLibraryFactory factory);
// The library of that file name, created on first use; nullptr when none
// is registered.
TArchiverLibrary* LoadArchiverLibrary(const std::string& fileName);

// The entry table of one library (or of several, TZipDll). Each call looks
// its export up; a missing required one raises EEntryNotFound, a missing
// optional one (times, sizes, archive type) answers 0.
class TCustomArchiverDll {
 public:
  virtual ~TCustomArchiverDll() = default;
  virtual void Load() = 0;
  virtual void Unload() = 0;

  int Command(TWindowHandle window, const std::string& line, std::string& output, size_t size);
  bool CheckArchive(const std::string& name, int mode);
  int CloseArchive(TArchiveHandle handle);
  int ExtractMem(TWindowHandle window, const std::string& line, std::string& buffer, size_t size,
                 std::string& output);
  // The listing, with the record's times and 64-bit sizes completed.
  int FindFirst(TArchiveHandle handle, const std::string& wildcard, TIndividualInfo& info);
  int FindNext(TArchiveHandle handle, TIndividualInfo& info);
  bool KillOwnerWindowEx(TArchiverProgressSink* sink);
  TArchiveHandle OpenArchive(TWindowHandle window, const std::string& name, int mode);
  bool SetOwnerWindowEx(TArchiverProgressSink* sink);
  int GetArchiveType(const std::string& name);

 protected:
  // The library that holds the export of `operation` ("" is the command)
  // and the export's full name; nullptr when no loaded library has it.
  virtual TArchiverLibrary* Resolve(std::string_view operation, std::string& exportName) = 0;
  // Resolve, raising EEntryNotFound when nothing has it.
  TArchiverLibrary& Required(std::string_view operation);
  virtual std::string EntryNotFoundMessage(const std::string& exportName) const = 0;

 private:
  void CompleteRecord(TArchiverLibrary& library, TArchiveHandle handle, TIndividualInfo& info);
};

// One library by description, file name and export prefix.
class TArchiverDll : public TCustomArchiverDll {
 public:
  TArchiverDll(std::string description, std::string fileName, std::string prefix)
      : description_(std::move(description)),
        fileName_(std::move(fileName)),
        prefix_(std::move(prefix)) {}
  // ENoArchiverDLL "<description> を扱うには <file> が 必要です。" when the
  // library is not there.
  void Load() override;
  void Unload() override { library_ = nullptr; }
  const std::string& FileName() const { return fileName_; }

 protected:
  TArchiverLibrary* Resolve(std::string_view operation, std::string& exportName) override;
  std::string EntryNotFoundMessage(const std::string& exportName) const override;

 private:
  std::string description_, fileName_, prefix_;
  TArchiverLibrary* library_ = nullptr;
};

}  // namespace nura
