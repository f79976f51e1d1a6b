// The shared-memory commands (共有保存, 共有読込) and the enciphered data
// files (暗号化して保存, 暗号解除して読込).
#pragma once

#include <optional>
#include <string>

namespace nura {

// The content of an enciphered data file for `text`: the 32-bit length and
// the bytes, enciphered with a fresh cipher under the file key; an empty
// text gives an empty file.
std::string EncipherDataFile(const std::string& text);
// The text of an enciphered data file; nothing when the content is damaged
// (too short, or a length beyond the bytes that follow). An empty file is
// an empty text.
std::optional<std::string> DecipherDataFile(const std::string& content);

void RegisterStreamCommands();

}  // namespace nura
