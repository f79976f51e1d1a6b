// The packing file list on a real tree with a symbolic-link loop.
#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <random>
#include <set>

#include "archive/pack_file_list.h"
#include "archive_test_support.h"
#include "support/dir_util.h"
#include "support/file_command_support.h"
#include "engine/errors.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

time_t LocalTime(int year, int month, int day, int hour = 12) {
  struct tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

class PackFileList : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    for (const char* name : {"a.txt", "b.log", ".hidden.txt", "sub/c.txt", "sub/a.txt",
                             "sub/deep/d.txt", "sub/.dot/e.txt"})
      WriteBytes(Path(name), name);
    // Links to folders above: walking into them would never end.
    fs::create_directory_symlink("..", Path("sub/up"));
    fs::create_directory_symlink(dir_, Path("loop"));
    fs::create_symlink("a.txt", Path("link.txt"));
    const int year = 2019;
    WriteBytes(Path("dated/jan1.txt"), "1");
    WriteBytes(Path("dated/jan31.txt"), "2");
    WriteBytes(Path("dated/feb.txt"), "3");
    WriteBytes(Path("dated/dec.txt"), "4");
    SetModified(Path("dated/jan1.txt"), LocalTime(year, 1, 1, 0));
    SetModified(Path("dated/jan31.txt"), LocalTime(year, 1, 31, 23) + 59 * 60 + 59);
    SetModified(Path("dated/feb.txt"), LocalTime(year, 2, 1, 0));
    SetModified(Path("dated/dec.txt"), LocalTime(year - 1, 12, 31, 23) + 59 * 60 + 59);
  }

  std::vector<std::string> Collect(const TArchiverOptions& o, std::vector<std::string> patterns) {
    for (std::string& s : patterns) s = SJ(s);
    bool cancelled = false;
    std::vector<std::string> files = CollectFiles(o, SJ(dir_), patterns, true, cancelled, nullptr, nullptr);
    for (std::string& f : files) f = SjisToUtf8(f);
    return files;
  }
};

using Names = std::vector<std::string>;

TEST_F(PackFileList, RecursionFollowsRAndPButNeverLinksToFolders) {
  TArchiverOptions o;
  o.r = 1;
  o.p = 0;
  const Names all = {"a.txt", "link.txt", "sub\\a.txt", "sub\\c.txt", "sub\\deep\\d.txt",
                     "sub\\.dot\\e.txt"};
  Names found = Collect(o, {"*.txt"});
  for (const std::string& name : all)
    EXPECT_NE(std::find(found.begin(), found.end(), name), found.end()) << name;
  for (const std::string& name : found) {
    EXPECT_EQ(name.find("up"), std::string::npos) << name;
    EXPECT_EQ(name.find("loop"), std::string::npos) << name;
    EXPECT_EQ(name.find(".hidden"), std::string::npos) << name;
  }
  o.p = 1;  // the file pattern has a wildcard: still recursive
  EXPECT_EQ(Collect(o, {"*.txt"}), found);
  // A plain name with p = 1 stays in its folder; with p = 0 it recurses.
  EXPECT_EQ(Collect(o, {"a.txt"}), (Names{"a.txt"}));
  o.p = 0;
  EXPECT_EQ(Collect(o, {"a.txt"}), (Names{"a.txt", "sub\\a.txt"}));
  // Without r nothing below is taken; r = 2 takes a named folder whole.
  o.r = -1;
  EXPECT_EQ(Collect(o, {"sub/*.txt"}), (Names{"sub/a.txt", "sub/c.txt"}));
  o.r = 2;
  const Names whole = Collect(o, {"sub"});
  EXPECT_EQ(whole.size(), 4u);
  EXPECT_EQ(whole.front(), "sub\\.dot\\e.txt");
}

TEST_F(PackFileList, HiddenFilesOnlyWithA) {
  TArchiverOptions o;
  EXPECT_EQ(Collect(o, {"*.txt"}), (Names{"a.txt", "link.txt"}));
  o.a = 1;
  EXPECT_EQ(Collect(o, {"*.txt"}), (Names{".hidden.txt", "a.txt", "link.txt"}));
}

