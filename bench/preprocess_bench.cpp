// Preprocessing speed on a 10 MB script of typical lines.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/preprocess.h"
#include "platform/sjis.h"

int main() {
  using nura::SJ;
  const std::string lines[] = {
      SJ("「こんにちは、世界」と言う\r\n"),
      SJ("Aは１２＋３４×５　' 計算する\r\n"),
      SJ("Iを1から100まで繰り返す // ループ\r\n"),
      SJ("  もし、Aが5以上ならば「大きい」と言う。\r\n"),
      SJ("{ ブロック\r\nコメント }\r\n"),
      "X = `raw ``text`` here` & \"esc\\\"aped\"\r\n",
      SJ("ファイル名は「C:\\データ\\表.txt」\n"),
      SJ("＊ラベル：ひらがなとカタカナの行です。\r\n"),
  };
  std::string script;
  const size_t target = 10u << 20;
  script.reserve(target + 256);
  for (size_t i = 0; script.size() < target; ++i) script += lines[i % std::size(lines)];

  double best = 0;
  size_t outSize = 0;
  for (int run = 0; run < 5; ++run) {
    std::string text = script;
    auto start = std::chrono::steady_clock::now();
    nura::PreprocessSource(text, "bench.nrs");
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    double mbps = static_cast<double>(script.size()) / (1 << 20) / took.count();
    if (mbps > best) best = mbps;
    outSize = text.size();
  }
  std::printf("preprocess: %.1f MB in, %.1f MB out, best of 5: %.0f MB/s\n",
              static_cast<double>(script.size()) / (1 << 20), static_cast<double>(outSize) / (1 << 20), best);
  return 0;
}
