#include "app/project_session.h"

#include <memory>

#include "common/translate.h"
#include "image/colour.h"
#include "image/colour_tables.h"
#include "project/batch_export.h"
#include "project/prg_file.h"
#include "project/project_output.h"

namespace tilvex {

ProjectSession::ProjectSession() {
  tree_.CreateRoot(kUntitled);
}

Result ProjectSession::Load(const std::string& path) {
  ProjectTree read;
  if (Result r = ReadProjectFile(path, read); !r) return r;
  if (read.Root() == ProjectTree::kNoNode)
    return Result::Fail(common::Tr("PRG文件错误!"), "the project file holds no tree");
  tree_ = std::move(read);
  path_ = path;
  tree_.SetRootLabel(path_);
  modified_ = false;
  return Result::Ok();
}

Result ProjectSession::SaveAs(const std::string& path) {
  if (tree_.Root() == ProjectTree::kNoNode) tree_.CreateRoot(path);
  const std::string old = tree_.Node(tree_.Root()).label;
  tree_.SetRootLabel(path);
  if (Result r = WriteProjectFile(tree_, path); !r) {
    tree_.SetRootLabel(old);
    return r;
  }
  path_ = path;
  modified_ = false;
  return Result::Ok();
}

Result ProjectSession::Create(const std::string& path) {
  ProjectTree fresh;
  fresh.CreateRoot(path);
  if (Result r = WriteProjectFile(fresh, path); !r) return r;
  tree_ = std::move(fresh);
  path_ = path;
  modified_ = false;
  return Result::Ok();
}

Result ProjectSession::Output(std::vector<std::string>& messages,
                              std::vector<std::string>* fileNames) {
  if (Result saved = SaveAs(path_); !saved.ok) return saved;
  if (Result read = Load(path_); !read.ok) return read;
  return OutputProject(tree_, ProjectFolder(path_), messages, fileNames);
}

Result ProjectSession::Batch(const std::vector<std::string>& pictures, const std::string& directory,
                             std::vector<std::string>& messages,
                             const std::function<bool()>& step) {
  // The window converts in the HSL space, the default of the command line's batch too.
  const uint8_t space = 0;
  auto tables = std::make_shared<ColourTables>();
  if (ColourSpaceOf(space) != ColourSpace::kRgb4K) {
    if (Result r = LoadColourTables(*tables); !r) return r;
  }
  return RunBatch(pictures, directory, BatchFrameConverter(tables, directory, space), messages,
                  step);
}

Result ProjectSession::ReadList(const std::string& path, std::vector<std::string>& pictures) {
  return ReadPictureList(path, pictures);
}

}  // namespace tilvex
