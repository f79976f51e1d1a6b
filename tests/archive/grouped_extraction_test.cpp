// Extraction puts regular members in place in groups, one flush of the
// disk for many files. Random archives (members of the same name, files
// where folders go, links to earlier members, existing files older and
// newer, a folder in a file's place, groups larger than one flush) must
// leave exactly the tree, messages and result that putting each member in
// place at once leaves (a progress receiver makes extraction do that).
// And random trees with Shift-JIS names (lead bytes whose second byte is
// "\") come back byte for byte through "圧縮" and "解凍" in every tar kind.
// Against GNU tar: random trees that tar packed, unpacked over files
// already there, leave what tar leaves; a member that cannot be written
// leaves what tar makes of the members before it and keeps the old file;
// so does one that fails in a group that folder members of new folders do
// not end, and nothing of the members after it remains (their folders,
// the times of folders they wrote in); in a folder whose default ACL would
// shape new files, members still get their own permissions under the umask.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "archive/archive_io.h"
#include "archive_test_support.h"
#include "common/file_size_limit.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

using Member = TarMember;

// Every name below `root` with what it is: a folder (with `folderModes`
// its permissions and time, "now" for one of the last hour), a link and its
// target, or a file with its permissions, links, time and a hash of its
// bytes.
std::map<std::string, std::string> Tree(const std::string& root, bool withModes = true, bool folderModes = false) {
  std::map<std::string, std::string> tree;
  const time_t now = ::time(nullptr);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).string();
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    if (S_ISDIR(st.st_mode))
      tree[name] = !folderModes ? "folder"
                   : "folder " + std::to_string(st.st_mode & 07777) + " " +
                         (st.st_mtime > now - 3600 ? "now" : std::to_string(st.st_mtime));
    else if (S_ISLNK(st.st_mode)) tree[name] = "link " + fs::read_symlink(entry.path()).string();
    else
      tree[name] = (withModes ? std::to_string(st.st_mode & 07777) + " " + std::to_string(st.st_nlink) + " " : "") +
                   std::to_string(st.st_mtime) + " " + std::to_string(std::hash<std::string>()(ReadBytes(entry.path().string())));
  }
  return tree;
}

class Receiver : public TArchiverProgressSink {
 public:
  bool Notify(int, TExtractingInfo&) override { return false; }
};

