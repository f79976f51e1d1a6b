// A main window that runs short scripts (written in UTF-8 here) on the
// offscreen platform, with access to the widgets of its objects.
#pragma once

#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/register_commands.h"
#include "engine/command_line.h"
#include "engine/errors.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "platform/sjis.h"
#include "support/qt_app.h"

namespace nura::test {

class ScriptWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtApplication();
    ProgramCommandLine() = TCommandLine();
    RegisterAllCommands();
    form = std::make_unique<TfrmNura>(false);
  }
  // Runs a script until it ends or waits; the error log is cleared first.
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
  // The widget of object `name`, or nil.
  template <typename W>
  W* WidgetOf(const char* utf8Name) {
    TObjNode* node = form->Engine().Base().objects.FindByName(SJ(utf8Name));
    TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
    return object ? qobject_cast<W*>(object->Widget()) : nullptr;
  }
  static bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 2000); }

  std::unique_ptr<TfrmNura> form;
};

}  // namespace nura::test
