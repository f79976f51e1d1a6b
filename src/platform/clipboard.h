// The clipboard's text, in Shift-JIS, and its picture. With a GUI
// application it is the system clipboard; without one (unit tests, tools)
// a text and a picture kept in the process stand in for it.
#pragma once

#include <QImage>
#include <string>

namespace nura {

std::string GetClipboardText();
void SetClipboardText(const std::string& sjis);
// The picture on the clipboard; a null image when it holds none.
QImage GetClipboardImage();
void SetClipboardImage(const QImage& image);

}  // namespace nura
