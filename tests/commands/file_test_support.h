// A command fixture that works in a fresh temporary folder: it is the
// current folder and the script's folder, and the XDG data folder (the
// trash) and config folder (the registry) lie inside it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/command_test_support.h"
#include "commands/file_commands.h"
#include "common/run_program.h"

namespace nura {

class FileFixture : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterFileCommands(); }

  void SetUp() override {
    previous_ = std::filesystem::current_path();
    dir_ = test::MakeTempFolder();
    std::filesystem::current_path(dir_);
    setenv("XDG_DATA_HOME", (dir_ + "/xdg").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    engine.Base().baseFolder = Utf8ToSjis(dir_ + "/");
    engine.Base().scriptPath = "t.nrs";
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
  }

  // A path under the folder (UTF-8 in, native).
  std::string P(const std::string& relative) const { return dir_ + "/" + relative; }
  void Put(const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(P(relative)).parent_path());
    std::ofstream(P(relative), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& relative) const {
    std::ifstream in(P(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Has(const std::string& relative) const {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(P(relative), ec));
  }

  std::string dir_;
  std::filesystem::path previous_;
};

}  // namespace nura
