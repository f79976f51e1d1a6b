// "圧縮", "解凍" and "自己解凍書庫作成" on real files: round trips per
// format checked by the Debian tools, replacement of existing archives,
// failures that carry the library's message, and extraction that never
// leaves its folder.
#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "archive/archive_io.h"
#include "archive/lha_writer.h"
#include "engine/dialogs.h"
#include "archive_test_support.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

class ArchiveCommands : public ArchiveFixture {
 protected:
  // Two files in a folder with a Shift-JIS name, one in a subfolder.
  std::string MakeTree() {
    WriteBytes(Path("src/日本語.txt"), "日本語の本文\n");
    WriteBytes(Path("src/フォルダ/深い.txt"), std::string(5000, 'x') + "end");
    WriteBytes(Path("src/a.txt"), "alpha");
    return "src/日本語.txt\r\nsrc/フォルダ/深い.txt\r\nsrc/a.txt";
  }
  std::string PackTree(const std::string& archive) {
    std::string list;
    for (const char* name : {"src/日本語.txt", "src/フォルダ/深い.txt", "src/a.txt"})
      list += dir_ + "/" + name + "\r\n";
    MakeTree();
    return ErrorOf(CommandId::Pack, {Jp(list), Arg(archive)});
  }
  // The base folder is that of the longest line: src/フォルダ/, so the
  // other two keep their full (rooted) path, stored without the "/".
  std::string Stored(const std::string& name) const {
    return name == "深い.txt" ? name : (dir_ + "/src/" + name).substr(1);
  }
  void ExpectExtracted(const std::string& folder) {
    EXPECT_EQ(ReadBytes(Path(folder + "/深い.txt")), std::string(5000, 'x') + "end");
    EXPECT_EQ(ReadBytes(Path(folder + "/" + Stored("日本語.txt"))), "日本語の本文\n");
    EXPECT_EQ(ReadBytes(Path(folder + "/" + Stored("a.txt"))), "alpha");
  }
};

TEST_F(ArchiveCommands, RoundTripsPerFormatCheckedByTheirTools) {
  struct Case {
    const char* archive;
    const char* check;  // the tool's test command
    const char* list;   // the tool's listing command
  };
  const Case cases[] = {
      {"out.zip", "unzip -t", "unzip -l"},    {"out.tar.gz", "tar tzf", "tar tzf"},
      {"out.7z", "7zz t", "7zz l"},           {"out.lzh", "lhasa t", "lhasa l"},
      {"out.cab", "cabextract -t", "cabextract -l"}, {"out.tar", "tar tf", "tar tf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    ASSERT_EQ(PackTree(c.archive), "");
    const std::string check = c.check;
    if (HaveTool(check.substr(0, check.find(' ')))) {
      const ToolResult checked = RunTool(check + " '" + Path(c.archive) + "'");
      EXPECT_EQ(checked.status, 0) << checked.output;
      const ToolResult listed = RunTool(std::string(c.list) + " '" + Path(c.archive) + "'");
      EXPECT_NE(listed.output.find("a.txt"), std::string::npos) << listed.output;
    }
    const std::string dest = std::string("dest-") + c.archive;
    ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg(c.archive), Arg(dest)}), "");
    ExpectExtracted(dest);
  }
}

