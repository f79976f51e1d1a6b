// The program as a user starts it: script location, the command line and
// console mode, through the real executable.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "engine/filemix.h"
#include "common/run_program.h"

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

TEST_F(Startup, ArgumentsFromTheScriptOnAreVisible) {
  test::WriteSjisFile(dir_ + "/args.nrs", "コマンドライン引数を言う\r\n");
  const auto r = test::RunProgram({"-debug", "args.nrs", "x", "y"}, dir_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "args.nrs\nx\ny\n");
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

// A container holding `program` as "nurasera.nrs" (enciphered; Shift-JIS,
// or the bytes as given with `utf8`) and a data file "data.txt".
std::string MakeContainer(const std::string& dir, const std::string& program, bool utf8 = false) {
  if (utf8) std::ofstream(dir + "/packed.nrs", std::ios::binary) << program;
  else test::WriteSjisFile(dir + "/packed.nrs", program);
  test::WriteSjisFile(dir + "/data.txt", "中身");
  test::WriteSjisFile(dir + "/inc.nrs", "「取り込み」と言う\r\n");
  TFileMixWriter writer;
  writer.lines = {dir + "/packed.nrs=nurasera.nrs=1", dir + "/data.txt=data.txt=0",
                  dir + "/inc.nrs=inc.nrs=1"};
  EXPECT_TRUE(writer.SaveToFile(dir + "/box.mix"));
  std::ifstream in(dir + "/box.mix", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A copy of the program with `container` appended.
std::string MakePackedProgram(const std::string& dir, const std::string& container) {
  const std::string exe = dir + "/packed";
  std::filesystem::copy_file(std::string(NURA_BIN_DIR) + "/nurasera", exe);
  std::ofstream out(exe, std::ios::binary | std::ios::app);
  out.write(container.data(), static_cast<std::streamsize>(container.size()));
  return exe;
}

TEST_F(Startup, PackedProgramWinsUnlessRunComesFirst) {
  const std::string exe = MakePackedProgram(dir_, MakeContainer(dir_, "「梱包」と言う\r\n"));
  test::WriteSjisFile(dir_ + "/own.nrs", "「自前」と言う\r\n");
  auto r = test::RunProgram({}, dir_, "", exe);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "梱包\n");
  r = test::RunProgram({"own.nrs"}, dir_, "", exe);
  EXPECT_EQ(r.out, "梱包\n");
  r = test::RunProgram({"-run", "own.nrs"}, dir_, "", exe);
  EXPECT_EQ(r.out, "自前\n");
}

// A packed program in UTF-8 is converted like a script file, with the same
// error for a character that Shift-JIS lacks.
TEST_F(Startup, PackedProgramInUtf8IsConverted) {
  std::string exe = MakePackedProgram(dir_, MakeContainer(dir_, "\xEF\xBB\xBF「梱包」と言う\n", true));
  auto r = test::RunProgram({}, dir_, "", exe);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "梱包\n");
  std::filesystem::remove(exe);
  exe = MakePackedProgram(dir_, MakeContainer(dir_, "「a」と言う\n「한」と言う\n", true));
  r = test::RunProgram({}, dir_, "", exe);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ファイル「nurasera.nrs」の2行目に、Shift-JISで表せない文字があります。\n");
}

TEST_F(Startup, RuntimeSwitchRunsAnotherPackedProgram) {
  const std::string exe = MakePackedProgram(dir_, MakeContainer(dir_, "「別の梱包」と言う\r\n"));
  auto r = test::RunProgram({"-run", "-runtime", exe}, dir_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "別の梱包\n");
  test::WriteSjisFile(dir_ + "/broken", "no container here");
  r = test::RunProgram({"-runtime", "broken"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "指定されたプログラムファイルは壊れています。\n");
}

// The environment variable `name` set to `value` (unset when null) while
// it lives.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) previous_ = old, had_ = true;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~TScopedEnv() {
    if (had_) ::setenv(name_, previous_.c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string previous_;
  bool had_ = false;
};

TEST_F(Startup, PackedFilesLeaveNothingInTheTemporaryFolder) {
  const std::string temp = dir_ + "/tmp";
  std::filesystem::create_directories(temp);
  TScopedEnv tmpdir("TMPDIR", temp.c_str());
  TScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  const std::string exe =
      MakePackedProgram(dir_, MakeContainer(dir_, "「梱包」と言う\r\n「inc.nrs」を取り込む\r\n"));
  std::filesystem::remove(dir_ + "/inc.nrs");
  const auto r = test::RunProgram({}, dir_, "", exe);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "梱包\n取り込み\n");
  // Qt makes its own "runtime-<user>" there when XDG_RUNTIME_DIR is unset.
  for (const auto& entry : std::filesystem::directory_iterator(temp)) {
    if (entry.path().filename().string().rfind("runtime-", 0) != 0) ADD_FAILURE() << "left: " << entry.path();
  }
}

TEST_F(Startup, ResourceFileIsReadAndKept) {
  MakeContainer(dir_, "");
  std::filesystem::remove(dir_ + "/inc.nrs");  // only the packed copy is left
  test::WriteSjisFile(dir_ + "/s.nrs", "「ok」と言う\r\n「inc.nrs」を取り込む\r\n");
  auto r = test::RunProgram({"s.nrs", "-resource", "box.mix"}, dir_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "ok\n取り込み\n");
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/box.mix"));
  r = test::RunProgram({"s.nrs", "-resource", "s.nrs"}, dir_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "リソースファイルの取り込みに失敗しました。\n");
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
