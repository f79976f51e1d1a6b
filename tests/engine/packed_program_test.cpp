#include "engine/packed_program.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/filemix.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "support/run_program.h"

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
    const fs::path temp = fs::temp_directory_path();
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