TEST_F(PackFileList, DateWindowKeepsOneMonth) {
  TArchiverOptions o;
  o.jo = "190101";
  o.job = "190131";
  EXPECT_EQ(Collect(o, {"dated/*.*"}), (Names{"dated/jan1.txt", "dated/jan31.txt"}));
  o.jo = "l20190201";
  o.job = "";
  EXPECT_EQ(Collect(o, {"dated/*.*"}), (Names{"dated/feb.txt"}));
  o.jo = "20190131235959";
  o.job = "190201000000";  // twelve digits: YYMMDDhhmmss
  EXPECT_EQ(Collect(o, {"dated/*.*"}), (Names{"dated/feb.txt", "dated/jan31.txt"}));
  EXPECT_EQ(ParseOptionDate("1234567", "000000"), 0);
  EXPECT_EQ(ParseOptionDate("", "000000"), 0);
  EXPECT_THROW(ParseOptionDate("19x101", "000000"), ERuntimeError);
  EXPECT_THROW(ParseOptionDate("191301", "000000"), ERuntimeError);
  EXPECT_EQ(ParseOptionDate("20190131", "235959"), LocalTime(2019, 1, 31, 23) + 59 * 60 + 59);
}

TEST_F(PackFileList, DuplicatesOnceExclusionsWinAndSwitchesAreReset) {
  TArchiverOptions o;
  o.r = 1;
  o.p = 1;
  o.jo = "190101";
  o.jx = {SJ("sub/c.txt"), SJ("*.log")};
  bool cancelled = false;
  const std::vector<std::string> files = BuildPackFileList(
      o, SJ(dir_), {SJ("a.txt"), SJ("a.txt"), SJ("sub/c.txt"), SJ("b.log"), SJ("sub/a.txt")},
      cancelled, nullptr);
  EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "sub/a.txt"}));
  EXPECT_EQ(o.r, -1);
  EXPECT_EQ(o.p, 1);
  EXPECT_TRUE(o.jo.empty());
  // Names relative to the base folder with jf = -2.
  TArchiverOptions relative;
  relative.jf = -2;
  EXPECT_EQ(Collect(relative, {dir_ + "/sub/c.txt"}), (Names{"sub/c.txt"}));
  EXPECT_EQ(JoinPathName("", "n"), "n");
  EXPECT_EQ(JoinPathName("d/", "n"), "d/n");
  EXPECT_EQ(JoinPathName("d", "n"), "d\\n");
  EXPECT_EQ(JoinPathName(SJ("表"), "n"), SJ("表") + "\\n");
}

TEST_F(PackFileList, PlainNamesFindWhatTheWildcardWalkMatches) {
  // Names that differ in case only, and two-byte characters whose second
  // byte is a letter ("ア" 83 41, "ヂ" 83 61) or "\\" ("ソ").
  const std::vector<std::string> names = {"A.TXT", "a.txt", "Mixed.Txt", SJ("アb.txt"), SJ("ヂb.txt"),
                                          SJ("ソ.txt"), ".Hid"};
  for (const std::string& name : names) WriteBytes(Path("names/" + SjisToUtf8(name)), "x");
  std::mt19937 random(39);
  TArchiverOptions o;
  for (int round = 0; round < 300; ++round) {
    o.a = round % 2;
    std::vector<std::string> patterns;
    for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
      std::string pattern = names[random() % names.size()];
      for (char& c : pattern) {
        if (std::isalpha(static_cast<unsigned char>(c)) && random() % 2) c ^= 0x20;
      }
      patterns.push_back("names/" + pattern);
    }
    bool cancelled = false;
    std::set<std::string> expected;
    for (const std::string& name : CollectFiles(o, SJ(dir_), {"names/*"}, true, cancelled, nullptr, nullptr)) {
      for (const std::string& pattern : patterns) {
        if (MatchFileName(ExtractNamePart(pattern), ExtractNamePart(name))) expected.insert(name);
      }
    }
    EXPECT_EQ(CollectFiles(o, SJ(dir_), patterns, true, cancelled, nullptr, nullptr),
              std::vector<std::string>(expected.begin(), expected.end()))
        << SjisToUtf8(patterns[0]);
  }
}