// Sizes around the reading blocks of 64 KiB.
std::string RandomBytes(std::mt19937& random) {
  static const size_t kSizes[] = {0, 1, 100, 65535, 65536, 65537, 140000};
  std::string bytes(kSizes[random() % std::size(kSizes)], '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

using GroupedExtraction = ArchiveFixture;

TEST_F(GroupedExtraction, RandomArchivesLeaveWhatMembersPutInPlaceOneByOneLeave) {
  const char* const kFolders[] = {"", "a/", "a/b/", "表/", "ソ/能/"};
  const char* const kFiles[] = {"x.txt", "y", "表.txt", "ソ", "a"};
  const time_t kTimes[] = {1600000000, 1700000000, 1800000000};
  const TOverwrite kModes[] = {TOverwrite::Newer, TOverwrite::Always, TOverwrite::Skip, TOverwrite::Rename};
  for (unsigned seed = 1; seed <= 24; ++seed) {
    std::mt19937 random(seed);
    // Many members of few names, and once more members than a group holds.
    const size_t count = seed == 24 ? 1200 : 5 + random() % 40;
    std::vector<Member> members;
    std::vector<std::string> files;
    for (size_t i = 0; members.size() < count; ++i) {
      std::string name = std::string(kFolders[random() % 5]) + kFiles[random() % 5];
      if (seed == 24) name += std::to_string(i);  // more names than a group holds
      const time_t mtime = kTimes[random() % 3];
      const unsigned kind = random() % 10;
      if (kind < 7 || files.empty() || seed == 24) {
        members.push_back({name, 'f', seed == 24 ? std::to_string(i) : RandomBytes(random), mtime});
        files.push_back(name);
      } else if (kind == 7) {
        members.push_back({name.substr(0, name.rfind('/') + 1), 'd', "", mtime});
      } else if (kind == 8) {
        members.push_back({name, 'h', files[random() % files.size()], mtime});
      } else {
        members.push_back({name, 's', "x.txt", mtime});
      }
    }
    WriteTar(Path("r.tar"), members);
    const TOverwrite mode = kModes[seed % 4];
    std::map<std::string, std::string> trees[2];
    std::string messages[2];
    int results[2];
    for (int oneByOne = 0; oneByOne < 2; ++oneByOne) {
      const std::string out = Path("out" + std::to_string(oneByOne));
      // The same files there before: older and newer ones, and in some runs
      // a folder with a file in it where a member file goes.
      std::mt19937 before(seed * 7);
      for (int k = 0; k < 4; ++k) {
        const std::string name = out + "/" + kFolders[before() % 5] + kFiles[before() % 5];
        std::error_code ec;
        if (fs::exists(fs::symlink_status(name, ec))) continue;
        fs::create_directories(fs::path(name).parent_path(), ec);
        if (ec) continue;  // a file where the folder goes
        WriteBytes(name, "old");
        SetModified(name, kTimes[before() % 3]);
      }
      std::error_code ec;
      if (seed % 3 == 0 && (fs::create_directories(out + "/a/b/y", ec), !ec)) {
        WriteBytes(out + "/a/b/y/in", "in the way");
        SetModified(out + "/a/b/y/in", kTimes[0]);
      }
      Receiver receiver;
      TExtractRequest request;
      request.archive = Path("r.tar");
      request.destination = out;
      request.overwrite = mode;
      if (oneByOne) request.progress = &receiver;
      results[oneByOne] = ExtractArchive(TBackendFormat::Tar, request, messages[oneByOne]);
      // The library's messages name the destination.
      const std::string sjisOut = Utf8ToSjis(out);
      for (size_t at; (at = messages[oneByOne].find(sjisOut)) != std::string::npos;)
        messages[oneByOne].replace(at, sjisOut.size(), "OUT");
      trees[oneByOne] = Tree(out, true, true);
    }
    EXPECT_EQ(results[0], results[1]) << "seed " << seed;
    EXPECT_EQ(messages[0], messages[1]) << "seed " << seed;
    EXPECT_EQ(trees[0], trees[1]) << "seed " << seed;
    for (const auto& [name, what] : trees[0]) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    fs::remove_all(Path("out0"));
    fs::remove_all(Path("out1"));
  }
}

TEST_F(GroupedExtraction, RandomTreesWithShiftJisNamesComeBackByteForByteInEveryTarKind) {
  // Each of these ends in a second byte "\" in Shift-JIS.
  const char* const kNames[] = {"表", "ソ", "能", "十", "予", "a", "Zz"};
  for (unsigned seed = 1; seed <= 3; ++seed) {
    std::mt19937 random(seed);
    fs::remove_all(Path("t"));
    fs::create_directories(Path("t"));
    for (int i = 0; i < 60; ++i) {
      std::string name = "t";
      for (unsigned depth = random() % 4; depth > 0; --depth) name += std::string("/") + kNames[random() % 7];
      name += std::string("/") + kNames[random() % 7] + kNames[random() % 7] + std::to_string(i) + ".dat";
      if (fs::is_directory(Path(name))) continue;
      std::error_code ec;
      fs::create_directories(fs::path(Path(name)).parent_path(), ec);
      if (ec) continue;  // a file of that name is in the way
      WriteBytes(Path(name), RandomBytes(random));
      SetModified(Path(name), 1650000000 + static_cast<time_t>(random() % 100000));
    }
    const std::map<std::string, std::string> source = Tree(Path("t"), false);
    for (const char* kind : {".tar", ".tar.gz", ".tgz", ".tar.bz2"}) {
      const std::string archive = std::string("p") + kind, out = std::string("o") + kind;
      fs::remove(Path(archive));
      ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("t"), Arg(archive)}), "") << kind;
      ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg(archive), Arg(out)}), "") << kind;
      EXPECT_EQ(Tree(Path(out + "/t"), false), source) << kind << " seed " << seed;
      fs::remove_all(Path(out));
    }
  }
}

