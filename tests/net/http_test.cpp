// "HTTPダウンロード" against python3 -m http.server on 127.0.0.1:80.
#include <gmock/gmock.h>

#include <memory>

#include "net/net_test_support.h"

namespace nura::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

class HttpTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    if (IsSkipped()) return;
    site = SubFolder("site");
    local = SubFolder("local");
    peer = std::make_unique<TPeer>(
        std::vector<std::string>{"-m", "http.server", "80", "--bind", "127.0.0.1", "--directory", site}, 80);
  }
  void TearDown() override {
    peer.reset();
    NetTest::TearDown();
  }
  std::string Failure(const std::string& url) { return "\"" + url + "\"からのダウンロードに失敗"; }

  std::string site;
  std::string local;
  std::unique_ptr<TPeer> peer;
};

TEST_F(HttpTest, FilesEmptyFilesAndRedirects) {
  WriteFile(site + "/a.bin", std::string("\x00\x01\xff", 3) + std::string(100000, 'z'));
  WriteFile(site + "/empty.txt", "");
  SubFolder("site/dir");
  EXPECT_EQ(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/a.bin", local + "/a.bin"}), "");
  EXPECT_EQ(ReadFile(local + "/a.bin"), ReadFile(site + "/a.bin"));
  EXPECT_EQ(dialogs.stages, std::vector<std::string>{"\"http://127.0.0.1/a.bin\" よりHTTPデータ取得中"});
  EXPECT_FALSE(dialogs.visible);
  EXPECT_EQ(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/empty.txt", local + "/empty.txt"}), "");
  EXPECT_TRUE(Exists(local + "/empty.txt"));
  EXPECT_EQ(ReadFile(local + "/empty.txt"), "");
  // "/dir" answers with a redirect to "/dir/", whose listing arrives.
  EXPECT_EQ(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/dir", local + "/dir.html"}), "");
  EXPECT_THAT(ReadFile(local + "/dir.html"), HasSubstr("Directory listing"));
  // An existing file is replaced.
  EXPECT_EQ(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/empty.txt", local + "/a.bin"}), "");
  EXPECT_EQ(ReadFile(local + "/a.bin"), "");
}

TEST_F(HttpTest, FailuresWriteNoFile) {
  WriteFile(local + "/kept.txt", "old");
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/missing", local + "/kept.txt"}),
              EndsWith(Failure("http://127.0.0.1/missing")));
  EXPECT_EQ(ReadFile(local + "/kept.txt"), "old");
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1:81/a", local + "/closed.txt"}),
              EndsWith(Failure("http://127.0.0.1:81/a")));
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"file:///etc/hostname", local + "/file.txt"}),
              EndsWith(Failure("file:///etc/hostname")));
  WriteFile(site + "/a.txt", "a");
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/a.txt", local + "/no/such/folder.txt"}),
              EndsWith(Failure("http://127.0.0.1/a.txt")));
  EXPECT_EQ(FilesIn(local), std::vector<std::string>{"kept.txt"});
  EXPECT_FALSE(dialogs.visible);
}

}  // namespace
}  // namespace nura::test
