#include "common/cli_options.h"

#include <cstdio>

#include <algorithm>

#ifndef VT_VERSION
#define VT_VERSION "0"
#endif

namespace common::cli {
namespace {

const Option* FindLong(const CommandSpec& spec, std::string_view name) {
  for (const Option& o : spec.options) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

const Option* FindShort(const CommandSpec& spec, std::string_view word) {
  if (word.size() != 2 || word[0] != '-') return nullptr;
  for (const Option& o : spec.options) {
    if (o.shortFlag != 0 && o.shortFlag == word[1]) return &o;
  }
  return nullptr;
}

// The word a user writes for the option in the synopsis: the short form where there is one.
std::string Spelling(const Option& o) {
  return o.shortFlag != 0 ? std::string{'-', o.shortFlag} : std::string(o.name);
}

std::string OptionColumn(const Option& o) {
  std::string text =
      o.shortFlag != 0 ? std::string{' ', ' ', '-', o.shortFlag, ',', ' '} : std::string(6, ' ');
  text += o.name;
  if (!o.value.empty()) text += " " + std::string(o.value);
  return text;
}

// Fills lines up to 79 columns; continuation lines start with `indent` spaces.
std::string Wrap(std::string_view text, size_t firstColumn, size_t indent) {
  std::string out;
  size_t column = firstColumn;
  bool lineStart = true;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(at, end - at);
    if (!lineStart && column + 1 + word.size() > 79) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      lineStart = true;
    }
    if (!lineStart) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineStart = false;
    at = end + 1;
  }
  return out;
}

}  // namespace

std::string ParsedCommand::Get(std::string_view name) const {
  if (auto found = values.find(name); found != values.end()) return found->second;
  if (spec) {
    if (const Option* o = FindLong(*spec, name)) return std::string(o->fallback);
  }
  return {};
}

bool IsHelp(std::string_view word) {
  return word == "-h" || word == "--help";
}

bool IsVersion(std::string_view word) {
  return word == "--version";
}

ParsedCommand ParseCommand(const CommandSpec& spec, std::span<const std::string> words) {
  ParsedCommand parsed;
  parsed.spec = &spec;
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      parsed.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (IsHelp(word)) {
      parsed.help = true;
      continue;
    }
    const size_t equals = word.find('=');
    const bool inlineValue = word.starts_with("--") && equals != std::string::npos;
    const std::string name = inlineValue ? word.substr(0, equals) : word;
    const Option* option = FindShort(spec, name);
    if (!option) option = FindLong(spec, name);
    if (!option) {
      parsed.error = "unknown option " + name;
      return parsed;
    }
    if (option->value.empty()) {
      if (inlineValue) {
        parsed.error = "option " + name + " takes no value";
        return parsed;
      }
      parsed.values[std::string(option->name)] = "1";
    } else if (inlineValue) {
      parsed.values[std::string(option->name)] = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      parsed.values[std::string(option->name)] = words[++i];
    } else {
      parsed.error = "option " + name + " needs a value";
      return parsed;
    }
  }
  return parsed;
}

std::string Synopsis(std::string_view program, const CommandSpec& spec) {
  std::string text(program);
  if (!spec.name.empty()) text += " " + std::string(spec.name);
  if (!spec.operands.empty()) text += " " + std::string(spec.operands);
  for (const Option& o : spec.options) {
    std::string word = Spelling(o);
    if (!o.value.empty()) word += " " + std::string(o.value);
    text += o.required ? " " + word : " [" + word + "]";
  }
  return text;
}

std::string UsageLine(std::string_view program, const CommandSpec& spec) {
  return "usage: " + Synopsis(program, spec) + "\n";
}

std::string CommandHelp(std::string_view program, const CommandSpec& spec) {
  std::string text = UsageLine(program, spec);
  if (!spec.summary.empty()) text += "\n" + Wrap(spec.summary, 0, 0) + "\n";
  text += "\noptions:\n";
  size_t width = std::string_view("  -h, --help").size();
  for (const Option& o : spec.options) width = std::max(width, OptionColumn(o).size());
  auto line = [&](std::string column, std::string_view help, std::string_view fallback) {
    column.resize(width + 2, ' ');
    std::string line(help);
    if (!fallback.empty()) line += " (default: " + std::string(fallback) + ")";
    text += column + Wrap(line, column.size(), column.size()) + "\n";
  };
  for (const Option& o : spec.options) line(OptionColumn(o), o.help, o.fallback);
  line("  -h, --help", "show this help and exit", {});
  return text;
}

std::string_view ProjectVersion() {
  return VT_VERSION;
}

int WrongUsage(std::string_view program, const ParsedCommand& args) {
  if (!args.error.empty()) {
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(program.size()), program.data(),
                 args.error.c_str());
  }
  if (args.spec) std::fputs(UsageLine(program, *args.spec).c_str(), stderr);
  return kExitUsage;
}

}  // namespace common::cli
