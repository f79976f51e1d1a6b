// Property writes on every kind of script object, offscreen: each three
// bytes of the input choose an object kind, a property and a value, mostly
// one of the extreme numbers and rectangles scripts write; a value byte
// with its high bit set takes the text up to the next NUL byte instead.
// Each write is followed by a read of the same property. Every object is
// made anew for each input on a fresh main window; an error dialog
// continues the run.
#include <QApplication>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/register_commands.h"
#include "engine/dialogs.h"
#include "engine/command_api.h"
#include "engine/script_object.h"
#include "fuzz_input.h"
#include "gui/main_window.h"
#include "gui/objects/object_properties.h"
#include "platform/gui/qt_window_system.h"
#include "platform/sjis.h"

namespace {

using namespace nura;

const char* const kExtremes[] = {
    "2147483647", "-2147483648", "2147483648", "-2147483649", "99999999999999999999", "0", "-1", "1",
    "1e308", "-1e308", "0.5", "「(2147483647,2147483647)」", "「(-2147483648,-2147483648)」",
    "「(0,0,2147483647,-2147483648)」", "「(-2147483648,-2147483648,2147483647,2147483647)」",
    "「ＭＳ ゴシック|2147483647|7」", "「a\nb\nc」", "「」", "$FFFFFFFF", "$7FFFFFFF",
};

std::string Script(const uint8_t* data, size_t size) {
  std::string script;
  int object = 0;
  for (size_t i = 0; i + 2 < size && object < 16; i += 3, ++object) {
    const auto kind = static_cast<TObjectKind>(data[i] % kObjectKindCount);
    if (kind == TObjectKind::Browser) continue;  // a web engine per input is too slow
    const std::string& property = PropertyWord(static_cast<TProperty>(data[i + 1] % kPropertyCount));
    std::string value;
    if (data[i + 2] & 0x80) {
      const size_t end = std::string_view(reinterpret_cast<const char*>(data), size).find('\0', i + 3);
      const size_t stop = end == std::string_view::npos ? size : end;
      value = SJ("「") + fuzz::Bytes(data + i + 3, stop - i - 3) + SJ("」");
      i = stop - 2;
    } else {
      value = SJ(kExtremes[data[i + 2] % std::size(kExtremes)]);
    }
    const std::string name = "O" + std::to_string(object);
    script += name + SJ("を") + ObjectKindName(kind) + SJ("として作成\n");
    script += name + SJ("の") + property + SJ("は") + value + "\n";
    script += "(" + name + SJ("の") + property + SJ(")を言う\n");
  }
  return script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TSilentDialogs dialogs(ErrorChoice::Continue);
  static const bool ready = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "property-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    InstallQtWindowSystem();
    RegisterAllCommands();
    return true;
  }();
  (void)ready;
  const std::string script = Script(data, size);
  {
    auto form = std::make_unique<TfrmNura>(false);
    SetDialogs(&dialogs);
    try {
      PrepareRun(form->Engine(), script, "fuzz.nrs");
      RunProgram(form->Engine());
    } catch (const std::runtime_error&) {
    }
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return 0;
}

// Fontconfig keeps its configuration for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
