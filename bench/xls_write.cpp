// Prints the time to export game lists of growing length, up to a full 65535-row sheet.
// The time per row should stay flat: every step of the writer is linear in the rows, and
// every export is measured as the program makes it, in a process of its own.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "xls/list_export.h"

namespace {

std::vector<romvane::GameEntry> MakeList(size_t games) {
  static const char* kTitles[] = {"超级马里奥兄弟", "魂斗罗", "坦克大战", "Adventure Island",
                                  "忍者龙剑传"};
  std::vector<romvane::GameEntry> list(games);
  for (size_t i = 0; i < games; ++i) {
    romvane::GameEntry& game = list[i];
    game.index = static_cast<int32_t>(i);
    game.title = std::string(kTitles[i % 5]) + " " + std::to_string(i);
    game.hasRecord = true;
    game.header = {'N',
                   'E',
                   'S',
                   0x1A,
                   static_cast<uint8_t>(2u << (i % 5)),
                   static_cast<uint8_t>(i % 3 ? 1u << (i % 4) : 0u),
                   static_cast<uint8_t>((i % 5) << 4 | (i % 2) | (i % 3 ? 0 : 2))};
  }
  return list;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Seconds {
  double first = -1;  // the export in a new process
  double again = -1;  // the next one in the same process, its memory no longer new
};

// Exports a list of games twice in a new child process that makes the list first, as the
// program loads it: the first export takes memory new to the process, as the program's one
// export does. Returns the processor seconds each took; negative when it failed.
Seconds ExportInChild(size_t games, const std::string& path) {
  Seconds seconds;
  int channel[2];
  if (pipe(channel) != 0) return seconds;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const std::vector<romvane::GameEntry> list = MakeList(games);
    for (double* measure : {&seconds.first, &seconds.again}) {
      const double start = CpuSeconds();
      const romvane::ExportResult result = romvane::WriteListWorkbook(list, path);
      *measure = CpuSeconds() - start;
      if (!result.ok) {
        std::fprintf(stderr, "%s", result.message.c_str());
        *measure = -1;
      }
    }
    const bool sent = write(channel[1], &seconds, sizeof seconds) == sizeof seconds;
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  if (child < 0 || read(channel[0], &seconds, sizeof seconds) != sizeof seconds) seconds = {};
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const auto path = std::filesystem::temp_directory_path() /
                    ("xls_write_bench_" + std::to_string(getpid()) + ".xls");
  constexpr int kRuns = 7;
  std::printf(
      "medians of %d processes; \"first\": a process's first export, as the program "
      "makes it;\n\"again\": the next export in the same process\n",
      kRuns);
  std::printf("%10s %10s %12s %16s %16s\n", "rows", "bytes", "first cpu s", "first us/row",
              "again us/row");
  for (size_t rows : {4095u, 8191u, 16383u, 32767u, 65535u}) {
    // Processor time of the export: on a busy machine the wall time also counts the waits
    // for a free core.
    std::vector<double> first, again;
    for (int run = 0; run < kRuns; ++run) {
      const Seconds seconds = ExportInChild(rows - 1, path.string());  // and the header row
      if (seconds.first < 0 || seconds.again < 0) return 1;
      first.push_back(seconds.first);
      again.push_back(seconds.again);
    }
    const double perRow = 1e6 / static_cast<double>(rows);
    std::printf("%10zu %10ju %12.4f %16.3f %16.3f\n", rows,
                static_cast<uintmax_t>(std::filesystem::file_size(path)), Median(first),
                Median(first) * perRow, Median(again) * perRow);
  }
  std::filesystem::remove(path);
  return 0;
}
