#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "file_test_support.h"
#include "engine/dialogs.h"
#include "platform/clipboard.h"
#include "platform/desktop_associations.h"
#include "platform/file_io.h"
#include "platform/registry_store.h"
#include "platform/shell.h"

namespace nura {
namespace {

class FileCommands : public FileFixture {
 protected:
  std::string Var(const std::string& name) { return engine.Base().words.FindValue(name, false); }
};

TEST_F(FileCommands, WriteReadAndAppendWithTwoByteNames) {
  Call(CommandId::WriteFile, {Jp("あい"), Jp("表ファイル.txt")});
  EXPECT_EQ(Get("表ファイル.txt"), SJ("あい"));
  Call(CommandId::AppendFile, {Jp("う\r\n"), Jp("表ファイル.txt")});
  Call(CommandId::ReadFile, {"A", Jp("表ファイル.txt")});
  EXPECT_EQ(Var("A"), SJ("あいう\r\n"));
  EXPECT_EQ(engine.Base().words.Find("A", false)->Annotation(), "s");
  // The ids without a name run the same handlers.
  Call(CommandId::WriteFileUnnamed, {Text("x"), Text("b.txt")});
  Call(CommandId::ReadFileUnnamed, {"B", Text("b.txt")});
  EXPECT_EQ(Var("B"), "x");
  // An empty file reads as "" with type "s".
  Put("empty.txt", "");
  engine.SetResult("5", "e");
  Call(CommandId::ReadFile, {SJ("それ"), Text("empty.txt")});
  EXPECT_EQ(engine.ResultNode()->Value(), "");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(FileCommands, ReadAndAppendFailures) {
  EXPECT_NE(ErrorOf(CommandId::ReadFile, {"A", Jp("無い.txt")}).find(SJ("ファイル\"無い.txt\"の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
  EXPECT_NE(ErrorOf(CommandId::AppendFile, {Text("x"), Jp("無い.txt")}).find(SJ("ファイル\"無い.txt\"が、ありません。")),
            std::string::npos);
  EXPECT_FALSE(Has("無い.txt"));
  std::filesystem::create_directory(P("dir"));
  EXPECT_NE(ErrorOf(CommandId::WriteFile, {Text("x"), Text("dir")}).find(SJ("の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
}

TEST_F(FileCommands, ClipboardInPlaceOfAFile) {
  Call(CommandId::WriteFile, {Jp("写し"), Jp("クリップボード")});
  EXPECT_EQ(GetClipboardText(), SJ("写し"));
  Call(CommandId::AppendFile, {Text("!"), Jp("クリップボード")});
  Call(CommandId::ReadFile, {"C", Jp("クリップボード")});
  EXPECT_EQ(Var("C"), SJ("写し!"));
  EXPECT_FALSE(Has("クリップボード"));
}

TEST_F(FileCommands, HighSecurityChangesNothing) {
  Put("a.txt", "keep");
  std::filesystem::create_directory(P("d"));
  engine.Base().securityLevel = 2;
  Call(CommandId::WriteFile, {Text("new"), Text("a.txt")});
  Call(CommandId::WriteFile, {Text("new"), Text("b.txt")});
  Call(CommandId::AppendFile, {Text("more"), Text("a.txt")});
  Call(CommandId::CopyFile, {Text("a.txt"), Text("c.txt")});
  Call(CommandId::MoveFile, {Text("a.txt"), Text("m.txt")});
  Call(CommandId::RenameFile, {Text("a.txt"), Text("r.txt")});
  Call(CommandId::DeleteFile, {Text("a.txt")});
  Call(CommandId::DeleteFileCompletely, {Text("a.txt")});
  Call(CommandId::CreateFolder, {Text("e")});
  Call(CommandId::DeleteFolder, {Text("d")});
  Call(CommandId::SetFileAttributes, {Text("a.txt"), Text("1")});
  Call(CommandId::CreateShortcut, {Text("a.txt"), Text("link")});
  EXPECT_EQ(Get("a.txt"), "keep");
  for (const char* name : {"b.txt", "c.txt", "m.txt", "r.txt", "e", "link.desktop"}) EXPECT_FALSE(Has(name)) << name;
  EXPECT_TRUE(Has("d"));
  EXPECT_EQ(GetFileAttributeBits(P("a.txt")) & 1, 0);
}

TEST_F(FileCommands, SecurityIniIsNeverWritten) {
  engine.Base().securityLevel = 0;
  Call(CommandId::WriteFile, {Text("[t.nrs]\r\nsecurity=low\r\n"), Text("security.ini")});
  Call(CommandId::WriteFile, {Text("x"), Text("SECURITY.INI")});
  EXPECT_FALSE(Has("security.ini"));
  EXPECT_FALSE(Has("SECURITY.INI"));
}

TEST_F(FileCommands, CopyMoveRenameAndDelete) {
  Put("元.txt", "data");
  std::filesystem::create_directory(P("先"));
  Call(CommandId::CopyFile, {Jp("元.txt"), Jp("先/")});
  EXPECT_EQ(Get("先/元.txt"), "data");
  Call(CommandId::MoveFile, {Jp("先/元.txt"), Jp("移.txt")});
  EXPECT_EQ(Get("移.txt"), "data");
  EXPECT_FALSE(Has("先/元.txt"));
  Call(CommandId::RenameFile, {Jp("移.txt"), Jp("改.txt")});
  EXPECT_EQ(Get("改.txt"), "data");
  // A rename never replaces a file: it fails and both stay.
  const std::string error = ErrorOf(CommandId::RenameFile, {Jp("改.txt"), Jp("元.txt")});
  EXPECT_NE(error.find(SJ("ファイル\"改.txt\"の、読み込みか書き込みに、失敗しました。ファイル名の変更")),
            std::string::npos);
  EXPECT_EQ(Get("元.txt"), "data");
  // Deletion goes to the trash with its record; the complete one does not.
  Call(CommandId::DeleteFile, {Jp("改.txt")});
  EXPECT_FALSE(Has("改.txt"));
  EXPECT_EQ(Get("xdg/Trash/files/改.txt"), "data");
  EXPECT_NE(Get("xdg/Trash/info/改.txt.trashinfo").find("Path=" + dir_ + "/%E6%94%B9.txt"), std::string::npos);
  Put("改.txt", "again");
  Call(CommandId::DeleteFile, {Jp("改.txt")});
  EXPECT_EQ(Get("xdg/Trash/files/改.txt.2"), "again");
  Call(CommandId::DeleteFileCompletely, {Jp("元.txt")});
  EXPECT_FALSE(Has("元.txt"));
  Call(CommandId::DeleteFileCompletely, {Jp("先")});
  EXPECT_TRUE(Has("先"));
}

TEST_F(FileCommands, CopyWithWildcardAndIntoItself) {
  Put("a1.txt", "1");
  Put("a2.txt", "2");
  Put("b.dat", "3");
  Put("tree/x.txt", "x");
  std::filesystem::create_directory(P("out"));
  Call(CommandId::CopyFile, {Text("a*.txt"), Text("out")});
  EXPECT_EQ(Get("out/a1.txt"), "1");
  EXPECT_EQ(Get("out/a2.txt"), "2");
  EXPECT_FALSE(Has("out/b.dat"));
}

// A folder copied into itself would grow without end: it is refused with
// the file error and creates nothing, also when source and destination
// are written relative to the current folder.
TEST_F(FileCommands, CopyOfAFolderIntoItselfIsRefused) {
  Put("tree/x.txt", "x");
  Put("inner/y.txt", "y");
  const std::string failed = SJ("の、読み込みか書き込みに、失敗しました。");
  EXPECT_NE(ErrorOf(CommandId::CopyFile, {Text("tree"), Text("tree/sub")}).find(failed), std::string::npos);
  EXPECT_FALSE(Has("tree/sub"));
  EXPECT_NE(ErrorOf(CommandId::CopyFile, {Text("."), Text("0")}).find(failed), std::string::npos);
  EXPECT_FALSE(Has("0"));
  std::filesystem::current_path(P("inner"));
  EXPECT_NE(ErrorOf(CommandId::CopyFile, {Text(".."), Text("x")}).find(failed), std::string::npos);
  EXPECT_FALSE(Has("inner/x"));
  // A folder copied beside itself is no copy into itself.
  Call(CommandId::CopyFile, {Text("../tree"), Text("../tree2")});
  EXPECT_EQ(Get("tree2/x.txt"), "x");
}

TEST_F(FileCommands, FoldersAndDeletionStayInsideTheTree) {
  Call(CommandId::CreateFolder, {Jp("親/子/孫")});
  EXPECT_TRUE(std::filesystem::is_directory(P("親/子/孫")));
  EXPECT_NE(ErrorOf(CommandId::CreateFolder, {Text("  ")}).find(SJ("\"フォルダ作成\"命令の引数に誤りがあります。引数を指定してください。")),
            std::string::npos);
  Put("outside/keep.txt", "k");
  Put("親/子/f.txt", "f");
  std::filesystem::create_directory_symlink(P("outside"), P("親/link"));
  Call(CommandId::DeleteFolder, {Jp("親")});
  EXPECT_FALSE(Has("親"));
  EXPECT_EQ(Get("outside/keep.txt"), "k");
}

TEST_F(FileCommands, WorkingFolder) {
  Call(CommandId::CreateFolder, {Jp("作業")});
  Call(CommandId::SetWorkingFolder, {Jp("作業")});
  EXPECT_EQ(std::filesystem::current_path().string(), P("作業"));
  // Without an argument (the dispatcher's "それ") the folder with a "/".
  engine.Base().implicitSubject = true;
  EXPECT_EQ(Call(CommandId::WorkingFolder, {SJ("それ")}), Utf8ToSjis(P("作業/")));
  EXPECT_EQ(Kind(), "s");
  engine.Base().implicitSubject = false;
  Call(CommandId::WorkingFolder, {Text("/")});
  EXPECT_EQ(Call(CommandId::WorkingFolder), "/");
  EXPECT_NE(ErrorOf(CommandId::SetWorkingFolder, {Text("/nothere")}).find(SJ("\"作業フォルダ変更\"で作業フォルダの変更に失敗。理由は、")),
            std::string::npos);
}

TEST_F(FileCommands, ExistenceTests) {
  Put("f.txt", "");
  std::filesystem::create_directory(P("d"));
  auto value = [&](CommandId id, const std::string& arg) { return Call(id, {Text(arg)}); };
  engine.SetResult("", "e");
  EXPECT_EQ(value(CommandId::IsFolder, " d "), "1");
  EXPECT_EQ(Kind(), "e");  // the value only
  EXPECT_EQ(value(CommandId::IsFolder, "f.txt"), "0");
  EXPECT_EQ(value(CommandId::IsFolder, "none"), "0");
  EXPECT_EQ(value(CommandId::IsFile, "f.txt"), "1");
  EXPECT_EQ(value(CommandId::IsFile, "d"), "0");
  EXPECT_EQ(value(CommandId::IsFile, "none"), "0");
  EXPECT_EQ(value(CommandId::Exists, "d"), "0");
  EXPECT_EQ(value(CommandId::Exists, "d/"), "1");
  EXPECT_EQ(value(CommandId::Exists, "d\\"), "1");
  EXPECT_EQ(value(CommandId::Exists, "f.txt"), "1");
}

TEST_F(FileCommands, AttributesDatesAndSizes) {
  Put("f.txt", std::string(1234, 'x'));
  std::filesystem::create_directory(P("d"));
  EXPECT_EQ(Call(CommandId::GetFileAttributes, {Text("none")}), "-1");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::GetFileAttributes, {Text("d")}), "16");
  EXPECT_EQ(Call(CommandId::GetFileAttributes, {Text("f.txt")}), "32");
  Call(CommandId::SetFileAttributes, {Text("f.txt"), Text("x1")});
  EXPECT_EQ(Call(CommandId::GetFileAttributes, {Text("f.txt")}), "32");
  Call(CommandId::SetFileAttributes, {Text("f.txt"), Text("1")});
  EXPECT_EQ(Call(CommandId::GetFileAttributes, {Text("f.txt")}), "33");
  Call(CommandId::SetFileAttributes, {Text("f.txt"), Text("0")});
  EXPECT_EQ(Call(CommandId::GetFileAttributes, {Text("f.txt")}), "32");

  EXPECT_EQ(Call(CommandId::FileSize, {Text("f*.txt")}), "1234");
  EXPECT_EQ(Kind(), "s");
  const std::string date = Call(CommandId::FileDate, {Text("f.txt")});
  std::smatch m;
  ASSERT_TRUE(std::regex_match(date, m, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:(\d\d))")));
  EXPECT_EQ(std::stoi(m[1]) % 2, 0);
  EXPECT_NE(ErrorOf(CommandId::FileSize, {Jp("無*.txt")}).find(SJ("ファイル\"無*.txt\"の、読み込みか書き込みに、失敗しました。")),
            std::string::npos);
}

TEST_F(FileCommands, LongNameTakesTheCaseOnDisk) {
  Put("Dir/File.TXT", "");
  EXPECT_EQ(Call(CommandId::LongName, {Text("dir/file.txt")}), Utf8ToSjis(P("Dir/File.TXT")));
  EXPECT_EQ(Call(CommandId::LongName, {Text("Dir/./none.txt")}), Utf8ToSjis(P("Dir/none.txt")));
}

TEST_F(FileCommands, ShortcutToAFolderPathIsNamedAfterTheFile) {
  Put("doc.txt", "");
  std::filesystem::create_directory(P("links"));
  Call(CommandId::CreateShortcut, {Text("doc.txt"), Text("links/")});
  const std::string entry = Get("links/doc.desktop");
  EXPECT_NE(entry.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(entry.find("Type=Link\nURL=file://" + dir_ + "/doc.txt"), std::string::npos);
  Call(CommandId::CreateShortcut, {Text("doc.txt"), Text("links/other.lnk")});
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
  Call(CommandId::WriteFile, {Text("x"), Text("a.txt")});
  SetDialogs(nullptr);
  EXPECT_EQ(dialogs.asked, 1);
  EXPECT_FALSE(Has("a.txt"));
}

TEST_F(FileCommands, AssociationsInTheRegistryStore) {
  EXPECT_EQ(ErrorOf(CommandId::Associate, {Text(""), Text("prog"), Text("x")}), "");
  EXPECT_NE(ErrorOf(CommandId::Associate, {Text("nura"), Text("noprog"), Text("x")})
                .find(SJ("\"関連付ける\"命令の引数に誤りがあります。:\"noprog\"が存在しません。")),
            std::string::npos);
  Put("prog", "");
  Put("prog.ico", "");
  engine.Base().securityLevel = 0;
  Call(CommandId::Associate, {Text(" .nura "), Text("prog"), Jp("ぬら文書")});
  TRegistryStore store;
  auto value = [&](const std::string& key) {
    auto v = store.ReadValue("HKEY_CLASSES_ROOT\\" + key, "");
    return v ? v->data : std::string("(none)");
  };
  EXPECT_EQ(value(".nura"), "nuraFile");
  EXPECT_EQ(value("nuraFile"), SJ("ぬら文書"));
  EXPECT_EQ(value("nuraFile\\DefaultIcon"), "\"prog.ico\"");
  EXPECT_EQ(value("nuraFile\\shell\\open\\command"), "\"prog\" \"%1\"");
  // The desktop's own record: a MIME type for "*.nura", made the default
  // of a desktop entry that runs the program, all in the user's folders.
  const bool tools = std::system("command -v xdg-mime >/dev/null && command -v update-mime-database >/dev/null") == 0;
  std::string entry, globs, defaults;
  EXPECT_TRUE(ReadNativeFile(P("xdg/applications/nurasera-nura.desktop"), entry));
  EXPECT_NE(entry.find("Exec=\"" + std::filesystem::absolute(P("prog")).string() + "\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=application/x-nurasera-nura;\n"), std::string::npos);
  EXPECT_NE(entry.find("Name=ぬら文書\n"), std::string::npos);
  if (tools) {
    EXPECT_TRUE(ReadNativeFile(P("xdg/mime/globs2"), globs));
    EXPECT_NE(globs.find("application/x-nurasera-nura:*.nura"), std::string::npos) << globs;
    EXPECT_TRUE(ReadNativeFile(P("config/mimeapps.list"), defaults));
    EXPECT_NE(defaults.find("application/x-nurasera-nura=nurasera-nura.desktop"), std::string::npos) << defaults;
  }

  // At the default level the user is always asked (the target is "*").
  engine.Base().securityLevel = 1;
  RefusingDialogs dialogs;
  SetDialogs(&dialogs);
  Call(CommandId::Associate, {Text("nura"), Text("prog"), Text("")});
  Call(CommandId::RemoveAssociation, {Text("nura")});
  SetDialogs(nullptr);
  ASSERT_EQ(dialogs.questions.size(), 2u);
  EXPECT_EQ(dialogs.questions[0], SJ("既に関連付けされている拡張子\"nura\"を、\"prog\"へ関連付けを変更します。"));
  EXPECT_EQ(dialogs.questions[1], SJ("拡張子\"nura\"の関連付けを削除します。"));
  EXPECT_EQ(value("nuraFile"), SJ("ぬら文書"));

  engine.Base().securityLevel = 0;
  Call(CommandId::RemoveAssociation, {Text(".nura")});
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\.nura"));
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\nuraFile"));
  EXPECT_FALSE(std::filesystem::exists(P("xdg/applications/nurasera-nura.desktop")));
  EXPECT_FALSE(std::filesystem::exists(P("xdg/mime/packages/nurasera-nura.xml")));
  if (tools) {
    ASSERT_TRUE(ReadNativeFile(P("config/mimeapps.list"), defaults));
    EXPECT_EQ(defaults.find("application/x-nurasera-nura="), std::string::npos) << defaults;
    ASSERT_TRUE(ReadNativeFile(P("xdg/mime/globs2"), globs));
    EXPECT_EQ(globs.find("*.nura"), std::string::npos) << globs;
  }
  EXPECT_EQ(AssociationMimeType("Nu/r a"), "application/x-nurasera-nu_2Fr_20a");
}

TEST_F(FileCommands, DevicesAreNotRead) {
  EXPECT_NE(ErrorOf(CommandId::ReadFile, {"A", Text("/dev/zero")}).find(SJ("の、読み込みか書き込みに、失敗しました。")),
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
