// What the libraries built into the program share: the progress receiver
// of the running operation, the listing record of a member, and no
// creation or access times and no compressed sizes.
#pragma once

#include <algorithm>

#include "archive/archive_io.h"
#include "archive/archiver_library.h"
#include "platform/sjis.h"

namespace nura {

class TBackendLibrary : public TArchiverLibrary {
 public:
  bool SetOwnerWindowEx(TArchiverProgressSink* sink) override {
    sink_ = sink;
    return true;
  }
  bool KillOwnerWindowEx(TArchiverProgressSink* sink) override {
    if (sink_ == sink) sink_ = nullptr;
    return true;
  }
  bool GetCreateTimeEx(TArchiveHandle, uint64_t&) override { return false; }
  bool GetAccessTimeEx(TArchiveHandle, uint64_t&) override { return false; }
  bool GetCompressedSizeEx(TArchiveHandle, uint64_t&) override { return false; }

 protected:
  static void FillRecord(const TMember& m, TIndividualInfo& info) {
    info = TIndividualInfo{};
    info.dwOriginalSize = static_cast<uint32_t>(std::min<uint64_t>(m.size, 0xFFFFFFFFu));
    UnixTimeToDosDateTime(m.mtime, info.wDate, info.wTime);
    CopyNameField(info.szFileName, sizeof info.szFileName, Utf8ToSjis(m.name));
    CopyNameField(info.szAttribute, sizeof info.szAttribute, m.folder ? "d----" : "--a--");
  }

  TArchiverProgressSink* sink_ = nullptr;
};

}  // namespace nura
