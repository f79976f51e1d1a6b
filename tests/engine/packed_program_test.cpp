#include "engine/packed_program.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/filemix.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/private_folder.h"
#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

TEST(PackedProgram, ExtractedFilesStayInTheTemporaryFolderAndGoWithTheState) {
  const std::string dir = test::MakeTempFolder();
  test::WriteSjisFile(dir + "/data.txt", "中身");
  TFileMixWriter writer;
  writer.lines = {dir + "/data.txt=../evil.txt=0", dir + "/data.txt=sub\\a.txt=1",
                  dir + "/data.txt=C:/x/y.txt=0"};
  ASSERT_TRUE(writer.SaveToFile(dir + "/box.mix"));

  std::vector<std::string> made;
  {
    TNuraEngine engine;
    OpenResourceContainer(engine, dir + "/box.mix");
    const fs::path temp = PrivateRunFolder();
    for (const char* name : {"../evil.txt", "sub\\a.txt", "C:/x/y.txt"}) {
      const std::string path = ExtractPackedFile(engine, name);
      ASSERT_FALSE(path.empty()) << name;
      const fs::path native(ScriptPathToNative(path));
      EXPECT_EQ(native.parent_path(), temp) << path;
      EXPECT_TRUE(fs::exists(native));
      EXPECT_EQ(ExtractPackedFile(engine, name), path);  // once only
      made.push_back(native.string());
    }
    EXPECT_EQ(ExtractPackedFile(engine, "absent.txt"), "");
    EXPECT_FALSE(fs::exists(temp.parent_path() / "evil.txt"));
  }
  for (const auto& path : made) EXPECT_FALSE(fs::exists(path)) << path;
  EXPECT_TRUE(fs::exists(dir + "/box.mix"));  // the user's container is kept
  fs::remove_all(dir);
}

// A container in a fresh folder holding "data.txt" under `entry`.
std::string ContainerWith(const std::string& dir, const std::string& entry) {
  test::WriteSjisFile(dir + "/data.txt", "秘密");
  TFileMixWriter writer;
  writer.lines = {dir + "/data.txt=" + entry + "=0"};
  EXPECT_TRUE(writer.SaveToFile(dir + "/box.mix"));
  return dir + "/box.mix";
}

TEST(PackedProgram, ExtractionIgnoresWhatOthersPlantInTheSharedTemporaryFolder) {
  const std::string dir = test::MakeTempFolder();
  const std::string entry = "planted-" + std::to_string(::getpid()) + ".txt";
  const fs::path shared = fs::temp_directory_path() / entry;
  // Another user's link under the entry's name, pointing at a file of ours.
  test::WriteSjisFile(dir + "/victim.txt", "mine");
  fs::create_symlink(dir + "/victim.txt", shared);
  {
    TNuraEngine engine;
    OpenResourceContainer(engine, ContainerWith(dir, entry));
    const std::string path = ScriptPathToNative(ExtractPackedFile(engine, entry));
    ASSERT_FALSE(path.empty());
    struct stat folder {}, file {};
    ASSERT_EQ(::lstat(fs::path(path).parent_path().c_str(), &folder), 0);
    ASSERT_EQ(::lstat(path.c_str(), &file), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(folder.st_uid, ::getuid());
    EXPECT_TRUE(S_ISREG(file.st_mode));
    EXPECT_EQ(file.st_mode & 0777, 0600u);
  }
  EXPECT_TRUE(fs::is_symlink(shared));
  fs::remove(shared);
  std::string victim;
  ASSERT_TRUE(ReadNativeFile(dir + "/victim.txt", victim));
  EXPECT_EQ(SjisToUtf8(victim), "mine");
  fs::remove_all(dir);
}

TEST(PackedProgram, AnotherUserCannotReadAnExtractedFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
  const std::string dir = test::MakeTempFolder();
  TNuraEngine engine;
  OpenResourceContainer(engine, ContainerWith(dir, "secret.txt"));
  const std::string path = ScriptPathToNative(ExtractPackedFile(engine, "secret.txt"));
  ASSERT_FALSE(path.empty());
  const pid_t child = ::fork();
  if (child == 0) {
    // A second user with no account: a uid and gid of no one else.
    const gid_t group = 54321;
    if (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(54321) != 0) ::_exit(2);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::_exit(fd < 0 && errno == EACCES ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not become the second user; 1: it read the file";
  fs::remove_all(dir);
}

TEST(PackedProgram, NumberedTemporaryFilesAreNew) {
  const std::string a = CreateNumberedTempFile("nuratest", ".TMP");
  const std::string b = CreateNumberedTempFile("nuratest", ".TMP");
  EXPECT_NE(a, b);
  EXPECT_TRUE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  fs::remove(a);
  fs::remove(b);
}

TEST(PackedProgram, ADamagedResourceIsAClearError) {
  const std::string dir = test::MakeTempFolder();
  test::WriteSjisFile(dir + "/bad.mix", "fMix but not really");
  TNuraEngine engine;
  EXPECT_THROW(OpenResourceContainer(engine, dir + "/bad.mix"), ENura);
  EXPECT_THROW(OpenResourceContainer(engine, dir + "/none.mix"), ENura);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace nura
