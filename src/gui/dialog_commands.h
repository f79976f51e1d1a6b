// The conversational commands: "言う" shows a message, "尋ねる" asks for a
// line of text. The answer goes into "それ".
#pragma once

namespace nura {
void RegisterDialogCommands();
}
