// Commands declared from the functions of shared libraries: "DLL宣言",
// "文字型DLL宣言" and "DLLを利用" enter a word of kind 5 that
// TNuraEngine::CallDllWord calls.
#pragma once

namespace nura {

void RegisterDeclaredCommands();

}  // namespace nura
