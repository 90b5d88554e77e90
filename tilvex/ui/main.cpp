// tilvex: the picture converter's window.
#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <QStringList>
#include <cstdio>

#include "main_window.h"
#include "prompts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tilvex"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));
  QApplication::setDesktopFileName(QStringLiteral("tilvex"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tilvex/icons/tilvex.svg")));
  QStringList args = QCoreApplication::arguments().mid(1);
  QString screenshot;
  if (const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
      at >= 0 && at + 1 < args.size()) {
    screenshot = args[at + 1];
    args.remove(at, 2);
  }
  if (args.size() > 1) {
    std::fputs("usage: tilvex [PICTURE|FILE.pic] [--screenshot FILE.png]\n", stderr);
    return 2;
  }
  QSettings settings(QStringLiteral("TILVEX"), QStringLiteral("Tilvex"));
  tilvex::ui::Prompts prompts;
  tilvex::ui::MainWindow window(prompts, settings);
  // A file named on the command line that cannot be opened ends start-up.
  if (!args.isEmpty() && !window.OpenFile(args.first())) return 1;
  window.show();
  if (!screenshot.isEmpty()) {
    QCoreApplication::processEvents();
    return window.grab().save(screenshot) ? 0 : 1;
  }
  return app.exec();
}
