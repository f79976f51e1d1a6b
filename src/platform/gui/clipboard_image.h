// The clipboard's picture, for the subsystems that draw (Qt types). With a
// GUI application it is the system clipboard; without one a picture kept
// in the process stands in for it.
#pragma once

#include <QImage>

namespace nura {

// The picture on the clipboard; a null image when it holds none.
QImage GetClipboardImage();
void SetClipboardImage(const QImage& image);

}  // namespace nura
