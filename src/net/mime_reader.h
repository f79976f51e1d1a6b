// Reading a received mail (RFC 5322 with MIME): folded headers, encoded
// words ("=?charset?B?...?=" and "?Q?"), address lists, the date, nested
// multipart bodies, Base64 and quoted-printable. Texts come out in
// Shift-JIS: each is converted from its declared character set, and text
// without one from the encoding its bytes show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

struct TMailAddress {
  std::string name;     // display name, may be empty
  std::string address;  // as written between "<" and ">" (or the whole item)
};

// "name <address>", or the address alone when there is no name.
std::string RenderAddress(const TMailAddress& address);
// Every address rendered, joined with ", ".
std::string RenderAddressList(const std::vector<TMailAddress>& list);

struct TMailPart {
  bool attachment = false;
  std::string fileName;  // attachments: the name the mail gives, Shift-JIS
  std::string content;   // text parts: Shift-JIS text; attachments: the decoded bytes
};

struct TMailMessage {
  std::vector<TMailAddress> from;
  std::vector<TMailAddress> to;
  std::vector<TMailAddress> replyTo;
  std::string subject;
  std::optional<int64_t> date;  // seconds since 1970-01-01 UTC
  // The parts of a multipart mail in order, nested multiparts flattened.
  std::vector<TMailPart> parts;
  // The text of a mail that is not multipart.
  std::string body;
};

TMailMessage ParseMailMessage(std::string_view raw);

// Header-level pieces, exposed for the tests and the composer.
std::string DecodeHeaderWords(std::string_view value);
std::vector<TMailAddress> ParseAddressList(std::string_view value);
std::optional<int64_t> ParseMailDate(std::string_view value);
std::string DecodeQuotedPrintable(std::string_view text);

}  // namespace nura