// ---- against GNU tar ----

class AgainstTar : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    if (!HaveTool("tar")) GTEST_SKIP() << "tar is not installed";
  }
  // Unpacks `archive` with tar into `out`: permissions under the umask,
  // like ours; `keepNewer` keeps files newer than their member.
  void TarExtract(const std::string& archive, const std::string& out, bool keepNewer) {
    const ToolResult r = RunTool("tar xf '" + archive + "' -C '" + out + "' --no-same-owner --no-same-permissions" +
                                 (keepNewer ? " --keep-newer-files" : ""));
    ASSERT_TRUE(r.status == 0 || keepNewer) << r.output;
  }
  int OurExtract(const std::string& archive, const std::string& out, TOverwrite mode, std::string& messages) {
    TExtractRequest request;
    request.archive = archive;
    request.destination = out;
    request.overwrite = mode;
    return ExtractArchive(TBackendFormat::Tar, request, messages);
  }
  // Ours of `archive` into "ours", overwriting, while no file may grow past
  // 1 MiB (a larger member fails to write).
  int OurExtractOfSmallFiles(const std::string& archive, std::string& messages) {
    FileSizeLimit limit(1u << 20);
    return OurExtract(archive, Path("ours"), TOverwrite::Always, messages);
  }
  // The same files in both destinations before: "old" under one name in
  // `every`, older or newer than the members, and in `withLink` a link to a
  // file outside in the place of the first.
  void PutBefore(const std::vector<std::string>& names, unsigned seed, bool withLink, unsigned every = 3) {
    for (const char* out : {"tar", "ours"}) {
      std::mt19937 random(seed);
      fs::create_directories(Path(out));
      for (const std::string& name : names) {
        if (random() % every != 0) continue;
        WriteBytes(Path(std::string(out) + "/" + name), "old");
        ::chmod(Path(std::string(out) + "/" + name).c_str(), 0600);
        SetModified(Path(std::string(out) + "/" + name), random() % 2 ? 1500000000 : 1900000000);
      }
      if (withLink) {
        const std::string link = Path(std::string(out) + "/" + names[0]);
        fs::remove(link);
        fs::create_symlink(Path("outside.txt"), link);
      }
    }
    WriteBytes(Path("outside.txt"), "outside");
  }
};

TEST_F(AgainstTar, RandomTreesUnpackOverExistingFilesAsTarUnpacksThem) {
  // Each of these but the last two ends in a second byte "\\" in Shift-JIS.
  const char* const kNames[] = {"表", "ソ", "能", "十", "予", "a", "Zz"};
  const mode_t kModes[] = {0644, 0600, 0755, 0444, 0640, 0700};
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    fs::remove_all(Path("s"));
    fs::remove_all(Path("tar"));
    fs::remove_all(Path("ours"));
    // Once more files than a group holds.
    const int count = seed == 6 ? 1100 : 80;
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      std::string name;
      for (unsigned depth = random() % 4; depth > 0; --depth) name += std::string(kNames[random() % 7]) + "/";
      name += std::string(kNames[random() % 7]) + kNames[random() % 7] + std::to_string(i) + ".dat";
      const std::string path = Path("s/" + name);
      std::error_code ec;
      fs::create_directories(fs::path(path).parent_path(), ec);
      if (ec || fs::exists(path)) continue;  // a file of that name is in the way
      WriteBytes(path, seed == 6 ? std::to_string(i) : RandomBytes(random));
      ::chmod(path.c_str(), kModes[random() % std::size(kModes)]);
      SetModified(path, 1650000000 + static_cast<time_t>(random() % 100000));
      names.push_back(name);
    }
    // With the folders as members, or the files alone in a random order
    // (their folders made on the way).
    std::shuffle(names.begin(), names.end(), random);
    std::string list;
    for (const std::string& name : names) list += name + "\n";
    WriteBytes(Path("list"), list);
    const std::string pack = seed % 3 == 0 ? "tar cf a.tar -C s ." : "tar cf a.tar -C s --no-recursion -T list";
    ASSERT_EQ(RunTool(pack).status, 0) << pack;
    // Newer against tar's --keep-newer-files (which follows a link to
    // compare, so no link there), Always against tar's replacing.
    const bool newer = seed % 2 == 1;
    PutBefore(names, seed, !newer);
    TarExtract(Path("a.tar"), Path("tar"), newer);
    std::string messages;
    EXPECT_EQ(OurExtract(Path("a.tar"), Path("ours"), newer ? TOverwrite::Newer : TOverwrite::Always, messages),
              kArcOk) << "seed " << seed << SjisToUtf8(messages);
    EXPECT_EQ(Tree(Path("ours")), Tree(Path("tar"))) << "seed " << seed;
    EXPECT_EQ(ReadBytes(Path("outside.txt")), "outside");
  }
}

