#pragma once

// Project output: every item's block picture, read from its .pic file, goes into one shared
// tile file "VT03PGT.BIN" in 2048-byte pages, one shared interrupt table "VT03IRQ.ASM", and
// one assembler file per item with its interrupt table, name table, attributes, palette and
// a line "NAME_info" with its cells per row, cell rows, video mode byte and block mode.

#include <string>
#include <utility>
#include <vector>

#include "common/result.h"
#include "convert/block_picture.h"
#include "project/project_tree.h"

namespace tilvex {
using common::Result;

constexpr int kOutputPageBytes = 2048;
constexpr int kOutputPadding = 32768;
constexpr int kIrqLines = 16;  // the second number of every interrupt entry

struct OutputItem {
  std::string name;  // the record's name; its upper case names the labels and the file
  PicHeader header{};
  BlockData blocks;
};

struct ProjectOutputFiles {
  std::vector<uint8_t> pgt;  // "VT03PGT.BIN"
  std::string irq;           // "VT03IRQ.ASM", "\n" line ends, UTF-8
  std::vector<std::pair<std::string, std::string>> itemFiles;  // NAME.ASM and its text
  std::vector<std::string> messages;                           // items that were skipped, and why
};

// The whole output in memory. An item whose data does not hold what its header says is
// skipped with a message; the page numbers of the others run on as if it were absent.
ProjectOutputFiles MakeProjectOutput(const std::vector<OutputItem>& items);

// The file an item's assembler text goes to: its name in upper case and ".ASM".
std::string ItemFileName(const std::string& itemName);

// Checks that every item name makes a plain file name of its own: no path separator, zero
// byte or "..", and no clash with the combined files or another item. The refusal names the
// first item that fails; empty when all pass.
std::string CheckItemNames(const std::vector<std::string>& names);

// The folder of a project file: its path up to the last "/" or "\".
std::string ProjectFolder(const std::string& projectPath);

// Reads every valid item's .pic file in tree order and writes the output files into folder,
// all of them together. Items whose file cannot be read as a block picture are skipped and
// named in messages; a name CheckItemNames refuses stops the output before anything is
// written. Once all are written, fileNames (when given) holds their names in the folder.
Result OutputProject(const ProjectTree& tree, const std::string& folder,
                     std::vector<std::string>& messages,
                     std::vector<std::string>* fileNames = nullptr);

}  // namespace tilvex
