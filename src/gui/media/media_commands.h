// The media commands ("演奏", "繰り返し演奏", "演奏停止", "演奏状態",
// "MCI送信").
#pragma once

namespace nura {

void RegisterMediaCommands();

}  // namespace nura
