// A word argument taken as written: its particle is gone already, a text in
// backquotes loses them. Commands that look a word up by name use it.
#pragma once

#include <string>

#include "engine/engine.h"

namespace nura {

inline std::string PopRawName(TNuraEngine& engine) {
  std::string name = engine.Base().args.Pop();
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`')
    name = TNuraEngine::RawLiteralToText(name);
  return name;
}

}  // namespace nura
