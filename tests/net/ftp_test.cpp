// The FTP commands against pyftpdlib on 127.0.0.1:21, passive and active.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <memory>

#include "net/ftp_client.h"
#include "net/net_test_support.h"
#include "platform/sjis.h"

namespace nura::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

class FtpTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    if (IsSkipped()) return;
    root = SubFolder("root");
    local = SubFolder("local");
    peer = std::make_unique<TPeer>(std::vector<std::string>{"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "21", "-w",
                                                            "-d", root, "-u", "user", "-P", "secret"},
                                   21);
    Set("FTPホスト", "127.0.0.1");
    Set("FTPユーザーID", " user ");
    Set("FTPパスワード", "secret");
  }
  void TearDown() override {
    if (!IsSkipped()) Call(CommandId::FtpDisconnect);
    peer.reset();
    NetTest::TearDown();
  }

  std::string root;
  std::string local;
  std::unique_ptr<TPeer> peer;
};

class FtpModeTest : public FtpTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FtpModeTest, UploadListDownloadChmodAndFolders) {
  Set("FTP接続方式", GetParam());
  EXPECT_EQ(ErrorOf(CommandId::FtpConnect), "");
  WriteFile(local + "/a.txt", "hello\r\nworld");
  EXPECT_EQ(ErrorOf(CommandId::FtpUpload, {local + "/a.txt", "a.txt"}), "");
  EXPECT_EQ(ReadFile(root + "/a.txt"), "hello\r\nworld");
  EXPECT_EQ(dialogs.stages.front(), "a.txtをアップロード中");
  EXPECT_EQ(dialogs.positions.back(), 100);
  EXPECT_TRUE(dialogs.stopOffered);
  EXPECT_FALSE(dialogs.visible);

  EXPECT_EQ(ErrorOf(CommandId::FtpCreateFolder, {"sub"}), "");
  EXPECT_EQ(ErrorOf(CommandId::FtpCreateFolder, {"two words"}), "");
  EXPECT_EQ(Call(CommandId::FtpListFiles, {""}), "a.txt\r\nsub\r\ntwo words");
  EXPECT_EQ(Call(CommandId::FtpListFiles, {"a.txt"}), "a.txt");
  // Folders come from the detailed listing: the last field of each line.
  EXPECT_EQ(Call(CommandId::FtpListFolders, {""}), "sub\r\nwords");
  EXPECT_EQ(Call(CommandId::FtpListFolders, {"s*"}), "sub");
  EXPECT_THAT(Call(CommandId::FtpFileInfo, {"a.txt"}), HasSubstr("a.txt\r\n"));

