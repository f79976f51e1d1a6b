#include <sys/stat.h>

#include <regex>

#include "file_test_support.h"
#include "engine/dialogs.h"
#include "platform/clipboard.h"
#include "platform/registry_store.h"
#include "platform/shell.h"

namespace nura {
namespace {

enum {
  kRead = 37, kWrite = 38, kCopy = 58, kDelete = 59, kRename = 60, kMove = 61, kChdir = 62,
  kMkdir = 63, kRmdir = 64, kSetAttr = 65, kShortcut = 66, kIsFolder = 68, kIsFile = 69,
  kExists = 81, kWorkFolder = 89, kDate = 185, kSize = 186, kAssociate = 295, kUnassociate = 296, kAppend = 297,
  kGetAttr = 382, kLongName = 384, kErase = 385,
};

class FileCommands : public FileFixture {
 protected:
  std::string Var(const std::string& name) { return engine.Base().words.FindValue(name, false); }
};

TEST_F(FileCommands, WriteReadAndAppendWithTwoByteNames) {
  Call(kWrite, {Jp("あい"), Jp("表ファイル.txt")});
  EXPECT_EQ(Get("表ファイル.txt"), SJ("あい"));
  Call(kAppend, {Jp("う\r\n"), Jp("表ファイル.txt")});
  Call(kRead, {"A", Jp("表ファイル.txt")});
  EXPECT_EQ(Var("A"), SJ("あいう\r\n"));
  EXPECT_EQ(engine.Base().words.Find("A", false)->annotation, "s");
  // The ids without a name run the same handlers.
  Call(203, {Text("x"), Text("b.txt")});
  Call(202, {"B", Text("b.txt")});
  EXPECT_EQ(Var("B"), "x");
  // An empty file reads as "" with type "s".
  Put("empty.txt", "");
  engine.SetResult("5", "e");
  Call(kRead, {SJ("それ"), Text("empty.txt")});
  EXPECT_EQ(engine.ResultNode()->value, "");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(FileCommands, ReadAndAppendFailures) {
  EXPECT_NE(ErrorOf(kRead, {"A", Jp("無い.txt")}).find(SJ("ファイル\"無い.txt\"の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
  EXPECT_NE(ErrorOf(kAppend, {Text("x"), Jp("無い.txt")}).find(SJ("ファイル\"無い.txt\"が、ありません。")),
            std::string::npos);
  EXPECT_FALSE(Has("無い.txt"));
  std::filesystem::create_directory(P("dir"));
  EXPECT_NE(ErrorOf(kWrite, {Text("x"), Text("dir")}).find(SJ("の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
}

TEST_F(FileCommands, ClipboardInPlaceOfAFile) {
  Call(kWrite, {Jp("写し"), Jp("クリップボード")});
  EXPECT_EQ(GetClipboardText(), SJ("写し"));
  Call(kAppend, {Text("!"), Jp("クリップボード")});
  Call(kRead, {"C", Jp("クリップボード")});
  EXPECT_EQ(Var("C"), SJ("写し!"));
  EXPECT_FALSE(Has("クリップボード"));
}

TEST_F(FileCommands, HighSecurityChangesNothing) {
  Put("a.txt", "keep");
  std::filesystem::create_directory(P("d"));
  engine.Base().securityLevel = 2;
  Call(kWrite, {Text("new"), Text("a.txt")});
  Call(kWrite, {Text("new"), Text("b.txt")});
  Call(kAppend, {Text("more"), Text("a.txt")});
  Call(kCopy, {Text("a.txt"), Text("c.txt")});
  Call(kMove, {Text("a.txt"), Text("m.txt")});
  Call(kRename, {Text("a.txt"), Text("r.txt")});
  Call(kDelete, {Text("a.txt")});
  Call(kErase, {Text("a.txt")});
  Call(kMkdir, {Text("e")});
  Call(kRmdir, {Text("d")});
  Call(kSetAttr, {Text("a.txt"), Text("1")});
  Call(kShortcut, {Text("a.txt"), Text("link")});
  EXPECT_EQ(Get("a.txt"), "keep");
  for (const char* name : {"b.txt", "c.txt", "m.txt", "r.txt", "e", "link.desktop"}) EXPECT_FALSE(Has(name)) << name;
  EXPECT_TRUE(Has("d"));
  EXPECT_EQ(GetFileAttributeBits(P("a.txt")) & 1, 0);
}

TEST_F(FileCommands, SecurityIniIsNeverWritten) {
  engine.Base().securityLevel = 0;
  Call(kWrite, {Text("[t.nrs]\r\nsecurity=low\r\n"), Text("security.ini")});
  Call(kWrite, {Text("x"), Text("SECURITY.INI")});
  EXPECT_FALSE(Has("security.ini"));
  EXPECT_FALSE(Has("SECURITY.INI"));
}

TEST_F(FileCommands, CopyMoveRenameAndDelete) {
  Put("元.txt", "data");
  std::filesystem::create_directory(P("先"));
  Call(kCopy, {Jp("元.txt"), Jp("先/")});
  EXPECT_EQ(Get("先/元.txt"), "data");
  Call(kMove, {Jp("先/元.txt"), Jp("移.txt")});
  EXPECT_EQ(Get("移.txt"), "data");
  EXPECT_FALSE(Has("先/元.txt"));
  Call(kRename, {Jp("移.txt"), Jp("改.txt")});
  EXPECT_EQ(Get("改.txt"), "data");
  // A rename never replaces a file: it fails and both stay.
  const std::string error = ErrorOf(kRename, {Jp("改.txt"), Jp("元.txt")});
  EXPECT_NE(error.find(SJ("ファイル\"改.txt\"の、読み込みか書き込みに、失敗しました。ファイル名の変更")),
            std::string::npos);
  EXPECT_EQ(Get("元.txt"), "data");
  // Deletion goes to the trash with its record; the complete one does not.
  Call(kDelete, {Jp("改.txt")});
  EXPECT_FALSE(Has("改.txt"));
  EXPECT_EQ(Get("xdg/Trash/files/改.txt"), "data");
  EXPECT_NE(Get("xdg/Trash/info/改.txt.trashinfo").find("Path=" + dir_ + "/%E6%94%B9.txt"), std::string::npos);
  Put("改.txt", "again");
  Call(kDelete, {Jp("改.txt")});
  EXPECT_EQ(Get("xdg/Trash/files/改.txt.2"), "again");
  Call(kErase, {Jp("元.txt")});
  EXPECT_FALSE(Has("元.txt"));
  Call(kErase, {Jp("先")});
  EXPECT_TRUE(Has("先"));
}

TEST_F(FileCommands, CopyWithWildcardAndIntoItself) {
  Put("a1.txt", "1");
  Put("a2.txt", "2");
  Put("b.dat", "3");
  Put("tree/x.txt", "x");
  std::filesystem::create_directory(P("out"));
  Call(kCopy, {Text("a*.txt"), Text("out")});
  EXPECT_EQ(Get("out/a1.txt"), "1");
  EXPECT_EQ(Get("out/a2.txt"), "2");
  EXPECT_FALSE(Has("out/b.dat"));
  // A folder copied into itself is refused rather than growing forever.
  Call(kCopy, {Text("tree"), Text("tree/sub")});
  EXPECT_FALSE(Has("tree/sub"));
}

TEST_F(FileCommands, FoldersAndDeletionStayInsideTheTree) {
  Call(kMkdir, {Jp("親/子/孫")});
  EXPECT_TRUE(std::filesystem::is_directory(P("親/子/孫")));
  EXPECT_NE(ErrorOf(kMkdir, {Text("  ")}).find(SJ("\"フォルダ作成\"命令の引数に誤りがあります。引数を指定してください。")),
            std::string::npos);
  Put("outside/keep.txt", "k");
  Put("親/子/f.txt", "f");
  std::filesystem::create_directory_symlink(P("outside"), P("親/link"));
  Call(kRmdir, {Jp("親")});
  EXPECT_FALSE(Has("親"));
  EXPECT_EQ(Get("outside/keep.txt"), "k");
}

TEST_F(FileCommands, WorkingFolder) {
  Call(kMkdir, {Jp("作業")});
  Call(kChdir, {Jp("作業")});
  EXPECT_EQ(std::filesystem::current_path().string(), P("作業"));
  // Without an argument (the dispatcher's "それ") the folder with a "/".
  engine.Base().implicitSubject = true;
  EXPECT_EQ(Call(kWorkFolder, {SJ("それ")}), Utf8ToSjis(P("作業/")));
  EXPECT_EQ(Kind(), "s");
  engine.Base().implicitSubject = false;
  Call(kWorkFolder, {Text("/")});
  EXPECT_EQ(Call(kWorkFolder), "/");
  EXPECT_NE(ErrorOf(kChdir, {Text("/nothere")}).find(SJ("\"作業フォルダ変更\"で作業フォルダの変更に失敗。理由は、")),
            std::string::npos);
}

TEST_F(FileCommands, ExistenceTests) {
  Put("f.txt", "");
  std::filesystem::create_directory(P("d"));
  auto value = [&](int id, const std::string& arg) { return Call(id, {Text(arg)}); };
  engine.SetResult("", "e");
  EXPECT_EQ(value(kIsFolder, " d "), "1");
  EXPECT_EQ(Kind(), "e");  // the value only
  EXPECT_EQ(value(kIsFolder, "f.txt"), "0");
  EXPECT_EQ(value(kIsFolder, "none"), "0");
  EXPECT_EQ(value(kIsFile, "f.txt"), "1");
  EXPECT_EQ(value(kIsFile, "d"), "0");
  EXPECT_EQ(value(kIsFile, "none"), "0");
  EXPECT_EQ(value(kExists, "d"), "0");
  EXPECT_EQ(value(kExists, "d/"), "1");
  EXPECT_EQ(value(kExists, "d\\"), "1");
  EXPECT_EQ(value(kExists, "f.txt"), "1");
}

TEST_F(FileCommands, AttributesDatesAndSizes) {
  Put("f.txt", std::string(1234, 'x'));
  std::filesystem::create_directory(P("d"));
  EXPECT_EQ(Call(kGetAttr, {Text("none")}), "-1");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(kGetAttr, {Text("d")}), "16");
  EXPECT_EQ(Call(kGetAttr, {Text("f.txt")}), "32");
  Call(kSetAttr, {Text("f.txt"), Text("x1")});
  EXPECT_EQ(Call(kGetAttr, {Text("f.txt")}), "32");
  Call(kSetAttr, {Text("f.txt"), Text("1")});
  EXPECT_EQ(Call(kGetAttr, {Text("f.txt")}), "33");
  Call(kSetAttr, {Text("f.txt"), Text("0")});
  EXPECT_EQ(Call(kGetAttr, {Text("f.txt")}), "32");

  EXPECT_EQ(Call(kSize, {Text("f*.txt")}), "1234");
  EXPECT_EQ(Kind(), "s");
  const std::string date = Call(kDate, {Text("f.txt")});
  std::smatch m;
  ASSERT_TRUE(std::regex_match(date, m, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:(\d\d))")));
  EXPECT_EQ(std::stoi(m[1]) % 2, 0);
  EXPECT_NE(ErrorOf(kSize, {Jp("無*.txt")}).find(SJ("ファイル\"無*.txt\"の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
}

TEST_F(FileCommands, LongNameTakesTheCaseOnDisk) {
  Put("Dir/File.TXT", "");
  EXPECT_EQ(Call(kLongName, {Text("dir/file.txt")}), Utf8ToSjis(P("Dir/File.TXT")));
  EXPECT_EQ(Call(kLongName, {Text("Dir/./none.txt")}), Utf8ToSjis(P("Dir/none.txt")));
}

TEST_F(FileCommands, ShortcutToAFolderPathIsNamedAfterTheFile) {
  Put("doc.txt", "");
  std::filesystem::create_directory(P("links"));
  Call(kShortcut, {Text("doc.txt"), Text("links/")});
  const std::string entry = Get("links/doc.desktop");
  EXPECT_NE(entry.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(entry.find("Type=Link\nURL=file://" + dir_ + "/doc.txt"), std::string::npos);
  Call(kShortcut, {Text("doc.txt"), Text("links/other.lnk")});
  EXPECT_TRUE(Has("links/other.desktop"));
}

// Answers every question with "no" and counts them.
class RefusingDialogs : public TConsoleDialogs {
 public:
  int asked = 0;
  std::vector<std::string> questions;
  std::string AskButtons(const std::string& text, const std::string&, const std::vector<std::string>&) override {
    ++asked;
    questions.push_back(text);
    return SJ("いいえ");
  }
};

TEST_F(FileCommands, ConfirmationJudgesTheFolderWrittenTo) {
  // The script's folder lies elsewhere: a relative name is written to the
  // current folder, so the user is asked about it (and refuses here).
  std::filesystem::create_directory(P("script"));
  engine.Base().baseFolder = Utf8ToSjis(P("script/"));
  RefusingDialogs dialogs;
  SetDialogs(&dialogs);
  Call(kWrite, {Text("x"), Text("a.txt")});
  SetDialogs(nullptr);
  EXPECT_EQ(dialogs.asked, 1);
  EXPECT_FALSE(Has("a.txt"));
}

TEST_F(FileCommands, AssociationsInTheRegistryStore) {
  EXPECT_EQ(ErrorOf(kAssociate, {Text(""), Text("prog"), Text("x")}), "");
  EXPECT_NE(ErrorOf(kAssociate, {Text("nura"), Text("noprog"), Text("x")})
                .find(SJ("\"関連付ける\"命令の引数に誤りがあります。:\"noprog\"が存在しません。")),
            std::string::npos);
  Put("prog", "");
  Put("prog.ico", "");
  engine.Base().securityLevel = 0;
  Call(kAssociate, {Text(" .nura "), Text("prog"), Jp("ぬら文書")});
  TRegistryStore store;
  auto value = [&](const std::string& key) {
    auto v = store.ReadValue("HKEY_CLASSES_ROOT\\" + key, "");
    return v ? v->data : std::string("(none)");
  };
  EXPECT_EQ(value(".nura"), "nuraFile");
  EXPECT_EQ(value("nuraFile"), SJ("ぬら文書"));
  EXPECT_EQ(value("nuraFile\\DefaultIcon"), "\"prog.ico\"");
  EXPECT_EQ(value("nuraFile\\shell\\open\\command"), "\"prog\" \"%1\"");

  // At the default level the user is always asked (the target is "*").
  engine.Base().securityLevel = 1;
  RefusingDialogs dialogs;
  SetDialogs(&dialogs);
  Call(kAssociate, {Text("nura"), Text("prog"), Text("")});
  Call(kUnassociate, {Text("nura")});
  SetDialogs(nullptr);
  ASSERT_EQ(dialogs.questions.size(), 2u);
  EXPECT_EQ(dialogs.questions[0], SJ("既に関連付けされている拡張子\"nura\"を、\"prog\"へ関連付けを変更します。"));
  EXPECT_EQ(dialogs.questions[1], SJ("拡張子\"nura\"の関連付けを削除します。"));
  EXPECT_EQ(value("nuraFile"), SJ("ぬら文書"));

  engine.Base().securityLevel = 0;
  Call(kUnassociate, {Text(".nura")});
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\.nura"));
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\nuraFile"));
}

TEST_F(FileCommands, DevicesAreNotRead) {
  EXPECT_NE(ErrorOf(kRead, {"A", Text("/dev/zero")}).find(SJ("の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
}

TEST(FileProgram, HighSecurityStopsAWrite) {
  const std::string dir = test::MakeTempFolder();
  test::WriteSjisFile(dir + "/w.nrs", "「中身」を「出力.txt」へ書く\r\n「済み」と言う\r\n");
  auto r = test::RunProgram({"-security", "high", "w.nrs"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "済み\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "/出力.txt"));
  r = test::RunProgram({"w.nrs"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir + "/出力.txt"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nura
