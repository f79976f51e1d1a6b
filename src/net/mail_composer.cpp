#include "net/mail_composer.h"

#include <ctime>
#include <random>

#include "support/base64.h"
#include "support/jconvert.h"
#include "support/mime_header.h"
#include "engine/sjis_text.h"
#include "net/mime_reader.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr size_t kBase64LineLength = 76;

// Control characters (CR and LF included) as blanks, two-byte characters kept.
std::string BlankControls(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsSjisLead(c) && i + 1 < text.size()) {
      out += text.substr(i++, 2);
    } else {
      out += (c < 0x20 || c == 0x7F) ? ' ' : text[i];
    }
  }
  return out;
}

// One address list as a header value: names encoded, addresses as written.
std::string AddressHeader(const std::string& list) {
  std::string out;
  for (const TMailAddress& a : ParseAddressList(BlankControls(list))) {
    if (!out.empty()) out += ", ";
    out += a.name.empty() ? a.address : EncodeMailHeaderText(a.name) + " <" + a.address + ">";
  }
  return out;
}

std::string MakeBoundary() {
  std::random_device device;
  std::mt19937_64 generator((static_cast<uint64_t>(device()) << 32) ^ device());
  static const char kHex[] = "0123456789abcdef";
  std::string boundary = "=_NuraPart_";
  for (int i = 0; i < 24; ++i) boundary += kHex[generator() & 15];
  return boundary;
}

std::string Base64Lines(const std::string& bytes) {
  const std::string code = Base64Encode(bytes);
  std::string out;
  for (size_t i = 0; i < code.size(); i += kBase64LineLength) {
    out += code.substr(i, kBase64LineLength) + "\r\n";
  }
  return out;
}

std::string AttachmentPart(const TMailAttachment& attachment) {
  const std::string name = EncodeMailHeaderText(attachment.name);
  // A quote would end the parameter early; the header encoder already
  // turned quotes into the full-width one, and backslashes are escaped.
  std::string quoted;
  for (char c : name) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return "Content-Type: application/octet-stream; name=\"" + quoted + "\"\r\n"
         "Content-Transfer-Encoding: base64\r\n"
         "Content-Disposition: attachment; filename=\"" + quoted + "\"\r\n"
         "\r\n" + Base64Lines(attachment.bytes);
}

}  // namespace

std::string JoinAddressLines(const std::string& lines) {
  std::string joined;
  for (const std::string& line : SplitLines(lines)) joined += TrimText(line) + ",";
  if (!joined.empty()) joined.pop_back();
  return joined;
}

std::string EncodeMailHeaderText(const std::string& text) {
  static const std::string kWideQuote = SJ("”");
  std::string quoted;
  for (char c : BlankControls(text)) quoted += c == '"' ? kWideQuote : std::string(1, c);
  return EncodeMimeHeader(quoted);
}

std::string EncodeMailBody(const std::string& text) { return SjisToJis(WithCrLf(text)); }

std::string MailDateNow() {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const long offset = local.tm_gmtoff / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[local.tm_wday],
                local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour,
                local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', std::labs(offset) / 60,
                std::labs(offset) % 60);
  return text;
}

std::string ComposeMail(const TMailDraft& draft, const std::string& date) {
  static const std::string kAgent = SJ("日本語プログラム言語「ぬらせら」");
  const std::string from = BlankControls(draft.from);
  std::string head;
  head += "From: ";
  head += draft.fromName.empty() ? from : EncodeMailHeaderText(draft.fromName) + " <" + from + ">";
  head += "\r\nReply-To: " + from + "\r\n";
  head += "To: " + AddressHeader(draft.to) + "\r\n";
  if (!TrimText(draft.cc).empty()) head += "Cc: " + AddressHeader(draft.cc) + "\r\n";
  head += "Subject: " + EncodeMailHeaderText(draft.subject) + "\r\n";
  head += "Date: " + date + "\r\n";
  head += "X-Mailer: " + EncodeMailHeaderText(kAgent) + "\r\n";
  head += "MIME-Version: 1.0\r\n";
  std::string text = EncodeMailBody(draft.body);
  if (!text.ends_with("\r\n")) text += "\r\n";
  const std::string textHead = "Content-Type: text/plain; charset=iso-2022-jp\r\n"
                               "Content-Transfer-Encoding: 7bit\r\n";
  if (draft.attachments.empty()) return head + textHead + "\r\n" + text;
  const std::string boundary = MakeBoundary();
  std::string message = head + "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  message += "--" + boundary + "\r\n" + textHead + "\r\n" + text + "\r\n";
  for (const TMailAttachment& attachment : draft.attachments) {
    message += "--" + boundary + "\r\n" + AttachmentPart(attachment);
  }
  return message + "--" + boundary + "--\r\n";
}

std::vector<std::string> EnvelopeRecipients(const TMailDraft& draft) {
  std::vector<std::string> recipients;
  for (const std::string* list : {&draft.to, &draft.cc, &draft.bcc}) {
    for (const TMailAddress& a : ParseAddressList(BlankControls(*list))) {
      if (!a.address.empty()) recipients.push_back(a.address);
    }
  }
  return recipients;
}

}  // namespace nura
