// Commands of the dispatcher's own family.
#pragma once

namespace nura {

// "計算": evaluates its argument into "それ".
void RegisterExpressionCommands();

}  // namespace nura
