// The archive commands "圧縮", "解凍" and "自己解凍書庫作成", and the
// reading of their switch variables.
#pragma once

#include <string>

namespace nura {

class TArchiveFile;

// Sets the numeric switches of the component's options from a text in
// the LHA notation ("-a1 -r2 ..."); unknown names and pieces without a
// final digit are ignored.
void ParseArchiverOptions(TArchiveFile& archive, const std::string& text);

void RegisterArchiveCommands();

}  // namespace nura
