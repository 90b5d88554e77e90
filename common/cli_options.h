#pragma once

// Command lines of the toolkit's programs: each command declares its options once in a
// table, and parsing, the usage line and the help text all come from that table.

#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace common::cli {

// Exit statuses shared by both command-line programs.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Option {
  std::string_view name;      // the long form, "--reserve"
  char shortFlag = 0;         // 'o' for "-o"; 0 for none
  std::string_view value;     // the value's placeholder, "HEX"; empty for a flag
  std::string_view help;      // one line for the help text
  std::string_view fallback;  // the value used when the option is absent, shown in the help
  bool required = false;      // shown without brackets; the command checks its presence
};

struct CommandSpec {
  std::string_view name;      // "build"; empty for a program without commands
  std::string_view operands;  // "LIST.sav", shown before the options
  std::string_view summary;   // one sentence for the help text
  std::span<const Option> options;
};

struct ParsedCommand {
  std::vector<std::string> operands;
  std::map<std::string, std::string, std::less<>> values;  // given options by long name
  bool help = false;                                       // -h or --help was given
  std::string error;  // an unknown option or a missing value, in the program's words

  bool Has(std::string_view name) const { return values.find(name) != values.end(); }
  // The given value, else the table's fallback.
  std::string Get(std::string_view name) const;

  const CommandSpec* spec = nullptr;
};

// Splits the words after the command name: options from the table (long form, short form,
// "--name=value"), "-h"/"--help", and operands; "--" ends the options.
ParsedCommand ParseCommand(const CommandSpec& spec, std::span<const std::string> words);

// "PROGRAM NAME OPERANDS [--opt VALUE] ...", the synopsis of one command.
std::string Synopsis(std::string_view program, const CommandSpec& spec);
// "usage: " and the synopsis, with a line end.
std::string UsageLine(std::string_view program, const CommandSpec& spec);
// The usage line, the summary and one line per option with its default.
std::string CommandHelp(std::string_view program, const CommandSpec& spec);

// "usage: " and one synopsis a line for every command of a program; `commands` are
// records with a `spec` member.
template <typename CommandList>
std::string ProgramUsage(std::string_view program, const CommandList& commands) {
  std::string text;
  for (const auto& command : commands) {
    text += (text.empty() ? "usage: " : "       ") + Synopsis(program, command.spec) + "\n";
  }
  return text;
}

// Prints a parse error ("PROGRAM: error") and the command's usage line on standard error.
int WrongUsage(std::string_view program, const ParsedCommand& args);

// Runs the command that words[0] names from `commands` (records with `spec` and
// `run(const ParsedCommand&)`): its help on standard output, its usage for options it does
// not take, else its run. An unknown name gets the program's usage.
template <typename CommandList>
int RunCommand(std::string_view program, const CommandList& commands,
               std::span<const std::string> words) {
  for (const auto& command : commands) {
    if (command.spec.name != words[0]) continue;
    const ParsedCommand args = ParseCommand(command.spec, words.subspan(1));
    if (args.help) {
      std::fputs(CommandHelp(program, command.spec).c_str(), stdout);
      return kExitOk;
    }
    if (!args.error.empty()) return WrongUsage(program, args);
    return command.run(args);
  }
  std::fprintf(stderr, "%.*s: unknown command \"%s\"\n", static_cast<int>(program.size()),
               program.data(), words[0].c_str());
  std::fputs(ProgramUsage(program, commands).c_str(), stderr);
  return kExitUsage;
}

// The project version set in the build.
std::string_view ProjectVersion();

// The standard options every program takes as well as its own.
bool IsHelp(std::string_view word);
bool IsVersion(std::string_view word);

}  // namespace common::cli
