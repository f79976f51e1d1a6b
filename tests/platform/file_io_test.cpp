#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/shell.h"
#include "common/file_size_limit.h"
#include "common/run_program.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

class AtomicWriter : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(folder); }
  std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadNativeFile(path, bytes));
    return bytes;
  }
  long Entries() { return std::distance(fs::directory_iterator(folder), {}); }

  std::string folder = test::MakeTempFolder();
};

TEST_F(AtomicWriter, PiecesAndIndexWrittenLastReplaceTheFileOnCommit) {
  const std::string path = folder + "/f.bin";
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  ::chmod(path.c_str(), 0640);
  TAtomicFileWriter writer(path);
  ASSERT_TRUE(writer.Open());
  EXPECT_TRUE(writer.Write("....body"));
  EXPECT_TRUE(writer.WriteAt(0, "head"));
  EXPECT_TRUE(writer.Write("!"));  // appends after the end, not after the header
  EXPECT_EQ(Read(path), "old");    // nothing visible before the commit
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(Read(path), "headbody!");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the old file's permissions
  EXPECT_EQ(Entries(), 1);
}

TEST_F(AtomicWriter, AbandonedOrFailedWritesLeaveTheOldFile) {
  const std::string path = folder + "/f.txt";
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  {
    TAtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Open());
    writer.Write("new");
  }  // never committed
  EXPECT_EQ(Read(path), "old");
  {
    test::FileSizeLimit limit(1000);
    EXPECT_FALSE(WriteFileAtomically(path, std::string(5000, 'x')));
    TAtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Open());
    EXPECT_FALSE(writer.Write(std::string(5000, 'x')));
    EXPECT_FALSE(writer.Write("y"));  // stays failed
    EXPECT_FALSE(writer.Commit());
  }
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(Entries(), 1);
  EXPECT_FALSE(WriteFileAtomically(folder + "/none/f.txt", "x"));  // no folder
  EXPECT_FALSE(WriteFileAtomically(folder, "x"));                  // a folder
}

TEST_F(AtomicWriter, KeptTargetsAndFinishedFilesPutInPlace) {
  const std::string path = folder + "/f.txt";
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  {
    TAtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(writer.Write("new"));
    EXPECT_FALSE(writer.Commit(false));  // an existing target is kept
  }
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(Entries(), 1);
  // A finished file takes the place of the link's target with its mode.
  ::chmod(path.c_str(), 0640);
  fs::create_symlink("f.txt", folder + "/link");
  ASSERT_TRUE(WriteFileAtomically(folder + "/done", "done"));
  ASSERT_TRUE(ReplaceFileWith(folder + "/done", folder + "/link"));
  EXPECT_TRUE(fs::is_symlink(folder + "/link"));
  EXPECT_EQ(Read(path), "done");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, static_cast<fs::perms>(0640));
  EXPECT_EQ(Entries(), 2);
  EXPECT_FALSE(ReplaceFileWith(folder + "/none", path));
  EXPECT_EQ(Read(path), "done");
  // From another file system it is copied in.
  char shm[] = "/dev/shm/nura-io-XXXXXX";
  struct stat here {}, there {};
  if (::mkdtemp(shm) && ::stat(shm, &there) == 0 && ::stat(folder.c_str(), &here) == 0 &&
      here.st_dev != there.st_dev) {
    const std::string source = std::string(shm) + "/far";
    ASSERT_TRUE(WriteFileAtomically(source, std::string(200000, 'f')));
    EXPECT_TRUE(ReplaceFileWith(source, path));
    EXPECT_EQ(Read(path), std::string(200000, 'f'));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(Entries(), 2);
  }
  fs::remove_all(shm);
}

TEST_F(AtomicWriter, TemporariesOfInterruptedSavesGoWithTheNextSave) {
  const std::string path = folder + "/f.txt";
  // Written as an interrupted save leaves them: by hand, not by a save,
  // which would read the folder before they were there.
  const auto aged = [](const std::string& file, int hours) {
    std::ofstream(file) << "left";
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(hours));
  };
  aged(path + ".tmpAbC123", 2);   // an interrupted save
  aged(path + ".tmpXyZ789", 0);   // a save that may still be under way
  aged(path + ".tmpABCDEFG", 2);  // not a name of ours
  aged(folder + "/g.txt.tmpQwE456", 2);  // another target's
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_FALSE(fs::exists(path + ".tmpAbC123"));
  EXPECT_TRUE(fs::exists(path + ".tmpXyZ789"));
  EXPECT_TRUE(fs::exists(path + ".tmpABCDEFG"));
  EXPECT_TRUE(fs::exists(folder + "/g.txt.tmpQwE456"));
  EXPECT_EQ(Read(path), "new");
}

