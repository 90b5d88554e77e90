#include "qt_launcher.h"

#include <QProcess>
#include <QStringList>

#include "common/program_search.h"

namespace romvane {

bool QtLauncher::Start(const Command& command) {
  QProcess process;
  // Resolved before QProcess changes into the working folder.
  const bool path = command.program.find('/') != std::string::npos;
  process.setProgram(
      QString::fromStdString(path ? common::AbsolutePath(command.program) : command.program));
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
