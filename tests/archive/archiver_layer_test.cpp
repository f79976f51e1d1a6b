// The archiver layer: type detection, the command lines that the wrappers
// build, missing libraries, switch parsing, listing and progress.
#include <filesystem>

#include "archive/archive_file.h"
#include "archive/archivers.h"
#include "archive/command_line_reader.h"
#include "archive/cmd_opt.h"
#include "archive_test_support.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

class ArchiverLayer : public ArchiveFixture {
 protected:
  // The built-in default of a switch variable.
  static std::string DefaultOf(const char* utf8Name) {
    for (const auto& v : BuiltinVariables()) {
      if (SjisToUtf8(v.name) == utf8Name) return v.value;
    }
    return "";
  }
  std::string Quote(const std::string& relative) const { return "\"" + Path(relative) + "\""; }
};

TEST_F(ArchiverLayer, TypeFollowsTheExtension) {
  EXPECT_EQ(DetectArchiveTypeByName("X.JAR"), TArchiverType::atZip);
  EXPECT_EQ(DetectArchiveTypeByName("a.tar.gz"), TArchiverType::atTgz);
  EXPECT_EQ(DetectArchiveTypeByName("b.TAR"), TArchiverType::atTar);
  EXPECT_EQ(DetectArchiveTypeByName("c.deb"), TArchiverType::atTar);
  EXPECT_EQ(DetectArchiveTypeByName("d.Z"), TArchiverType::atTgz);
  EXPECT_EQ(DetectArchiveTypeByName("e.7z"), TArchiverType::at7z);
  EXPECT_EQ(DetectArchiveTypeByName("f.exe"), TArchiverType::atAutoDetect);
  EXPECT_EQ(DetectArchiveTypeByName("dir.zip/g"), TArchiverType::atNone);
  TArchiveFile file;
  try {
    file.SetFileName("x.gca");
    ADD_FAILURE() << "no error";
  } catch (const EArchiver& e) {
    EXPECT_EQ(SjisToUtf8(e.what()), "書庫の形式を特定できませんでした。");
  }
  file.SetFileName("a.tar.gz");
  EXPECT_EQ(file.ArchiverType(), TArchiverType::atTgz);
  file.SetFileName("notes.txt");  // atNone keeps the type
  EXPECT_EQ(file.ArchiverType(), TArchiverType::atTgz);
}

TEST_F(ArchiverLayer, ContentDecidesForExeAndUnknownNames) {
  WriteBytes(Path("a.txt"), "a");
  TArchiveFile zip;
  zip.SetFileName(Path("x.zip"));
  ASSERT_EQ(zip.Pack(nullptr, nullptr, {"a.txt"}, dir_), 0);
  fs::copy_file(Path("x.zip"), Path("x.exe"));
  TArchiveFile file;
  file.SetFileName(Path("x.exe"));
  ASSERT_EQ(file.Extract(nullptr, nullptr, {}, Path("out")), 0);
  EXPECT_EQ(file.ArchiverType(), TArchiverType::atZip);
  EXPECT_EQ(ReadBytes(Path("out/a.txt")), "a");
  WriteBytes(Path("y.exe"), "MZ nothing");
  TArchiveFile unknown;
  unknown.SetFileName(Path("y.exe"));
  try {
    unknown.Extract(nullptr, nullptr, {}, Path("out"));
    ADD_FAILURE() << "no error";
  } catch (const EArchiver& e) {
    EXPECT_EQ(SjisToUtf8(e.what()), "書庫の形式を判別できません。");
  }
}

TEST_F(ArchiverLayer, MissingLibrariesGiveTheirMessages) {
  struct Case {
    const char* name;
    const char* message;
  };
  // (ARJ's library is the arj program: arj_test.cpp runs without it.)
  for (const Case& c : {Case{"a.gza", "BGA 形式書庫 を扱うには BGA32.DLL が 必要です。"}}) {
    TArchiveFile file;
    try {
      file.SetFileName(c.name);
      ADD_FAILURE() << c.name;
    } catch (const ENoArchiverDLL& e) {
      EXPECT_EQ(SjisToUtf8(e.what()), c.message);
    }
  }
  // RAR reads but has no pack operation.
  TArchiveFile rar;
  rar.SetFileName(Path("r.rar"));
  rar.Options().PackFilter = TPackFilter::pfArchiver;
  try {
    rar.Pack(nullptr, nullptr, {"a.txt"}, dir_);
    ADD_FAILURE() << "no error";
  } catch (const EArchiver& e) {
    EXPECT_EQ(SjisToUtf8(e.what()), "この形式では書庫ファイルの作成をサポートしておりません。");
  }
}

