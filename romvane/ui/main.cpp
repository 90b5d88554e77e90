// romvane: the cartridge-list builder's window.

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

#include "cartovo_dialog.h"

namespace {

constexpr const char* kUsage = "usage: romvane [--dir DIR] [LIST.sav] [--screenshot FILE.png]\n";

struct Arguments {
  QString dir;
  QString list;
  QString screenshot;
  bool ok = true;
};

Arguments ParseArguments(const QStringList& args) {
  Arguments a;
  for (int i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if ((arg == QLatin1String("--dir") || arg == QLatin1String("--screenshot")) &&
        i + 1 < args.size()) {
      (arg == QLatin1String("--dir") ? a.dir : a.screenshot) = args[++i];
    } else if (arg.startsWith(QLatin1String("--")) || !a.list.isEmpty()) {
      a.ok = false;
    } else {
      a.list = arg;
    }
  }
  return a;
}

// The program directory: --dir, else ROMVANE_DIR, else the folder of the executable.
std::string ProgramDir(const Arguments& args) {
  if (!args.dir.isEmpty()) return args.dir.toStdString();
  if (const char* env = std::getenv("ROMVANE_DIR"); env && *env) return env;
  return QCoreApplication::applicationDirPath().toStdString();
}

// Qt's own dialogs (file dialogs, their questions, standard buttons) speak the window's
// Chinese. Without the translation files installed they stay in English.
void LoadQtTranslation(QApplication& app) {
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QString::fromLatin1(name), dir)) {
      QCoreApplication::installTranslator(translator);
      return;
    }
    delete translator;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Romvane"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));
  QApplication::setDesktopFileName(QStringLiteral("romvane"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/romvane/romvane.png")));
  LoadQtTranslation(app);
  const Arguments args = ParseArguments(QCoreApplication::arguments());
  if (!args.ok) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  romvane::CartovoDialog window(ProgramDir(args));
  if (!args.list.isEmpty()) window.LoadListFrom(args.list);
  if (!args.screenshot.isEmpty()) {
    // Shows the window once and keeps a picture of it, for the documentation.
    window.show();
    QCoreApplication::processEvents();
    return window.grab().save(args.screenshot) ? 0 : 1;
  }
  window.exec();
  return 0;
}
