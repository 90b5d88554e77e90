// The window's own texts follow the locale, while the design's English menus and labels stay
// as they are. Run once under a Chinese and once under an English locale.
#include <QCheckBox>
#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include "common/translate.h"
#include "progress_window.h"
#include "test_pictures.h"
#include "transformation_dialog.h"

namespace tilvex::ui {
using namespace testing;

class LanguagesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ourTextsSpeakTheLocalesLanguage();

 private:
  // The text as the locale should show it.
  static QString Said(const char* chinese, const char* english) {
    return QString::fromUtf8(common::CatalogueLanguage() == "en" ? english : chinese);
  }
};

void LanguagesTest::ourTextsSpeakTheLocalesLanguage() {
  const std::string language = common::CatalogueLanguage();
  QVERIFY2(language == qgetenv("VT_EXPECTED_LANGUAGE").toStdString(), language.c_str());
  WindowFixture f;
  QVERIFY(f.window->OpenFile(WriteBmp(f.Path("bands.bmp"), 64, 32, Bands)));
  f.window->Actions().transform->trigger();
  TransformationDialog* dialog = f.window->Transformation();
  auto* reduce = dialog->findChild<QCheckBox*>(QStringLiteral("reduceColours"));
  QCOMPARE(reduce->text(), Said("减少颜色", "Reduce colours"));
  QVERIFY(reduce->toolTip().startsWith(Said("某个区域", "Where an area")));
  auto* dither = dialog->findChild<QComboBox*>(QStringLiteral("dither"));
  QCOMPARE(dither->itemText(0), Said("不抖动", "None"));
  QCOMPARE(dither->itemText(1), Said("有序抖动", "Ordered"));
  // The design's own labels stay English.
  QStringList buttons;
  for (QPushButton* b : dialog->findChildren<QPushButton*>()) buttons << b->text();
  QVERIFY(buttons.contains(QStringLiteral("Next")));

  ProgressWindow progress(f.window.get(), true);
  progress.Open(0, 10, 1);
  QProgressDialog* shown = f.window->findChild<QProgressDialog*>();
  QVERIFY(shown);
  QCOMPARE(shown->findChild<QPushButton*>()->text(), Said("取消", "Cancel"));
  progress.Close();
}

}  // namespace tilvex::ui

QTEST_MAIN(tilvex::ui::LanguagesTest)
#include "languages_test.moc"
