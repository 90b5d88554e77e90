#pragma once
// What the fields of the node dialogs must hold for the project file and its output to take
// them. Each check returns the refusal, naming the problem, or an empty text when the value
// is fine; the dialogs show it when OK is pressed and stay open.
#include <cstdint>
#include <string>

namespace tilvex {

// Every node's name is shown in the tree and stored in the project file as GBK text: it is
// not blank, holds no "/" or "\" (a name, not a path) and no character GBK lacks. An item's
// name also makes the assembler labels ("NAME_irq:" ...) and the file name of its output: no
// space or tab, and a file name of its own beside the shared output files.
std::string NodeNameProblem(uint8_t kind, const std::string& name);

// An item stands for one .pic file: its path is not blank and is GBK text.
std::string ItemPathProblem(const std::string& path);

// The project file holds a sub block's Y, width and height in one byte each.
std::string SubBlockSizeProblem(uint32_t y, uint32_t width, uint32_t height);

}  // namespace tilvex