  EXPECT_EQ(ErrorOf(CommandId::FtpSetAttributes, {"a.txt", "755"}), "");
  struct stat st {};
  ASSERT_EQ(stat((root + "/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);

  EXPECT_EQ(ErrorOf(CommandId::FtpDownload, {"a.txt", local + "/b.txt"}), "");
  EXPECT_EQ(ReadFile(local + "/b.txt"), "hello\r\nworld");
  EXPECT_EQ(dialogs.stages.back(), local + "/b.txtをダウンロード中");
  // An existing local file is neither overwritten nor resumed.
  EXPECT_THAT(ErrorOf(CommandId::FtpDownload, {"a.txt", local + "/b.txt"}),
              EndsWith("\"" + local + "/b.txt\"へのFTPダウンロードに失敗"));
  EXPECT_THAT(ErrorOf(CommandId::FtpDownload, {"none.txt", local + "/c.txt"}),
              EndsWith("\"" + local + "/c.txt\"へのFTPダウンロードに失敗"));
  EXPECT_EQ(FilesIn(local), (std::vector<std::string>{"a.txt", "b.txt"}));

  EXPECT_EQ(ErrorOf(CommandId::FtpWorkingFolder, {"sub"}), "");
  EXPECT_EQ(ErrorOf(CommandId::FtpUpload, {local + "/a.txt", "in-sub.txt"}), "");
  EXPECT_TRUE(Exists(root + "/sub/in-sub.txt"));
  EXPECT_EQ(ErrorOf(CommandId::FtpParentFolder), "");
  EXPECT_THAT(ErrorOf(CommandId::FtpWorkingFolder, {"missing"}), EndsWith("\"missing\"へのFTPフォルダ変更に失敗"));
  EXPECT_THAT(ErrorOf(CommandId::FtpCreateFolder, {"sub"}), EndsWith("\"sub\"へのFTPフォルダ作成に失敗。File exists."));
  EXPECT_THAT(ErrorOf(CommandId::FtpDeleteFolder, {"sub"}), EndsWith("\"sub\"へのFTPフォルダ削除に失敗"));
  EXPECT_EQ(ErrorOf(CommandId::FtpDeleteFile, {"sub/in-sub.txt"}), "");
  EXPECT_EQ(ErrorOf(CommandId::FtpDeleteFolder, {"sub"}), "");
  EXPECT_EQ(ErrorOf(CommandId::FtpDeleteFile, {"a.txt"}), "");
  EXPECT_THAT(ErrorOf(CommandId::FtpDeleteFile, {"a.txt"}), EndsWith("\"a.txt\"のFTPファイル削除に失敗"));
  EXPECT_FALSE(dialogs.visible);

  Call(CommandId::FtpDisconnect);
  EXPECT_THAT(ErrorOf(CommandId::FtpDeleteFile, {"a.txt"}), EndsWith("FTPで接続が確立されていません。"));
  EXPECT_THAT(ErrorOf(CommandId::FtpListFiles, {""}), EndsWith("FTPで接続が確立されていません。"));
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, FtpModeTest, ::testing::Values("pasv", "PORT"));

TEST_F(FtpTest, StopButtonAbortsADownloadAndLeavesNoFile) {
  Set("FTP接続方式", "PASV");
  WriteFile(root + "/big.bin", std::string(4 << 20, 'b'));
  ASSERT_EQ(ErrorOf(CommandId::FtpConnect), "");
  dialogs.pressStopAt = 2;  // the first progress after bytes arrived
  EXPECT_THAT(ErrorOf(CommandId::FtpDownload, {"big.bin", local + "/big.bin"}),
              EndsWith("\"" + local + "/big.bin\"へのFTPダウンロードに失敗"));
  EXPECT_TRUE(FilesIn(local).empty());
  EXPECT_FALSE(dialogs.visible);
  // The control connection goes on after the ABOR.
  dialogs.pressStopAt = -1;
  EXPECT_EQ(Call(CommandId::FtpListFiles, {""}), "big.bin");
  EXPECT_EQ(ErrorOf(CommandId::FtpDownload, {"big.bin", local + "/big.bin"}), "");
  EXPECT_EQ(ReadFile(local + "/big.bin").size(), size_t{4} << 20);
}

TEST_F(FtpTest, TransferModeByTheWordBinary) {
  WriteFile(local + "/lines.txt", "a\r\nb\r\n");
  Call(CommandId::FtpTransferMode, {"アスキー"});  // kept until the connection is made
  ASSERT_EQ(ErrorOf(CommandId::FtpConnect), "");
  EXPECT_EQ(ErrorOf(CommandId::FtpUpload, {local + "/lines.txt", "ascii.txt"}), "");
  EXPECT_EQ(ReadFile(root + "/ascii.txt"), "a\nb\n");  // the server stores its own line ends
  Call(CommandId::FtpTransferMode, {"これはバイナリです"});
  EXPECT_EQ(ErrorOf(CommandId::FtpUpload, {local + "/lines.txt", "binary.txt"}), "");
  EXPECT_EQ(ReadFile(root + "/binary.txt"), "a\r\nb\r\n");
}

TEST_F(FtpTest, LineBreaksInNamesAreRefused) {
  WriteFile(root + "/keep.txt", "k");
  ASSERT_EQ(ErrorOf(CommandId::FtpConnect), "");
  EXPECT_THAT(ErrorOf(CommandId::FtpDeleteFile, {"x\r\nDELE keep.txt"}), HasSubstr("のFTPファイル削除に失敗"));
  EXPECT_THAT(ErrorOf(CommandId::FtpWorkingFolder, {"x\nCWD /"}), HasSubstr("へのFTPフォルダ変更に失敗"));
  EXPECT_EQ(Call(CommandId::FtpListFiles, {"k*\r\nDELE keep.txt"}), "");
  EXPECT_TRUE(Exists(root + "/keep.txt"));
  EXPECT_EQ(Call(CommandId::FtpListFiles, {""}), "keep.txt");
}

TEST_F(FtpTest, ConnectFailuresAndTheTimeLimit) {
  Set("FTPパスワード", "wrong");
  EXPECT_THAT(ErrorOf(CommandId::FtpConnect), EndsWith("FTPのエラー。接続に失敗。Authentication failed."));
  Set("FTPホスト", "127.0.0.2");
  EXPECT_THAT(ErrorOf(CommandId::FtpConnect), EndsWith("FTPのエラー。接続に失敗。ホストに接続できません。"));
  // A server that accepts but never greets runs into the time limit.
  TNetListener silent;
  silent.Listen("127.0.0.1");
  TFtpClient client(TNetWaiting{});
  client.SetConnectTimeout(300);
  try {
    client.Connect("127.0.0.1", silent.Port(), "user", "secret", true);
    ADD_FAILURE() << "no error";
  } catch (const ENetError& e) {
    EXPECT_EQ(SjisToUtf8(e.what()), "通信が時間切れになりました。");
  }
  EXPECT_FALSE(client.IsConnected());
}

}  // namespace
}  // namespace nura::test