// A member again under the name of an earlier one in a folder the
// extraction made (or in a destination empty at the start) meets the file
// the first one left, under either rule, also when a full group of files
// lies between them.
TEST_F(AgainstTar, AMemberAgainInANewFolderMeetsTheFirst) {
  fs::create_directories(Path("s/new"));
  fs::create_directories(Path("s/other"));
  for (const char* name : {"s/new/f", "s/g"}) {
    WriteBytes(Path(name), "one");
    SetModified(Path(name), 1700000000);
  }
  std::string list = "g\nnew/\nnew/f\nother/\n";
  for (int i = 0; i < 1000; ++i) {
    WriteBytes(Path("s/other/" + std::to_string(i)), "x");
    list += "other/" + std::to_string(i) + "\n";
  }
  WriteBytes(Path("list"), list);
  ASSERT_EQ(RunTool("tar cf a.tar -C s --no-recursion -T list").status, 0);
  for (const char* name : {"s/new/f", "s/g"}) {
    WriteBytes(Path(name), "two");
    SetModified(Path(name), 1600000000);
  }
  ASSERT_EQ(RunTool("tar rf a.tar -C s --no-recursion new/f g").status, 0);
  for (const bool newer : {true, false}) {
    SCOPED_TRACE(newer ? "newer" : "always");
    fs::remove_all(Path("tar"));
    fs::remove_all(Path("ours"));
    fs::create_directories(Path("tar"));
    fs::create_directories(Path("ours"));  // empty as the unpacking begins
    TarExtract(Path("a.tar"), Path("tar"), newer);
    std::string messages;
    OurExtract(Path("a.tar"), Path("ours"), newer ? TOverwrite::Newer : TOverwrite::Always, messages);
    EXPECT_EQ(ReadBytes(Path("ours/new/f")), newer ? "one" : "two");
    EXPECT_EQ(ReadBytes(Path("ours/g")), newer ? "one" : "two");
    EXPECT_EQ(Tree(Path("ours")), Tree(Path("tar")));
  }
}

// New folders in a destination with the set-group-id bit keep the bit
// they take from it, as tar leaves it, unless their permissions are set
// after them (a folder without write access).
TEST_F(AgainstTar, NewFoldersKeepTheSetGroupIdBitOfTheirParentAsTarLeavesIt) {
  fs::create_directories(Path("s/a"));
  fs::create_directories(Path("s/b"));
  ::chmod(Path("s/a").c_str(), 0755);
  ::chmod(Path("s/b").c_str(), 0555);
  ASSERT_EQ(RunTool("tar cf a.tar -C s .").status, 0);
  for (const char* out : {"tar", "ours"}) {
    fs::create_directories(Path(out));
    ::chmod(Path(out).c_str(), 02775);
  }
  TarExtract(Path("a.tar"), Path("tar"), false);
  std::string messages;
  ASSERT_EQ(OurExtract(Path("a.tar"), Path("ours"), TOverwrite::Always, messages), kArcOk) << SjisToUtf8(messages);
  struct stat ours {}, tar {};
  ASSERT_EQ(::stat(Path("ours/a").c_str(), &ours), 0);
  ASSERT_EQ(::stat(Path("tar/a").c_str(), &tar), 0);
  EXPECT_EQ(ours.st_mode & 07777, tar.st_mode & 07777);
  ASSERT_EQ(::stat(Path("ours/b").c_str(), &ours), 0);
  EXPECT_EQ(ours.st_mode & 0777, 0555u);
}

