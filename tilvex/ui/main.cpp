// tilvex: the picture converter's window.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QSettings>
#include <QStringList>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/cli_options.h"
#include "common/translate.h"
#include "image/colour_tables.h"
#include "main_window.h"
#include "prompts.h"

namespace {

constexpr const char* kUsage = "usage: tilvex [PICTURE|FILE.pic] [--screenshot FILE.png]\n";
constexpr const char* kOptionHelp =
    "      --screenshot FILE.png  show the window once, save a picture of it and exit\n"
    "  -h, --help                 show this help and exit\n"
    "      --version              show the version and the data folder, and exit\n";

// --help, --version and unknown options are answered before the window system starts, so
// they work without a display. Returns -1 when the window should start.
int AnswerEarly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0) {
      std::printf("%s\nThe picture converter's window.\n\noptions:\n%s", kUsage, kOptionHelp);
      return 0;
    }
    if (std::strcmp(word, "--version") == 0) {
      std::printf("tilvex %s\ndata folder: %s\n",
                  std::string(common::cli::ProjectVersion()).c_str(),
                  tilvex::DataDirectory().c_str());
      return 0;
    }
    if (std::strcmp(word, "--screenshot") == 0) {
      ++i;
    } else if (word[0] == '-' && word[1] != '\0') {
      std::fprintf(stderr, "tilvex: unknown option %s\n%s", word, kUsage);
      return 2;
    }
  }
  return -1;
}

// Qt's own dialogs and buttons speak the window's language: Chinese in a Chinese or C
// locale, else Qt's own English.
void LoadQtTranslation(QApplication& app) {
  if (common::CatalogueLanguage() == "en") return;
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (const int answered = AnswerEarly(argc, argv); answered >= 0) return answered;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tilvex"));
  QApplication::setApplicationVersion(QString::fromUtf8(common::cli::ProjectVersion()));
  QApplication::setDesktopFileName(QStringLiteral("tilvex"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tilvex/icons/tilvex.svg")));
  LoadQtTranslation(app);
  QStringList args = QCoreApplication::arguments().mid(1);
  QString screenshot;
  if (const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
      at >= 0 && at + 1 < args.size()) {
    screenshot = args[at + 1];
    args.remove(at, 2);
  }
  if (args.size() > 1) {
    std::fputs(kUsage, stderr);
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
