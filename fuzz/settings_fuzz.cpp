// The INI reader and the editor's settings stream. The input is INI text,
// a NUL byte, and a component stream. The INI text is parsed, read and
// changed in memory; the hex lines it holds under "s"/"p_d0".. are turned
// into a stream. Both streams are read into the editor's settings, which
// must then write a stream that reads back without error.
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/component_stream.h"
#include "editor/editor_prop.h"
#include "engine/errors.h"
#include "fuzz_input.h"
#include "platform/ini_file.h"

namespace {

using namespace nura;

void ReadSettings(std::string_view stream) {
  TEditorProp settings;
  try {
    ReadComponent(stream, settings);
  } catch (const std::runtime_error&) {
    return;
  }
  const std::string written = WriteComponent(settings);
  TEditorProp again;
  try {
    ReadComponent(written, again);
  } catch (const std::runtime_error&) {
    std::abort();  // what was written must read back
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = fuzz::Bytes(data, size);
  std::string_view ini, stream;
  fuzz::SplitAtNul(input, ini, stream);
  TIniFile file;
  file.LoadFromText(ini);
  std::vector<std::string> lines;
  for (int i = 0; i < 64; ++i) {
    const auto line = file.ReadString("s", "p_d" + std::to_string(i));
    if (!line) break;
    lines.push_back(*line);
  }
  (void)file.ReadString("Editor", "p_c");
  file.WriteString("s", "p_d0", stream.substr(0, 64));
  file.DeleteKey("s", "p_d1");
  file.WriteString(ini.substr(0, 16), "k", "v");
  (void)file.ReadString("s", "p_d0");
  ReadSettings(HexLinesToStream(lines));
  ReadSettings(stream);
  return 0;
}
