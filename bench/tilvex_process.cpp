// Runs `tilvex-cli convert` as a child process, several times over, and prints the median
// time and peak memory of each case with their ratios:
//   - a 256 x 240 screen of 16 colours from PNG against the same picture from BMP;
//   - a 2048 x 2048 picture from PNG against BMP (peak memory above all);
//   - with --baseline OLD/tilvex-cli, the BMP cases of an older build against this one;
//   - a 256 x 240 screen of 4 colours from PNG against bench_convert_floor, which only
//     decodes the PNG and writes as many bytes the way tilvex-cli writes (goal 1.6).
// Usage: bench_tilvex_process [--runs N] [--cli PATH] [--baseline PATH] [--floor PATH]
#include <fcntl.h>
#include <spawn.h>
#include <spng.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "image/picture_bmp.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
  double ms = 0;
  double cpuMs = 0;  // user and system time: steadier than wall time on a busy machine
  double peakMiB = 0;
};

// A picture of 16 colours with a different pattern in every 8 x 8 tile of a square of
// `period` pixels, repeated over the whole picture (so a large one still fits the 16 tile
// banks).
tilvex::Picture MakePicture(int32_t width, int32_t height, int32_t period, unsigned colours = 16) {
  std::mt19937 random(7);
  std::vector<uint8_t> square(256 * 256);
  for (uint8_t& index : square) index = static_cast<uint8_t>(random() % colours);
  tilvex::Picture picture{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const unsigned i = square[(y % period) * 256 + x % period];
      picture.Set(x, y, tilvex::MakeRgb(i * 16, 255 - i * 12, (i * 53) & 0xFF));
    }
  }
  return picture;
}

