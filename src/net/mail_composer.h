// Composing a mail for Japanese mail readers: header texts as ISO-2022-JP
// encoded words, the body in JIS, attachments as Base64 parts of a
// multipart/mixed message. Texts in are Shift-JIS.
#pragma once

#include <string>
#include <vector>

namespace nura {

// Lines of a list variable as one comma-separated text: each line trimmed
// of blanks and control characters, then ","; the last character of the
// whole is dropped.
std::string JoinAddressLines(const std::string& lines);

// Every ASCII double quote becomes the full-width "”", control characters
// become blanks (so no text starts a header line of its own), then each
// run of Japanese characters becomes an encoded word.
std::string EncodeMailHeaderText(const std::string& text);

// The body in JIS with every line ended by CR LF.
std::string EncodeMailBody(const std::string& text);

struct TMailAttachment {
  std::string name;   // Shift-JIS file name shown to the reader
  std::string bytes;  // content
};

struct TMailDraft {
  std::string from;      // sender address, also the reply-to address
  std::string fromName;  // sender's display name
  std::string to;        // comma-separated recipients
  std::string cc;
  std::string bcc;       // never written into the message
  std::string subject;
  std::string body;
  std::vector<TMailAttachment> attachments;
};

// The message text with CR LF line ends, ready for the SMTP DATA phase
// (the sender escapes lines that begin with "."). `date` is the Date
// header's value.
std::string ComposeMail(const TMailDraft& draft, const std::string& date);

// The current local time as a Date header value ("Wed, 09 Dec 2026 09:00:00 +0900").
std::string MailDateNow();

// The envelope addresses of the To, Cc and Bcc lists, without names.
std::vector<std::string> EnvelopeRecipients(const TMailDraft& draft);

}  // namespace nura
