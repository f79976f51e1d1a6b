// The conversational commands: "言う" shows a message, "尋ねる" asks for a
// line of text, "どれか尋ねる" and "リストから選択" offer a list of choices,
// "メモ記入" lets the user edit a longer text; "二択", "三択", the file,
// folder, colour and font choices and "ボタンで選択" ask through the common
// dialogs. The answer goes into "それ".
#pragma once

#include <string>
#include <vector>

#include "engine/dialogs.h"

namespace nura {

void RegisterDialogCommands();

// The list items of a choices text: "|", full-width "｜" and line ends
// separate items; a final line end adds no empty item.
std::vector<std::string> SplitChoices(const std::string& text);

// The file dialogs' filter from a command's argument: a text with "|" is
// the filter itself, else an extension ("txt" or ".txt") gives
// "txt 形式(*.txt)|*.txt|全て(*.*)|*.*".
std::string FileDialogFilter(const std::string& argument);
// The default extension of a filter: its first pattern without "*" and
// "."; empty when that pattern still holds a wildcard.
std::string DefaultExtensionOf(const std::string& filter);
// "name", then "|" and the style words 太字, 傾斜, 下線 when any is set,
// then "|" and the size ("||" before it without styles).
std::string FontChoiceText(const TFontChoice& font);
// The choices of "ボタンで選択": lines, or separated by the two characters
// "\n"; each trimmed.
std::vector<std::string> SplitButtonChoices(const std::string& text);

}  // namespace nura
