// Extraction puts regular members in place in groups, one flush of the
// disk for many files. Random archives (members of the same name, files
// where folders go, links to earlier members, existing files older and
// newer, a folder in a file's place, groups larger than one flush) must
// leave exactly the tree, messages and result that putting each member in
// place at once leaves (a progress receiver makes extraction do that).
// And random trees with Shift-JIS names (lead bytes whose second byte is
// "\") come back byte for byte through "圧縮" and "解凍" in every tar kind.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "archive/archive_io.h"
#include "archive_test_support.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

using Member = TarMember;

// Every name below `root` with what it is: a folder, a link and its
// target, or a file with its permissions, links, time and a hash of its
// bytes.
std::map<std::string, std::string> Tree(const std::string& root, bool withModes = true) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).string();
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    if (S_ISDIR(st.st_mode)) tree[name] = "folder";
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
      trees[oneByOne] = Tree(out);
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

}  // namespace
}  // namespace nura::test
