#include "archive/cmd_opt.h"

#include "support/file_command_support.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

void TCmdOpt::Add(const std::string& piece) {
  text_ += ' ';
  text_ += piece;
}

void TCmdOpt::NumOpt(const std::string& name, int n) {
  if (n >= 0) Add("-" + name + std::to_string(n));
}

void TCmdOpt::FlagOpt(const std::string& name, bool on) {
  if (on) Add("-" + name);
}

void TCmdOpt::StrOpt(const std::string& name, const std::string& value) {
  if (value.empty()) return;
  if (name.empty()) {
    Add("\"" + value + "\"");
    return;
  }
  // A name that starts with a blank is written without that blank and
  // without the "-" (switches that are not in the LHA dash form).
  const std::string sw = name[0] == ' ' ? name.substr(1) : "-" + name;
  if (quoteStyle_) {
    Add(sw + " \"" + value + "\"");
  } else {
    Add("\"" + sw + value + "\"");
  }
}

void TCmdOpt::PathOpt(const std::string& name, const std::string& folder) {
  if (folder.empty()) return;
  StrOpt(name, EndsWithSeparator(folder) ? folder : folder + "\\");
}

std::string TCmdOpt::Transformed(const std::string& name) const {
  return transform_ ? transform_(name) : name;
}

void TCmdOpt::NameOpt(const std::string& name, const std::string& value) {
  StrOpt(name, Transformed(value));
}

void TCmdOpt::AddFileList(const std::string& name, const std::vector<std::string>& patterns) {
  for (const std::string& file : patterns) StrOpt(name, Transformed(file));
}

int TCmdOpt::AddResponseFile(const std::vector<std::string>& patterns,
                             const std::string& responseFile) {
  std::string content;
  for (const std::string& file : patterns) content += "\"" + Transformed(file) + "\"\r\n";
  if (!WriteFileAtomically(ScriptPathToNative(responseFile), content)) return -1;
  StrOpt("", "@" + responseFile);
  return static_cast<int>(patterns.size());
}

}  // namespace nura
