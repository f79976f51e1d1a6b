#include "platform/registry_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { folder = test::MakeTempFolder(); }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string StorePath() const { return folder + "/nurasera/registry"; }
  std::string folder;
};

TEST_F(RegistryStoreTest, ValuesOfEveryTypeSurviveARestart) {
  const std::string key = SJ("HKEY_CURRENT_USER\\Software\\ぬらせら\\表ソ");
  {
    TRegistryStore store(StorePath());
    ASSERT_TRUE(store.WriteValue(key, SJ("名前"), TRegistryValue::FromString(SJ("値ソ"))));
    ASSERT_TRUE(store.WriteValue(key, "Count", TRegistryValue::FromDWord(0xFFFFFFFEu)));
    ASSERT_TRUE(store.WriteValue(key, "Bin", TRegistryValue::FromBinary(std::string("a\0\r\n\xFF", 5))));
  }
  TRegistryStore store(StorePath());
  auto s = store.ReadValue(key, SJ("名前"));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->type, TRegistryType::String);
  EXPECT_EQ(s->data, SJ("値ソ"));
  auto d = store.ReadValue(SJ("hkey_current_user\\software\\ぬらせら\\表ソ\\"), "count");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->type, TRegistryType::DWord);
  EXPECT_EQ(d->AsDWord(), 0xFFFFFFFEu);
  auto b = store.ReadValue(key, "Bin");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->type, TRegistryType::Binary);
  EXPECT_EQ(b->data, std::string("a\0\r\n\xFF", 5));
  EXPECT_FALSE(store.ReadValue(key, "missing"));
  // Parents were made with the key.
  EXPECT_TRUE(store.KeyExists("HKEY_CURRENT_USER\\Software"));
}

TEST_F(RegistryStoreTest, SubKeysAndDeletion) {
  TRegistryStore store(StorePath());
  ASSERT_TRUE(store.CreateKey("R\\A\\B\\C"));
  ASSERT_TRUE(store.CreateKey("R\\a\\D"));
  ASSERT_TRUE(store.CreateKey("R\\Z"));
  EXPECT_EQ(store.SubKeyNames("R"), (std::vector<std::string>{"A", "Z"}));
  EXPECT_EQ(store.SubKeyNames("R\\A"), (std::vector<std::string>{"B", "D"}));
  ASSERT_TRUE(store.WriteValue("R\\Z", "v", TRegistryValue::FromString("1")));
  EXPECT_TRUE(store.DeleteValue("R\\Z", "V"));
  EXPECT_FALSE(store.DeleteValue("R\\Z", "V"));
  EXPECT_TRUE(store.DeleteKey("R\\A"));
  EXPECT_FALSE(store.KeyExists("R\\A\\B\\C"));
  EXPECT_FALSE(store.DeleteKey("R\\A"));
  EXPECT_EQ(store.SubKeyNames("R"), (std::vector<std::string>{"Z"}));
}

TEST_F(RegistryStoreTest, DamagedLinesAreSkippedAndTheRestKept) {
  std::filesystem::create_directories(folder + "/nurasera");
  {
    std::ofstream out(StorePath(), std::ios::binary);
    out << "nurasera-registry 1\nK 52\nV 1 6e 7a7\nV 4 6e 01\nV 9 6e 00\ngarbage\xFF\nV 1 6b 6f6b\n";
  }
  TRegistryStore store(StorePath());
  EXPECT_EQ(store.ReadValue("R", "k")->data, "ok");
  EXPECT_FALSE(store.ReadValue("R", "n"));
  ASSERT_TRUE(store.WriteValue("R", "x", TRegistryValue::FromString("y")));
  EXPECT_EQ(store.ReadValue("R", "k")->data, "ok");
}

TEST_F(RegistryStoreTest, DefaultPathFollowsXdgConfigHome) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  EXPECT_EQ(TRegistryStore::DefaultPath(), folder + "/nurasera/registry");
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryStoreTest, RegistryKeyUnderNumberedRoots) {
  TRegistry reg(StorePath());
  EXPECT_FALSE(reg.SetRootKey(0x80000007u));
  EXPECT_FALSE(reg.OpenKey("X", true));
  ASSERT_TRUE(reg.SetRootKey(0x80000001u));
  EXPECT_FALSE(reg.OpenKey("Missing", false));
  ASSERT_TRUE(reg.OpenKey("\\Software\\Test", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Test");
  ASSERT_TRUE(reg.WriteValue("n", TRegistryValue::FromString("1")));
  TRegistryStore store(StorePath());
  EXPECT_EQ(store.ReadValue("HKEY_CURRENT_USER\\Software\\Test", "n")->data, "1");
}

}  // namespace
}  // namespace nura
