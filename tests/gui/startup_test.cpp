// The program as a user starts it: script location, the command line and
// console mode, through the real executable.
#include <filesystem>
#include <gtest/gtest.h>

#include "support/run_program.h"

namespace nura {
namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempFolder(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(Startup, NoScriptEndsAtOnce) {
  const auto r = test::RunProgram({}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

TEST_F(Startup, UnreadableScriptIsReported) {
  const auto r = test::RunProgram({"nothere.nrs"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "起動ファイル「nothere.nrs」が読込めません。\n");
}

TEST_F(Startup, ArgumentsFromTheScriptOnAreVisible) {
  test::WriteSjisFile(dir_ + "/args.nrs", "コマンドライン引数を言う\r\n");
  const auto r = test::RunProgram({"-debug", "args.nrs", "x", "y"}, dir_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "args.nrs\r\nx\r\ny\n");
}

TEST_F(Startup, ErrorGoesToStandardErrorWithStatusOne) {
  test::WriteSjisFile(dir_ + "/t.nrs", "「a」と言う\r\nなし\r\n「b」と言う\r\n");
  const auto r = test::RunProgram({"t.nrs"}, dir_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "a\n");
  EXPECT_EQ(r.err, "[エラー] t.nrs(2行目): \"なし\"は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！\n");
}

TEST_F(Startup, DefaultScriptBesideTheProgram) {
  const std::string exe = dir_ + "/prog";
  std::filesystem::copy_file(std::string(NURA_BIN_DIR) + "/nurasera", exe);
  test::WriteSjisFile(dir_ + "/prog.nrs", "「既定」と言う\r\n");
  const auto r = test::RunProgram({}, dir_, "", exe);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "既定\n");
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

TEST(Example, HelloRunsInConsoleMode) {
  const auto r = test::RunProgram({std::string(NURA_SOURCE_DIR) + "/examples/hello.nrs"}, "/");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "こんにちは、ぬらせらです。\n果物は全部で7個です。\n1回目\n2回目\n3回目\n");
}

}  // namespace
}  // namespace nura
