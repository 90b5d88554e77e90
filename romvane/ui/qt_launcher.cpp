#include "qt_launcher.h"

#include <QProcess>
#include <QStringList>

namespace romvane {

bool QtLauncher::Start(const Command& command) {
  QProcess process;
  process.setProgram(QString::fromStdString(command.program));
  QStringList args;
  for (const std::string& a : command.args) args << QString::fromStdString(a);
  process.setArguments(args);
  process.setWorkingDirectory(QString::fromStdString(command.workingDir));
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  return process.startDetached();
}

}  // namespace romvane
