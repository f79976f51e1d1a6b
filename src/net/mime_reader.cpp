#include "net/mime_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "support/base64.h"
#include "support/date_time.h"
#include "support/jconvert.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Nested multiparts deeper than this are taken as one attachment.
constexpr int kMaxNesting = 16;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Bytes in `charset` as Shift-JIS; without a known character set the
// encoding is guessed from the bytes.
std::string CharsetToSjis(const std::string& bytes, const std::string& charset) {
  const std::string cs = Lower(charset);
  if (cs.starts_with("iso-2022-jp")) return JisToSjis(bytes);
  if (cs == "euc-jp" || cs == "x-euc-jp") return EucToSjis(bytes);
  if (cs == "utf-8" || cs == "utf8") return Utf8ToSjis(bytes);
  if (cs == "shift_jis" || cs == "shift-jis" || cs == "sjis" || cs == "x-sjis" || cs == "cp932" ||
      cs == "windows-31j") {
    return bytes;
  }
  return ConvertKanjiCode(bytes, kCodeSjis);
}

// The header block: names in lower case with their unfolded values, in order.
using THeaders = std::vector<std::pair<std::string, std::string>>;

const std::string* FindHeader(const THeaders& headers, std::string_view name) {
  for (const auto& [key, value] : headers) {
    if (key == name) return &value;
  }
  return nullptr;
}