// In a sticky folder that everyone may write (as /tmp), a save follows a
// link only when it belongs to the user or to the folder's owner.
TEST_F(AtomicWriter, AnotherUsersLinkInAStickyFolderIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give links to a second user";
  const uid_t other = 54321;
  const std::string shared = folder + "/shared";
  fs::create_directories(shared);
  ::chmod(shared.c_str(), 01777);
  const std::string victim = folder + "/victim.txt";
  ASSERT_TRUE(WriteFileAtomically(victim, "mine"));
  auto plant = [&](const std::string& name, uid_t owner) {
    fs::create_symlink(victim, shared + "/" + name);
    ASSERT_EQ(::lchown((shared + "/" + name).c_str(), owner, owner), 0);
  };
  plant("theirs", other);
  EXPECT_FALSE(WriteFileAtomically(shared + "/theirs", "redirected"));
  EXPECT_FALSE(CopyFileAtomically(victim, shared + "/theirs"));
  ASSERT_TRUE(WriteFileAtomically(folder + "/done", "redirected"));
  EXPECT_FALSE(ReplaceFileWith(folder + "/done", shared + "/theirs"));
  EXPECT_EQ(Read(victim), "mine");
  // A chain through a link of ours ends at theirs: refused too.
  fs::create_symlink(shared + "/theirs", folder + "/chain");
  EXPECT_FALSE(WriteFileAtomically(folder + "/chain", "redirected"));
  EXPECT_EQ(Read(victim), "mine");
  // Our own link is followed; so is one of the folder's owner.
  plant("ours", ::geteuid());
  EXPECT_TRUE(WriteFileAtomically(shared + "/ours", "through ours"));
  EXPECT_EQ(Read(victim), "through ours");
  ASSERT_EQ(::chown(shared.c_str(), other, other), 0);
  EXPECT_TRUE(WriteFileAtomically(shared + "/theirs", "through the owner's"));
  EXPECT_EQ(Read(victim), "through the owner's");
}

TEST_F(AtomicWriter, CopiesTakeTheSourcesModeAndFailWithoutHarm) {
  const std::string source = folder + "/s.sh", target = folder + "/t.sh";
  ASSERT_TRUE(WriteFileAtomically(source, std::string(5000, 's')));
  ::chmod(source.c_str(), 0750);
  ASSERT_TRUE(WriteFileAtomically(target, "old"));
  {
    test::FileSizeLimit limit(1000);
    EXPECT_FALSE(CopyFileAtomically(source, target));
    EXPECT_FALSE(CopyPath(source, target));
  }
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(Entries(), 2);
  ASSERT_TRUE(CopyFileAtomically(source, target));
  EXPECT_EQ(Read(target), std::string(5000, 's'));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, static_cast<fs::perms>(0750));
  EXPECT_FALSE(CopyFileAtomically(source, source));  // the same file
  EXPECT_EQ(Read(source), std::string(5000, 's'));
  // A tree over an older copy of itself: files replaced, links kept as links.
  fs::create_directories(folder + "/tree/sub");
  ASSERT_TRUE(WriteFileAtomically(folder + "/tree/sub/a.txt", "new"));
  fs::create_symlink("sub/a.txt", folder + "/tree/link");
  fs::create_directories(folder + "/copy/tree/sub");
  ASSERT_TRUE(WriteFileAtomically(folder + "/copy/tree/sub/a.txt", "older"));
  ASSERT_TRUE(CopyPath(folder + "/tree", folder + "/copy"));
  EXPECT_EQ(Read(folder + "/copy/tree/sub/a.txt"), "new");
  EXPECT_TRUE(fs::is_symlink(folder + "/copy/tree/link"));
  EXPECT_EQ(Read(folder + "/copy/tree/link"), "new");
}


// Devices and FIFOs would be read for ever or block the open: they are
// refused at once, like a folder; a regular file reads as before.
TEST(ReadNativeFile, RefusesWhatIsNoRegularFile) {
  const std::string folder = test::MakeTempFolder();
  const std::string fifo = folder + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string plain = folder + "/plain.txt";
  { std::ofstream(plain, std::ios::binary) << "abc"; }
  std::string bytes = "old";
  EXPECT_FALSE(ReadNativeFile("/dev/zero", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadNativeFile(fifo, bytes));
  EXPECT_FALSE(ReadNativeFile(folder, bytes));
  EXPECT_FALSE(ReadNativeFileBlocks("/dev/zero", [](std::string_view) { return true; }));
  EXPECT_FALSE(ReadNativeFileBlocks(fifo, [](std::string_view) { return true; }));
  ASSERT_TRUE(ReadNativeFile(plain, bytes));
  EXPECT_EQ(bytes, "abc");
  std::string blocks;
  EXPECT_TRUE(ReadNativeFileBlocks(plain, [&](std::string_view b) { return blocks.append(b), true; }));
  EXPECT_EQ(blocks, "abc");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace nura