TEST_F(ArchiverLayer, CmdOptPieces) {
  TCmdOpt fresh("x");
  fresh.PathOpt("w", "C:\\tmp");
  EXPECT_EQ(fresh.Text(), "x \"-wC:\\tmp\\\"");
  TCmdOpt quoted;
  quoted.SetQuoteStyle(true);
  quoted.StrOpt("o", "dir");
  quoted.StrOpt(" --x=", "v");
  quoted.NumOpt("a", -1);
  quoted.FlagOpt("q", false);
  EXPECT_EQ(quoted.Text(), " -o \"dir\" --x= \"v\"");
  // A folder whose last character is a two-byte one ending in 0x5C still
  // gets its separator.
  TCmdOpt sjis;
  sjis.PathOpt("", SJ("表"));
  EXPECT_EQ(sjis.Text(), " \"" + SJ("表") + "\\\"");
  TCmdOpt response;
  EXPECT_EQ(response.AddResponseFile({"a.txt", "b c.txt"}, Path("list.rsp")), 2);
  EXPECT_EQ(response.Text(), " \"@" + Path("list.rsp") + "\"");
  EXPECT_EQ(ReadBytes(Path("list.rsp")), "\"a.txt\"\r\n\"b c.txt\"\r\n");
}

TEST_F(ArchiverLayer, LhaLinesAndTheirPreconditions) {
  std::unique_ptr<TArchiver> lha = CreateArchiver(TArchiverType::atLha);
  TArchiverOptions fresh;
  TArcOutput output{"", 100};
  fresh.jse = 1;
  fresh.jso = 1;
  lha->Extract(nullptr, "A.lzh", output, false, {}, "D", fresh);
  EXPECT_EQ(lha->LastCommandLine(), "x -+ -jse1 -jso1 \"A.lzh\" \"D\\\"");
  EXPECT_FALSE(output.text.empty());  // the archive is missing: the library says so
  fresh.jso = -1;
  EXPECT_THROW(lha->Extract(nullptr, "A.lzh", output, false, {}, "D", fresh), EAssertionFailed);
  EXPECT_EQ(lha->LastCommandLine(), "x -+ -jse1 -jso1 \"A.lzh\" \"D\\\"");
  fresh.jso = 1;
  fresh.jse = -1;
  fresh.w = "work";
  fresh.jx = {"*.bak"};
  fresh.UserOptions = "-gm1";
  fresh.UserFileList = "\"extra\"";
  lha->Pack(nullptr, "A.lzh", output, false, {"a.txt"}, "B", fresh);
  EXPECT_EQ(lha->LastCommandLine(),
            "u -+ \"-wwork\\\" -jso1 \"-jx*.bak\" -gm1 \"A.lzh\" \"B\\\" \"a.txt\" \"extra\"");
}

TEST_F(ArchiverLayer, DefaultSwitchLinesOfTheCommands) {
  WriteBytes(Path("BASE/a.txt"), "a");
  WriteBytes(Path("BASE/bb.txt"), "bb");
  TArchiveFile pack;
  pack.SetFileName(Path("ARC.lzh"));
  ParseArchiverOptions(pack, DefaultOf("圧縮オプション"));
  pack.Options().x = 1;
  pack.Options().jso = 1;
  ASSERT_EQ(pack.Pack(nullptr, nullptr, {"a.txt", "bb.txt"}, Path("BASE")), 0);
  EXPECT_EQ(pack.LastCommandLine(), "u -+ -a1 -l1 -o2 -p1 -x1 -ji0 -jp1 -jso1 " + Quote("ARC.lzh") +
                                        " \"" + Path("BASE") + "\\\" \"a.txt\" \"bb.txt\"");
  TArchiveFile unpack;
  unpack.SetFileName(Path("ARC.lzh"));
  ParseArchiverOptions(unpack, DefaultOf("解凍オプション"));
  unpack.Options().jse = 1;
  unpack.Options().jso = 1;
  ASSERT_EQ(unpack.Extract(nullptr, nullptr, {}, Path("DEST")), 0);
  EXPECT_EQ(unpack.LastCommandLine(), "x -+ -a1 -c0 -m1 -r2 -x1 -jp1 -jse1 -jso1 " +
                                          Quote("ARC.lzh") + " \"" + Path("DEST") + "\\\"");
  EXPECT_EQ(ReadBytes(Path("DEST/bb.txt")), "bb");
}

