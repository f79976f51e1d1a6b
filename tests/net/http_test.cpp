// "HTTPダウンロード" against python3 -m http.server on 127.0.0.1:80.
#include <gmock/gmock.h>

#include <memory>

#include "net/net_test_support.h"
#include "common/file_size_limit.h"

namespace nura::test {
namespace {

using ::testing::AllOf;
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
  // Each failure says why after the message.
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/missing", local + "/kept.txt"}),
              AllOf(HasSubstr(Failure("http://127.0.0.1/missing") + "。"), HasSubstr("404")));
  EXPECT_EQ(ReadFile(local + "/kept.txt"), "old");
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1:81/a", local + "/closed.txt"}),
              AllOf(HasSubstr(Failure("http://127.0.0.1:81/a") + "。"), HasSubstr("onnect")));
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"file:///etc/hostname", local + "/file.txt"}),
              HasSubstr(Failure("file:///etc/hostname") + "。"));
  WriteFile(site + "/a.txt", "a");
  EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/a.txt", local + "/no/such/folder.txt"}),
              EndsWith(Failure("http://127.0.0.1/a.txt") + "。cannot create the file"));
  // A disk that fills up is named as the reason.
  WriteFile(site + "/big.bin", std::string(200000, 'b'));
  {
    FileSizeLimit limit(100000);
    EXPECT_THAT(ErrorOf(CommandId::HttpDownload, {"http://127.0.0.1/big.bin", local + "/big.bin"}),
                HasSubstr(Failure("http://127.0.0.1/big.bin") + "。cannot write the file"));
  }
  EXPECT_EQ(FilesIn(local), std::vector<std::string>{"kept.txt"});
  EXPECT_FALSE(dialogs.visible);
}

}  // namespace
}  // namespace nura::test
