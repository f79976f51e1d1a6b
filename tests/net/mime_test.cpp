// Reading and composing mail texts: encoded words, address lists, dates,
// multipart bodies, transfer encodings, attachment names.
#include <gtest/gtest.h>

#include "support/jconvert.h"
#include "net/mail_composer.h"
#include "net/mime_reader.h"
#include "net/received_mail.h"
#include "platform/sjis.h"

namespace nura {
namespace {

std::string U(const std::string& sjis) { return SjisToUtf8(sjis); }

TEST(MimeHeaders, EncodedWordsOfSeveralCharsetsAndFolding) {
  EXPECT_EQ(U(DecodeHeaderWords("=?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=")), "日本語");
  // Blanks between two encoded words vanish, others stay.
  EXPECT_EQ(U(DecodeHeaderWords("Re: =?utf-8?B?5pel?= =?UTF-8?Q?=E6=9C=AC?= end")), "Re: 日本 end");
  EXPECT_EQ(U(DecodeHeaderWords("=?iso-2022-jp?q?a_b?=")), "a b");
  // A malformed word stays as written.
  EXPECT_EQ(DecodeHeaderWords("=?broken"), "=?broken");
  const TMailMessage m = ParseMailMessage(
      "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=\r\n =?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=\r\n\r\nx");
  EXPECT_EQ(U(m.subject), "日本語日本語");
}

TEST(MimeHeaders, AddressListsAndDates) {
  const auto list = ParseAddressList("\"Yamada, Taro\" <taro@example.jp>, bare@example.jp, x@y (Name)");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].name, "Yamada, Taro");
  EXPECT_EQ(list[0].address, "taro@example.jp");
  EXPECT_EQ(RenderAddress(list[1]), "bare@example.jp");
  EXPECT_EQ(RenderAddress(list[2]), "Name <x@y>");
  EXPECT_EQ(RenderAddressList(list), "Yamada, Taro <taro@example.jp>, bare@example.jp, Name <x@y>");
  // 2026-12-09 09:00:00 +0900 is 00:00:00 UTC.
  EXPECT_EQ(ParseMailDate("Wed, 9 Dec 2026 09:00:00 +0900"), 1796774400);
  EXPECT_EQ(ParseMailDate("9 Dec 26 00:00 GMT"), 1796774400);
  EXPECT_FALSE(ParseMailDate("yesterday").has_value());
}

TEST(MimeBodies, NestedMultipartTransferEncodingsAndCharsets) {
  const std::string raw =
      "From: a@b\r\nTo: c@d\r\nSubject: s\r\n"
      "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
      "preamble\r\n--outer\r\n"
      "Content-Type: multipart/alternative; boundary=inner\r\n\r\n"
      "--inner\r\nContent-Type: text/plain; charset=utf-8\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
      "=E6=97=A5=E6=9C=AC soft=\r\nbreak a=3Db\r\n--inner--\r\n"
      "--outer\r\nContent-Type: application/octet-stream; name=\"=?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=.bin\"\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nAAEC\r\n/w==\r\n"
      "--outer\r\nContent-Type: image/png\r\nContent-Disposition: attachment; filename*=utf-8''%E6%97%A5.png\r\n\r\n"
      "PNG\r\n--outer--\r\nepilogue\r\n";
  const TMailMessage m = ParseMailMessage(raw);
  ASSERT_EQ(m.parts.size(), 3u);
  EXPECT_FALSE(m.parts[0].attachment);
  EXPECT_EQ(U(m.parts[0].content), "日本 softbreak a=b");
  EXPECT_TRUE(m.parts[1].attachment);
  EXPECT_EQ(U(m.parts[1].fileName), "日本語.bin");
  EXPECT_EQ(m.parts[1].content, std::string("\x00\x01\x02\xff", 4));
  EXPECT_EQ(U(m.parts[2].fileName), "日.png");
  EXPECT_EQ(m.parts[2].content, "PNG");
  EXPECT_TRUE(m.body.empty());

  const TMailMessage plain = ParseMailMessage("Subject: x\r\n\r\n\x1b$BF|K\\\x1b(J\r\n");
  EXPECT_EQ(U(plain.body), "日本\r\n");
}

TEST(MimeBodies, QuotedPrintableEdges) {
  EXPECT_EQ(DecodeQuotedPrintable("a=\r\nb=\nc"), "abc");
  EXPECT_EQ(DecodeQuotedPrintable("=4"), "=4");
  EXPECT_EQ(DecodeQuotedPrintable("x=zz"), "x=zz");
  EXPECT_EQ(DecodeQuotedPrintable("end="), "end");
}

