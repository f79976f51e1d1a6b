// "アイコン抽出": an icon of a program, library or icon file becomes an
// image object's picture.
#pragma once

namespace nura {

void RegisterIconCommands();

}  // namespace nura
