// Drawing refresh, printing the main window or a picture, window capture
// into a picture, the picture's colour depth and icon extraction.
#pragma once

#include <QImage>
#include <QRect>
#include <string>

namespace nura {

class TBitmap;
class TNuraEngine;

void RegisterPrintCaptureCommands();

// The picture named by `name` (a word, else the name evaluated); image and
// form objects only. An error names what was not created.
TBitmap* NamedPicture(TNuraEngine& engine, std::string name);

// The page rectangle that a picture of `width` x `height` fills along its
// longer side, keeping its aspect ratio, on a page of `pageWidth` x
// `pageHeight` (0-based, right and bottom inclusive).
QRect PrintTargetRect(int width, int height, int pageWidth, int pageHeight);

}  // namespace nura