// Splits `entity` into its headers and the body after the first empty line.
THeaders ReadHeaders(std::string_view entity, std::string_view& body) {
  THeaders headers;
  size_t pos = 0;
  body = {};
  while (pos < entity.size()) {
    size_t end = entity.find('\n', pos);
    const size_t next = end == std::string_view::npos ? entity.size() : end + 1;
    if (end == std::string_view::npos) end = entity.size();
    std::string_view line = entity.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = next;
    if (line.empty()) {
      body = entity.substr(pos);
      return headers;
    }
    if ((line[0] == ' ' || line[0] == '\t') && !headers.empty()) {
      headers.back().second += line;  // unfolding drops only the line break
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string value(line.substr(colon + 1));
    headers.emplace_back(Lower(TrimText(line.substr(0, colon))), TrimText(value));
  }
  return headers;
}

// A header value "type/subtype; key=value; key="value"" split into its
// lower-cased first token and its parameters (keys lower-cased).
struct THeaderValue {
  std::string token;
  std::map<std::string, std::string> params;
};

THeaderValue ParseParameters(std::string_view value) {
  THeaderValue result;
  size_t i = value.find(';');
  result.token = Lower(TrimText(value.substr(0, i)));
  while (i != std::string_view::npos && i < value.size()) {
    ++i;
    const size_t eq = value.find('=', i);
    if (eq == std::string_view::npos) break;
    const std::string key = Lower(TrimText(value.substr(i, eq - i)));
    size_t j = eq + 1;
    while (j < value.size() && (value[j] == ' ' || value[j] == '\t')) ++j;
    std::string text;
    if (j < value.size() && value[j] == '"') {
      for (++j; j < value.size() && value[j] != '"'; ++j) {
        if (value[j] == '\\' && j + 1 < value.size()) ++j;
        text += value[j];
      }
      i = value.find(';', j);
    } else {
      i = value.find(';', j);
      text = TrimText(value.substr(j, i == std::string_view::npos ? std::string_view::npos : i - j));
    }
    result.params[key] = text;
  }
  return result;
}

// RFC 2231 "charset'language'percent-encoded" as Shift-JIS.
std::string DecodeExtendedValue(const std::string& value) {
  const size_t first = value.find('\'');
  const size_t second = first == std::string::npos ? first : value.find('\'', first + 1);
  if (second == std::string::npos) return value;
  std::string bytes;
  for (size_t i = second + 1; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 &&
        HexValue(value[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else {
      bytes += value[i];
    }
  }
  return CharsetToSjis(bytes, value.substr(0, first));
}

// The file name of a part: "filename" of the disposition, else "name" of
// the content type; empty when neither is given.
bool FindFileName(const THeaderValue& disposition, const THeaderValue& type, std::string& name) {
  for (const THeaderValue* header : {&disposition, &type}) {
    const char* key = header == &disposition ? "filename" : "name";
    const auto extended = header->params.find(std::string(key) + "*");
    if (extended != header->params.end()) {
      name = DecodeExtendedValue(extended->second);
      return true;
    }
    const auto plain = header->params.find(key);
    if (plain != header->params.end()) {
      name = DecodeHeaderWords(plain->second);
      return true;
    }
  }
  return false;
}

std::string DecodeTransfer(std::string_view body, const std::string* encoding) {
  const std::string how = encoding ? Lower(*encoding) : "";
  if (how == "base64") return Base64Decode(body);
  if (how == "quoted-printable") return DecodeQuotedPrintable(body);
  return std::string(body);
}

// The bodies between the delimiter lines "--boundary"; the line break
// before a delimiter belongs to it. Stops at "--boundary--".
std::vector<std::string_view> SplitMultipart(std::string_view body, const std::string& boundary) {
  std::vector<std::string_view> parts;
  const std::string delimiter = "--" + boundary;
  size_t partStart = std::string_view::npos;
  size_t pos = 0;
  while (pos <= body.size()) {
    size_t end = body.find('\n', pos);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view line = body.substr(pos, end - pos);
    if (line.starts_with(delimiter)) {
      const std::string_view rest = TrimText(line.substr(delimiter.size())) == "--"
                                        ? std::string_view("--")
                                        : std::string_view();
      if (partStart != std::string_view::npos) {
        size_t partEnd = pos;
        if (partEnd > partStart && body[partEnd - 1] == '\n') --partEnd;
        if (partEnd > partStart && body[partEnd - 1] == '\r') --partEnd;
        parts.push_back(body.substr(partStart, partEnd - partStart));
      }
      if (rest == "--") return parts;
      partStart = end + 1;
    }
    pos = end + 1;
  }
  // A body that ends without its closing delimiter keeps its last part.
  if (partStart != std::string_view::npos && partStart < body.size()) {
    parts.push_back(body.substr(partStart));
  }
  return parts;
}

class TMimeWalker {
 public:
  explicit TMimeWalker(TMailMessage& message) : message_(message) {}

  // Reads one entity; `top` marks the message itself.
  void Walk(std::string_view entity, bool top, int depth) {
    std::string_view body;
    const THeaders headers = ReadHeaders(entity, body);
    const std::string* typeText = FindHeader(headers, "content-type");
    const THeaderValue type = ParseParameters(typeText ? *typeText : "text/plain");
    const std::string* dispositionText = FindHeader(headers, "content-disposition");
    const THeaderValue disposition = ParseParameters(dispositionText ? *dispositionText : "");
    if (top) ReadEnvelope(headers);

    const auto boundary = type.params.find("boundary");
    if (type.token.starts_with("multipart/") && boundary != type.params.end() &&
        !boundary->second.empty() && depth < kMaxNesting) {
      for (std::string_view part : SplitMultipart(body, boundary->second)) Walk(part, false, depth + 1);
      return;
    }
    const std::string content = DecodeTransfer(body, FindHeader(headers, "content-transfer-encoding"));
    TMailPart part;
    const bool named = FindFileName(disposition, type, part.fileName);
    const bool isText = type.token.empty() || type.token.starts_with("text/");
    part.attachment = named || disposition.token == "attachment" || !isText;
    if (part.attachment) {
      part.content = content;
      message_.parts.push_back(std::move(part));
      return;
    }
    const auto charset = type.params.find("charset");
    std::string text = CharsetToSjis(content, charset == type.params.end() ? "" : charset->second);
    if (top) {
      message_.body = std::move(text);
    } else {
      part.content = std::move(text);
      message_.parts.push_back(std::move(part));
    }
  }

 private:
  void ReadEnvelope(const THeaders& headers) {
    if (const std::string* v = FindHeader(headers, "from")) message_.from = ParseAddressList(*v);
    if (const std::string* v = FindHeader(headers, "to")) message_.to = ParseAddressList(*v);
    if (const std::string* v = FindHeader(headers, "reply-to")) message_.replyTo = ParseAddressList(*v);
    if (const std::string* v = FindHeader(headers, "subject")) message_.subject = DecodeHeaderWords(*v);
    if (const std::string* v = FindHeader(headers, "date")) message_.date = ParseMailDate(*v);
  }

  TMailMessage& message_;
};

// One encoded word "=?charset?B|Q?text?=" at `pos`; its decoded text and end.
bool DecodeWordAt(std::string_view text, size_t pos, std::string& decoded, size_t& end) {
  const size_t q1 = text.find('?', pos + 2);
  if (q1 == std::string_view::npos || q1 + 2 >= text.size() || text[q1 + 2] != '?') return false;
  const size_t close = text.find("?=", q1 + 3);
  if (close == std::string_view::npos) return false;
  std::string charset(text.substr(pos + 2, q1 - pos - 2));
  charset = charset.substr(0, charset.find('*'));  // RFC 2231 language suffix
  const char how = static_cast<char>(std::toupper(static_cast<unsigned char>(text[q1 + 1])));
  const std::string_view code = text.substr(q1 + 3, close - q1 - 3);
  std::string bytes;
  if (how == 'B') {
    bytes = Base64Decode(code);
  } else if (how == 'Q') {
    for (size_t i = 0; i < code.size(); ++i) {
      if (code[i] == '_') {
        bytes += ' ';
      } else if (code[i] == '=' && i + 2 < code.size() && HexValue(code[i + 1]) >= 0 &&
                 HexValue(code[i + 2]) >= 0) {
        bytes += static_cast<char>(HexValue(code[i + 1]) * 16 + HexValue(code[i + 2]));
        i += 2;
      } else {
        bytes += code[i];
      }
    }
  } else {
    return false;
  }
  decoded = CharsetToSjis(bytes, charset);
  end = close + 2;
  return true;
}

// The index after the quoted string (`open` == '"') or the comment
// (`open` == '(', nested) that starts at `i`.
size_t SkipDelimited(std::string_view text, size_t i, char open, char close) {
  int level = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      ++i;
    } else if (level > 0 && c == close) {
      if (--level == 0 || open == close) return i + 1;
    } else if (c == open) {
      ++level;
    }
  }
  return text.size();
}

std::string Unquote(std::string_view text) {
  std::string t = TrimText(text);
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') {
    std::string out;
    for (size_t i = 1; i + 1 < t.size(); ++i) {
      if (t[i] == '\\' && i + 2 < t.size()) ++i;
      out += t[i];
    }
    return out;
  }
  return t;
}

