// Prints how long a flood fill of a 4000 x 3000 picture takes as the window runs it, and the
// peak memory it needs beyond the picture itself.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/document.h"
#include "convert/progress.h"
#include "timing.h"

using namespace tilvex;

namespace {

// Resident memory from /proc: the current figure, and the peak since ResetPeak.
double StatusMegabytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  double kb = 0;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, field, length) == 0) kb = std::atof(line + length + 1);
  }
  std::fclose(status);
  return kb / 1024.0;
}

void ResetPeak() {
  if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
}

}  // namespace

int main() {
  constexpr int kWidth = 4000, kHeight = 3000;
  Document doc;
  if (Result made = doc.New(kWidth, kHeight); !made) {
    std::fprintf(stderr, "%s\n", made.Text().c_str());
    return 1;
  }
  // Rings with gaps: the region winds round them, so the fill goes up and down many rows.
  doc.BeginStroke();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int dx = x - kWidth / 2, dy = y - kHeight / 2;
      const int ring = (dx * dx + dy * dy) / 40000;
      if (ring % 7 == 0 && (x / 50) % 9 != 0) doc.StrokePixel(x, y, 0x000000);
    }
  }
  doc.EndStroke();
  const double pictureMb = double(doc.View().pixels.size()) / (1024.0 * 1024.0);
  const size_t historyBefore = doc.HistoryBytes();
  const double before = StatusMegabytes("VmRSS");
  ResetPeak();
  double copy = 0, fill = 0, adopt = 0;
  // Processor time as well as the wall clock: on a busy machine the wall clock says more
  // about the other programs.
  const std::clock_t cpuStart = std::clock();
  const double whole = Milliseconds([&] {
    WorkSnapshot snapshot;
    copy = Milliseconds([&] { snapshot = doc.BeginWork(); });
    PreparedEdit edit;
    fill = Milliseconds(
        [&] { edit = Document::PrepareFill(std::move(snapshot), 1, 1, 0x3366CC, "Fill"); });
    adopt = Milliseconds([&] { doc.Adopt(std::move(edit)); });
  });
  const double cpu = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  const double peak = StatusMegabytes("VmHWM");
  std::printf("picture %d x %d: %.1f MB\n", kWidth, kHeight, pictureMb);
  std::printf(
      "fill: %.0f ms (copy for the worker %.0f ms, fill on the worker %.0f ms, adopting on "
      "the window's thread %.1f ms)\n",
      whole, copy, fill, adopt);
  std::printf("processor time of the fill: %.0f ms\n", cpu);
  std::printf("resident before: %.1f MB, peak during the fill: %.1f MB\n", before, peak);
  std::printf("peak memory the fill adds: %.1f MB (%.2f x the picture)\n", peak - before,
              (peak - before) / pictureMb);
  std::printf("the fill's undo step: %.2f MB\n",
              double(doc.HistoryBytes() - historyBefore) / (1024.0 * 1024.0));
  std::printf("undo: %.0f ms, redo: %.0f ms\n", Milliseconds([&] { doc.Undo(); }),
              Milliseconds([&] { doc.Redo(); }));
  return 0;
}