TEST_F(ArchiveCommands, ZipNamesAreShiftJisWithoutTheUtf8Flag) {
  ASSERT_EQ(PackTree("names.zip"), "");
  const ToolResult listed = RunTool(
      "/usr/bin/python3 -c \"import zipfile,sys\n"
      "z = zipfile.ZipFile(sys.argv[1], metadata_encoding='cp932')\n"
      "assert z.testzip() is None\n"
      "for i in z.infolist(): print(i.flag_bits & 0x800, i.filename)\" '" +
      Path("names.zip") + "'");
  ASSERT_EQ(listed.status, 0) << listed.output;
  EXPECT_NE(listed.output.find("0 深い.txt"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("日本語.txt"), std::string::npos) << listed.output;
}

TEST_F(ArchiveCommands, LhaHoldsShiftJisNamesAndReadsBackThroughLhasa) {
  if (!HaveTool("lhasa")) GTEST_SKIP() << "lhasa is not installed";
  ASSERT_EQ(PackTree("names.lzh"), "");
  fs::create_directories(Path("lhasa"));
  const ToolResult extracted = RunTool("cd '" + Path("lhasa") + "' && lhasa x '" + Path("names.lzh") + "'");
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  // lhasa writes the stored bytes: the Shift-JIS name.
  EXPECT_TRUE(fs::exists(Path("lhasa/") + "\x90\x5B\x82\xA2.txt")) << extracted.output;
}

TEST_F(ArchiveCommands, RelativeLinesInOtherFoldersAreNotLost) {
  WriteBytes(Path("one/long-name.txt"), "1");
  WriteBytes(Path("two/b.txt"), "2");
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Jp("one/long-name.txt\ntwo/b.txt"), Arg("r.zip")}), "");
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("r.zip"), Arg("r")}), "");
  EXPECT_EQ(ReadBytes(Path("r/long-name.txt")), "1");
  EXPECT_EQ(ReadBytes(Path("r/" + Path("two/b.txt").substr(1))), "2");
}

TEST_F(ArchiveCommands, AnArchiveNeverPacksItself) {
  WriteBytes(Path("w/a.txt"), "a");
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("w/*.*"), Arg("w/self.zip")}), "");
  }
  const ToolResult listed = RunTool("unzip -Z1 '" + Path("w/self.zip") + "'");
  EXPECT_EQ(listed.output, "a.txt\n");
  EXPECT_NE(ErrorOf(CommandId::Unpack, {Arg("self.zip"), Arg("w/a.txt")}), "");  // not a folder
}

TEST_F(ArchiveCommands, RandomListedTreesComeBackFromTarWithTheirBytesTimesAndModes) {
  // Folders with "\\" as the second byte of a character ("表" 95 5C,
  // "ソ" 83 5C), files around the 64 KiB reading block, links to files
  // (packed as the file they name), listed in random order and twice.
  const std::vector<std::string> folders = {"tree", "tree/表", "tree/ソフト", "tree/a/b"};
  std::mt19937 random(11);
  const mode_t mask = umask(0);
  umask(mask);
  for (int round = 0; round < 4; ++round) {
    const std::string tree = "r" + std::to_string(round) + "/";
    std::vector<std::string> listed;  // relative to the tree's folder
    std::map<std::string, std::string> target;  // listed name -> the file it reads
    for (int i = 0; i < 40; ++i) {
      const std::string name = folders[random() % folders.size()] + "/f" + std::to_string(i) + ".bin";
      const size_t size = random() % 4 == 0 ? 65536 + random() % 3 - 1 : random() % 3000;
      std::string bytes(size, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      WriteBytes(Path(tree + name), bytes);
      SetModified(Path(tree + name), 1500000000 + static_cast<time_t>(random() % 100000000));
      listed.push_back(name);
      target[name] = name;
      if (i % 7 == 0) {
        const std::string link = name + ".ln";
        fs::create_symlink(fs::path(name).filename(), Path(tree + link));
        listed.push_back(link);
        target[link] = name;
      }
    }
    // The longest line makes "tree" the base folder: the members are named
    // from there.
    const std::string longest = "tree/" + std::string(120, 'z') + ".txt";
    WriteBytes(Path(tree + longest), "base");
    listed.push_back(longest);
    target[longest] = longest;
    listed.push_back(listed[random() % listed.size()]);
    std::shuffle(listed.begin(), listed.end(), random);
    std::string list;
    for (const std::string& name : listed) list += Path(tree + name) + "\r\n";
    const std::string archive = tree + "out.tar", out = tree + "x";
    ASSERT_EQ(ErrorOf(CommandId::Pack, {Jp(list), Arg(archive)}), "");
    ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg(archive), Arg(out)}), "");
    std::set<std::string> extracted;
    for (const auto& entry : fs::recursive_directory_iterator(Path(out))) {
      if (!entry.is_directory()) extracted.insert(entry.path().lexically_relative(Path(out)).string());
    }
    std::set<std::string> expected;
    for (const auto& [name, file] : target) {
      const std::string relative = name.substr(5);
      expected.insert(relative);
      const std::string back = Path(out + "/" + relative);
      struct stat made {}, source {};
      ASSERT_EQ(::lstat(back.c_str(), &made), 0) << name;
      ASSERT_EQ(::stat(Path(tree + file).c_str(), &source), 0) << name;
      EXPECT_TRUE(S_ISREG(made.st_mode)) << name;
      EXPECT_EQ(made.st_mode & 07777, 0644 & ~mask) << name;
      EXPECT_EQ(made.st_mtime, source.st_mtime) << name;
      EXPECT_EQ(ReadBytes(back), ReadBytes(Path(tree + file))) << name;
    }
    EXPECT_EQ(extracted, expected);
  }
}