TMailAddress ParseOneAddress(std::string_view item) {
  TMailAddress result;
  const size_t lt = item.rfind('<');
  const size_t gt = lt == std::string_view::npos ? lt : item.find('>', lt);
  if (gt != std::string_view::npos) {
    result.address = TrimText(item.substr(lt + 1, gt - lt - 1));
    result.name = DecodeHeaderWords(Unquote(item.substr(0, lt)));
    return result;
  }
  // "address (comment)": the comment is the name.
  const size_t open = item.find('(');
  const size_t close = open == std::string_view::npos ? open : item.rfind(')');
  if (close != std::string_view::npos && close > open) {
    result.name = DecodeHeaderWords(TrimText(item.substr(open + 1, close - open - 1)));
    result.address = TrimText(std::string(item.substr(0, open)) + std::string(item.substr(close + 1)));
    return result;
  }
  result.address = TrimText(item);
  return result;
}

}  // namespace

std::string RenderAddress(const TMailAddress& address) {
  if (address.name.empty()) return address.address;
  return address.name + " <" + address.address + ">";
}

std::string RenderAddressList(const std::vector<TMailAddress>& list) {
  std::string out;
  for (const TMailAddress& address : list) {
    if (!out.empty()) out += ", ";
    out += RenderAddress(address);
  }
  return out;
}

