// Self-extracting programs made by "自己解凍書庫作成" in the real program and
// then run: with a folder argument, with the folder on standard input,
// over existing files, with hostile member names and truncated.
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "archive_test_support.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

class SelfExtractor : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempFolder();
    fs::create_directories(dir_ + "/tmp");
    WriteBytes(dir_ + "/src/a.txt", "alpha\n");
    WriteBytes(dir_ + "/src/sub/日本語.txt", std::string(3000, 'x') + "end");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Runs a script (UTF-8 text) in the test folder, with the temporary
  // folder inside it so that no security question is asked.
  ProgramResult RunScript(const std::string& script) {
    WriteSjisFile(dir_ + "/make.nrs", script);
    setenv("TMPDIR", (dir_ + "/tmp").c_str(), 1);
    ProgramResult result = RunProgram({"make.nrs"}, dir_);
    unsetenv("TMPDIR");
    return result;
  }
  // Makes `program` from the src folder.
  void Make(const std::string& program) {
    const ProgramResult made = RunScript("「src」を「" + program + "」へ自己解凍書庫作成\n");
    ASSERT_EQ(made.status, 0) << made.err;
  }
  ProgramResult Run(const std::string& program, const std::vector<std::string>& args,
                    const std::string& input = "", const std::string& cwd = "") {
    return RunProgram(args, cwd.empty() ? dir_ : cwd, input, dir_ + "/" + program);
  }
  // Every file below `folder`, relative.
  std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), folder).string());
    }
    return files;
  }
  void ExpectPacked(const std::string& folder) {
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"src/a.txt", "src/sub/日本語.txt"}));
    EXPECT_EQ(ReadBytes(folder + "/src/a.txt"), "alpha\n");
    EXPECT_EQ(ReadBytes(folder + "/src/sub/日本語.txt"), std::string(3000, 'x') + "end");
  }

  std::string dir_;
};

TEST_F(SelfExtractor, ExtractsExactlyThePackedFilesWithAFolderArgument) {
  Make("sfx.bin");
  struct stat st {};
  ASSERT_EQ(::stat((dir_ + "/sfx.bin").c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 07777, 0755 & ~mask);
  for (const auto& entry : fs::directory_iterator(dir_ + "/tmp"))  // the temporary archive is gone
    EXPECT_EQ(entry.path().filename().string().find("nupack"), std::string::npos);
  const ProgramResult run = Run("sfx.bin", {dir_ + "/out"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("[2/2]"), std::string::npos) << run.out;
  ExpectPacked(dir_ + "/out");
}

TEST_F(SelfExtractor, AsksForTheFolderOnStandardInputWithTheCurrentFolderAsDefault) {
  Make("sfx.bin");
  fs::create_directories(dir_ + "/here");
  const ProgramResult typed = Run("sfx.bin", {}, "typed\n", dir_ + "/here");
  EXPECT_EQ(typed.status, 0) << typed.err;
  ExpectPacked(dir_ + "/here/typed");
  fs::create_directories(dir_ + "/plain");
  const ProgramResult empty = Run("sfx.bin", {}, "\n", dir_ + "/plain");
  EXPECT_EQ(empty.status, 0) << empty.err;
  ExpectPacked(dir_ + "/plain");
  // The end of input cancels: nothing is written, the status says so.
  fs::create_directories(dir_ + "/none");
  const ProgramResult cancelled = Run("sfx.bin", {}, "", dir_ + "/none");
  EXPECT_NE(cancelled.status, 0);
  EXPECT_NE(cancelled.err.find("取り消しました"), std::string::npos) << cancelled.err;
  EXPECT_TRUE(fs::is_empty(dir_ + "/none"));
}

TEST_F(SelfExtractor, ExistingFilesAreReplacedOnlyWhenAllowed) {
  Make("sfx.bin");
  WriteBytes(dir_ + "/out/src/a.txt", "mine");
  const ProgramResult refused = Run("sfx.bin", {dir_ + "/out"}, "n\n");
  EXPECT_EQ(refused.status, 0) << refused.err;
  EXPECT_NE(refused.out.find("上書きしますか"), std::string::npos) << refused.out;
  EXPECT_EQ(ReadBytes(dir_ + "/out/src/a.txt"), "mine");
  const ProgramResult forced = Run("sfx.bin", {"-y", dir_ + "/out"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadBytes(dir_ + "/out/src/a.txt"), "alpha\n");
}

TEST_F(SelfExtractor, HostileNamesAreRefusedAndTheStatusSaysSo) {
  WriteBytes(dir_ + "/evil.lzh", CraftedLhaMember("../evil.txt", "bad") +
                                     CraftedLhaMember("/tmp/../" + dir_ + "/abs.txt", "bad") +
                                     CraftedLhaMember("ok.txt", "good") + std::string(1, '\0'));
  const ProgramResult made = RunScript("「evil.lzh」を「evil.bin」へ自己解凍書庫作成\n");
  ASSERT_EQ(made.status, 0) << made.err;
  fs::create_directories(dir_ + "/in");
  const ProgramResult run = Run("evil.bin", {dir_ + "/in/out"});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("展開先の外を指す名前"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(dir_ + "/in/out/ok.txt"), "good");
  EXPECT_FALSE(fs::exists(dir_ + "/in/evil.txt"));
  EXPECT_FALSE(fs::exists(dir_ + "/abs.txt"));
}

TEST_F(SelfExtractor, ATruncatedSelfExtractorFailsClearly) {
  Make("sfx.bin");
  fs::copy_file(dir_ + "/sfx.bin", dir_ + "/cut.bin");
  fs::resize_file(dir_ + "/cut.bin", fs::file_size(dir_ + "/cut.bin") - 100);
  const ProgramResult run = Run("cut.bin", {dir_ + "/out"});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("自己解凍書庫が壊れています"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_ + "/out"));
}

}  // namespace
}  // namespace nura::test
