#pragma once
// A small project in the window's tree for the project tests, and mouse clicks on its lines.
#include "project_view.h"
#include "test_pictures.h"

namespace tilvex::ui::testing {

// Root, section Extra, section Title, group Screens, items stage and logo.
struct SmallTree {
  int root, extra, title, screens, stage, logo;
};

// New Project "small.prg" (written with the root only), then the nodes, all unfolded and not
// yet saved.
inline SmallTree MakeSmallTree(WindowFixture& f) {
  f.prompts.files.push_back(f.Path("small.prg"));
  f.window->Actions().newProject->trigger();
  ProjectSession& project = f.window->Project();
  SmallTree s{};
  s.root = project.Tree().Root();
  project.Add(s.root, SectionRecord("Title", true), &s.title);
  project.Add(s.title, GroupRecord("Screens"), &s.screens);
  project.Add(s.screens, ItemRecord("logo", "logo.pic"), &s.logo);
  project.Add(s.screens, ItemRecord("stage", "stage.pic"), &s.stage);
  project.Add(s.root, SectionRecord("Extra", true), &s.extra);
  f.window->Tree()->expandAll();
  return s;
}

inline void ClickLine(ProjectView* tree, ProjectTree::NodeId id) {
  const QPoint at = tree->visualRect(tree->IndexOf(id)).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace tilvex::ui::testing
