#include "cli/commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/convert_commands.h"

namespace tilvex::cli {
namespace {

constexpr Command kCommands[] = {
    {"adapt", "PICTURE --mode hsl|rgb|nes -o OUT.bmp", RunAdapt},
    {"colours", "PICTURE", RunColours},
    {"convert", kConvertUsage, RunConvert},
    {"render", kRenderUsage, RunRender},
    {"info", kInfoUsage, RunInfo},
    {"output", kOutputUsage, RunOutput},
    {"preview", kPreviewUsage, RunPreview},
    {"palsteps", kPalStepsUsage, RunPalSteps},
    {"project", "show|output FILE.prg", RunProject},
    {"batch", "FILE.lst [--space hsl|rgb|nes]", RunBatchCommand},
};

}  // namespace

std::span<const Command> Commands() {
  return kCommands;
}

int RunWithArgv(std::string_view name, Arguments args, int (*run)(int argc, char** argv)) {
  std::vector<std::string> words{std::string(name)};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return run(static_cast<int>(words.size()), argv.data());
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "tilvex-cli: %s\n", text.c_str());
  return 1;
}

int Usage(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) {
      std::fprintf(stderr, "usage: tilvex-cli %.*s %.*s\n", static_cast<int>(name.size()),
                   name.data(), static_cast<int>(command.usage.size()), command.usage.data());
    }
  }
  return 2;
}

}  // namespace tilvex::cli
