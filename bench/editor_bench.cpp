// Editor text model speed: loading and word-wrapping a 10 MB Shift-JIS text
// at WrapByte 80, then colouring it (parser states of every row, and every
// row cut into coloured tokens).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "editor/editor_client.h"
#include "editor/editor_fountain.h"
#include "editor/screen_strings.h"
#include "platform/file_io.h"
#include "platform/sjis.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Report(const char* what, double megabytes, double seconds) {
  std::printf("%-40s %8.1f MB/s  (%.3f s)\n", what, megabytes / seconds, seconds);
}

class BenchEditor : public nura::TEditorClient {
 public:
  const nura::TFountain* fountain = nullptr;
  bool fullParse = false;
  int CaretRow() const override { return 0; }
  int CaretCol() const override { return 0; }
  void SetCaretRow(int) override {}
  void SetCaretCol(int) override {}
  bool Focused() const override { return true; }
  bool Loading() const override { return false; }
  void DoChange() override {}
  void InvalidateTextRow(int) override {}
  int TopRow() const override { return 0; }
  void SetTopRow(int) override {}
  int VisibleRowCount() const override { return 40; }
  const nura::TFountain* ActiveFountain() const override { return fountain; }
  bool InitBracketsFull() const override { return fullParse; }
};

// Script-like lines of mixed Japanese and ASCII, short and long.
std::string MakeText(size_t size) {
  const std::string pieces[] = {
      nura::SJ("「こんにちは」と言う。"), nura::SJ("Iを1から100まで繰り返す"), "  x = 1.5e-3 + $FF ' note",
      nura::SJ("漢字とひらがなとカタカナ、全角ＡＢＣ１２３。"), "\"quoted text\" (a, b) {block}",
      nura::SJ("ﾊﾝｶｸｶﾀｶﾅ "), "word_with_underscore another_word ", "\t"};
  std::mt19937 rng(7);
  std::string text;
  text.reserve(size + 256);
  while (text.size() < size) {
    const int count = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < count; ++i) text += pieces[rng() % std::size(pieces)];
    text += "\r\n";
  }
  return text;
}

}  // namespace

int main() {
  const std::string text = MakeText(10 * 1024 * 1024);
  const double mb = static_cast<double>(text.size()) / (1024.0 * 1024.0);
  const std::string path = (std::filesystem::temp_directory_path() / "nura_editor_bench.txt").string();
  if (!nura::WriteFileAtomically(path, text)) return 1;

  nura::TEditorFountain fountain;
  fountain.SetCommenter("'");
  fountain.SetQuotation("\"");
  fountain.SetHexPrefix("$");
  fountain.Brackets().AddBracket("{", "}");
  fountain.SetReserveWordList({nura::SJ("言う"), nura::SJ("繰り返す"), "word_with_underscore"});
  BenchEditor editor;
  editor.fountain = &fountain;
  nura::TEditorScreenStrings list;
  list.AttachEditor(&editor);
  list.SetWordWrap(true);  // WrapByte 80

  auto t = Clock::now();
  list.LoadFromFile(path);
  Report("load and wrap at WrapByte 80", mb, Seconds(t));
  std::printf("  %d rows\n", list.GetCount());

  editor.fullParse = true;
  t = Clock::now();
  list.InitParseStates();
  Report("colouring: parser states of all rows", mb, Seconds(t));

  t = Clock::now();
  const auto parser = fountain.CreateParser();
  size_t coloured = 0;
  for (int i = 0; i < list.GetCount(); ++i) {
    parser->SetText(list.Get(i), list.GetRowAttributeData(i));
    while (parser->NextToken() != 0) coloured += parser->TokenColor() != nullptr;
  }
  Report("colouring: tokens and colours of all rows", mb, Seconds(t));
  std::printf("  %zu coloured tokens\n", coloured);
  std::filesystem::remove(path);
  return 0;
}
