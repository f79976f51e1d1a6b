// Starting programs, scripts, documents and URLs ("起動", "起動して終了まで
// 待機", "エクスプローラーで開く"), the drive type ("ドライブ種類判定") and the
// clipboard text ("コピー", "クリップボード取得").
#pragma once

#include <string>
#include <vector>

namespace nura {

class TNuraEngine;

void RegisterShellCommands();

// A launch text split at the first blank outside double quotes (two-byte
// characters whole, the quotes kept in the program part); the parameters
// trimmed.
struct TLaunchText {
  std::string program;
  std::string parameters;
};
TLaunchText SplitLaunchText(const std::string& text);

// The arguments of a parameter text: separated by blanks, double quotes
// group blanks into one argument and are removed.
std::vector<std::string> SplitArguments(const std::string& text);

// What to start for a launch text: a program (native path or a name on
// PATH) and its arguments (UTF-8). Scripts (".nrs", also in quotes) run in
// this program; documents, folders and URLs go to the desktop's opener.
// A script taken from the program's container gets a copy of the
// container, made here, that the started program deletes when it ends.
struct TLaunchPlan {
  std::string program;
  std::vector<std::string> arguments;
};
TLaunchPlan PlanLaunch(TNuraEngine& engine, const std::string& text);

}  // namespace nura
