// The string commands: measuring, cutting, searching, replacing,
// converting and classifying Shift-JIS text, the encoding commands and the
// regular-expression commands. Registered by dispatch id.
#pragma once

namespace nura {

// All of the families below.
void RegisterStringCommands();

// Length, cut, search, replace, tags, paragraphs, splitting and folding.
void RegisterTextCutCommands();
// Width, kana and case conversion, character classes and codes, encodings.
void RegisterTextConvertCommands();
// "正規表現マッチ", "正規表現区切る", "正規表現置換", "正規表現入換".
void RegisterRegexpCommands();

}  // namespace nura