TEST_F(ArchiverLayer, NamesThroughAResponseFile) {
  WriteBytes(Path("r/a b.txt"), "spaced");
  WriteBytes(Path("r/" + std::string("表.txt")), "sjis");
  TArchiveFile file;
  file.SetFileName(Path("resp.lzh"));
  file.Options().jso = 1;
  file.Options().ResFileName = Path("names.rsp");
  ASSERT_EQ(file.Pack(nullptr, nullptr, {"a b.txt", SJ("表.txt")}, Path("r")), 0) << file.Output();
  EXPECT_NE(file.LastCommandLine().find("\"@" + Path("names.rsp") + "\""), std::string::npos);
  EXPECT_EQ(file.LastCommandLine().find("a b.txt"), std::string::npos);
  file.Options().jse = 1;
  file.Options().ResFileUsage = ruOnPack;  // extraction names no response file
  ASSERT_EQ(file.Extract(nullptr, nullptr, {}, Path("back")), 0) << file.Output();
  EXPECT_EQ(ReadBytes(Path("back/a b.txt")), "spaced");
  EXPECT_EQ(ReadBytes(Path("back/表.txt")), "sjis");
}

TEST_F(ArchiverLayer, ParsingSwitchTexts) {
  TArchiveFile file;
  ParseArchiverOptions(file, " -a1   -r2 x3 -jso1 -gx0 -Jp1 -a -jp -w5 -jx1 -- ");
  const TArchiverOptions& o = file.Options();
  EXPECT_EQ(o.a, 1);
  EXPECT_EQ(o.r, 2);
  EXPECT_EQ(o.x, 3);  // the "-" is optional
  EXPECT_EQ(o.jso, 1);
  EXPECT_EQ(o.jp, -1);  // "-Jp1": names are compared with their case
  EXPECT_TRUE(o.w.empty());
  EXPECT_TRUE(o.jx.empty());
  TArchiveFile untouched;
  ParseArchiverOptions(untouched, "-a -gx0 -qq1");
  TArchiverOptions fresh;
  for (const auto& s : TArchiverOptions::NumericSwitches())
    EXPECT_EQ(untouched.Options().*s.field, fresh.*s.field) << s.name;
}

// Blanks part the pieces, quotes group and go, a backslash stays, and a
// two-byte character is never parted at its second byte ("\x83\x5C" ends
// in a backslash; a lead byte takes even a quote with it).
TEST(CommandLinePieces, QuotesBlanksAndTwoByteCharacters) {
  const std::string line = " a -x1\t\"b c\"d\r\n\"\" e\\ \"\x83\x5C\" \x81\x40z\"q r";
  const std::vector<TCommandPiece> pieces = SplitArchiverCommandLine(line);
  std::vector<std::string> texts;
  for (const TCommandPiece& piece : pieces) texts.push_back(piece.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"a", "-x1", "b cd", "", "e\\", "\x83\x5C", "\x81\x40zq r"}));
  ASSERT_EQ(pieces.size(), 7u);
  EXPECT_FALSE(pieces[1].quoted);
  EXPECT_TRUE(pieces[2].quoted);
  EXPECT_TRUE(pieces[3].quoted);
  EXPECT_TRUE(SplitArchiverCommandLine(" \t\r\n").empty());
  const std::vector<TCommandPiece> lead = SplitArchiverCommandLine("x\x81\" y");
  ASSERT_EQ(lead.size(), 2u);
  EXPECT_EQ(lead[0].text, "x\x81\"");
  EXPECT_FALSE(lead[0].quoted);
}

