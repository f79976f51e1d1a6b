#include "net/received_mail.h"

#include <ctime>
#include <filesystem>

#include "support/file_command_support.h"
#include "support/jconvert.h"
#include "support/shell_helpers.h"
#include "engine/sjis_text.h"
#include "net/net_connection.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

// The name used where an attachment gives no usable one.
constexpr const char* kFixedName = "attachment";

// Longer names (counted in UTF-8 bytes, as the file system counts them)
// are cut, so that the file can always be made.
constexpr size_t kMaxNameBytes = 200;
constexpr size_t kMaxExtensionBytes = 32;

// The characters of `text` from its start that fit `budget` UTF-8 bytes.
std::string FittingPrefix(const std::string& text, size_t budget) {
  size_t used = 0;
  size_t i = 0;
  while (i < text.size()) {
    const size_t n = SjisCharLength(text, i);
    used += SjisToUtf8(std::string_view(text).substr(i, n)).size();
    if (used > budget) break;
    i += n;
  }
  return text.substr(0, i);
}

// A name too long for the file system, cut before its extension.
std::string CutToFit(const std::string& name) {
  if (SjisToUtf8(name).size() <= kMaxNameBytes) return name;
  std::string extension = ExtractExtension(name);
  const size_t extensionBytes = SjisToUtf8(extension).size();
  if (extensionBytes > kMaxExtensionBytes) extension.clear();
  const std::string stem = name.substr(0, name.size() - extension.size());
  return FittingPrefix(stem, kMaxNameBytes - SjisToUtf8(extension).size()) + extension;
}

// The last path component without control characters, cut to fit; "",
// "." and ".." become the fixed name.
std::string ReduceToFileName(const std::string& name) {
  std::string out;
  for (size_t i = 0; i < name.size();) {
    const size_t n = SjisCharLength(name, i);
    const auto c = static_cast<unsigned char>(name[i]);
    if (n == 1 && (c == '/' || c == '\\' || c == ':')) {
      out.clear();
    } else if (n == 2 || (c >= 0x20 && c != 0x7F)) {
      out.append(name, i, n);
    }
    i += n;
  }
  if (out.empty() || out == "." || out == "..") return kFixedName;
  return CutToFit(out);
}

// A header text on one summary line: control characters as blanks.
std::string OneLine(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); i += SjisCharLength(out, i)) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c < 0x20 || c == 0x7F) out[i] = ' ';
  }
  return out;
}

std::string FormatLocalDate(const std::optional<int64_t>& date) {
  if (!date) return "";
  const std::time_t t = static_cast<std::time_t>(*date);
  std::tm local{};
  if (!localtime_r(&t, &local)) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

bool Taken(const std::string& scriptPath) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(ScriptPathToNative(scriptPath), ec));
}

void WriteOrFail(const std::string& scriptPath, const std::string& bytes) {
  if (!WriteFileAtomically(ScriptPathToNative(scriptPath), bytes)) {
    throw ENetError(SJ("ファイル\"") + scriptPath + SJ("\"に書き込めません。"));
  }
}

}  // namespace

std::string AttachmentDisplayName(const std::string& mailName) {
  const std::string name = JisToSjis(mailName);
  const size_t blank = name.find(' ');
  if (blank == std::string::npos) return ReduceToFileName(name);
  const std::string after = name.substr(blank + 1);
  return ReduceToFileName(TrimText(after).empty() ? name.substr(0, blank) : after);
}

std::string BuildMailSummary(const TMailMessage& message) {
  std::vector<std::string> lines;
  if (!message.replyTo.empty()) lines.push_back(SJ("返信先:") + OneLine(RenderAddressList(message.replyTo)));
  lines.push_back(SJ("送信者:") + OneLine(RenderAddressList(message.from)));
  lines.push_back(SJ("受信者:") + OneLine(RenderAddressList(message.to)));
  lines.push_back(SJ("日時:") + FormatLocalDate(message.date));
  lines.push_back(SJ("件名:") + OneLine(message.subject));
  std::string body;
  for (const TMailPart& part : message.parts) {
    if (part.attachment) lines.push_back(SJ("添付ファイル:") + AttachmentDisplayName(part.fileName));
    else body += part.content;
  }
  body += message.body;
  lines.push_back("");
  lines.push_back(SJ("本文:"));
  lines.push_back("");
  for (std::string& line : SplitLines(ConvertKanjiCode(body, kCodeSjis))) lines.push_back(std::move(line));
  return JoinLines(lines);
}

void StoreReceivedMail(const std::string& folder, const std::string& raw) {
  const TMailMessage message = ParseMailMessage(raw);
  for (const TMailPart& part : message.parts) {
    if (!part.attachment) continue;
    std::string name = ReduceToFileName(TrimText(AttachmentDisplayName(part.fileName)));
    while (Taken(folder + name)) name = "_" + name;
    WriteOrFail(folder + name, part.content);
  }
  const std::string summary = MakeNumberedFileName(folder, ".txt", ".eml");
  if (summary.empty()) throw ENetError(SJ("ファイル名が作れません。"));
  WriteOrFail(summary, BuildMailSummary(message));
  WriteOrFail(summary.substr(0, summary.size() - 4) + ".eml", raw);
}

}  // namespace nura
