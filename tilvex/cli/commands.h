#pragma once

// The subcommands of tilvex-cli. Each is listed once, with its option table, in
// commands.cpp; a command gets its parsed words and returns the process exit code (0
// success, 1 failure, 2 wrong usage).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/cli_options.h"
#include "common/result.h"
#include "image/picture.h"

namespace tilvex::cli {

using Arguments = common::cli::ParsedCommand;

struct Command {
  common::cli::CommandSpec spec;
  int (*run)(const Arguments& args);
};

std::span<const Command> Commands();

// Prints an error in the program's wording to stderr; returns 1.
int Fail(const std::string& text);
// Prints the command's usage line to stderr; returns 2.
int Usage(std::string_view name);
// A wrong option value: "tilvex-cli: TEXT", then the command's usage; returns 2.
int BadValue(std::string_view name, const std::string& text);

// Decodes a picture; a failure the decoders leave without a message of their own says
// "无法打开图像文件 PATH" with the reason, as the window does.
common::Result LoadPicture(const std::string& path, Picture& picture);

// "hsl", "rgb" or "nes" as the header's colour space 0, 1 or 2.
bool ParseSpace(const std::string& text, uint8_t& space);

int RunAdapt(const Arguments& args);
int RunColours(const Arguments& args);
int RunProject(const Arguments& args);
int RunBatchCommand(const Arguments& args);

}  // namespace tilvex::cli