TEST_F(ArchiverLayer, ZipLinesTransformNames) {
  std::unique_ptr<TArchiver> zip = CreateArchiver(TArchiverType::atZip);
  TArchiverOptions o;
  TArcOutput output{"", 100};
  o.x = 0;
  zip->Pack(nullptr, "z.zip", output, false, {"-lead", "a[1]\\" + SJ("表") + ".txt"}, "", o);
  EXPECT_EQ(zip->LastCommandLine(),
            " -D -j \"z.zip\" \"[-]lead\" \"a[[]1]/" + SJ("表") + ".txt\"");
  o.x = 1;
  zip->Pack(nullptr, "z.zip", output, false, {"b.txt"}, "", o);
  EXPECT_EQ(zip->LastCommandLine().find("-j"), std::string::npos);
  // The ZIP library reads the names back: "-lead" and "a[1]" are packed.
  WriteBytes(Path("-lead"), "l");
  WriteBytes(Path("a[1]/" + std::string("表.txt")), "t");
  o.x = 1;
  output.text.clear();
  ASSERT_EQ(zip->Pack(nullptr, Path("n.zip"), output, false, {"-lead", "a[1]\\" + SJ("表") + ".txt"},
                      dir_, o),
            0)
      << output.text;
  const ToolResult listed = RunTool("unzip -l '" + Path("n.zip") + "'");
  EXPECT_NE(listed.output.find("-lead"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("a[1]/"), std::string::npos) << listed.output;
}

TEST_F(ArchiverLayer, ListingFillsTheEntryRecord) {
  const std::string longName =
      std::string(200, 'a') + "/" + std::string(200, 'b') + "/" + std::string(200, 'c') + ".txt";
  WriteBytes(Path(longName), "12345");
  WriteBytes(Path("日本.txt"), "x");
  TArchiveFile file;
  file.SetFileName(Path("l.lzh"));
  file.Options().jso = 1;
  SetModified(Path("日本.txt"), 1600000000);
  ASSERT_EQ(file.Pack(nullptr, nullptr, {longName, SJ("日本.txt")}, dir_), 0);
  TArchiver& lha = *file.Archiver();
  const TArchiveHandle h = lha.OpenArchive(nullptr, Path("l.lzh"), 0);
  ASSERT_NE(h, 0u);
  TIndividualInfo info;
  ASSERT_EQ(lha.FindFirst(h, "*.*", info), 0);
  EXPECT_EQ(std::string(info.szFileName).size(), 512u);  // cut to the field
  EXPECT_EQ(uint64_t{info.llOriginalSize}, 5u);
  ASSERT_EQ(lha.FindNext(h, info), 0);
  EXPECT_EQ(std::string(info.szFileName), SJ("日本.txt"));
  EXPECT_EQ(uint64_t{info.ftLastWriteTime}, UnixTimeToFileTime(1600000000));
  EXPECT_EQ(lha.FindNext(h, info), -1);
  ASSERT_EQ(lha.FindFirst(h, SJ("日本.txt"), info), 0);
  EXPECT_EQ(lha.FindNext(h, info), -1);
  EXPECT_EQ(lha.CloseArchive(h), 0);
  char field[6];
  CopyNameField(field, sizeof field, "ab" + SJ("日本"));  // never half a character
  EXPECT_EQ(std::string(field), "ab" + SJ("日"));
}

// A name named twice is packed once, whether the names come in order or
// not and whether a wildcard names it again before or after.
TEST_F(ArchiverLayer, ALibraryLinePacksEachNameOnce) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteBytes(Path("d/") + name, name);
  TArchiverLibrary* tar = LoadArchiverLibrary("TAR32.DLL");
  ASSERT_NE(tar, nullptr);
  const std::vector<std::pair<std::string, std::string>> lines = {
      {"a.txt b.txt c.txt", "a.txt\nb.txt\nc.txt\n"},
      {"b.txt a.txt b.txt", "b.txt\na.txt\n"},
      {"a.txt c.txt c.txt", "a.txt\nc.txt\n"},
      {"a.txt c.txt *.txt", "a.txt\nc.txt\nb.txt\n"},
      {"*.txt b.txt c.txt", "a.txt\nb.txt\nc.txt\n"}};
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string archive = Path("once" + std::to_string(i) + ".tar");
    std::string output;
    ASSERT_EQ(tar->Command(nullptr, "c -f" + Quote("once" + std::to_string(i) + ".tar") + " -o" + Quote("d/") +
                                        " " + lines[i].first, output, 1024), 0) << output;
    EXPECT_EQ(RunTool("tar tf '" + archive + "'").output, lines[i].second) << lines[i].first;
  }
}

