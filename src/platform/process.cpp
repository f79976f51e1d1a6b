#include "platform/process.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace nura {
namespace {

QStringList ToQt(const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  return list;
}

// Processes whose wait was given up: kept, never freed, so that their
// programs are not killed when the process object would go.
std::vector<QProcess*>& Abandoned() {
  static std::vector<QProcess*> processes;
  return processes;
}

}  // namespace

bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder) {
  if (program.empty()) return false;
  return QProcess::startDetached(QString::fromStdString(program), ToQt(arguments),
                                 QString::fromStdString(folder));
}

bool OpenWithDesktop(const std::string& target, const std::string& folder) {
  return StartDetachedProcess("xdg-open", {target}, folder);
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool RunProgramForOutput(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& unset, std::string& output, int& status,
                         int milliseconds) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const std::string& name : unset) environment.remove(QString::fromStdString(name));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(QString::fromStdString(program), ToQt(arguments));
  if (!process.waitForStarted(5000)) return false;
  process.closeWriteChannel();
  if (!process.waitForFinished(milliseconds)) {
    process.kill();
    process.waitForFinished(1000);
    return false;
  }
  output = process.readAll().toStdString();
  status = process.exitCode();
  return process.exitStatus() == QProcess::NormalExit;
}

std::string FindProgramOnPath(const std::string& program) {
  return QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
}

struct TChildProcess::TImpl {
  QProcess* process = nullptr;
};

TChildProcess::TChildProcess() : impl_(std::make_unique<TImpl>()) {}

TChildProcess::~TChildProcess() {
  QProcess* process = impl_->process;
  if (!process) return;
  if (process->state() == QProcess::NotRunning) {
    delete process;
  } else {
    Abandoned().push_back(process);
  }
}

bool TChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder) {
  if (impl_->process || program.empty()) return false;
  impl_->process = new QProcess;
  QProcess& process = *impl_->process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.setWorkingDirectory(QString::fromStdString(folder));
  process.start(QString::fromStdString(program), ToQt(arguments));
  return process.waitForStarted(5000);
}

bool TChildProcess::WaitForEnd(int milliseconds) {
  QProcess* process = impl_->process;
  if (!process || process->state() == QProcess::NotRunning) return true;
  return process->waitForFinished(milliseconds) || process->state() == QProcess::NotRunning;
}

}  // namespace nura
