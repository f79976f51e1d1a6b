// "メール受信" against a POP3 peer on 127.0.0.1:110 serving files of mail.
#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>
#include <memory>

#include "support/jconvert.h"
#include "net/net_test_support.h"
#include "net/pop3_client.h"
#include "platform/sjis.h"

namespace nura::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

// A mail with a JIS body and two attachments, one named to climb out of
// the folder.
std::string FirstMail() {
  return "From: Sender <s@example.jp>\r\nTo: r@example.jp, r2@example.jp\r\n"
         "Date: Wed, 9 Dec 2026 09:00:00 +0900\r\n"
         "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=\r\n"
         "Content-Type: multipart/mixed; boundary=b1\r\n\r\n"
         "--b1\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n\r\n" +
         SjisToJis(SJ("こんにちは\r\n.dot line\r\n")) +
         "--b1\r\nContent-Type: text/plain; name=report.txt\r\n"
         "Content-Disposition: attachment; filename=report.txt\r\n\r\nfirst\r\n"
         "--b1\r\nContent-Type: application/octet-stream; name=\"../../x\"\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\nZXNjYXBl\r\n--b1--\r\n";
}

// A quoted-printable mail with a reply-to address and an attachment named
// like one of the first mail.
std::string SecondMail() {
  return "From: b@example.jp\r\nTo: r@example.jp\r\nReply-To: back@example.jp\r\n"
         "Date: Thu, 10 Dec 2026 00:30:00 +0000\r\nSubject: plain\r\n"
         "Content-Type: multipart/mixed; boundary=b2\r\n\r\n"
         "--b2\r\nContent-Type: text/plain; charset=utf-8\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
         "=E6=97=A5=E6=9C=AC soft=\r\nbreak\r\n"
         "--b2\r\nContent-Disposition: attachment; filename=report.txt\r\n\r\nsecond\r\n--b2--\r\n";
}

std::string ThirdMail() { return "From: c@example.jp\r\nSubject: three\r\n\r\nshort\r\n"; }

class MailReceiveTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    if (IsSkipped()) return;
    setenv("TZ", "JST-9", 1);
    tzset();
    server = SubFolder("server");
    log = folder + "/pop3.log";
    Set("メールホスト", "127.0.0.1");
    Set("メールID", "user");
    Set("メールパスワード", "secret");
  }
  void TearDown() override {
    peer.reset();
    unsetenv("TZ");
    tzset();
    NetTest::TearDown();
  }
  void Serve(const std::vector<std::string>& mails) {
    for (size_t i = 0; i < mails.size(); ++i) WriteFile(server + "/m" + std::to_string(i + 1) + ".eml", mails[i]);
    peer = std::make_unique<TPeer>(
        std::vector<std::string>{PeerScript("pop3_peer.py"), server, "user", "secret", log}, 110);
  }
  std::string Log() { return ReadFile(log); }

  std::string server;
  std::string log;
  std::unique_ptr<TPeer> peer;
};

TEST_F(MailReceiveTest, SummariesRawMailsAndAttachments) {
  Serve({FirstMail(), SecondMail(), ThirdMail()});
  const std::string box = SubFolder("box");
  WriteFile(box + "/3.txt", "taken");
  EXPECT_EQ(ErrorOf(CommandId::ReceiveMail, {box}), "");
  EXPECT_EQ(FilesIn(box), (std::vector<std::string>{"1.eml", "1.txt", "2.eml", "2.txt", "3.txt", "4.eml",
                                                    "4.txt", "_report.txt", "report.txt", "x"}));
  EXPECT_EQ(SjisToUtf8(ReadFile(box + "/1.txt")),
            "送信者:Sender <s@example.jp>\r\n受信者:r@example.jp, r2@example.jp\r\n"
            "日時:2026/12/09 09:00:00\r\n件名:日本語\r\n"
            "添付ファイル:report.txt\r\n添付ファイル:x\r\n\r\n本文:\r\n\r\nこんにちは\r\n.dot line\r\n");
  EXPECT_EQ(SjisToUtf8(ReadFile(box + "/2.txt")),
            "返信先:back@example.jp\r\n送信者:b@example.jp\r\n受信者:r@example.jp\r\n"
            "日時:2026/12/10 09:30:00\r\n件名:plain\r\n添付ファイル:report.txt\r\n\r\n本文:\r\n\r\n日本 softbreak\r\n");
  EXPECT_EQ(SjisToUtf8(ReadFile(box + "/4.txt")),
            "送信者:c@example.jp\r\n受信者:\r\n日時:\r\n件名:three\r\n\r\n本文:\r\n\r\nshort\r\n");
  EXPECT_EQ(ReadFile(box + "/1.eml"), FirstMail());
  EXPECT_EQ(ReadFile(box + "/report.txt"), "first");
  EXPECT_EQ(ReadFile(box + "/_report.txt"), "second");
  EXPECT_EQ(ReadFile(box + "/x"), "escape");
  EXPECT_FALSE(Exists(folder + "/x"));
  // Deleted on the server by default.
  EXPECT_TRUE(FilesIn(server).empty());
  EXPECT_THAT(Log(), HasSubstr("DELE 3\nQUIT\n"));
  EXPECT_EQ(dialogs.stages.front(), "メールの受信：ホストに接続中");
  EXPECT_EQ(dialogs.stages[1], "メールの受信：3 通のメール");
  EXPECT_EQ(dialogs.stages[2], "1/3番目のメールを受信中");
  EXPECT_EQ(dialogs.stages.back(), "3/3番目のメールを受信中");
  EXPECT_EQ(dialogs.positions.back(), 100);
  EXPECT_TRUE(dialogs.stopOffered);
  EXPECT_FALSE(dialogs.visible);
}

