// Prints how long whole romvane-cli runs take on a full 512-game list: the build with the
// example menu project (make script included) next to copying the same game bytes into
// one file, and the export of the list as a workbook. Each figure is the median of
// several runs of the program as a child process, started directly (no shell), builds and
// copies taking turns.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRuns = 9;

struct Times {
  double wall = 0;  // milliseconds
  double cpu = 0;   // user and system time of the command and its children, milliseconds
};

// Runs the program directly, without a shell in between, its standard output going to
// `output`. The CPU time stays meaningful on a busy machine, where the wall time also counts
// the waits for a free core.
Times TimedRun(std::vector<std::string> args, const std::string& output = "/dev/null") {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Times t;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int status = -1;
  rusage usage{};
  if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0)
    wait4(child, &status, 0, &usage);
  t.wall =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  auto ms = [](const timeval& v) { return v.tv_sec * 1e3 + v.tv_usec / 1e3; };
  t.cpu = ms(usage.ru_utime) + ms(usage.ru_stime);
  posix_spawn_file_actions_destroy(&actions);
  if (status != 0) std::fprintf(stderr, "failed (%d): %s\n", status, args[0].c_str());
  return t;
}

Times Median(const std::vector<Times>& runs) {
  Times median;
  std::vector<double> v;
  for (auto field : {&Times::wall, &Times::cpu}) {
    v.clear();
    for (const Times& t : runs) v.push_back(t.*field);
    std::sort(v.begin(), v.end());
    median.*field = v[v.size() / 2];
  }
  return median;
}

// 512 games of mixed power-of-two sizes, as a typical multicart holds, and their list.
std::string MakeGames(const fs::path& dir, std::vector<std::string>& paths) {
  // Games the cartridge runs (CHR ROM), 25 MB in all: within the 32 MB the table reaches.
  const uint8_t prgUnits[] = {1, 2, 2, 2, 4};
  const uint8_t chrUnits[] = {1, 1, 1, 2, 4};
  std::string list;
  for (int i = 0; i < 512; ++i) {
    const uint8_t prg = prgUnits[i % 5];
    const uint8_t chr = chrUnits[i % 5];
    std::vector<char> bytes = {
        0x4E, 0x45, 0x53, 0x1A, static_cast<char>(prg), static_cast<char>(chr)};
    bytes.resize(16);  // mapper 0, horizontal, nothing else
    bytes.resize(16 + prg * 0x4000u + chr * 0x2000u, static_cast<char>(i));
    const fs::path path = dir / ("game" + std::to_string(i) + ".nes");
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    list += path.string() + ",Game " + std::to_string(i) + "\r\n";
    paths.push_back(path.string());
  }
  const fs::path listPath = dir / "games.sav";
  std::ofstream(listPath, std::ios::binary) << list;
  return listPath.string();
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("romvane-bench-" + std::to_string(getpid()));
  const fs::path games = dir / "games";
  const fs::path program = dir / "program";
  fs::create_directories(games);
  fs::create_directories(program);
  for (const char* f : {"make.sh", "menu.s", "menu.cfg", "GameSub.inc", "vt03.inc"})
    fs::copy_file(fs::path(EXAMPLE_MENU_DIR) / f, program / f);
  std::vector<std::string> cat = {"cat"};
  const std::string list = MakeGames(games, cat);
  const std::string cli = common::ExecutableDirectory() + "/romvane-cli";

  // Every run starts with nothing left to write back: the hundreds of megabytes earlier
  // runs wrote would otherwise be written out while the next one is timed.
  std::vector<Times> builds, copies, exports, starts, bare;
  for (int i = 0; i < kRuns; ++i) {
    sync();
    // 512 titles and their glyph tables take the example menu past the default reserve.
    builds.push_back(
        TimedRun({cli, "build", list, "--reserve", "8000", "--dir", program.string()}));
    sync();
    copies.push_back(TimedRun(cat, (dir / "copy.bin").string()));
  }
  sync();
  for (int i = 0; i < kRuns; ++i) {
    exports.push_back(TimedRun({cli, "export", list, (dir / "games.xls").string()}));
    starts.push_back(TimedRun({cli, "--version"}));
    bare.push_back(TimedRun({"true"}));
  }
  const Times build = Median(builds), copy = Median(copies);
  const Times exportMs = Median(exports), start = Median(starts), bareStart = Median(bare);
  std::printf("512 games, %.1f MB image, median of %d runs\n",
              static_cast<double>(fs::file_size(program / "rom.bin")) / (1 << 20), kRuns);
  std::printf("%-36s %10s %10s\n", "", "wall ms", "cpu ms");
  std::printf("%-36s %10.1f %10.1f\n", "romvane-cli build (example menu)", build.wall, build.cpu);
  std::printf("%-36s %10.1f %10.1f\n", "cat of the same game files", copy.wall, copy.cpu);
  std::printf("%-36s %10.2f %10.2f\n", "build / copy", build.wall / copy.wall,
              build.cpu / copy.cpu);
  std::printf("%-36s %10.1f %10.1f\n", "romvane-cli export", exportMs.wall, exportMs.cpu);
  std::printf("%-36s %10.1f %10.1f\n", "romvane-cli --version (start alone)", start.wall,
              start.cpu);
  // How long any process takes to start here: the machine's floor under every figure above.
  std::printf("%-36s %10.1f %10.1f\n", "true (a bare process)", bareStart.wall, bareStart.cpu);
  fs::remove_all(dir);
  return 0;
}