TEST_F(ArchiverLayer, ProgressReportsAndCancels) {
  WriteBytes(Path("p/a.txt"), "a");
  WriteBytes(Path("p/b.txt"), "b");
  TArchiveFile file;
  file.SetFileName(Path("p.lzh"));
  file.Options().jso = 1;
  std::vector<int> states;
  file.OnProgress = [&](TArchiveFile&, int state, TExtractingInfo* info, bool& abort) {
    states.push_back(state);
    EXPECT_NE(std::string(info->szSourceFileName).find(".txt"), std::string::npos);
    abort = states.size() == 2;
  };
  EXPECT_EQ(file.Pack(nullptr, nullptr, {"p/*.txt"}, dir_), kArcErrorUserCancel);
  EXPECT_FALSE(fs::exists(Path("p.lzh")));
  EXPECT_EQ(states, (std::vector<int>{kArcPackListAdd, kArcPackListAdd}));
  states.clear();
  file.OnProgress = [&](TArchiveFile&, int state, TExtractingInfo*, bool&) { states.push_back(state); };
  ASSERT_EQ(file.Pack(nullptr, nullptr, {"p/*.txt"}, dir_), 0);
  EXPECT_EQ(states, (std::vector<int>{kArcPackListAdd, kArcPackListAdd, kArcExtractBegin,
                                      kArcExtractBegin}));
  states.clear();
  file.OnProgress = [&](TArchiveFile&, int state, TExtractingInfo*, bool& abort) {
    states.push_back(state);
    abort = true;
  };
  file.Options().jse = 1;
  EXPECT_EQ(file.Extract(nullptr, nullptr, {}, Path("q")), kArcErrorUserCancel);
  EXPECT_EQ(states.size(), 1u);
  // No file to pack: 0, an empty output, and no library call.
  file.OnProgress = nullptr;
  file.SetOutputSize(50);
  EXPECT_EQ(file.Pack(nullptr, nullptr, {"p/*.none"}, dir_), 0);
  EXPECT_EQ(file.Output(), "");
}

TEST_F(ArchiverLayer, LibraryOperationsOnAnLhaArchive) {
  WriteBytes(Path("s/a.txt"), "a");
  WriteBytes(Path("s/b.txt"), "b");
  WriteBytes(Path("s/deep/c.txt"), "c");
  std::unique_ptr<TArchiver> lha = CreateArchiver(TArchiverType::atLha);
  TArchiverOptions o;
  o.jso = 1;
  o.r = 1;  // the library expands the pattern itself (pfArchiver)
  TArcOutput output{"", 1000};
  const std::string archive = Path("ops.lzh");
  ASSERT_EQ(lha->Pack(nullptr, archive, output, false, {"*.txt"}, Path("s"), o), 0) << output.text;
  std::string buffer;
  ASSERT_EQ(lha->ExtractMem(nullptr, archive, buffer, 100, SJ("deep/c.txt"), o), 0);
  EXPECT_EQ(buffer, "c");
  // Delete one member; freshen another only when its file is newer.
  ASSERT_EQ(lha->Delete(nullptr, archive, output, false, {"a.txt"}, o), 0) << output.text;
  WriteBytes(Path("s/b.txt"), "newer b");
  SetModified(Path("s/b.txt"), time(nullptr) + 100);
  ASSERT_EQ(lha->Update(nullptr, archive, output, false, {"b.txt", "deep/c.txt"}, Path("s"), o), 0)
      << output.text;
  TArchiverOptions x;
  x.jse = 1;
  x.jso = 1;
  ASSERT_EQ(lha->Extract(nullptr, archive, output, false, {}, Path("ops"), x), 0) << output.text;
  EXPECT_FALSE(fs::exists(Path("ops/a.txt")));
  EXPECT_EQ(ReadBytes(Path("ops/b.txt")), "newer b");
  EXPECT_EQ(ReadBytes(Path("ops/deep/c.txt")), "c");
  // Specs select members; x = 0 drops their folders.
  x.x = 0;
  ASSERT_EQ(lha->Extract(nullptr, archive, output, false, {"c.txt"}, Path("flat"), x), 0);
  EXPECT_EQ(ReadBytes(Path("flat/c.txt")), "c");
  EXPECT_FALSE(fs::exists(Path("flat/b.txt")));
}