TEST_F(MailReceiveTest, KeepsMailOnTheServerAndUsesNumbersFreeForBothFiles) {
  Serve({ThirdMail()});
  Set("メールサーバーから削除", "0");
  const std::string box = SubFolder("box");
  WriteFile(box + "/1.eml", "older raw mail");
  EXPECT_EQ(ErrorOf(CommandId::ReceiveMail, {box + "/"}), "");
  EXPECT_EQ(FilesIn(box), (std::vector<std::string>{"1.eml", "2.eml", "2.txt"}));
  EXPECT_EQ(ReadFile(box + "/1.eml"), "older raw mail");
  EXPECT_EQ(FilesIn(server), std::vector<std::string>{"m1.eml"});
  EXPECT_THAT(Log(), Not(HasSubstr("DELE")));
  EXPECT_THAT(Log(), HasSubstr("QUIT"));
}

TEST_F(MailReceiveTest, AFailedMailDropsTheConnectionWithoutQuit) {
  Serve({ThirdMail(), "FAIL\r\n", ThirdMail()});
  const std::string box = SubFolder("box");
  EXPECT_THAT(ErrorOf(CommandId::ReceiveMail, {box}),
              EndsWith("メールの受信エラー。メールの受信に失敗しました。"
                       "メールの受信エラー。2番のメール受信に失敗しました。"));
  EXPECT_EQ(FilesIn(box), (std::vector<std::string>{"1.eml", "1.txt"}));
  EXPECT_THAT(Log(), HasSubstr("DELE 1\nRETR 2\n"));
  EXPECT_THAT(Log(), Not(HasSubstr("QUIT")));
  EXPECT_EQ(FilesIn(server).size(), 3u);  // the marked mail stays: no QUIT
  EXPECT_FALSE(dialogs.visible);
}

TEST_F(MailReceiveTest, ChecksFoldersAndLogin) {
  Serve({});
  Set("メールパスワード", "");
  EXPECT_THAT(ErrorOf(CommandId::ReceiveMail, {folder}), EndsWith("メールの受信エラー。パスワードが未設定です。"));
  Set("メールID", "");
  EXPECT_THAT(ErrorOf(CommandId::ReceiveMail, {folder}), EndsWith("メールの受信エラー。ユーザーＩＤが未設定です。"));
  Set("メールホスト", "");
  EXPECT_THAT(ErrorOf(CommandId::ReceiveMail, {folder}), EndsWith("メールの受信エラー。ホスト名が未設定です。"));
  Set("メールホスト", "127.0.0.1");
  Set("メールID", "user");
  Set("メールパスワード", "wrong");
  EXPECT_THAT(ErrorOf(CommandId::ReceiveMail, {folder}), EndsWith("メールの受信エラー。wrong password"));
  EXPECT_FALSE(dialogs.visible);
  // A relative folder goes under the base folder; an empty mailbox writes nothing.
  Set("母艦のパス", folder + "/");
  Set("メールパスワード", "secret");
  EXPECT_EQ(ErrorOf(CommandId::ReceiveMail, {"sub\\inbox"}), "");
  EXPECT_TRUE(FilesIn(folder + "/sub/inbox").empty());
  EXPECT_FALSE(dialogs.visible);
  WriteFile(folder + "/plainfile", "");
  EXPECT_THAT(ErrorOf(CommandId::ReceiveMail, {folder + "/plainfile/box"}),
              EndsWith("メールの受信エラー。メール受信用フォルダが作成できません。"));
}

TEST_F(MailReceiveTest, OversizedMailIsRefused) {
  Serve({ThirdMail() + std::string(2000, 'x') + "\r\n"});
  TPop3Client pop(TNetWaiting{});
  pop.SetMaxMessageBytes(1000);
  pop.Connect("127.0.0.1");
  pop.Login("user", "secret");
  EXPECT_EQ(pop.Stat(), 1);
  try {
    pop.Retrieve(1);
    ADD_FAILURE() << "no error";
  } catch (const ENetError& e) {
    EXPECT_EQ(SjisToUtf8(e.what()), "メールが大きすぎます。");
  }
  EXPECT_FALSE(pop.IsConnected());
}

}  // namespace
}  // namespace nura::test
