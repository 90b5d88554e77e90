#pragma once
// Small pictures written for the window tests, and a window set up with private settings.
#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "fake_prompts.h"
#include "image/picture_bmp.h"
#include "main_window.h"

namespace tilvex::ui::testing {

using PixelFn = std::function<Rgb(int x, int y)>;

// A 24-bit BMP file.
inline QString WriteBmp(const QString& path, int width, int height, const PixelFn& pixel) {
  Picture picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.Set(x, y, pixel(x, y));
  }
  const std::vector<uint8_t> bytes = BmpFileBytes(picture);
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
  return path;
}

// Colour bands with a bright disc: a few colours per 16 x 16 area.
inline Rgb Bands(int x, int y) {
  static const Rgb kBands[4] = {MakeRgb(200, 40, 40), MakeRgb(40, 160, 60), MakeRgb(40, 70, 200),
                                MakeRgb(230, 200, 60)};
  if ((x - 128) * (x - 128) + (y - 120) * (y - 120) < 3600) return MakeRgb(250, 250, 250);
  return y < 16 ? 0 : kBands[(x / 64) % 4];
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// A window with settings of its own in a temporary folder.
struct WindowFixture {
  QTemporaryDir dir;
  FakePrompts prompts;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<MainWindow> window;

  WindowFixture() {
    settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("tilvex.ini")),
                                           QSettings::IniFormat);
    window = std::make_unique<MainWindow>(prompts, *settings);
    window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window.get());
  }
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

}  // namespace tilvex::ui::testing
