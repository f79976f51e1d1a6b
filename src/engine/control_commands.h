// The control-flow commands (conditions, loops, jumps, returns, waits,
// includes, text runs) and the word commands of the call forms ("呼ぶ",
// "名義変更", "リフレイン", "行数", "トリム", "確保"). The switch value,
// "続ける", "関数定義" and "引数取得" are with the utility commands.
#pragma once

namespace nura {

void RegisterControlCommands();

}  // namespace nura
