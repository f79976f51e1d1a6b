#include "platform/desktop_associations.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/desktop_entry_text.h"
#include "platform/file_io.h"
#include "platform/process.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

// How long one run of xdg-mime may take.
constexpr int kToolTimeoutMs = 30000;

std::string FolderFromEnvironment(const char* variable, const char* belowHome) {
  const char* value = std::getenv(variable);
  if (value && *value == '/') return value;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + belowHome;
}

std::string DataHome() { return FolderFromEnvironment("XDG_DATA_HOME", "/.local/share"); }
std::string ConfigHome() { return FolderFromEnvironment("XDG_CONFIG_HOME", "/.config"); }

// The part after "application/x-": also the name of the package and of
// the desktop entry.
std::string TypeName(const std::string& extension) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name = "nurasera-";
  for (char c : extension) {
    const auto u = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-') name += c;
    else if (c >= 'A' && c <= 'Z') name += static_cast<char>(c - 'A' + 'a');
    else name += std::string("_") + kHex[u >> 4] + kHex[u & 15];
  }
  return name;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Runs a desktop tool to its end, away from the script's terminal: true
// when it succeeded.
bool RunTool(const std::string& program, const std::vector<std::string>& arguments) {
  std::string output;
  int status = -1;
  return RunProgramForOutput(program, arguments, {}, output, status, kToolTimeoutMs) && status == 0;
}

// Drops the type's line from the defaults of $XDG_CONFIG_HOME/mimeapps.list.
void RemoveDefault(const std::string& mimeType) {
  const std::string list = ConfigHome() + "/mimeapps.list";
  std::string text;
  if (!ReadNativeFile(list, text)) return;
  std::string kept;
  size_t at = 0;
  bool changed = false;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(at, end - at);
    if (line.compare(0, mimeType.size() + 1, mimeType + "=") == 0) changed = true;
    else kept += line;
    at = end;
  }
  if (changed) WriteFileAtomically(list, kept);
}

}  // namespace

std::string AssociationMimeType(const std::string& extension) { return "application/x-" + TypeName(extension); }

bool RegisterDesktopAssociation(const std::string& extension, const std::string& program,
                                const std::string& description, const std::string& icon) {
  if (extension.empty() || program.empty()) return false;
  const std::string name = TypeName(extension), mimeType = AssociationMimeType(extension);
  std::error_code ec;
  char folderTemplate[] = "/tmp/nurasera-mime-XXXXXX";
  if (!::mkdtemp(folderTemplate)) return false;
  const std::string package = std::string(folderTemplate) + "/" + name + ".xml";
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" + mimeType + "\">\n"
      "    <comment>" + XmlText(description.empty() ? extension : description) + "</comment>\n"
      "    <glob pattern=\"*." + XmlText(extension) + "\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  bool done = WriteFileAtomically(package, xml) && RunTool("xdg-mime", {"install", "--mode", "user", package});
  fs::remove_all(folderTemplate, ec);
  const std::string applications = DataHome() + "/applications";
  fs::create_directories(applications, ec);
  const std::string entry = "[Desktop Entry]\nType=Application\nName=" + DesktopValue(description.empty() ? extension : description) +
                            "\nExec=" + DesktopValue(ExecQuote(fs::absolute(program, ec).string())) +
                            " %f\nIcon=" + DesktopValue(fs::absolute(icon, ec).string()) +
                            "\nMimeType=" + mimeType + ";\nNoDisplay=true\nTerminal=false\n";
  done = WriteFileAtomically(applications + "/" + name + ".desktop", entry) && done;
  return RunTool("xdg-mime", {"default", name + ".desktop", mimeType}) && done;
}

bool RemoveDesktopAssociation(const std::string& extension) {
  if (extension.empty()) return false;
  const std::string name = TypeName(extension);
  std::error_code ec;
  const bool hadEntry = fs::remove(DataHome() + "/applications/" + name + ".desktop", ec);
  RemoveDefault(AssociationMimeType(extension));
  const std::string package = DataHome() + "/mime/packages/" + name + ".xml";
  if (!fs::exists(package, ec)) return hadEntry;
  return RunTool("xdg-mime", {"uninstall", "--mode", "user", package});
}

}  // namespace nura
