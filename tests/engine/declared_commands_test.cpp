#include "engine/declared_commands.h"

#include "engine_fixture.h"
#include "platform/foreign_call.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class DeclaredTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterDeclaredCommands();
  }
  // A program with LIB standing for the test library's path.
  bool RunWithLib(std::string utf8) {
    for (size_t at; (at = utf8.find("LIB")) != std::string::npos;)
      utf8.replace(at, 3, NURA_FOREIGN_TEST_LIB);
    return Run(utf8);
  }
  std::string FirstError() {
    return dialogs.errorLogs.empty() ? std::string() : dialogs.errorLogs[0];
  }
};

TEST(ForeignCall, LibraryNamesAndMissingParts) {
  // Windows names: as given, ".so" for ".dll", "lib" + name + ".so".
  // (libffi-dev provides libffi.so, a library and no linker script.)
  for (const char* name : {"ffi.dll", "libffi.DLL"}) {
    void* library = LoadForeignLibrary(name);
    ASSERT_NE(library, nullptr) << name;
    EXPECT_NE(FindForeignFunction(library, "ffi_call"), nullptr);
    UnloadForeignLibrary(library);
  }
  void* c = LoadForeignLibrary("libc.so.6");
  EXPECT_NE(FindForeignFunction(c, "strlen"), nullptr);
  EXPECT_EQ(FindForeignFunction(c, "no_such_function_here"), nullptr);
  UnloadForeignLibrary(c);
  EXPECT_EQ(LoadForeignLibrary(""), nullptr);
  EXPECT_EQ(LoadForeignLibrary("no_such_library.dll"), nullptr);
  EXPECT_EQ(LoadForeignLibrary("/nonexistent/libc.so.6"), nullptr);
}

TEST_F(DeclaredTest, SecondStyleIntegerTypes) {
  ASSERT_TRUE(RunWithLib(
      "\"LIB\"の\"int add_ints(int,int)\"を\"?と,?を\"の\"足し算\"としてDLLを利用\n"
      "3と-40を足し算\nそれと言う\n"
      "\"LIB\"の\"DWORD dword_echo(dword)\"を\"?を\"の\"D返し\"としてDLLを利用\n"
      "4294967295をD返し\nそれと言う\n-1をD返し\nそれと言う\n"
      "\"LIB\"の\"word word_echo(WORD)\"を\"?を\"の\"W返し\"としてDLLを利用\n"
      "65537をW返し\nそれと言う\n"
      "\"LIB\"の\"bool is_positive(int)\"を\"?を\"の\"正か\"としてDLLを利用\n"
      "5を正か\nそれと言う\n-5を正か\nそれと言う\n"
      "\"LIB\"の\"void record(int)\"を\"?を\"の\"記録\"としてDLLを利用\n"
      "\"LIB\"の\"int last_recorded(void)\"を\"\"の\"記録値\"としてDLLを利用\n"
      "A=9\nAを記録\nそれと言う\n記録値\nそれと言う\n"
      "B=記録値+1\nBと言う\nC=足し算(2,3)\nCと言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"-37", "4294967295", "4294967295", "1", "1", "0", "",
                                       "9", "10", "5"}));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << FirstError();
  EXPECT_EQ(Var("B"), "10");
}

// それ after a call without a result is an empty number: a statement kept
// in a loop gives it on as the empty text, as reading it anew does.
TEST_F(DeclaredTest, EmptyResultThroughKeptStatements) {
  const std::string body = "回数を記録\nそれと言う\nB=それ\nB&\"|\"と言う\nC=それ\nCと言う\nD=それ+1\nDと言う\n";
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"void record(int)\"を\"?を\"の\"記録\"としてDLLを利用\n3回(\n" + body +
                         ")\n" + body));
  EXPECT_EQ(dialogs.messages,
            (Strings{"", "|", "", "1", "", "|", "", "1", "", "|", "", "1", "", "|", "", "1"}));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << FirstError();
}

