// How long Tilvex's window stops answering. A 4000 x 3000 level map built from 16 x 16
// tiles is collected, analysed and converted, first by the logic alone, then through the
// window while a 2 ms ping timer notes the longest gap between its ticks; last, the window
// is left idle for a second and the timer and paint events it handles are counted.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "common/file_io.h"
#include "convert/palette_gathering.h"
#include "image/colour_list.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"
#include "main_window.h"
#include "pal_setup_dialog.h"
#include "prompts.h"
#include "timing.h"

using namespace tilvex;

namespace {

// Thirty-two tiles of eight colours each from two palettes' worth of colours, laid out
// as rows of a level: sky, platforms, ground.
Picture LevelMap(int width, int height) {
  std::mt19937 random(7);
  const Rgb colours[2][8] = {
      {0x2038A0, 0x3050C0, 0x80A0E0, 0xF0F0F0, 0x406080, 0x5070A0, 0x90B0F0, 0xD0E0F0},
      {0x603010, 0x804020, 0xA06030, 0x30A030, 0x208020, 0xC0A060, 0x402010, 0xE0C080}};
  std::vector<std::array<uint8_t, 256>> tiles(32);
  for (auto& tile : tiles) {
    for (uint8_t& p : tile) p = static_cast<uint8_t>(random() % 8);
  }
  Picture picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (int ty = 0; ty < height / 16; ++ty) {
    for (int tx = 0; tx < width / 16; ++tx) {
      const int group = ty * 16 < height / 2 ? 0 : 1;
      const auto& tile = tiles[size_t(group * 16 + (tx * 7 + ty * 3) % 16)];
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
          picture.Set(tx * 16 + x, ty * 16 + y, colours[group][tile[size_t(y * 16 + x)]]);
      }
    }
  }
  return picture;
}

// Answers the window: the palette review goes on, messages are printed.
class BenchPrompts : public ui::Prompts {
 public:
  void Message(QWidget*, const QString& text) override {
    std::printf("message: %s\n", qPrintable(text));
    ++messages;
  }
  int Exec(QDialog& dialog) override {
    return qobject_cast<ui::PalSetupDialog*>(&dialog) ? QDialog::Accepted : QDialog::Rejected;
  }
  int messages = 0;
};

// The longest gap between two ticks of a 2 ms timer while `work` runs the event loop.
struct Ping {
  QTimer timer;
  QElapsedTimer clock;
  double longest = 0;
  Ping() {
    timer.setInterval(2);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      longest = std::max(longest, double(clock.nsecsElapsed()) / 1e6);
      clock.restart();
    });
  }
  template <typename F>
  double During(F&& work) {
    longest = 0;
    clock.start();
    timer.start();
    work();
    timer.stop();
    return std::max(longest, double(clock.nsecsElapsed()) / 1e6);
  }
};

void Spin(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct EventCounter : QObject {
  int timers = 0, paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) ++timers;
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const Picture level = LevelMap(4000, 3000);
  ColourList list;
  std::printf("colour list of the level map: %.1f ms\n",
              Milliseconds([&] { CollectColours(level, 0, 0, level.width, level.height, list); }));
  SlotTable slots;
  AreaColourLists lists;
  const WorkArea whole{0, 0, level.width, level.height};
  Result gathered;
  std::printf("palette analysis of the level map: %.1f ms\n", Milliseconds([&] {
                gathered = GatherPalettes(level, whole, level.At(0, 0), 0, 0, slots, lists);
              }));
  if (!gathered) std::printf("analysis stopped: %s\n", gathered.Text().c_str());

  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("level.bmp")).toStdString();
  if (!common::WriteFileReplacing(path, BmpFileBytes(level))) return 1;
  BenchPrompts prompts;
  QSettings settings(dir.filePath(QStringLiteral("tilvex.ini")), QSettings::IniFormat);
  ui::MainWindow window(prompts, settings);
  window.show();
  Ping ping;
  // The same reading on a thread of its own, the window not involved: what the machine
  // itself takes from the window's thread while a large picture is read.
  std::printf("reading alone on a worker, longest stop: %.0f ms\n", ping.During([&] {
    std::atomic<bool> done{false};
    std::thread reader([&] {
      Picture picture;
      DecodePictureFile(path, picture);
      done = true;
    });
    Spin([&] { return done.load(); });
    reader.join();
  }));
  std::printf("open, longest stop: %.0f ms\n",
              ping.During([&] { window.OpenFile(QString::fromStdString(path)); }));
  std::printf("conversion, longest stop: %.0f ms\n", ping.During([&] {
    window.Actions().transform->trigger();
    for (QPushButton* b : window.Transformation()->findChildren<QPushButton*>()) {
      if (b->text() == QStringLiteral("Next")) b->click();
    }
    Spin([&] { return window.Document().IsBlockPicture() || prompts.messages > 0; });
  }));
  const tilvex::WorkSnapshot snapshot = window.Document().BeginWork(false);
  auto prepared = tilvex::Document::PrepareOpen(path, snapshot, tilvex::NoProgress());
  std::printf("adopting an opened picture and repainting: %.1f ms\n", Milliseconds([&] {
                window.Document().Adopt(std::move(prepared), path);
                window.repaint();
              }));
  std::printf("undo of the conversion, longest stop: %.0f ms\n",
              ping.During([&] { window.Actions().undo->trigger(); }));
  Spin([&] { return ping.clock.elapsed() >= 500; });  // repaints after the undo settle
  EventCounter counter;
  app.installEventFilter(&counter);
  QElapsedTimer idle;
  idle.start();
  Spin([&] { return idle.elapsed() >= 1000; });
  std::printf("idle second: %d timer events, %d paints\n", counter.timers, counter.paints);
  return 0;
}
