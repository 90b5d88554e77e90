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
#include "common/cli_options.h"
#include "common/translate.h"
#include "model/paths.h"

namespace {

constexpr const char* kUsage = "usage: romvane [--dir DIR] [LIST.sav] [--screenshot FILE.png]\n";
constexpr const char* kOptionHelp =
    "      --dir DIR              the program directory (default: $ROMVANE_DIR, else the\n"
    "                             per-user folder when installed, else the program's folder)\n"
    "      --screenshot FILE.png  show the window once, save a picture of it and exit\n"
    "  -h, --help                 show this help and exit\n"
    "      --version              show the version and the program directory, and exit\n";

struct Arguments {
  QString dir;
  QString list;
  QString screenshot;
  bool ok = true;
  bool help = false;
  bool version = false;
};

Arguments ParseArguments(const QStringList& args) {
  Arguments a;
  for (int i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if ((arg == QLatin1String("--dir") || arg == QLatin1String("--screenshot")) &&
        i + 1 < args.size()) {
      (arg == QLatin1String("--dir") ? a.dir : a.screenshot) = args[++i];
    } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
      a.help = true;
    } else if (arg == QLatin1String("--version")) {
      a.version = true;
    } else if (arg.startsWith(QLatin1String("--")) || !a.list.isEmpty()) {
      a.ok = false;
    } else {
      a.list = arg;
    }
  }
  return a;
}

// Qt's own dialogs (file dialogs, their questions, standard buttons) speak the window's
// language: Chinese in a Chinese or C locale, else Qt's own English. Without the translation
// files installed they stay in English.
void LoadQtTranslation(QApplication& app) {
  if (common::CatalogueLanguage() == "en") return;
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
  // --help and --version are answered before the window system starts, so they work
  // without a display; the window's own options are read after Qt took its own.
  QStringList words;
  for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
  const Arguments early = ParseArguments(words);
  const std::string version(common::cli::ProjectVersion());
  if (early.help) {
    std::printf("%s\nThe cartridge-list builder's window.\n\noptions:\n%s", kUsage, kOptionHelp);
    return 0;
  }
  if (early.version) {
    const romvane::ProgramDirectory dir = romvane::ChooseProgramDirectory(early.dir.toStdString());
    std::printf("romvane %s\nprogram directory: %s\n", version.c_str(),
                romvane::DescribeProgramDirectory(dir).c_str());
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Romvane"));
  QApplication::setApplicationVersion(QString::fromStdString(version));
  QApplication::setDesktopFileName(QStringLiteral("romvane"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/romvane/romvane.png")));
  LoadQtTranslation(app);
  const Arguments args = ParseArguments(QCoreApplication::arguments());
  if (!args.ok) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const romvane::ProgramDirectory dir = romvane::ChooseProgramDirectory(args.dir.toStdString());
  if (!dir.error.empty()) std::fprintf(stderr, "romvane: %s\n", dir.error.c_str());
  romvane::CartovoDialog window(dir.path);
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
