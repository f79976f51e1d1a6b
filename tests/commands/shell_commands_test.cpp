// Launching: the split of a launch text, scripts run by this program with
// their arguments, and the container copy that a launched packed script
// owns and deletes; the drive kinds of mount types.
#include "commands/shell_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/command_test_support.h"
#include "engine/command_line.h"
#include "engine/filemix.h"
#include "engine/packed_program.h"
#include "platform/drive_kind.h"
#include "platform/native_path.h"
#include "platform/private_folder.h"
#include "common/run_program.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

TEST(LaunchText, SplitsAtTheFirstBlankOutsideQuotes) {
  TLaunchText parts = SplitLaunchText("\"a b.nrs\" x  y ");
  EXPECT_EQ(parts.program, "\"a b.nrs\"");
  EXPECT_EQ(parts.parameters, "x  y");
  parts = SplitLaunchText(SJ("表.exe"));  // "表" has 0x5C as its second byte
  EXPECT_EQ(parts.program, SJ("表.exe"));
  EXPECT_EQ(parts.parameters, "");
  EXPECT_EQ(SplitArguments("a \"b c\"  d\"\""), (std::vector<std::string>{"a", "b c", "d"}));
  EXPECT_EQ(SplitArguments("\"\""), (std::vector<std::string>{""}));
  EXPECT_TRUE(SplitArguments("   ").empty());
}

class LaunchFixture : public CommandFixture {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    previousTemp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    dir_ = test::MakeTempFolder();
    fs::create_directory(dir_ + "/tmp");
    setenv("TMPDIR", (dir_ + "/tmp").c_str(), 1);
    fs::current_path(dir_);
    ProgramCommandLine().programPath = NURA_BIN_DIR "/nurasera";
  }
  void TearDown() override {
    fs::current_path(previous_);
    if (previousTemp_.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", previousTemp_.c_str(), 1);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string dir_;

 private:
  fs::path previous_;
  std::string previousTemp_;
};

TEST_F(LaunchFixture, AQuotedScriptRunsInThisProgramWithItsArguments) {
  const TLaunchPlan plan = PlanLaunch(engine, "\"my script.nrs\" a \"b c\"");
  EXPECT_EQ(plan.program, NURA_BIN_DIR "/nurasera");
  ASSERT_EQ(plan.arguments.size(), 3u);
  EXPECT_EQ(fs::path(plan.arguments[0]).filename(), "my script.nrs");
  EXPECT_EQ(plan.arguments[1], "a");
  EXPECT_EQ(plan.arguments[2], "b c");
  // URLs and existing documents go to the desktop's opener.
  EXPECT_EQ(PlanLaunch(engine, "https://example.invalid/x").program, "xdg-open");
  test::WriteSjisFile(dir_ + "/a b.txt", "x");
  const TLaunchPlan document = PlanLaunch(engine, "a b.txt");
  EXPECT_EQ(document.program, "xdg-open");
  EXPECT_EQ(document.arguments, (std::vector<std::string>{"a b.txt"}));
  // A program with its arguments: no shell reads them.
  const TLaunchPlan program = PlanLaunch(engine, "touch 'x;y' z");
  EXPECT_EQ(program.program, "touch");
  EXPECT_EQ(program.arguments, (std::vector<std::string>{"'x;y'", "z"}));
}

TEST_F(LaunchFixture, APackedScriptOwnsItsContainerCopyAndTheUsersFileStays) {
  test::WriteSjisFile(dir_ + "/child.nrs", "「動いた」を「ran.txt」へ書く\r\n");
  TFileMixWriter writer;
  writer.lines.push_back(NativePathToScript(dir_ + "/child.nrs") + "=child.nrs=0");
  ASSERT_TRUE(writer.SaveToFile(NativePathToScript(dir_ + "/pack.bin")));
  fs::remove(dir_ + "/child.nrs");
  OpenResourceContainer(engine, NativePathToScript(dir_ + "/pack.bin"));

  const TLaunchPlan plan = PlanLaunch(engine, "child.nrs");
  ASSERT_GE(plan.arguments.size(), 3u);
  EXPECT_EQ(plan.arguments[0], kOwnedResourceSwitch);
  EXPECT_EQ(plan.arguments[1], dir_ + "/tmp/TMP1.TMP");
  EXPECT_TRUE(fs::exists(plan.arguments[1]));
  const test::ProgramResult run = test::RunProgram(plan.arguments, dir_);
  EXPECT_EQ(run.status, 0) << run.err;
  // The script runs in its own folder, the run's private one it was
  // extracted to.
  const fs::path extracted = fs::path(plan.arguments[2]).parent_path();
  EXPECT_EQ(extracted, fs::path(PrivateRunFolder()));
  EXPECT_TRUE(fs::exists(extracted / "ran.txt"));
  EXPECT_FALSE(fs::exists(plan.arguments[1]));

  // The switch never deletes a file that is not such a copy.
  const test::ProgramResult own =
      test::RunProgram({kOwnedResourceSwitch, dir_ + "/pack.bin", plan.arguments[2]}, dir_);
  EXPECT_EQ(own.status, 0) << own.err;
  EXPECT_TRUE(fs::exists(dir_ + "/pack.bin"));
  EXPECT_FALSE(IsNumberedContainerCopy(dir_ + "/pack.bin"));
  EXPECT_FALSE(IsNumberedContainerCopy(dir_ + "/tmp/TMPx.TMP"));
  EXPECT_TRUE(IsNumberedContainerCopy(dir_ + "/tmp/TMP12.TMP"));
}

TEST(DriveKind, MountTypesAndPaths) {
  EXPECT_EQ(DriveKindOfMount("tmpfs", "tmpfs"), TDriveKind::RamDisk);
  EXPECT_EQ(DriveKindOfMount("iso9660", "/dev/sr0"), TDriveKind::CdRom);
  EXPECT_EQ(DriveKindOfMount("udf", "/dev/sr0"), TDriveKind::CdRom);
  EXPECT_EQ(DriveKindOfMount("nfs4", "server:/x"), TDriveKind::Remote);
  EXPECT_EQ(DriveKindOfMount("cifs", "//server/x"), TDriveKind::Remote);
  EXPECT_EQ(DriveKindOfMount("ext4", "/dev/nonexistent-device"), TDriveKind::Fixed);
  EXPECT_EQ(DriveKindOf("/nonexistent/x"), TDriveKind::Missing);
  EXPECT_EQ(DriveKindOf(""), TDriveKind::Missing);
  EXPECT_EQ(DriveKindOf("/dev/shm"), TDriveKind::RamDisk);
}

}  // namespace
}  // namespace nura