TEST_F(ArchiverLayer, SevenZipOverwriteSwitches) {
  WriteBytes(Path("f.txt"), "archived");
  TArchiveFile file;
  file.SetFileName(Path("o.7z"));
  ASSERT_EQ(file.Pack(nullptr, nullptr, {"f.txt"}, dir_), 0) << file.Output();
  auto extract = [&](Shortint m, Shortint jn, Shortint c) {
    TArchiverOptions o;
    o.m = m;
    o.jn = jn;
    o.c = c;
    return file.Extract(nullptr, &o, {}, Path("d"));
  };
  WriteBytes(Path("d/f.txt"), "on disk");
  ASSERT_EQ(extract(-1, 1, -1), 0);  // "-aos": kept
  EXPECT_EQ(file.LastCommandLine().substr(0, 6), "x -aos");
  EXPECT_EQ(ReadBytes(Path("d/f.txt")), "on disk");
  ASSERT_EQ(extract(2, -1, -1), 0);  // "-aou": written beside it
  EXPECT_EQ(ReadBytes(Path("d/f_1.txt")), "archived");
  ASSERT_EQ(extract(-1, -1, 1), 0);  // "-aoa": replaced
  EXPECT_EQ(ReadBytes(Path("d/f.txt")), "archived");
}

TEST_F(ArchiverLayer, SelfExtractorsNeedTheirStubs) {
  WriteBytes(Path("a.txt"), "a");
  TArchiverOptions o;
  TArcOutput output{"", 100};
  auto message = [&](TArchiverType type, const std::string& archive) {
    try {
      CreateArchiver(type)->MakeSfx(nullptr, archive, output, "", o);
    } catch (const EArchiver& e) {
      return SjisToUtf8(e.what());
    }
    return std::string();
  };
  const char* previous = getenv("PATH");
  const std::string saved = previous ? previous : "";
  setenv("PATH", Path("bin").c_str(), 1);
  EXPECT_EQ(message(TArchiverType::atZip, "z.zip"),
            "zip 書庫からのDOS自己解凍書庫の作成には 'sfx16.dat' ファイルが必要です。");
  EXPECT_EQ(message(TArchiverType::atTgz, "t.tgz"),
            "tar/tgz 書庫からの自己解凍書庫の作成には 'kmtarsef.exe' ファイルが必要です。");
  EXPECT_EQ(message(TArchiverType::atBZ2, "t.bz2"), "BZ2 形式書庫は自己解凍形式にできません。");
  EXPECT_EQ(message(TArchiverType::at7z, "s.7z"), "16bit SFX を作成することはできません。");
  o.gw = 4;
  EXPECT_EQ(message(TArchiverType::at7z, "s.7z"),
            "7z 書庫からの自己解凍書庫の作成には '7z.sfx' ファイルが必要です。");
  EXPECT_EQ(message(TArchiverType::atCab, "c.cab"),
            "この形式では自己解凍書庫の作成をサポートしておりません。");
  // With the stub on the search path the program is the stub and the archive.
  WriteBytes(Path("bin/kmtarsef.exe"), "STUB");
  TArchiveFile tar;
  tar.SetFileName(Path("t.tgz"));
  ASSERT_EQ(tar.Pack(nullptr, nullptr, {"a.txt"}, dir_), 0);
  EXPECT_EQ(tar.MakeSfx(nullptr, nullptr, Path("out")), 0);
  WriteBytes(Path("bin/sfx16.dat"), "MZ stub of a program");
  TArchiveFile zip;
  zip.SetFileName(Path("z.zip"));
  ASSERT_EQ(zip.Pack(nullptr, nullptr, {"a.txt"}, dir_), 0);
  EXPECT_EQ(zip.MakeSfx(nullptr, nullptr, ""), 0);
  setenv("PATH", saved.c_str(), 1);
  EXPECT_EQ(ReadBytes(Path("out/t.EXE")), "STUB" + ReadBytes(Path("t.tgz")));
  // The program still reads as a ZIP archive (found by content).
  TArchiveFile program;
  program.SetFileName(Path("z.EXE"));
  ASSERT_EQ(program.Extract(nullptr, nullptr, {}, Path("from-exe")), 0) << program.Output();
  EXPECT_EQ(ReadBytes(Path("from-exe/a.txt")), "a");
}

}  // namespace
}  // namespace nura::test
