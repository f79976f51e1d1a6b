// The conversational commands: "言う" shows a message, "尋ねる" asks for a
// line of text, "どれか尋ねる" and "リストから選択" offer a list of choices,
// "メモ記入" lets the user edit a longer text. The answer goes into "それ".
#pragma once

#include <string>
#include <vector>

namespace nura {

void RegisterDialogCommands();

// The list items of a choices text: "|", full-width "｜" and line ends
// separate items; a final line end adds no empty item.
std::vector<std::string> SplitChoices(const std::string& text);

}  // namespace nura