TEST_F(ArchiveCommands, NameWithoutExtensionBecomesLha) {
  WriteBytes(Path("one.txt"), "1");
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("one.txt"), Arg("bare")}), "");
  EXPECT_TRUE(fs::exists(Path("bare.lzh")));
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("bare"), Arg("x")}), "");
  EXPECT_EQ(ReadBytes(Path("x/one.txt")), "1");
}

TEST_F(ArchiveCommands, ExistingArchiveIsReplacedOnlyWhenTheNewOneIsComplete) {
  WriteBytes(Path("a.txt"), "a");
  WriteBytes(Path("b.txt"), "b");
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("a.txt"), Arg("keep.zip")}), "");
  const std::string before = ReadBytes(Path("keep.zip"));
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(fs::status(Path("keep.zip")).permissions() & fs::perms::all,
            static_cast<fs::perms>(0666 & ~mask));  // as any new file
  // A file that cannot be read fails the pack: the old archive stays.
  if (getuid() != 0) {
    WriteBytes(Path("locked.txt"), "x");
    fs::permissions(Path("locked.txt"), fs::perms::none);
    const std::string error =
        ErrorOf(CommandId::Pack, {Jp(Path("b.txt") + "\n" + Path("locked.txt")), Arg("keep.zip")});
    fs::permissions(Path("locked.txt"), fs::perms::owner_all);
    EXPECT_NE(SjisToUtf8(error).find("ファイル圧縮のエラー。コマンドライン="), std::string::npos);
    EXPECT_EQ(ReadBytes(Path("keep.zip")), before);
  }
  // A format that cannot be written leaves the file of that name.
  WriteBytes(Path("keep.rpm"), "not touched");
  EXPECT_NE(ErrorOf(CommandId::Pack, {Arg("b.txt"), Arg("keep.rpm")}), "");
  EXPECT_EQ(ReadBytes(Path("keep.rpm")), "not touched");
  // A listed file that is missing, or a pattern that matches nothing, is
  // an error too, and leaves the archive.
  EXPECT_NE(SjisToUtf8(ErrorOf(CommandId::Pack, {Arg("missing.txt"), Arg("keep.zip")}))
                .find("ファイル\"" + Path("missing.txt") + "\"が見つかりません。"),
            std::string::npos);
  EXPECT_NE(SjisToUtf8(ErrorOf(CommandId::Pack, {Arg("*.none"), Arg("keep.zip")}))
                .find("圧縮するファイルが見つかりません。"),
            std::string::npos);
  EXPECT_EQ(ReadBytes(Path("keep.zip")), before);
  // A successful pack replaces it with exactly the new list.
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("b.txt"), Arg("keep.zip")}), "");
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("keep.zip"), Arg("k")}), "");
  EXPECT_TRUE(fs::exists(Path("k/b.txt")));
  EXPECT_FALSE(fs::exists(Path("k/a.txt")));
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().find(".~"), std::string::npos) << entry.path();
}

TEST_F(ArchiveCommands, ExtractingAMissingOrDamagedArchiveFails) {
  const std::string missing = SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg("none.lzh"), Arg("d")}));
  EXPECT_NE(missing.find("解凍のエラー。解凍先\""), std::string::npos) << missing;
  EXPECT_NE(missing.find("が見つかりません"), std::string::npos) << missing;
  EXPECT_NE(missing.find("。オプション=\"-a1 -r2 -x1 -jp1 -c0 -m1\"。"), std::string::npos) << missing;
  WriteBytes(Path("junk.zip"), "this is no archive at all");
  EXPECT_NE(ErrorOf(CommandId::Unpack, {Arg("junk.zip"), Arg("d")}), "");
  // A truncated LHA archive: the header is there, the data is not.
  std::ostringstream lha;
  TLhaWriter writer(lha);
  writer.AddFile("big.txt", 1700000000, std::string(20000, 'q'), true);
  writer.Finish();
  WriteBytes(Path("cut.lzh"), lha.str().substr(0, 200));
  EXPECT_NE(ErrorOf(CommandId::Unpack, {Arg("cut.lzh"), Arg("d")}), "");
}

