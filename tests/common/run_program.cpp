#include "common/run_program.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/sjis.h"

namespace nura::test {

ProgramResult RunProgram(const std::vector<std::string>& args, const std::string& cwd,
                         const std::string& input, const std::string& exe) {
  QProcess process;
  QStringList list;
  for (const auto& a : args) list << QString::fromStdString(a);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(QString::fromStdString(cwd));
  const std::string program = exe.empty() ? std::string(NURA_BIN_DIR) + "/nurasera" : exe;
  process.start(QString::fromStdString(program), list);
  ProgramResult result;
  if (!process.waitForStarted(10000)) return result;
  process.write(input.data(), static_cast<qint64>(input.size()));
  process.closeWriteChannel();
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
    return result;
  }
  result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

void WriteSjisFile(const std::string& path, const std::string& utf8) {
  std::ofstream out(path, std::ios::binary);
  const std::string sjis = Utf8ToSjis(utf8);
  out.write(sjis.data(), static_cast<std::streamsize>(sjis.size()));
}

std::string MakeTempFolder() {
  std::string templ = (std::filesystem::temp_directory_path() / "nuratest-XXXXXX").string();
  char* made = mkdtemp(templ.data());
  return made ? std::string(made) : std::string();
}

}  // namespace nura::test
