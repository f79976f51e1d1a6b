// The registry, INI and file-handle commands through their handlers, with
// the registry store in a temporary XDG config folder and a dialog host
// that answers the security confirmation.
#include "commands/registry_commands.h"

#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/command_test_support.h"
#include "commands/file_handle_commands.h"
#include "engine/dialogs.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/registry_store.h"
#include "platform/widgets/widget_placement.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura {
namespace {

class AnsweringDialogs : public TDialogHost {
 public:
  std::string answer;               // the button chosen (Shift-JIS)
  std::vector<std::string> asked;   // the questions (Shift-JIS)
  void ShowMessage(const std::string&, const std::string&) override {}
  void ShowWarning(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::string AskButtons(const std::string& text, const std::string&,
                         const std::vector<std::string>&) override {
    asked.push_back(text);
    return answer;
  }
  std::string AskInput(const std::string&, const std::string&, bool& cancelled) override {
    cancelled = true;
    return "";
  }
  ErrorChoice ShowErrorDialog(const std::string&) override { return ErrorChoice::End; }
};

class FileStateCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() {
    RegisterRegistryCommands();
    RegisterFileHandleCommands();
  }
  void SetUp() override {
    folder = test::MakeTempFolder();
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadXdg = old != nullptr;
    if (old) savedXdg = old;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    dialogs.answer = SJ("はい");
    SetDialogs(&dialogs);
  }
  void TearDown() override {
    SetDialogs(nullptr);
    if (hadXdg) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(folder);
  }
  std::string Error(CommandId id, std::initializer_list<std::string> args) {
    const std::string message = ErrorOf(id, args);
    const size_t colon = message.find("): ");
    return colon == std::string::npos ? message : message.substr(colon + 3);
  }
  std::string Content(const std::string& path) {
    std::string bytes;
    ReadNativeFile(path, bytes);
    return bytes;
  }

  AnsweringDialogs dialogs;
  std::string folder, savedXdg;
  bool hadXdg = false;
};

TEST_F(FileStateCommands, RegistryNeedsAnOpenKeyBeforeAsking) {
  EXPECT_EQ(Error(CommandId::RegWrite, {Text("n")}), SJ("レジストリが開かれていません。"));
  EXPECT_EQ(Error(CommandId::RegRead, {Text("n")}), SJ("レジストリが開かれていません。"));
  EXPECT_EQ(Error(CommandId::RegWriteBinary, {Text("abc"), Text("n"), "3"}), SJ("レジストリが開かれていません。"));
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_EQ(Error(CommandId::RegOpen, {Text("x"), Text("Software")}), SJ("\"レジストリ開く\"命令の引数に誤りがあります。"));
  EXPECT_EQ(Error(CommandId::RegOpen, {Text("-1"), Text("Software")}), SJ("\"レジストリ開く\"命令の引数に誤りがあります。"));
  EXPECT_EQ(Error(CommandId::RegOpen, {Text("7"), Text("Software")}), SJ("\"レジストリ開く\"命令の引数に誤りがあります。"));
  EXPECT_EQ(Error(CommandId::RegReadDWord, {Text("n")}), SJ("レジストリが開かれていません。"));
}

TEST_F(FileStateCommands, RegistryValuesOfEachTypeAndTheirConfirmations) {
  Call(CommandId::RegOpen, {Text("1"), Jp("Software\\ぬらせら")});
  EXPECT_TRUE(TRegistryStore().KeyExists(SJ("HKEY_CURRENT_USER\\Software\\ぬらせら")));
  engine.SetResult("123", "s");
  Call(CommandId::RegWrite, {Jp("数")});
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0],
            SJ("レジストリ\"Software\\ぬらせら\"の,\"数\"に,\r\n\"123\"が書き込まれます。よろしいですか？"));
  EXPECT_EQ(Call(CommandId::RegRead, {Jp("数")}), "123");
  EXPECT_EQ(Kind(), "e");
  engine.SetResult("abc", "e");
  Call(CommandId::RegWrite, {Text("t")});
  EXPECT_EQ(Call(CommandId::RegRead, {Text("t")}), "abc");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::RegRead, {Text("missing")}), "");

  Call(CommandId::RegWriteDWord, {"-5", Text("d")});
  EXPECT_NE(dialogs.asked.back().find("\"-5\""), std::string::npos);
  EXPECT_EQ(Call(CommandId::RegReadDWord, {Text("d")}), "-5");
  EXPECT_EQ(Kind(), "e");
  EXPECT_NE(Error(CommandId::RegReadDWord, {Text("t")}), "");  // not a number value

  // The count cuts the text; a count beyond it is cut to its length.
  Call(CommandId::RegWriteBinary, {Text("abcdef"), Text("b"), "3"});
  EXPECT_EQ(Call(CommandId::RegReadBinary, {Text("b"), "1"}), "abc");
  Call(CommandId::RegWriteBinary, {Text("xy"), Text("b"), "10"});
  EXPECT_EQ(Call(CommandId::RegReadBinary, {Text("b"), "0"}), "xy");
  Call(CommandId::RegWriteBinary, {Text(""), Text("b"), "1"});
  EXPECT_EQ(Call(CommandId::RegReadBinary, {Text("b"), "0"}), " ");
  EXPECT_EQ(Call(CommandId::RegReadBinary, {Text("t"), "0"}), "");

  // A refusal writes nothing.
  dialogs.answer = SJ("いいえ");
  engine.SetResult("new", "s");
  Call(CommandId::RegWrite, {Text("t")});
  EXPECT_EQ(Call(CommandId::RegRead, {Text("t")}), "abc");
}