TEST_F(ArchiveCommands, UnknownAndMissingFormatsGiveTheirMessages) {
  WriteBytes(Path("a.txt"), "a");
  EXPECT_NE(SjisToUtf8(ErrorOf(CommandId::Pack, {Arg("a.txt"), Arg("x.gca")}))
                .find("書庫の形式を特定できませんでした。"),
            std::string::npos);
  EXPECT_NE(SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg("x.gza"), Arg("d")}))
                .find("BGA 形式書庫 を扱うには BGA32.DLL が 必要です。"),
            std::string::npos);
}

// ---- extraction stays in its folder ----

// The link, when given, comes after the first `linkAfter` members.
void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& members,
              const std::string& link = "", const std::string& linkTarget = "", size_t linkAfter = 0) {
  struct archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  archive_write_open_filename(a, path.c_str());
  auto add = [&](const std::string& name, const std::string& data, bool symlink) {
    struct archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, symlink ? AE_IFLNK : AE_IFREG);
    archive_entry_set_perm(e, 0644);
    if (symlink) archive_entry_set_symlink(e, data.c_str());
    else archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
    archive_write_header(a, e);
    if (!symlink) archive_write_data(a, data.data(), data.size());
    archive_entry_free(e);
  };
  for (size_t i = 0; i <= members.size(); ++i) {
    if (i == linkAfter && !link.empty()) add(link, linkTarget, true);
    if (i < members.size()) add(members[i].first, members[i].second, false);
  }
  archive_write_close(a);
  archive_write_free(a);
}

TEST_F(ArchiveCommands, CraftedMembersNeverLeaveTheDestination) {
  const std::string outside = Path("outside");
  fs::create_directories(outside);
  const std::string absolute = outside + "/abs.txt";
  WriteZip(Path("evil.zip"), {{"../evil.txt", "bad"}, {absolute, "bad"}, {"ok.txt", "good"},
                              {"..\\back.txt", "bad"}, {"C:\\drive.txt", "bad"}});
  WriteBytes(Path("evil.lzh"), CraftedLhaMember("../evil.txt", "bad") +
                                   CraftedLhaMember(absolute, "bad") +
                                   CraftedLhaMember("ok.txt", "good") + std::string(1, '\0'));
  for (const char* archive : {"evil.zip", "evil.lzh"}) {
    SCOPED_TRACE(archive);
    const std::string dest = std::string("in/") + archive;
    const std::string error = SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg(archive), Arg(dest)}));
    EXPECT_NE(error.find("展開先の外を指す名前"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(Path(dest + "/ok.txt")), "good");
    EXPECT_FALSE(fs::exists(Path("in/evil.txt")));
    EXPECT_FALSE(fs::exists(Path("evil.txt")));
    EXPECT_FALSE(fs::exists(absolute));
    EXPECT_FALSE(fs::exists(Path("in/back.txt")));
    EXPECT_TRUE(fs::is_empty(outside));
  }
}

