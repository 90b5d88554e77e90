// tilvex-cli: the command-line twin of Tilvex, for scripts and builds.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "image/colour_tables.h"

namespace {

namespace cli = common::cli;
using tilvex::cli::Commands;

constexpr const char* kProgram = "tilvex-cli";

std::string ProgramUsage() {
  return cli::ProgramUsage(kProgram, Commands());
}

int ProgramHelp() {
  std::fputs(ProgramUsage().c_str(), stdout);
  std::printf(
      "\nConverts pictures into VT03 tile graphics: palettes, PGT tiles, PNT name tables.\n\n"
      "options:\n"
      "  -h, --help     show this help and exit; COMMAND --help shows a command's options\n"
      "  --version      show the version and the data folder, and exit\n");
  return cli::kExitOk;
}

int Version() {
  const std::string version(cli::ProjectVersion());
  std::printf("%s %s\ndata files: %s\n", kProgram, version.c_str(),
              tilvex::DataDirectory().c_str());
  return cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (words.empty()) {
    std::fputs(ProgramUsage().c_str(), stderr);
    return cli::kExitUsage;
  }
  if (cli::IsHelp(words[0]) || words[0] == "help") return ProgramHelp();
  if (cli::IsVersion(words[0]) && words.size() == 1) return Version();
  return cli::RunCommand(kProgram, Commands(), std::span(words));
}
