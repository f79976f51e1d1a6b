// "メール送信" against an aiosmtpd server on 127.0.0.1:25.
#include <gmock/gmock.h>

#include <memory>

#include "support/jconvert.h"
#include "net/mime_reader.h"
#include "net/net_test_support.h"
#include "platform/sjis.h"

namespace nura::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

class MailSendTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    if (IsSkipped()) return;
    inbox = SubFolder("inbox");
    peer = std::make_unique<TPeer>(std::vector<std::string>{PeerScript("smtp_peer.py"), inbox}, 25);
    Set("メールホスト", "127.0.0.1");
    Set("メール送信先", "to@example.jp");
    Set("メール本文", "本文");
    Set("メール送信元", "me@example.jp");
  }
  void TearDown() override {
    peer.reset();
    NetTest::TearDown();
  }
  std::string Received(const std::string& name) { return ReadFile(inbox + "/" + name); }

  std::string inbox;
  std::unique_ptr<TPeer> peer;
};

TEST_F(MailSendTest, ChecksBeforeSending) {
  Set("メール本文", "");
  EXPECT_THAT(ErrorOf(CommandId::SendMail), EndsWith("メールの送信エラー。本文が未設定です。"));
  Set("メール送信先", "");
  EXPECT_THAT(ErrorOf(CommandId::SendMail), EndsWith("メールの送信エラー。送信先が未設定です。"));
  Set("メールホスト", "");
  EXPECT_THAT(ErrorOf(CommandId::SendMail), EndsWith("メールの送信エラー。ホスト名が未設定です。"));
  Set("メールホスト", "127.0.0.1");
  Set("メール送信先", "to@example.jp");
  Set("メール本文", "x");
  const std::string missing = folder + "/missing.txt";
  Set("メール添付ファイル", missing);
  EXPECT_THAT(ErrorOf(CommandId::SendMail), EndsWith("メールの送信エラー。添付ファイル\"" + missing + "\"がありません。"));
  EXPECT_TRUE(FilesIn(inbox).empty());
  // Nothing listens on 127.0.0.2.
  Set("メール添付ファイル", "");
  Set("メールホスト", "127.0.0.2");
  EXPECT_THAT(ErrorOf(CommandId::SendMail), EndsWith("接続に失敗"));
  EXPECT_FALSE(dialogs.visible);
}

TEST_F(MailSendTest, JapaneseHeadersCopiesAndABodyDotLine) {
  Set("メールタイトル", "日本語");
  Set("メール送信者名", "山田");
  Set("メールCC", " cc@example.jp \r\n");
  Set("メールBCC", "bcc@example.jp");
  Set("メール本文", "一行目\r\n.\r\n..二つ\r\n最後");
  EXPECT_EQ(ErrorOf(CommandId::SendMail), "");
  const std::string eml = Received("1.eml");
  EXPECT_THAT(eml, HasSubstr("\r\nSubject: =?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=\r\n"));
  EXPECT_THAT(eml, HasSubstr("\r\nCc: cc@example.jp\r\n"));
  EXPECT_THAT(eml, Not(HasSubstr("bcc@example.jp")));
  EXPECT_THAT(eml, Not(HasSubstr("Bcc")));
  EXPECT_EQ(Received("1.env"), "me@example.jp\nto@example.jp\ncc@example.jp\nbcc@example.jp\n");
  const TMailMessage m = ParseMailMessage(eml);
  EXPECT_EQ(SjisToUtf8(m.body), "一行目\r\n.\r\n..二つ\r\n最後\r\n");
  EXPECT_EQ(SjisToUtf8(RenderAddressList(m.from)), "山田 <me@example.jp>");
  EXPECT_EQ(dialogs.stages, (std::vector<std::string>{"サーバーに接続中", "メール送信", "完了(^v^)Y"}));
  EXPECT_EQ(dialogs.positions.back(), 100);
  EXPECT_FALSE(dialogs.visible);
}

TEST_F(MailSendTest, LineBreaksInjectNoHeader) {
  Set("メールタイトル", "hello\r\nBcc: evil@example.jp\r\n\r\nbody");
  Set("メール送信者名", "x\r\nX-Evil: 1");
  Set("メール送信先", "to@example.jp\r\nsecond@example.jp");
  EXPECT_EQ(ErrorOf(CommandId::SendMail), "");
  const std::string eml = Received("1.eml");
  EXPECT_THAT(eml, HasSubstr("\r\nSubject: hello  Bcc: evil@example.jp    body\r\n"));
  EXPECT_THAT(eml, Not(HasSubstr("\r\nBcc:")));
  EXPECT_THAT(eml, Not(HasSubstr("\r\nX-Evil")));
  EXPECT_EQ(Received("1.env"), "me@example.jp\nto@example.jp\nsecond@example.jp\n");
}

TEST_F(MailSendTest, AttachmentsAsBase64Parts) {
  const std::string name = folder + "/" + "資料.bin";
  WriteFile(name, std::string("\x00\x01\xfe\xff", 4));
  WriteFile(folder + "/b.txt", "plain");
  Set("メール添付ファイル", name + "\r\n" + folder + "/b.txt");
  EXPECT_EQ(ErrorOf(CommandId::SendMail), "");
  const TMailMessage m = ParseMailMessage(Received("1.eml"));
  ASSERT_EQ(m.parts.size(), 3u);
  EXPECT_EQ(SjisToUtf8(m.parts[0].content), "本文\r\n");
  EXPECT_EQ(SjisToUtf8(m.parts[1].fileName), "資料.bin");
  EXPECT_EQ(m.parts[1].content, std::string("\x00\x01\xfe\xff", 4));
  EXPECT_EQ(m.parts[2].fileName, "b.txt");
  EXPECT_EQ(m.parts[2].content, "plain");
}

}  // namespace
}  // namespace nura::test
