// Starting other programs and sharing memory with them, on real programs
// of the system (sh, sleep) and real System V blocks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "common/run_program.h"
#include "platform/process.h"
#include "platform/shared_memory.h"

namespace nura {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Process, OutputAndErrorComeTogetherWithTheStatusAndWithoutTheUnsetVariables) {
  setenv("NURA_TEST_SECRET", "kept", 1);
  setenv("NURA_TEST_PLAIN", "seen", 1);
  std::string output;
  int status = -1;
  ASSERT_TRUE(RunProgramForOutput("sh", {"-c", "echo out; echo err >&2; echo \"[$NURA_TEST_SECRET][$NURA_TEST_PLAIN]\"; "
                                               "read line || echo eof; exit 3"},
                                  {"NURA_TEST_SECRET"}, output, status, 5000));
  EXPECT_EQ(output, "out\nerr\n[][seen]\neof\n");
  EXPECT_EQ(status, 3);
  // A program that is missing, that crashes or that takes too long.
  EXPECT_FALSE(RunProgramForOutput("/no/such/program", {}, {}, output, status, 1000));
  EXPECT_FALSE(RunProgramForOutput("sh", {"-c", "kill -SEGV $$"}, {}, output, status, 5000));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunProgramForOutput("sleep", {"10"}, {}, output, status, 200));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Process, ProgramsAreFoundOnThePath) {
  const std::string sh = FindProgramOnPath("sh");
  ASSERT_FALSE(sh.empty());
  EXPECT_EQ(sh.front(), '/');
  EXPECT_TRUE(IsExecutableFile(sh));
  EXPECT_EQ(FindProgramOnPath(sh), sh);
  EXPECT_EQ(FindProgramOnPath("no-such-program-here"), "");
  EXPECT_EQ(FindProgramOnPath(""), "");
}

TEST(Process, AChildRunsInItsFolderAndItsEndIsAwaited) {
  const std::string folder = test::MakeTempFolder();
  TChildProcess child;
  ASSERT_TRUE(child.Start("sh", {"-c", "sleep 0.3; pwd > here.txt"}, folder));
  EXPECT_FALSE(child.WaitForEnd(10));
  EXPECT_TRUE(child.WaitForEnd(5000));
  EXPECT_EQ(ReadAll(folder + "/here.txt"), std::filesystem::canonical(folder).string() + "\n");
  TChildProcess missing;
  EXPECT_FALSE(missing.Start("/no/such/program", {}, folder));
  std::filesystem::remove_all(folder);
}

TEST(Process, ADetachedProgramStartsAndAMissingOneIsReported) {
  const std::string folder = test::MakeTempFolder();
  ASSERT_TRUE(StartDetachedProcess("sh", {"-c", "echo gone > out.txt"}, folder));
  std::string text;
  for (int i = 0; i < 200 && text.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    text = ReadAll(folder + "/out.txt");
  }
  EXPECT_EQ(text, "gone\n");
  EXPECT_FALSE(StartDetachedProcess("/no/such/program", {}, folder));
  EXPECT_FALSE(StartDetachedProcess("", {}, folder));
  std::filesystem::remove_all(folder);
}

// Blocks meet by name; a later opener gets the first one's bytes when it is
// large enough, and the block goes with the last one that lets it go.
TEST(SharedMemoryBlock, MeetsByNameAndGoesWithItsLastUser) {
  const std::string name = "process-test-" + std::to_string(::getpid());
  {
    TSharedMemoryBlock first, second, larger;
    ASSERT_TRUE(first.Open(name, 64));
    EXPECT_EQ(first.Data()[63], 0);
    std::memcpy(first.Data(), "shared", 7);
    ASSERT_TRUE(second.Open(name, 32));
    EXPECT_STREQ(second.Data(), "shared");
    EXPECT_FALSE(larger.Open(name, 128));
    EXPECT_EQ(larger.Data(), nullptr);
  }
  TSharedMemoryBlock again;
  ASSERT_TRUE(again.Open(name, 128));  // a new block: the old one was removed
  EXPECT_EQ(again.Data()[0], 0);
  EXPECT_FALSE(TSharedMemoryBlock().Open(name + "-bad", 0));
}

}  // namespace
}  // namespace nura