std::string DecodeHeaderWords(std::string_view value) {
  // Raw eight-bit or JIS text outside the encoded words.
  const std::string text = ConvertKanjiCode(value, kCodeSjis);
  std::string out;
  std::string pendingBlanks;
  bool afterWord = false;
  size_t i = 0;
  while (i < text.size()) {
    std::string decoded;
    size_t end = 0;
    if (text.compare(i, 2, "=?") == 0 && DecodeWordAt(text, i, decoded, end)) {
      if (!afterWord) out += pendingBlanks;  // blanks between two words vanish
      pendingBlanks.clear();
      out += decoded;
      afterWord = true;
      i = end;
      continue;
    }
    if (text[i] == ' ' || text[i] == '\t') {
      pendingBlanks += text[i++];
      continue;
    }
    out += pendingBlanks;
    pendingBlanks.clear();
    afterWord = false;
    const size_t n = SjisCharLength(text, i);
    out.append(text, i, n);
    i += n;
  }
  return out + pendingBlanks;
}

std::vector<TMailAddress> ParseAddressList(std::string_view value) {
  std::vector<TMailAddress> list;
  size_t start = 0;
  size_t i = 0;
  while (i <= value.size()) {
    if (i < value.size() && value[i] == '"') {
      i = SkipDelimited(value, i, '"', '"');
      continue;
    }
    if (i < value.size() && value[i] == '(') {
      i = SkipDelimited(value, i, '(', ')');
      continue;
    }
    if (i < value.size() && value[i] == '<') {
      const size_t gt = value.find('>', i);
      i = gt == std::string_view::npos ? value.size() : gt + 1;
      continue;
    }
    if (i == value.size() || value[i] == ',') {
      const std::string_view item = value.substr(start, i - start);
      if (!TrimText(item).empty()) list.push_back(ParseOneAddress(item));
      start = i + 1;
    }
    ++i;
  }
  return list;
}

std::optional<int64_t> ParseMailDate(std::string_view value) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  std::vector<std::string> tokens;
  std::string token;
  for (char c : std::string(value) + " ") {
    if (c == ' ' || c == '\t' || c == ',') {
      if (!token.empty()) tokens.push_back(Lower(token));
      token.clear();
    } else {
      token += c;
    }
  }
  int day = 0, month = 0, year = -1, hour = -1, minute = 0, second = 0, zone = 0;
  for (const std::string& t : tokens) {
    if (t.find(':') != std::string::npos && hour < 0) {
      if (std::sscanf(t.c_str(), "%d:%d:%d", &hour, &minute, &second) < 2) return std::nullopt;
    } else if ((t[0] == '+' || t[0] == '-') && t.size() == 5 && hour >= 0) {
      const int hhmm = std::atoi(t.c_str() + 1);
      zone = (hhmm / 100 * 60 + hhmm % 100) * (t[0] == '-' ? -1 : 1);
    } else if (std::isdigit(static_cast<unsigned char>(t[0]))) {
      const int n = std::atoi(t.c_str());
      if (day == 0 && month == 0) day = n;
      else if (year < 0) year = t.size() <= 2 ? (n < 50 ? 2000 + n : 1900 + n) : n;
    } else {
      for (int m = 0; m < 12; ++m) {
        if (t.starts_with(kMonths[m])) month = m + 1;
      }
      static const std::pair<const char*, int> kZones[] = {
          {"est", -300}, {"edt", -240}, {"cst", -360}, {"cdt", -300},
          {"mst", -420}, {"mdt", -360}, {"pst", -480}, {"pdt", -420}, {"jst", 540}};
      for (const auto& [name, minutes] : kZones) {
        if (t == name) zone = minutes;
      }
    }
  }
  if (day < 1 || day > 31 || month == 0 || year < 1 || year > 9999 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 60) {
    return std::nullopt;
  }
  const int64_t days = DaysFromCivil(TCivilDate{year, month, day}) - DaysFromCivil(TCivilDate{1970, 1, 1});
  return days * 86400 + hour * 3600 + minute * 60 + second - int64_t{zone} * 60;
}

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '=') {
      out += c;
      continue;
    }
    // "=" at a line end (blanks allowed before it) is a soft line break.
    size_t j = i + 1;
    while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
    if (j < text.size() && (text[j] == '\r' || text[j] == '\n')) {
      if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
      i = j;
      continue;
    }
    if (j == text.size()) break;
    if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;  // a stray "=" stays as it is
    }
  }
  return out;
}

TMailMessage ParseMailMessage(std::string_view raw) {
  TMailMessage message;
  TMimeWalker(message).Walk(raw, true, 0);
  return message;
}

}  // namespace nura