TEST(ReceivedMail, AttachmentNamesStayInsideTheFolder) {
  EXPECT_EQ(AttachmentDisplayName("../../x"), "x");
  EXPECT_EQ(AttachmentDisplayName("..\\..\\evil.exe"), "evil.exe");
  EXPECT_EQ(AttachmentDisplayName("C:evil"), "evil");
  EXPECT_EQ(AttachmentDisplayName("/etc/passwd"), "passwd");
  EXPECT_EQ(AttachmentDisplayName(".."), "attachment");
  EXPECT_EQ(AttachmentDisplayName("dir/"), "attachment");
  EXPECT_EQ(AttachmentDisplayName("a\x01\x7f" "b"), "ab");
  // The text after the first blank names the file unless it is empty.
  EXPECT_EQ(AttachmentDisplayName("old new.txt"), "new.txt");
  EXPECT_EQ(AttachmentDisplayName("only.txt  "), "only.txt");
  // Names too long for the file system are cut before their extension.
  const std::string longName = AttachmentDisplayName(std::string(300, 'n') + ".txt");
  EXPECT_EQ(longName, std::string(196, 'n') + ".txt");
  std::string words;
  for (int i = 0; i < 100; ++i) words += "日本語";
  const std::string wide = U(AttachmentDisplayName(SJ(words + ".txt")));
  EXPECT_EQ(wide.size(), 66 * 3 + 4 - 3);  // whole characters only
  EXPECT_TRUE(wide.starts_with("日本語") && wide.ends_with("日本.txt"));
  // A two-byte character whose second byte is "\" is no separator.
  EXPECT_EQ(U(AttachmentDisplayName(SJ("表.txt"))), "表.txt");
}

TEST(MailComposer, AddressLinesHeadersAndBody) {
  EXPECT_EQ(JoinAddressLines(" a@b \r\nc@d\r\n"), "a@b,c@d");
  EXPECT_EQ(JoinAddressLines(""), "");
  EXPECT_EQ(JoinAddressLines("a\r\n\r\nb"), "a,,b");
  EXPECT_EQ(EncodeMailHeaderText(SJ("日本語")), "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhK?=");
  // A quote becomes the full-width one; line breaks become blanks.
  EXPECT_EQ(U(JisToSjis(DecodeHeaderWords(EncodeMailHeaderText("say \"hi\"")))), "say ”hi”");
  EXPECT_EQ(EncodeMailHeaderText("a\r\nBcc: x"), "a  Bcc: x");
  EXPECT_EQ(EncodeMailBody("a\nb\rc"), "a\r\nb\r\nc");
}

TEST(MailComposer, ComposedMailReadsBack) {
  TMailDraft draft;
  draft.from = "me@example.jp";
  draft.fromName = SJ("山田");
  draft.to = SJ("太郎 <t@example.jp>,u@example.jp");
  draft.cc = "c@example.jp";
  draft.bcc = "hidden@example.jp";
  draft.subject = SJ("件名 test");
  draft.body = SJ("本文\r\n.\r\n");
  draft.attachments.push_back({SJ("資料.bin"), std::string("\x00\xff\x10", 3)});
  const std::string raw = ComposeMail(draft, "Wed, 9 Dec 2026 09:00:00 +0900");
  EXPECT_EQ(raw.find("hidden"), std::string::npos);
  EXPECT_EQ(raw.find("Bcc"), std::string::npos);
  for (unsigned char c : raw) EXPECT_LT(c, 0x80);
  const TMailMessage m = ParseMailMessage(raw);
  EXPECT_EQ(U(m.subject), "件名 test");
  EXPECT_EQ(U(RenderAddressList(m.from)), "山田 <me@example.jp>");
  EXPECT_EQ(U(RenderAddressList(m.to)), "太郎 <t@example.jp>, u@example.jp");
  ASSERT_EQ(m.parts.size(), 2u);
  EXPECT_EQ(U(m.parts[0].content), "本文\r\n.\r\n");
  EXPECT_EQ(U(m.parts[1].fileName), "資料.bin");
  EXPECT_EQ(m.parts[1].content, std::string("\x00\xff\x10", 3));
  EXPECT_EQ(m.date, 1796774400);
  const auto recipients = EnvelopeRecipients(draft);
  EXPECT_EQ(recipients, (std::vector<std::string>{"t@example.jp", "u@example.jp", "c@example.jp",
                                                  "hidden@example.jp"}));
}

}  // namespace
}  // namespace nura
