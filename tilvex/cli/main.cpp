// tilvex-cli: the command-line twin of Tilvex, for scripts and builds.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

int PrintHelp(FILE* out) {
  std::fprintf(out, "usage: tilvex-cli COMMAND ARGUMENTS\n\ncommands:\n");
  for (const tilvex::cli::Command& command : tilvex::cli::Commands()) {
    std::fprintf(out, "  %.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(command.usage.size()), command.usage.data());
  }
  return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) return PrintHelp(stderr);
  if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") return PrintHelp(stdout);
  for (const tilvex::cli::Command& command : tilvex::cli::Commands()) {
    if (command.name == args[0]) return command.run(tilvex::cli::Arguments(args).subspan(1));
  }
  std::fprintf(stderr, "tilvex-cli: unknown command \"%s\"\n", args[0].c_str());
  return PrintHelp(stderr);
}
