#include <QTest>
class ConversionTest : public QObject {
  Q_OBJECT
};
QTEST_MAIN(ConversionTest)
#include "conversion_test.moc"