TEST_F(ArchiveCommands, SymbolicLinkMembersNeverRedirectLaterMembers) {
  fs::create_directories(Path("outside"));
  // A link that climbs out is refused; the member after it lands inside.
  WriteZip(Path("up.zip"), {{"up/x.txt", "inside"}}, "up", "../outside");
  EXPECT_NE(ErrorOf(CommandId::Unpack, {Arg("up.zip"), Arg("u")}), "");
  EXPECT_EQ(ReadBytes(Path("u/up/x.txt")), "inside");
  EXPECT_TRUE(fs::is_empty(Path("outside")));
  // A link inside the folder is made, but nothing is written through it.
  WriteZip(Path("in.zip"), {{"sub/keep.txt", "k"}, {"via/y.txt", "through"}}, "via", "sub");
  EXPECT_NE(ErrorOf(CommandId::Unpack, {Arg("in.zip"), Arg("v")}), "");
  EXPECT_FALSE(fs::exists(Path("v/sub/y.txt")));
  // A folder found free of links before a link member is looked at again
  // after it.
  WriteZip(Path("late.zip"), {{"sub/keep.txt", "k"}, {"gone/a.txt", "a"}, {"via/b.txt", "through"}}, "via", "sub", 2);
  ErrorOf(CommandId::Unpack, {Arg("late.zip"), Arg("w")});
  EXPECT_EQ(ReadBytes(Path("w/gone/a.txt")), "a");
  EXPECT_FALSE(fs::exists(Path("w/sub/b.txt")));
  fs::create_directories(Path("w2/via"));
  WriteZip(Path("same.zip"), {{"via/a.txt", "a"}, {"via/b.txt", "b"}}, "via", "sub", 1);
  ErrorOf(CommandId::Unpack, {Arg("same.zip"), Arg("w2")});
  EXPECT_FALSE(fs::exists(Path("w2/sub/b.txt")));
}

TEST_F(ArchiveCommands, DefaultOptionsKeepNewerFilesAndReplaceOlderOnes) {
  WriteBytes(Path("f.txt"), "archived");
  SetModified(Path("f.txt"), 1600000000);
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("f.txt"), Arg("t.zip")}), "");
  WriteBytes(Path("d/f.txt"), "newer on disk");
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("t.zip"), Arg("d")}), "");
  EXPECT_EQ(ReadBytes(Path("d/f.txt")), "newer on disk");
  SetModified(Path("d/f.txt"), 1500000000);
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("t.zip"), Arg("d")}), "");
  EXPECT_EQ(ReadBytes(Path("d/f.txt")), "archived");
  // "-c1" replaces whatever is there.
  WriteBytes(Path("d/f.txt"), "newest");
  AddVariable(engine, SJ("解凍オプション"), "-x1 -c1", "s");
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("t.zip"), Arg("d")}), "");
  EXPECT_EQ(ReadBytes(Path("d/f.txt")), "archived");
}

TEST_F(ArchiveCommands, OptionC1ReplacesNewerFilesFromTarArchivesToo) {
  for (const char* archive : {"t.tar", "t.tgz", "t.tar.bz2"}) {
    AddVariable(engine, SJ("解凍オプション"), "-x1", "s");
    WriteBytes(Path("f.txt"), "archived");
    SetModified(Path("f.txt"), 1600000000);
    ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("f.txt"), Arg(archive)}), "") << archive;
    WriteBytes(Path("d/f.txt"), "newer on disk");
    ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg(archive), Arg("d")}), "") << archive;
    EXPECT_EQ(ReadBytes(Path("d/f.txt")), "newer on disk") << archive;
    AddVariable(engine, SJ("解凍オプション"), "-x1 -c1", "s");
    ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg(archive), Arg("d")}), "") << archive;
    EXPECT_EQ(ReadBytes(Path("d/f.txt")), "archived") << archive;
    fs::remove_all(Path("d"));
  }
}

