// tilvex-cli commands over projects: show a project's tree, write its output, run a batch.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/convert_commands.h"
#include "image/colour.h"
#include "image/colour_tables.h"
#include "project/batch_export.h"
#include "project/prg_file.h"
#include "project/project_output.h"

namespace tilvex::cli {
namespace {

const char* KindName(const ProjectTree& tree, ProjectTree::NodeId id) {
  if (id == tree.Root()) return "project";
  switch (tree.Kind(id)) {
    case kKindSection:
      return "section";
    case kKindGroup:
      return "group";
    case kKindItem:
      return "item";
    case kKindSubBlock:
      return "sub-block";
    default:
      return "node";
  }
}

int ReadProject(const std::string& path, ProjectTree& tree) {
  if (Result r = ReadProjectFile(path, tree); !r) return Fail(r.Text());
  return 0;
}

int ShowProject(const std::string& path) {
  ProjectTree tree;
  if (int failed = ReadProject(path, tree)) return failed;
  for (const ProjectTree::Visit& v : tree.PreOrder()) {
    std::string line(2 * v.depth, ' ');
    line += KindName(tree, v.id);
    line += " ";
    line += tree.Node(v.id).label;
    if (const ProjectNode* r = tree.Record(v.id)) {
      if (!r->path.empty()) line += "  " + r->path;
      if (r->kind == kKindSubBlock) {
        line += "  " + std::to_string(r->subX) + "," + std::to_string(r->subY) + " " +
                std::to_string(r->subWidth) + "x" + std::to_string(r->subHeight);
      }
    }
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

int WriteProjectOutput(const std::string& path) {
  ProjectTree tree;
  if (int failed = ReadProject(path, tree)) return failed;
  std::vector<std::string> messages;
  const Result written = OutputProject(tree, ProjectFolder(path), messages);
  for (const std::string& m : messages) std::fprintf(stderr, "tilvex-cli: %s\n", m.c_str());
  if (!written) return Fail(written.Text());
  return messages.empty() ? 0 : 1;
}

}  // namespace

int RunProject(const Arguments& args) {
  const std::vector<std::string>& words = args.operands;
  if (words.size() != 2) return Usage("project");
  if (words[0] == "show") return ShowProject(words[1]);
  if (words[0] == "output") return WriteProjectOutput(words[1]);
  return Usage("project");
}

int RunBatchCommand(const Arguments& args) {
  uint8_t space = 0;
  if (args.operands.size() != 1 || !ParseSpace(args.Get("--space"), space)) return Usage("batch");
  const std::string& listPath = args.operands[0];
  ReduceOptions reduce;
  if (std::optional<int> refused = ReduceFromOptions(args, "batch", reduce)) return *refused;

  std::vector<std::string> pictures;
  if (Result r = ReadPictureList(listPath, pictures); !r) return Fail(r.Text());
  auto tables = std::make_shared<ColourTables>();
  if (Result r = LoadColourTablesFor(ColourSpaceOf(space), *tables); !r) return Fail(r.Text());
  std::vector<std::string> messages;
  int done = 0;
  const Result ran =
      RunBatch(pictures, ".", BatchFrameConverter(tables, ".", space, reduce), messages, [&] {
        std::fprintf(stderr, "\r%d/%zu", ++done, pictures.size());
        return true;
      });
  if (!pictures.empty()) std::fputc('\n', stderr);
  for (const std::string& m : messages) std::fprintf(stderr, "tilvex-cli: %s\n", m.c_str());
  if (!ran) return Fail(ran.Text());
  return messages.empty() ? 0 : 1;
}

}  // namespace tilvex::cli