TEST_F(AgainstTar, AMemberThatCannotBeWrittenLeavesWhatTarMakesOfTheMembersBefore) {
  // The member that does not fit comes in the middle of a group, with
  // members before it in its folder and in others, and one after.
  const std::string big(3u << 20, 'b');
  std::vector<TarMember> members;
  for (int i = 0; i < 30; ++i)
    members.push_back({std::string(i % 2 ? "表/" : "") + "f" + std::to_string(i), 'f', std::to_string(i), 1700000000});
  members.push_back({"表/big.bin", 'f', big, 1700000000});
  members.push_back({"after.txt", 'f', "after", 1700000000});
  WriteTar(Path("all.tar"), members);
  members.resize(30);
  WriteTar(Path("before.tar"), members);
  const std::vector<std::string> old = {"表/big.bin", "f4", "表/f5", "after.txt"};
  PutBefore(old, 3, false, 1);
  TarExtract(Path("before.tar"), Path("tar"), false);
  std::string messages;
  const int result = OurExtractOfSmallFiles(Path("all.tar"), messages);
  EXPECT_EQ(result, kArcErrorCannotWrite);
  EXPECT_NE(SjisToUtf8(messages).find("表/big.bin: 書き込めません。"), std::string::npos) << SjisToUtf8(messages);
  EXPECT_EQ(ReadBytes(Path("ours/表/big.bin")), "old");
  EXPECT_EQ(ReadBytes(Path("ours/after.txt")), "old");
  EXPECT_EQ(ReadBytes(Path("ours/表/f29")), "29");
  EXPECT_EQ(Tree(Path("ours")), Tree(Path("tar")));
}

