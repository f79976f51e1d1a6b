// The clipboard's text, in Shift-JIS. With a GUI application it is the
// system clipboard; without one (unit tests, tools) a text kept in the
// process stands in for it.
#pragma once

#include <string>

namespace nura {

std::string GetClipboardText();
void SetClipboardText(const std::string& sjis);

}  // namespace nura
