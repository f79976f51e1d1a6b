// MCI command strings over Qt Multimedia: "open" (with "type" and
// "alias"), "play" ("from", "to", "wait"), "pause", "resume", "stop",
// "seek", "close", "set ... time format" and "status" (mode, length,
// position, ready, time format). Each opened device is a media player of
// its own; times are milliseconds.
#pragma once

#include <string>

namespace nura {

class TNuraEngine;

// Runs one command string: true with the reply, or false with the error
// text (both Shift-JIS).
bool RunMciString(TNuraEngine& engine, const std::string& command, std::string& reply);

}  // namespace nura