// Trees that tar packed with their folders as members: members of new
// folders wait in one group across the folder members. A member fails in
// that group, either as it is saved (too large) or as the group is put in
// place (a folder is in its way): the members before it are as tar makes
// them, folders' permissions and times too; of the members after it, in
// new folders and in a folder there before, nothing remains, and the
// folders there before keep their permissions and times.
TEST_F(AgainstTar, AFailureInAGroupAcrossNewFoldersTakesBackEverythingAfterIt) {
  const mode_t kFolderModes[] = {0755, 0750, 0700, 0555, 0775};
  for (const bool tooLarge : {false, true}) {
    SCOPED_TRACE(tooLarge ? "too large" : "a folder in the way");
    for (const char* out : {"s", "tar", "ours"}) fs::remove_all(Path(out));
    std::vector<std::string> order;
    auto folder = [&](const std::string& name, mode_t mode) {
      fs::create_directories(Path("s/" + name));
      ::chmod(Path("s/" + name).c_str(), mode);
      order.push_back(name + "/");
    };
    auto file = [&](const std::string& name, const std::string& bytes) {
      WriteBytes(Path("s/" + name), bytes);
      SetModified(Path("s/" + name), 1650000000);
      order.push_back(name);
    };
    // Ten folders of files (one nested), the failing member, then folders
    // and files after it, also in the folder "old" that is there before.
    for (int d = 0; d < 10; ++d) {
      const std::string name = d == 3 ? "表/d3" : "d" + std::to_string(d);
      if (d == 3) folder("表", 0755);
      folder(name, kFolderModes[d % 5]);
      for (int f = 0; f < 4; ++f) file(name + "/f" + std::to_string(f), std::to_string(d * 10 + f));
    }
    file("bad", tooLarge ? std::string(3u << 20, 'b') : "bad");
    const size_t failing = order.size() - 1;
    folder("later", 0700);
    file("later/f", "later");
    folder("later/sub", 0750);
    file("later/sub/g", "g");
    fs::create_directories(Path("s/old"));
    folder("old/new", 0755);
    file("old/new/f", "new");
    file("old/x", "x");
    folder("d0", 0755);  // a folder there by now: the group is put in place
    file("d0/late", "late");
    // The folders' times last, as their files changed them.
    for (size_t i = 0; i < order.size(); ++i) {
      if (order[i].back() == '/') SetModified(Path("s/" + order[i]), 1600000000 + static_cast<time_t>(i));
    }
    std::string list, before;
    for (size_t i = 0; i < order.size(); ++i) (i < failing ? before : list) += order[i] + "\n";
    WriteBytes(Path("before.list"), before);
    WriteBytes(Path("all.list"), before + list);
    ASSERT_EQ(RunTool("tar cf before.tar -C s --no-recursion -T before.list").status, 0);
    ASSERT_EQ(RunTool("tar cf all.tar -C s --no-recursion -T all.list").status, 0);
    // There before in both: "old" with its own permissions and times and,
    // unless the member is too large, a folder with a file where it goes.
    for (const char* out : {"tar", "ours"}) {
      const std::string at = Path(out);
      fs::create_directories(at + "/old");
      ::chmod((at + "/old").c_str(), 0711);
      SetModified(at + "/old", 1500000000);
      if (!tooLarge) {
        fs::create_directories(at + "/bad");
        WriteBytes(at + "/bad/keep", "keep");
        SetModified(at + "/bad/keep", 1500000000);
        SetModified(at + "/bad", 1500000000);
      }
    }
    TarExtract(Path("before.tar"), Path("tar"), false);
    std::string messages;
    const int result = OurExtractOfSmallFiles(Path("all.tar"), messages);
    EXPECT_EQ(result, kArcErrorCannotWrite);
    EXPECT_EQ(SjisToUtf8(messages).rfind("bad: 書き込めません。", 0), 0u) << SjisToUtf8(messages);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << SjisToUtf8(messages);
    EXPECT_EQ(Tree(Path("ours"), true, true), Tree(Path("tar"), true, true));
    struct stat st {};
    ASSERT_EQ(::stat(Path("ours/old").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0711u);
    EXPECT_EQ(st.st_mtime, 1500000000);
    EXPECT_FALSE(fs::exists(Path("ours/later")));
    EXPECT_EQ(ReadBytes(Path("ours/表/d3/f3")), "33");
  }
}

TEST_F(AgainstTar, MembersGetTheirPermissionsUnderTheUmaskInAFolderWithADefaultAcl) {
  // A default ACL that would leave new files to their owner alone: user
  // rwx, group and others nothing (version 2, then tag, permissions, id).
  const auto entry = [](uint16_t tag, uint16_t perm) {
    std::string e(8, '\0');
    std::memcpy(&e[0], &tag, 2);
    std::memcpy(&e[2], &perm, 2);
    const uint32_t id = UINT32_MAX;
    std::memcpy(&e[4], &id, 4);
    return e;
  };
  const uint32_t version = 2;
  std::string acl(reinterpret_cast<const char*>(&version), 4);
  acl += entry(0x01, 7) + entry(0x04, 0) + entry(0x20, 0);
  fs::create_directories(Path("ours"));
  if (::setxattr(Path("ours").c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "no ACLs here: " << std::strerror(errno);
  const mode_t mask = ::umask(022);
  WriteTar(Path("m.tar"), {{"a.txt", 'f', "a"}, {"sub/b.txt", 'f', "b"}});
  std::string messages;
  EXPECT_EQ(OurExtract(Path("m.tar"), Path("ours"), TOverwrite::Always, messages), kArcOk) << messages;
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat(Path("ours/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  // A folder made on the way inherits the ACL; its files are given theirs.
  ASSERT_EQ(::stat(Path("ours/sub/b.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace nura::test
