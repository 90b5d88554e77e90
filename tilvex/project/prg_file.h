#pragma once

// The project file (.prg): "PRG2" and a zero byte, a node count byte, then every node in
// pre-order with its depth, image, label and (but for the root) its record.

#include <string>

#include "common/result.h"
#include "project/project_tree.h"

namespace tilvex {
using common::Result;

// Reads a project. On any failure the tree is left exactly as it was.
Result ReadProjectFile(const std::string& path, ProjectTree& tree);

// Writes the project, replacing the file only once it is complete.
Result WriteProjectFile(const ProjectTree& tree, const std::string& path);

// The bytes of a project file and their parse, for the reader's fuzz target and tests.
Result EncodeProject(const ProjectTree& tree, std::string& bytes);
Result DecodeProject(const std::string& bytes, ProjectTree& tree);

}  // namespace tilvex
