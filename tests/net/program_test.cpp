// Network commands in a whole script run by the program (console mode).
#include <gmock/gmock.h>

#include <memory>

#include "net/net_test_support.h"
#include "common/run_program.h"

namespace nura::test {
namespace {

using ::testing::HasSubstr;

class NetProgramTest : public NetTest {};

TEST_F(NetProgramTest, DownloadsUploadsAndListsFromAScript) {
  const std::string site = SubFolder("site");
  const std::string root = SubFolder("root");
  const std::string work = SubFolder("work");
  WriteFile(site + "/a.txt", "hello");
  TPeer http({"-m", "http.server", "80", "--bind", "127.0.0.1", "--directory", site}, 80);
  TPeer ftp({"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "21", "-w", "-d", root, "-u", "user", "-P", "secret"}, 21);
  WriteSjisFile(work + "/net.nrs",
                "「http://127.0.0.1/a.txt」を「got.txt」へHTTPダウンロード\n"
                "Aに「got.txt」を読む\n"
                "Aを言う\n"
                "FTPホストは「127.0.0.1」\n"
                "FTPユーザーIDは「user」\n"
                "FTPパスワードは「secret」\n"
                "FTP接続方式は「PASV」\n"
                "FTP接続\n"
                "「got.txt」を「up.txt」へFTPアップロード\n"
                "「」のFTPファイル列挙\n"
                "それを言う\n"
                "FTP切断\n"
                "「up.txt」のFTPファイル削除\n");
  const ProgramResult result = RunProgram({"net.nrs"}, work);
  EXPECT_EQ(result.out, "hello\nup.txt\n");
  EXPECT_THAT(result.err, HasSubstr("FTPで接続が確立されていません。"));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(ReadFile(root + "/up.txt"), "hello");
}

}  // namespace
}  // namespace nura::test
