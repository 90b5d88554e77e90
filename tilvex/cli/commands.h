#pragma once

// The subcommands of tilvex-cli. Each lives in a file of its own and is listed once in
// the table of commands.cpp; a command gets the arguments after its name and returns the
// process exit code (0 success, 1 failure, 2 wrong usage).

#include <span>
#include <string>
#include <string_view>

namespace tilvex::cli {

using Arguments = std::span<const std::string>;

struct Command {
  std::string_view name;
  std::string_view usage;  // the arguments, as shown by "tilvex-cli help"
  int (*run)(Arguments args);
};

std::span<const Command> Commands();

// Prints an error in the program's wording to stderr; returns 1.
int Fail(const std::string& text);
// Prints "usage: tilvex-cli NAME USAGE" to stderr; returns 2.
int Usage(std::string_view name);

// Runs a command written as main-style (argc, argv), argv[0] being the command name.
int RunWithArgv(std::string_view name, Arguments args, int (*run)(int argc, char** argv));

int RunAdapt(Arguments args);
int RunColours(Arguments args);
int RunProject(Arguments args);
int RunBatchCommand(Arguments args);

}  // namespace tilvex::cli
