// Display and drawing commands on the main window and picture objects.
#pragma once

namespace nura {

// "表示", "移動", "画面クリア", "線", "四角形", "円形", "画像表示",
// "画像拡大表示", "点描画", "座標色取得", "線描画", "四角形描画",
// "円形描画" and "中央へ移動".
void RegisterDisplayCommands();

}  // namespace nura
