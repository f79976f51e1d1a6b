// A main window with every command registered, for tests that run scripts
// against real script objects (offscreen).
#pragma once

#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/register_commands.h"
#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura::test {

class ObjectFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtApplication();
    ProgramCommandLine() = TCommandLine();
    RegisterAllCommands();
    form = std::make_unique<TfrmNura>(false);
  }
  // Runs a script (UTF-8 here) until it ends or waits; the error log is
  // cleared first.
  void Run(const std::string& utf8) {
    ErrorLog().clear();
    form->Engine().PrepareRun(SJ(utf8), "t.nrs");
    form->Engine().Run();
  }
  // The error log as UTF-8 (empty when the run went well).
  static std::string Errors() { return SjisToUtf8(ErrorLog()); }
  std::string Value(const char* utf8Name) {
    return SjisToUtf8(form->Engine().Base().words.FindValue(SJ(utf8Name), false));
  }
  // The GUI object named `name`; nil when there is none.
  TGuiObject* ObjectNamed(const char* utf8Name) {
    TObjNode* node = form->Engine().Base().objects.FindByName(SJ(utf8Name));
    return node ? GuiObjectOf(node->Control()) : nullptr;
  }
  // The widget of object `name`.
  template <typename W>
  W* WidgetOf(const char* utf8Name) {
    TGuiObject* object = ObjectNamed(utf8Name);
    return object ? qobject_cast<W*>(object->Widget()) : nullptr;
  }
  // A property read through the reader (UTF-8 names and result).
  std::string Property(const char* utf8Object, const char* utf8Property) {
    std::string value;
    form->Engine().Objects().GetObjectProperty(form->Engine(), SJ(utf8Object), SJ(utf8Property), value);
    return SjisToUtf8(value);
  }
  // Runs the event loop until `done` holds (at most `ms` milliseconds).
  static bool WaitUntil(const std::function<bool()>& done, int ms = 2000) {
    return QTest::qWaitFor(done, ms);
  }
  std::unique_ptr<TfrmNura> form;
};

}  // namespace nura::test
