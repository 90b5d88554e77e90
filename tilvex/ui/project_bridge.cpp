#include "project_bridge.h"

#include <memory>

#include "common/translate.h"
#include "image/colour.h"
#include "image/colour_tables.h"
#include "project/batch_export.h"
#include "project/prg_file.h"
#include "project/project_output.h"

namespace tilvex::ui {
namespace {

Outcome From(const Result& r) {
  if (r) return {};
  return {false, r.Text()};
}

}  // namespace

ProjectBridge::ProjectBridge() {
  tree_.CreateRoot(kUntitled);
}

Outcome ProjectBridge::Load(const std::string& path) {
  ProjectTree read;
  if (Result r = ReadProjectFile(path, read); !r) return From(r);
  if (read.Root() == ProjectTree::kNoNode) return {false, common::Tr("PRG文件错误!")};
  tree_ = std::move(read);
  path_ = path;
  tree_.SetRootLabel(path_);
  modified_ = false;
  return {};
}

Outcome ProjectBridge::SaveAs(const std::string& path) {
  if (tree_.Root() == ProjectTree::kNoNode) tree_.CreateRoot(path);
  const std::string old = tree_.Node(tree_.Root()).label;
  tree_.SetRootLabel(path);
  if (Result r = WriteProjectFile(tree_, path); !r) {
    tree_.SetRootLabel(old);
    return From(r);
  }
  path_ = path;
  modified_ = false;
  return {};
}

Outcome ProjectBridge::Create(const std::string& path) {
  tree_.Clear();
  tree_.CreateRoot(path);
  return SaveAs(path);
}

void ProjectBridge::Clear() {
  tree_.Clear();
  path_ = kUntitled;
  modified_ = false;
}

Outcome ProjectBridge::Output(std::vector<std::string>& messages) {
  if (Outcome saved = SaveAs(path_); !saved.ok) return saved;
  if (Outcome read = Load(path_); !read.ok) return read;
  return From(OutputProject(tree_, ProjectFolder(path_), messages));
}

Outcome ProjectBridge::Batch(const std::vector<std::string>& pictures, const std::string& directory,
                             std::vector<std::string>& messages,
                             const std::function<bool()>& step) {
  // The window converts in the HSL space, the default of the command line's batch too.
  const uint8_t space = 0;
  auto tables = std::make_shared<ColourTables>();
  if (ColourSpaceOf(space) != ColourSpace::kRgb4K) {
    if (Result r = LoadColourTables(*tables); !r) return From(r);
  }
  return From(
      RunBatch(pictures, directory, BatchFrameConverter(tables, directory, space), messages, step));
}

Outcome ProjectBridge::ReadList(const std::string& path, std::vector<std::string>& pictures) {
  return From(ReadPictureList(path, pictures));
}

}  // namespace tilvex::ui
