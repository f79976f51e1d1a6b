// Extraction against hostile archives and a full disk: chains of links
// made by the archive itself never resolve outside the destination, a
// folder once reached through a link is not written into when the link has
// given way to a file, and a member that cannot be written ends "解凍" with
// its name and keeps the old file.
#include <filesystem>

#include "archive_test_support.h"
#include "common/file_size_limit.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

// Every name below `folder`, links taken as they resolve, must stay below it.
void ExpectEverythingResolvesInside(const fs::path& folder) {
  const fs::path root = fs::canonical(folder);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(entry.path(), ec);
    const std::string rel = resolved.lexically_relative(root).string();
    EXPECT_TRUE(!ec && !rel.empty() && rel.rfind("..", 0) != 0) << entry.path() << " -> " << resolved;
  }
}

using ExtractionSafety = ArchiveFixture;

TEST_F(ExtractionSafety, LinkChainsNeverResolveOutsideTheDestination) {
  WriteTar(Path("chain.tar"),
           {
               {"p/q/", 'd', ""},
               {"p/q/a", 's', "../.."},     // the destination itself: allowed
               {"esc", 's', "p/q/a/.."},    // climbs out through the link above
               {"h", 'h', "p/q/a"},         // a hard link moves the link to another folder
               {"x", 's', "y/z/.."},        // y/z is made a link only later
               {"y/", 'd', ""},
               {"y/z", 's', ".."},
               {"lib/", 'd', ""},
               {"share/data.txt", 'f', "shared"},
               {"lib/data.txt", 's', "../share/data.txt"},  // an ordinary relative link
               {"copy.txt", 'h', "share/data.txt"},
           });
  const std::string error = SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg("chain.tar"), Arg("out")}));
  EXPECT_NE(error.find("esc"), std::string::npos) << error;
  EXPECT_NE(error.find("h:"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("out/esc"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("out/h"))));
  ExpectEverythingResolvesInside(Path("out"));
  EXPECT_EQ(ReadBytes(Path("out/lib/data.txt")), "shared");
  EXPECT_EQ(ReadBytes(Path("out/copy.txt")), "shared");
}

TEST_F(ExtractionSafety, LinksThroughFoldersOnDiskAreJudgedWhereTheyResolve) {
  // The destination already holds a link of the user's to another folder;
  // an archive's link through it would lead outside.
  fs::create_directories(Path("elsewhere"));
  WriteBytes(Path("elsewhere/secret.txt"), "secret");
  fs::create_directories(Path("out"));
  fs::create_symlink(Path("elsewhere"), Path("out/ext"));
  WriteTar(Path("through.tar"), {{"peek", 's', "ext/secret.txt"}});
  EXPECT_NE(ErrorOf(CommandId::Unpack, {Arg("through.tar"), Arg("out")}), "");
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("out/peek"))));
}

TEST_F(ExtractionSafety, AFolderSeenThroughALinkIsNotWrittenIntoAfterTheLinkIsReplaced) {
  // The destination's link "ext" leads outside. A member through it is
  // refused; a member "ext" replaces the link with a file; the member
  // through it again must fail, not land where the link led.
  fs::create_directories(Path("elsewhere"));
  fs::create_directories(Path("out"));
  fs::create_symlink(Path("elsewhere"), Path("out/ext"));
  WriteTar(Path("swap.tar"), {{"first.txt", 'f', "first"},
                              {"ext/planted.txt", 'f', "planted"},
                              {"ext", 'f', "a file now"},
                              {"ext/planted.txt", 'f', "planted"}});
  const std::string error = SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg("swap.tar"), Arg("out")}));
  EXPECT_NE(error.find("ext/planted.txt"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("elsewhere/planted.txt"))));
  EXPECT_TRUE(fs::is_empty(Path("elsewhere")));
  EXPECT_EQ(ReadBytes(Path("out/ext")), "a file now");
}

TEST_F(ExtractionSafety, AMemberThatDoesNotFitFailsAndKeepsTheOldFile) {
  std::string big;
  for (int i = 0; big.size() < (6u << 20); ++i) big += std::to_string(i) + ",";
  WriteTar(Path("big.tar"), {{"small.txt", 'f', "fits"}, {"big.txt", 'f', big}, {"after.txt", 'f', "x"}});
  WriteBytes(Path("d/big.txt"), "the old file");
  SetModified(Path("d/big.txt"), 1600000000);
  std::string error;
  {
    test::FileSizeLimit limit(2u << 20);
    error = SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg("big.tar"), Arg("d")}));
  }
  EXPECT_NE(error.find("big.txt"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(Path("d/big.txt")), "the old file");
  EXPECT_EQ(ReadBytes(Path("d/small.txt")), "fits");
  EXPECT_FALSE(fs::exists(Path("d/after.txt")));  // the failure ends the extraction
  for (const auto& entry : fs::directory_iterator(Path("d")))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace nura::test