TEST_F(FileStateCommands, RegistrySubKeysAndDeletion) {
  Call(CommandId::RegOpen, {Text("1"), Text("Software\\A\\B")});
  Call(CommandId::RegOpen, {Text("1"), Text("Software\\A\\C")});
  Call(CommandId::RegOpen, {Text("1"), Text("Software\\A")});
  EXPECT_EQ(Call(CommandId::RegSubKeys), "B\r\nC");
  engine.SetResult("1", "s");
  Call(CommandId::RegWrite, {Text("v")});
  Call(CommandId::RegDeleteValue, {Text("v")});
  EXPECT_EQ(dialogs.asked.back(),
            SJ("レジストリ\"Software\\A\"の,\"v\"の値が,削除されます。よろしいですか？"));
  EXPECT_EQ(Error(CommandId::RegDeleteValue, {Text("v")}), SJ("\"v\"が削除できません。"));
  Call(CommandId::RegDeleteKey, {Text("B")});
  EXPECT_EQ(dialogs.asked.back(), SJ("レジストリ\"Software\\A\"の,\"B\"キーが,削除されます。よろしいですか？"));
  EXPECT_EQ(Call(CommandId::RegSubKeys), "C");
  EXPECT_EQ(Error(CommandId::RegDeleteKey, {Text("B")}), SJ("\"B\"が削除できません。"));
  Call(CommandId::RegClose);
  EXPECT_EQ(Error(CommandId::RegSubKeys, {}), SJ("レジストリが開かれていません。"));
}

TEST_F(FileStateCommands, IniFilesAndTheHighSecurityLevel) {
  const std::string ini = NativePathToScript(folder + "/s.ini");
  EXPECT_EQ(Error(CommandId::IniWrite, {Text("v"), Text("s"), Text("k")}),
            SJ("\"INIファイル書く\"予めINIファイルを開いておく必要があります。"));
  dialogs.answer = SJ("いいえ");
  Call(CommandId::IniOpen, {Text(ini)});
  EXPECT_EQ(dialogs.asked.back(), SJ("設定ファイル\"") + ini + SJ("\"を作成します。"));
  EXPECT_NE(Error(CommandId::IniRead, {Text("V"), Text("s"), Text("k")}), "");  // still none open
  dialogs.answer = SJ("はい");
  Call(CommandId::IniOpen, {Text(ini)});
  Call(CommandId::IniWrite, {Jp("値ソ"), Jp("節"), Jp("鍵")});
  EXPECT_EQ(dialogs.asked.back(),
            SJ("設定ファイル\"") + ini + SJ("\"にある[節]の\"鍵\"に値を書き込みます。"));
  EXPECT_EQ(Content(folder + "/s.ini"), SJ("[節]\r\n鍵=値ソ\r\n"));
  Call(CommandId::IniRead, {Text("V"), Jp("節"), Jp("鍵")});
  EXPECT_EQ(engine.Base().words.FindValue("V", false), SJ("値ソ"));
  Call(CommandId::IniRead, {Text("V"), Jp("節"), Jp("無い")});
  EXPECT_EQ(engine.Base().words.FindValue("V", false), "");

  engine.Base().securityLevel = 2;
  const size_t asked = dialogs.asked.size();
  Call(CommandId::IniWrite, {Text("x"), Jp("節"), Jp("鍵")});
  EXPECT_EQ(Content(folder + "/s.ini"), SJ("[節]\r\n鍵=値ソ\r\n"));
  engine.SetResult("keep", "e");
  EXPECT_EQ(Call(CommandId::IniRead, {Text("V"), Jp("節"), Jp("鍵")}), "");
  EXPECT_EQ(dialogs.asked.size(), asked);
  EXPECT_TRUE(engine.Base().args.Empty());
}

