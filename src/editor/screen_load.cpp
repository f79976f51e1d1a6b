// Loading a file into the screen rows.
#include <cstdio>
#include <memory>

#include "editor/screen_strings.h"
#include "platform/sjis.h"

namespace nura {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

void TEditorScreenStrings::LoadFromFile(const std::string& nativePath) {
  Clear();
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(nativePath.c_str(), "rb"));
  if (!file) throw ERuntimeError(SJ("ファイル ") + nativePath + SJ(" を開けません"));
  Detached([&] {
    InUpdateLoad(file.get());
    if (std::ferror(file.get())) {  // a folder, or a failing device: no partial text
      TEditorStringList::Clear();
      throw ERuntimeError(SJ("ファイル ") + nativePath + SJ(" を読み込めません"));
    }
    if (wordWrap_) RewrapAll();
    InitParseStates();
  });
  RefreshEditors();
}

// One pass over the file in blocks of 8 KB: CR LF, LF and a lone CR end a
// line (also a CR at the end of one block with the LF at the start of the
// next); a byte 26 (Ctrl-Z) ends the text; a last line without a break is
// the end-of-file row.
void TEditorScreenStrings::InUpdateLoad(std::FILE* file) {
  BeginUpdate();
  char block[8192];
  std::string line;
  bool pendingCR = false, ended = false, open = false;
  auto endLine = [&] {
    TheStringItem item;
    item.text = std::move(line);
    item.attrA = 0;
    items_.push_back(std::move(item));
    line.clear();
    open = false;
  };
  try {
    while (!ended) {
      const size_t n = std::fread(block, 1, sizeof block, file);
      if (n == 0) break;
      for (size_t i = 0; i < n && !ended;) {
        const char c = block[i];
        if (pendingCR) {
          pendingCR = false;
          if (c == '\n') {
            ++i;
            continue;
          }
        }
        if (c == 26) {
          ended = true;
        } else if (c == '\r' || c == '\n') {
          endLine();
          pendingCR = c == '\r';
          ++i;
        } else {
          // The run of ordinary bytes up to the next break or Ctrl-Z.
          size_t end = i + 1;
          while (end < n && block[end] != '\r' && block[end] != '\n' && block[end] != 26) ++end;
          line.append(block + i, end - i);
          open = true;
          i = end;
        }
      }
    }
    if (open) {
      endLine();
      SetRowKind(GetCount() - 1, kRowEndOfFile);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace nura