TEST_F(DeclaredTest, TextArgumentsAndResults) {
  ASSERT_TRUE(RunWithLib(
      "\"LIB\"の\"char* greet(char*)\"を\"?に\"の\"挨拶\"としてDLLを利用\n"
      "「世界」に挨拶\nそれと言う\nN=「ぬら」\nNに挨拶\nそれと言う\n"
      "\"LIB\"の\"char* nothing()\"を\"\"の\"無\"としてDLLを利用\n無\n「[」&それ&「]」と言う\n"
      "\"LIB\"の\"join3(?と,?と,?を)\"を\"連結\"で文字型DLL宣言\n"
      "「a」と「b」と「c」を連結\nそれと言う\n"
      "\"LIB\"の\"text_sum(?と,?を)\"を\"長さ和\"でDLL宣言\n「abc」と「de」を長さ和\nそれと言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"Hello, 世界", "Hello, ぬら", "[]", "a-b-c", "5"}));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << FirstError();
}

TEST_F(DeclaredTest, BufferVariableReadBack) {
  ASSERT_TRUE(RunWithLib(
      "\"LIB\"の\"int fill_buffer(char*,int)\"を\"?に,?で\"の\"詰める\"としてDLLを利用\n"
      "Xに10バイトを確保\nXに10で詰める\nそれと言う\n"
      "Yに3バイトを確保\nYに3で詰める\n"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << FirstError();
  EXPECT_EQ(dialogs.messages, Strings{"6"});
  EXPECT_EQ(engine.Base().words.FindValue(SJ("X"), false), std::string("filled\0\0\0\0", 10));
  EXPECT_EQ(engine.Base().words.FindValue(SJ("Y"), false), std::string("fi\0", 3));
}

TEST_F(DeclaredTest, LibcByWindowsStyleNames) {
  ASSERT_TRUE(Run(
      "\"libc.so.6\"の\"int strlen(char*)\"を\"?の\"の\"長さ\"としてDLLを利用\n"
      "「こんにちは」の長さ\nそれと言う\n"
      "\"libc.so.6\"の\"int abs(int)\"を\"?の\"の\"絶対値\"としてDLLを利用\n-42の絶対値\nそれと言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"10", "42"}));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << FirstError();
  EXPECT_EQ(engine.Base().libraries.size(), 2u);
}

TEST_F(DeclaredTest, MissingLibraryOrFunction) {
  ASSERT_TRUE(Run("\"nolib.dll\"の\"f()\"を\"g\"でDLL宣言"));
  EXPECT_EQ(FirstError(), "[エラー] test.nrs(1行目): DLL\"nolib.dll\"が見つかりません。\r\n");
  dialogs.errorLogs.clear();
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"int missing_fn(int)\"を\"?を\"の\"g\"としてDLLを利用"));
  EXPECT_EQ(FirstError(), std::string("[エラー] test.nrs(1行目): DLL\"") + NURA_FOREIGN_TEST_LIB +
                              "\"の関数\"missing_fn\"が見つかりません。\r\n");
  EXPECT_TRUE(engine.Base().libraries.empty());
}

TEST_F(DeclaredTest, DeclarationsThatDoNotFit) {
  // One "?" too many for the parameters.
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"int add_ints(int,int)\"を\"?と,?を,?に\"の\"足\"としてDLLを利用"));
  EXPECT_EQ(FirstError(), "[エラー] test.nrs(1行目): \"足\"命令の引数に誤りがあります。\r\n");
  dialogs.errorLogs.clear();
  // An unknown type name would shift the letters: refused as well.
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"HWND add_ints(int,int)\"を\"?と,?を\"の\"足\"としてDLLを利用"));
  EXPECT_EQ(FirstError(), "[エラー] test.nrs(1行目): \"足\"命令の引数に誤りがあります。\r\n");
  dialogs.errorLogs.clear();
  // The first style takes at most five arguments.
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"join3(?と,?と,?と,?と,?と,?を)\"を\"六\"でDLL宣言\n"
                         "1と2と3と4と5と6を六"));
  EXPECT_EQ(FirstError(),
            "[エラー] test.nrs(2行目): DLLからインポートした命令\"六\"の定義が間違っています。\r\n");
  EXPECT_TRUE(engine.Base().libraries.size() == 1u);
}

TEST_F(DeclaredTest, BrokenCallStyleAndRange) {
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"int negate(int)\"を\"?を\"の\"符号反転\"としてDLLを利用\n"
                         "9999999999を符号反転"));
  EXPECT_NE(FirstError().find("範囲チェックエラー"), std::string::npos) << FirstError();
  dialogs.errorLogs.clear();
  ASSERT_TRUE(RunWithLib("\"LIB\"の\"negate(?を)\"を\"符号反転\"でDLL宣言\n"));
  THashNode* node = engine.Base().words.Find(SJ("符号反転"), false);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->kind, kWordDeclared);
  EXPECT_EQ(node->Annotation(), std::string("\"") + NURA_FOREIGN_TEST_LIB + "\"negate");
  node->SetValue("X");
  engine.Base().args.Push("1");
  EXPECT_THROW(engine.ExecuteWord(*node), ENura);
  node->SetValue("=i");  // a parameter more than the letters say
  EXPECT_THROW(engine.ExecuteWord(*node), ENura);
  node->SetValue("=ii");
  node->SetAddress(nullptr);
  engine.Base().args.Push("1");
  EXPECT_THROW(engine.ExecuteWord(*node), ENura);
}

}  // namespace
}  // namespace nura::test