TEST_F(PackFileList, NamedFoldersWithR2AreToldApartAsTheFileSystemTellsThem) {
  // Folders, files and links of every kind, some with a "\\" as the second
  // byte of a two-byte character ("表" 95 5C, "ソ" 83 5C).
  const std::vector<std::string> names = {"t", "t/f.txt", SJ("t/表"), SJ("t/表/ソ.txt"), "t/In", "t/In/x.txt",
                                          "t/file", "t/ln-dir", "t/ln-file", "t/dangling", "t/fifo"};
  fs::create_directories(Path("t/In"));
  fs::create_directories(Path(SjisToUtf8(SJ("t/表"))));
  for (const char* file : {"t/f.txt", "t/In/x.txt", "t/file"}) WriteBytes(Path(file), file);
  WriteBytes(Path(SjisToUtf8(SJ("t/表/ソ.txt"))), "so");
  fs::create_directory_symlink("In", Path("t/ln-dir"));
  fs::create_symlink("f.txt", Path("t/ln-file"));
  fs::create_symlink("none", Path("t/dangling"));
  ASSERT_EQ(mkfifo(Path("t/fifo").c_str(), 0600), 0);
  const std::vector<std::string> tails = {"", "\\", "\\.", "\\..", "x", "\\*.txt"};
  std::mt19937 random(7);
  TArchiverOptions byListing, plain;
  byListing.r = 2;
  plain.r = 1;  // walks a folder as r = 2 does, without asking whether a pattern is one
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> patterns;
    for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
      std::string pattern = names[random() % names.size()] + tails[random() % tails.size()];
      for (char& c : pattern) {
        if (c == '/') c = '\\';
        else if (random() % 8 == 0 && std::islower(static_cast<unsigned char>(c))) c ^= 0x20;
      }
      patterns.push_back(random() % 2 ? pattern : SJ(dir_) + "\\" + pattern);
    }
    // The slow way: each pattern looked up by itself, a folder walked whole.
    std::set<std::string> expected;
    bool cancelled = false;
    for (const std::string& pattern : patterns) {
      std::error_code ec;
      const bool folder = fs::is_directory(fs::symlink_status(NativePathUnder(SJ(dir_), pattern), ec));
      for (const std::string& name :
           CollectFiles(plain, SJ(dir_), {folder ? JoinPathName(pattern, "*.*") : pattern}, true, cancelled, nullptr, nullptr))
        expected.insert(name);
    }
    EXPECT_EQ(CollectFiles(byListing, SJ(dir_), patterns, true, cancelled, nullptr, nullptr),
              std::vector<std::string>(expected.begin(), expected.end()))
        << SjisToUtf8(patterns[0]);
  }
}

// The status a packing keeps answers each file with its own status,
// however the look-ups come: down the list again, twice in a row, in
// reverse, at random, and from an inner record that holds none of them.
TEST_F(PackFileList, KeptStatusesAnswerEachFileInAnyOrder) {
  std::vector<std::string> files;
  for (int i = 0; i < 40; ++i) {
    files.push_back(Path("status/f" + std::to_string(i)));
    WriteBytes(files.back(), std::string(static_cast<size_t>(i), 'x'));
  }
  const auto expectSizes = [&](const std::vector<size_t>& order) {
    for (const size_t i : order) {
      TPackedFileStatus status;
      ASSERT_TRUE(StatPackFile(files[i], status)) << i;
      EXPECT_EQ(status.size, i);
    }
  };
  std::vector<size_t> down(files.size()), twice, reverse;
  for (size_t i = 0; i < files.size(); ++i) down[i] = i;
  for (size_t i : down) twice.insert(twice.end(), {i, i});
  reverse.assign(down.rbegin(), down.rend());
  std::vector<size_t> shuffled = down;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  TPackFileStatus outer;
  expectSizes(down);
  // Kept: the files may change, the answers stay those of the first look.
  for (const std::string& file : files) WriteBytes(file, "changed");
  for (const auto& order : {down, twice, reverse, shuffled, down}) expectSizes(order);
  {
    TPackFileStatus inner;
    expectSizes(shuffled);
    expectSizes(down);
  }
  TPackedFileStatus status;
  EXPECT_FALSE(StatPackFile(Path("status/none"), status));
}

}  // namespace
}  // namespace nura::test