std::vector<uint8_t> PngBytes(const tilvex::Picture& picture) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{};
  ihdr.width = static_cast<uint32_t>(picture.width);
  ihdr.height = static_cast<uint32_t>(picture.height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  spng_set_ihdr(ctx, &ihdr);
  std::vector<uint8_t> bytes;
  if (spng_encode_image(ctx, picture.pixels.data(), picture.pixels.size(), SPNG_FMT_PNG,
                        SPNG_ENCODE_FINALIZE) == 0) {
    size_t length = 0;
    int error = 0;
    auto* buffer = static_cast<uint8_t*>(spng_get_png_buffer(ctx, &length, &error));
    if (buffer) bytes.assign(buffer, buffer + length);
    std::free(buffer);
  }
  spng_ctx_free(ctx);
  return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// One run of a program, its output thrown away.
Run RunProgram(std::vector<std::string> args) {
  const std::string program = args[0];
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t child = 0;
  Run run;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.peakMiB = usage.ru_maxrss / 1024.0;
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "%s %s failed\n", program.c_str(), args[1].c_str());
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// One run of `cli convert input -o output`, or of the floor program when `floorBytes` is set.
Run RunOnce(const std::string& cli, const std::string& input, const std::string& output,
            size_t floorBytes = 0) {
  if (floorBytes) return RunProgram({cli, input, output, std::to_string(floorBytes)});
  return RunProgram({cli, "convert", input, "-o", output});
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

struct Case {
  const char* name;
  std::string cli;
  std::string input;
  size_t floorBytes = 0;  // set for the floor program: the bytes it writes
  std::vector<double> ms = {}, cpuMs = {}, peakMiB = {};
};

// Runs the cases in turn, round after round, so that a busy moment of the machine falls on
// all of them alike.
void RunRounds(std::vector<Case*> cases, int runs, const std::string& output) {
  for (Case* c : cases) RunOnce(c->cli, c->input, output, c->floorBytes);  // warm the cache
  for (int round = 0; round < runs; ++round) {
    for (Case* c : cases) {
      const Run run = RunOnce(c->cli, c->input, output, c->floorBytes);
      c->ms.push_back(run.ms);
      c->cpuMs.push_back(run.cpuMs);
      c->peakMiB.push_back(run.peakMiB);
    }
  }
}

void Print(const Case& c) {
  std::printf("  %-34s %8.2f ms %8.2f ms CPU %8.1f MiB\n", c.name, Median(c.ms), Median(c.cpuMs),
              Median(c.peakMiB));
}

void PrintRatio(const char* what, const Case& a, const Case& b) {
  std::printf("  %-34s time %.2f x, CPU time %.2f x, peak memory %.2f x\n", what,
              Median(a.ms) / Median(b.ms), Median(a.cpuMs) / Median(b.cpuMs),
              Median(a.peakMiB) / Median(b.peakMiB));
}

void WritePictures(const std::string& dir) {
  for (int side : {256, 2048}) {
    const tilvex::Picture picture =
        MakePicture(side, side == 256 ? 240 : side, side == 256 ? 256 : 64);
    const std::string stem = dir + "/" + std::to_string(side);
    WriteFile(stem + ".png", PngBytes(picture));
    WriteFile(stem + ".bmp", tilvex::BmpFileBytes(picture));
  }
  WriteFile(dir + "/256-4.png", PngBytes(MakePicture(256, 240, 256, 4)));
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 11;
  std::string cli = common::ExecutableDirectory() + "/tilvex-cli", baseline;
  std::string floor = common::ExecutableDirectory() + "/bench_convert_floor";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--cli")) cli = argv[i + 1];
    if (!std::strcmp(argv[i], "--baseline")) baseline = argv[i + 1];
    if (!std::strcmp(argv[i], "--floor")) floor = argv[i + 1];
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_tilvex_process";
  std::filesystem::create_directories(dir);
  const std::string out = (dir / "out.pic").string();
  // The pictures are made in a child process: a child's peak memory counts the pages of
  // the process that spawned it, which must therefore stay small.
  const pid_t maker = fork();
  if (maker == 0) {
    WritePictures(dir.string());
    _exit(0);
  }
  waitpid(maker, nullptr, 0);
  const std::string small = (dir / "256").string(), large = (dir / "2048").string();

  Case smallPng{"256 x 240 from PNG", cli, small + ".png"};
  Case smallBmp{"256 x 240 from BMP", cli, small + ".bmp"};
  Case smallOld{"256 x 240 from BMP, baseline", baseline, small + ".bmp"};
  Case largePng{"2048 x 2048 from PNG", cli, large + ".png"};
  Case largeBmp{"2048 x 2048 from BMP", cli, large + ".bmp"};
  Case largeOld{"2048 x 2048 from BMP, baseline", baseline, large + ".bmp"};
  std::vector<Case*> smallCases = {&smallPng, &smallBmp}, largeCases = {&largePng, &largeBmp};
  if (!baseline.empty()) {
    smallCases.push_back(&smallOld);
    largeCases.push_back(&largeOld);
  }
  // The floor writes as many bytes as tilvex-cli does for the same picture.
  const std::string fourColours = (dir / "256-4.png").string();
  RunOnce(cli, fourColours, out);
  std::error_code error;
  const size_t outBytes = std::filesystem::file_size(out, error);
  Case fourPng{"256 x 240, 4 colours, from PNG", cli, fourColours};
  Case fourFloor{"256 x 240, 4 colours, floor", floor, fourColours, error ? 1 : outBytes};
  RunRounds({&fourPng, &fourFloor}, 3 * runs, out);
  RunRounds(smallCases, runs, out);
  RunRounds(largeCases, std::max(1, runs / 3), out);

  std::printf("tilvex-cli convert, medians of %d runs (2048 x 2048: %d):\n", runs,
              std::max(1, runs / 3));
  Print(fourPng);
  Print(fourFloor);
  for (const Case* c : smallCases) Print(*c);
  for (const Case* c : largeCases) Print(*c);
  std::printf("ratios:\n");
  PrintRatio("256 x 240 4 colours, this / floor (goal 1.6)", fourPng, fourFloor);
  PrintRatio("256 x 240, PNG / BMP (goal 1.25)", smallPng, smallBmp);
  PrintRatio("2048 x 2048, PNG / BMP (goal 1.2)", largePng, largeBmp);
  if (!baseline.empty()) {
    PrintRatio("256 x 240 BMP, baseline / this", smallOld, smallBmp);
    PrintRatio("2048 x 2048 BMP, baseline / this", largeOld, largeBmp);
  }
  if (!std::getenv("BENCH_KEEP")) std::filesystem::remove_all(dir);
  return 0;
}