TEST_F(FileStateCommands, HandlesAskFirstAndRefuseProtectedWords) {
  const std::string file = NativePathToScript(folder + "/h.txt");
  dialogs.answer = SJ("いいえ");
  Call(CommandId::HandleOpen, {Text("F"), Text(file)});
  EXPECT_EQ(dialogs.asked.back(), SJ("ファイル\"") + file + SJ("\"を操作しようとしています。よろしいですか？"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/h.txt"));
  EXPECT_EQ(Error(CommandId::HandleReadLine, {Text("L"), Text("F")}), SJ("ファイル\"ハンドル:F\"が、ありません。"));
  dialogs.answer = SJ("はい");
  engine.Base().AddVariable("P", "", "")->isProtected = true;
  EXPECT_EQ(Error(CommandId::HandleOpen, {Text("P"), Text(file)}), SJ("\"P\"は、読取専用です。"));

  Call(CommandId::HandleOpen, {Text("F"), Text(file)});
  EXPECT_EQ(Call(CommandId::HandleAtEnd, {Text("F")}), "1");
  Call(CommandId::HandleWriteLine, {Jp("一行"), Text("F")});
  // A copy of the marker is no handle.
  engine.Base().AddVariable("G", engine.Base().words.FindValue("F", false), "");
  EXPECT_EQ(Error(CommandId::HandleAtEnd, {Text("G")}), SJ("変数\"G\"が見つかりません。"));
  EXPECT_EQ(Error(CommandId::HandleWriteLine, {Text("x"), Text("G")}), SJ("ファイル\"ハンドル:G\"が、ありません。"));
  // At the high level the line write does nothing.
  engine.Base().securityLevel = 2;
  Call(CommandId::HandleWriteLine, {Text("more"), Text("F")});
  EXPECT_TRUE(engine.Base().args.Empty());
  Call(CommandId::HandleWriteBinary, {Text("ab"), Text("F"), "4"});
  Call(CommandId::HandleToStart, {Text("F")});
  Call(CommandId::HandleReadLine, {Text("L"), Text("F")});
  EXPECT_EQ(engine.Base().words.FindValue("L", false), SJ("一行"));
  Call(CommandId::HandleReadBinary, {Text("B"), Text("F"), "6"});
  EXPECT_EQ(engine.Base().words.FindValue("B", false), std::string("ab\0\0\0\0", 6));
  Call(CommandId::HandleClose, {Text("F")});
  EXPECT_EQ(engine.Base().words.Find("F", false), nullptr);
  EXPECT_EQ(Content(folder + "/h.txt"), SJ("一行") + std::string("\r\nab\0\0", 6));
  Call(CommandId::HandleClose, {Text("F")});  // no word: nothing
}

class WindowHost : public TEngineHost {
 public:
  QWidget* window = nullptr;
  bool GetMainWindowPlacement(TWindowPlacement& placement) override {
    placement = PlacementOf(*window);
    return true;
  }
  void PlaceMainWindow(const TWindowRect& rect, std::optional<int> state) override {
    PlaceWindow(*window, rect, state);
  }
};

TEST_F(FileStateCommands, MainWindowPositionSavedAndRestored) {
  test::EnsureQtApplication();
  QWidget window;
  window.setObjectName("frmNura");
  window.setGeometry(10, 20, 300, 200);
  WindowHost host;
  host.window = &window;
  engine.SetHost(&host);
  const std::string file = NativePathToScript(folder + "/form.ini");
  Call(CommandId::FormSave, {Text(file)});
  EXPECT_EQ(dialogs.asked.back(), SJ("INIファイル\"") + file + SJ("\"にフォーム情報を保存します。"));
  EXPECT_EQ(Content(folder + "/form.ini"),
            "[frmNura]\r\nstate=0\r\ntop=20\r\nleft=10\r\nheight=200\r\nwidth=300\r\n");
  window.setGeometry(0, 0, 50, 60);
  const size_t asked = dialogs.asked.size();
  Call(CommandId::FormRestore, {Text(file)});
  EXPECT_EQ(window.geometry(), QRect(10, 20, 300, 200));
  EXPECT_EQ(dialogs.asked.size(), asked);  // restoring asks nothing
  Call(CommandId::FormSave, {Text("")});                  // an empty name does nothing
  EXPECT_EQ(dialogs.asked.size(), asked);
  engine.SetHost(nullptr);
}

}  // namespace
}  // namespace nura
