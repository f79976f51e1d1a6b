#include "archive/command_line_reader.h"

#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

std::vector<TCommandPiece> SplitArchiverCommandLine(std::string_view line) {
  std::vector<TCommandPiece> pieces;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (i < line.size()) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size()) break;
    TCommandPiece piece;
    bool inQuotes = false;
    while (i < line.size() && (inQuotes || !blank(line[i]))) {
      if (line[i] == '"') {
        inQuotes = !inQuotes;
        piece.quoted = true;
        ++i;
        continue;
      }
      // The run up to the next quote or blank goes over at once; a
      // two-byte character is taken whole, whatever its second byte.
      const size_t from = i;
      while (i < line.size() && line[i] != '"' && (inQuotes || !blank(line[i]))) {
        i += IsSjisLead(static_cast<unsigned char>(line[i])) && i + 1 < line.size() ? 2 : 1;
      }
      piece.text.append(line.substr(from, i - from));
    }
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

bool ReadResponseFile(const std::string& path, std::vector<std::string>& names) {
  std::string content;
  if (!ReadNativeFile(ScriptPathToNative(path), content)) return false;
  for (TCommandPiece& piece : SplitArchiverCommandLine(content)) names.push_back(std::move(piece.text));
  return true;
}

bool ApplyLhaSwitch(std::string_view piece, TArchiverOptions& options) {
  if (piece.size() >= 2) {
    const char last = piece.back();
    if (last >= '0' && last <= '9') {
      if (Shortint* target = options.FindSwitch(piece.substr(0, piece.size() - 1))) {
        *target = static_cast<Shortint>(last - '0');
        return true;
      }
    }
  }
  auto text = [&](std::string_view name, std::string& field) {
    if (piece.substr(0, name.size()) != name) return false;
    field = std::string(piece.substr(name.size()));
    return true;
  };
  if (piece.substr(0, 2) == "jx") {
    options.jx.push_back(std::string(piece.substr(2)));
    return true;
  }
  return text("job", options.job) || text("jo", options.jo) || text("jz", options.jz) ||
         text("gr", options.gr) || text("w", options.w);
}

}  // namespace nura