TEST_F(ArchiveCommands, SelfExtractorReplacesTheTargetAndCleansUp) {
  WriteBytes(Path("a.txt"), "a");
  WriteBytes(Path("prog.exe"), "old program");
  fs::permissions(Path("prog.exe"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_directories(Path("tmp"));
  const char* previous = getenv("TMPDIR");
  const std::string saved = previous ? previous : "";
  setenv("TMPDIR", Path("tmp").c_str(), 1);
  const std::string fromList =
      SjisToUtf8(ErrorOf(CommandId::MakeSelfExtracting, {Arg("a.txt"), Arg("prog.exe")}));
  if (previous) setenv("TMPDIR", saved.c_str(), 1);
  else unsetenv("TMPDIR");
  EXPECT_EQ(fromList, "");
  EXPECT_NE(ReadBytes(Path("prog.exe")), "old program");
  EXPECT_NE(fs::status(Path("prog.exe")).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
  // From an archive whose name is longer than eight characters: the
  // program reaches the target, nothing stays under the short name.
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("a.txt"), Arg("long-archive-name.lzh")}), "");
  EXPECT_EQ(ErrorOf(CommandId::MakeSelfExtracting, {Arg("long-archive-name.lzh"), Arg("p2.bin")}), "");
  EXPECT_TRUE(fs::exists(Path("p2.bin")));
  EXPECT_FALSE(fs::exists(Path("long-arc.exe")));
  EXPECT_TRUE(fs::exists(Path("long-archive-name.lzh")));
  // A source that is no LHA archive fails with the library's message.
  WriteBytes(Path("fake.lzh"), "not an archive");
  EXPECT_NE(SjisToUtf8(ErrorOf(CommandId::MakeSelfExtracting, {Arg("fake.lzh"), Arg("p3.bin")}))
                .find("LHA 書庫として読めません"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(Path("p3.bin")));
}

TEST_F(ArchiveCommands, SelfExtractorIsNeverWrittenThroughALinkInItsPlace) {
  WriteBytes(Path("a.txt"), "a");
  WriteBytes(Path("victim.txt"), "precious");
  ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("a.txt"), Arg("planted.lzh")}), "");
  fs::create_symlink(Path("victim.txt"), Path("planted.exe"));
  const std::string error =
      SjisToUtf8(ErrorOf(CommandId::MakeSelfExtracting, {Arg("planted.lzh"), Arg("p.bin")}));
  EXPECT_NE(error.find("シンボリックリンク"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(Path("victim.txt")), "precious");
  EXPECT_FALSE(fs::exists(Path("p.bin")));
}

// Answers the security question with `answer` and records the questions.
class TAnsweringDialogs : public TDialogHost {
 public:
  std::string answer;
  std::vector<std::string> asked;  // UTF-8
  void ShowMessage(const std::string&, const std::string&) override {}
  void ShowWarning(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::string AskButtons(const std::string& text, const std::string&,
                         const std::vector<std::string>&) override {
    asked.push_back(SjisToUtf8(text));
    return answer;
  }
  std::string AskInput(const std::string&, const std::string&, bool& cancelled) override {
    cancelled = true;
    return "";
  }
  ErrorChoice ShowErrorDialog(const std::string&) override { return ErrorChoice::End; }
};

TEST_F(ArchiveCommands, EachCommandAsksTheSecurityQuestionFirst) {
  TAnsweringDialogs dialogs;
  SetDialogs(&dialogs);
  engine.Base().baseFolder = Utf8ToSjis(Path("script/"));  // the files lie outside it
  WriteBytes(Path("a.txt"), "a");
  dialogs.answer = SJ("いいえ");
  EXPECT_EQ(ErrorOf(CommandId::Pack, {Arg("a.txt"), Arg("q.zip")}), "");
  EXPECT_EQ(ErrorOf(CommandId::Unpack, {Arg("q.zip"), Arg("qd")}), "");
  EXPECT_EQ(ErrorOf(CommandId::MakeSelfExtracting, {Arg("a.txt"), Arg("q.exe")}), "");
  EXPECT_EQ(dialogs.asked,
            (std::vector<std::string>{"\"" + Path("q.zip") + "\"へ圧縮します。",
                                      "\"" + Path("qd") + "\"へ解凍します。",
                                      "\"" + Path("q.exe") + "\"へ自己解凍書庫を作成します。"}));
  EXPECT_FALSE(fs::exists(Path("q.zip")));
  EXPECT_FALSE(fs::exists(Path("qd")));
  // Allowed: the packing step of the self-extractor asks for its own
  // temporary archive.
  dialogs.asked.clear();
  dialogs.answer = SJ("はい");
  EXPECT_EQ(ErrorOf(CommandId::MakeSelfExtracting, {Arg("a.txt"), Arg("q.exe")}), "");
  ASSERT_EQ(dialogs.asked.size(), 2u);
  EXPECT_NE(dialogs.asked[1].find("nupack"), std::string::npos) << dialogs.asked[1];
  EXPECT_NE(dialogs.asked[1].find(".lzh\"へ圧縮します。"), std::string::npos) << dialogs.asked[1];
  SetDialogs(nullptr);
}

}  // namespace
}  // namespace nura::test
