// The project session: every edit through it, what it marks modified and what it tells the
// view; saving, loading and the output from the tree as it stands.
#include "app/project_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "project/prg_file.h"
#include "project/project_output.h"

namespace tilvex {
namespace {

using NodeId = ProjectTree::NodeId;

// Writes down what the session tells, one line a note.
class Notes : public ProjectObserver {
 public:
  std::vector<std::string> lines;
  void BeforeInsert(NodeId parent, int row) override { Say("insert", parent, row); }
  void AfterInsert() override { lines.push_back("inserted"); }
  void BeforeRemove(NodeId parent, int row) override { Say("remove", parent, row); }
  void AfterRemove() override { lines.push_back("removed"); }
  void BeforeMove(NodeId from, int fromRow, NodeId to, int destination) override {
    lines.push_back("move " + std::to_string(from) + ":" + std::to_string(fromRow) + " to " +
                    std::to_string(to) + ":" + std::to_string(destination));
  }
  void AfterMove() override { lines.push_back("moved"); }
  void Changed(NodeId id) override { Say("changed", id, -1); }
  void BeforeReset() override { lines.push_back("reset"); }
  void AfterReset() override { lines.push_back("was reset"); }

 private:
  void Say(const char* what, NodeId id, int row) {
    lines.push_back(std::string(what) + " " + std::to_string(id) +
                    (row >= 0 ? ":" + std::to_string(row) : ""));
  }
};

std::string Temp(const std::string& name) {
  return ::testing::TempDir() + "/session_" + name;
}

std::vector<NodeId> ChildrenOf(const ProjectSession& s, NodeId id) {
  return s.Tree().Node(id).children;
}

// Root, sections Extra and Title, group Screens under Title, items stage and logo.
struct Small {
  NodeId root, title, screens, logo, stage, extra;
};

Small Build(ProjectSession& s) {
  Small n{};
  n.root = s.Tree().Root();
  EXPECT_TRUE(s.Add(n.root, SectionRecord("Title", true), &n.title));
  EXPECT_TRUE(s.Add(n.title, GroupRecord("Screens"), &n.screens));
  EXPECT_TRUE(s.Add(n.screens, ItemRecord("logo", "logo.pic"), &n.logo));
  EXPECT_TRUE(s.Add(n.screens, ItemRecord("stage", "stage.pic"), &n.stage));
  EXPECT_TRUE(s.Add(n.root, SectionRecord("Extra", false), &n.extra));
  return n;
}

// A fresh session, saved at once so that it starts unmodified.
struct Saved {
  ProjectSession session;
  Notes notes;
  Small n;
  explicit Saved(const std::string& name) {
    n = Build(session);
    EXPECT_TRUE(session.SaveAs(Temp(name)));
    session.SetObserver(&notes);
  }
};

TEST(ProjectSession, AddsMarkTheProjectAndSayWhereTheNodeArrives) {
  ProjectSession s;
  Notes notes;
  s.SetObserver(&notes);
  EXPECT_FALSE(s.IsModified());
  NodeId title = ProjectTree::kNoNode;
  ASSERT_TRUE(s.Add(s.Tree().Root(), SectionRecord("Title", true), &title));
  EXPECT_TRUE(s.IsModified());
  EXPECT_EQ(notes.lines, (std::vector<std::string>{"insert 0:0", "inserted"}));
  EXPECT_EQ(s.Tree().Node(title).label, "Title");

  // A kind that does not belong under the node is refused without a note or a mark.
  ASSERT_TRUE(s.SaveAs(Temp("add.prg")));
  notes.lines.clear();
  EXPECT_FALSE(s.Add(title, SubBlockRecord("Corner", 0, 0, 8, 8)));
  EXPECT_FALSE(s.Add(s.Tree().Root(), GroupRecord("Loose")));
  EXPECT_FALSE(s.IsModified());
  EXPECT_TRUE(notes.lines.empty());
}

TEST(ProjectSession, AFullProjectRefusesTheNextNodeUntouched) {
  ProjectSession s;
  for (int i = 1; i < ProjectTree::kMaxNodes; ++i)
    ASSERT_TRUE(s.Add(s.Tree().Root(), SectionRecord("S" + std::to_string(i), false)));
  ASSERT_TRUE(s.SaveAs(Temp("full.prg")));
  Notes notes;
  s.SetObserver(&notes);
  const Result refused = s.Add(s.Tree().Root(), SectionRecord("one more", false));
  EXPECT_FALSE(refused);
  EXPECT_FALSE(refused.message.empty());
  EXPECT_FALSE(s.IsModified());
  EXPECT_TRUE(notes.lines.empty());
}

TEST(ProjectSession, EditsRewriteTheRecordAndTellWhichNode) {
  Saved t("edit.prg");
  ProjectNode record = ItemRecord("title screen", "title.pic");
  record.kind = kKindGroup;  // the kind stays what it was
  ASSERT_TRUE(t.session.Edit(t.n.logo, record));
  EXPECT_TRUE(t.session.IsModified());
  EXPECT_EQ(t.notes.lines, std::vector<std::string>{"changed " + std::to_string(t.n.logo)});
  EXPECT_EQ(t.session.Tree().Kind(t.n.logo), kKindItem);
  EXPECT_EQ(t.session.Tree().Record(t.n.logo)->path, "title.pic");
  EXPECT_EQ(t.session.Tree().Node(t.n.logo).label, "title screen");

  ASSERT_TRUE(t.session.SaveAs(t.session.Path()));
  t.notes.lines.clear();
  EXPECT_FALSE(t.session.Edit(t.n.root, GroupRecord("root")));
  EXPECT_FALSE(t.session.IsModified());
  EXPECT_TRUE(t.notes.lines.empty());
}

TEST(ProjectSession, DeleteTakesTheSubtreeButNeverTheRoot) {
  Saved t("delete.prg");
  EXPECT_FALSE(t.session.Delete(t.n.root));
  EXPECT_FALSE(t.session.Delete(ProjectTree::kNoNode));
  EXPECT_FALSE(t.session.IsModified());
  EXPECT_TRUE(t.notes.lines.empty());

  // Title is the root's second child, after Extra.
  ASSERT_TRUE(t.session.Delete(t.n.title));
  EXPECT_TRUE(t.session.IsModified());
  EXPECT_EQ(t.notes.lines, (std::vector<std::string>{"remove 0:1", "removed"}));
  EXPECT_EQ(t.session.Tree().NodeCount(), 2);
  EXPECT_FALSE(t.session.Tree().IsAlive(t.n.logo));
  // Ids of the nodes that stay do not change.
  EXPECT_EQ(ChildrenOf(t.session, t.n.root), std::vector<NodeId>{t.n.extra});
}

// The destination row counts the moving node still in its old place, as Qt's views do: one
// step down is two rows on.
TEST(ProjectSession, MovesUpAndDownTellTheRowsAsViewsCountThem) {
  Saved t("move.prg");
  const std::string screens = std::to_string(t.n.screens);
  EXPECT_FALSE(t.session.MoveUp(t.n.stage));   // already first
  EXPECT_FALSE(t.session.MoveDown(t.n.logo));  // already last
  EXPECT_FALSE(t.session.MoveUp(t.n.root));
  EXPECT_FALSE(t.session.IsModified());

  ASSERT_TRUE(t.session.MoveDown(t.n.stage));
  EXPECT_TRUE(t.session.IsModified());
  EXPECT_EQ(ChildrenOf(t.session, t.n.screens), (std::vector<NodeId>{t.n.logo, t.n.stage}));
  ASSERT_TRUE(t.session.MoveUp(t.n.stage));
  EXPECT_EQ(ChildrenOf(t.session, t.n.screens), (std::vector<NodeId>{t.n.stage, t.n.logo}));
  EXPECT_EQ(t.notes.lines,
            (std::vector<std::string>{"move " + screens + ":0 to " + screens + ":2", "moved",
                                      "move " + screens + ":1 to " + screens + ":0", "moved"}));
}

TEST(ProjectSession, DropsFollowTheRulesAndAPutBackIsNoEdit) {
  Saved t("drop.prg");
  auto& s = t.session;
  EXPECT_EQ(s.Drop(t.n.stage, t.n.extra), DropAction::kRefuse);  // an item onto a section
  EXPECT_EQ(s.Drop(t.n.title, t.n.logo), DropAction::kRefuse);   // into its own subtree
  EXPECT_EQ(s.Drop(t.n.logo, t.n.root), DropAction::kRefuse);
  EXPECT_EQ(s.Drop(t.n.stage, t.n.stage), DropAction::kRefuse);
  // logo already stands right after stage: dropped there, it stays and nothing changed.
  EXPECT_EQ(s.Drop(t.n.logo, t.n.stage), DropAction::kAfter);
  EXPECT_FALSE(s.IsModified());
  EXPECT_TRUE(t.notes.lines.empty());

  // An item dropped on the item before it lands after it: one row on.
  EXPECT_EQ(s.Drop(t.n.stage, t.n.logo), DropAction::kAfter);
  EXPECT_TRUE(s.IsModified());
  EXPECT_EQ(ChildrenOf(s, t.n.screens), (std::vector<NodeId>{t.n.logo, t.n.stage}));
  // A group onto another section: its first child.
  EXPECT_EQ(s.Drop(t.n.screens, t.n.extra), DropAction::kFirstChild);
  EXPECT_EQ(ChildrenOf(s, t.n.extra), std::vector<NodeId>{t.n.screens});
  EXPECT_TRUE(ChildrenOf(s, t.n.title).empty());
  // A section onto the section before it: after it, under the root.
  EXPECT_EQ(s.Drop(t.n.extra, t.n.title), DropAction::kAfter);
  EXPECT_EQ(ChildrenOf(s, t.n.root), (std::vector<NodeId>{t.n.title, t.n.extra}));
  const std::string screens = std::to_string(t.n.screens);
  EXPECT_EQ(t.notes.lines,
            (std::vector<std::string>{
                "move " + screens + ":0 to " + screens + ":2", "moved",
                "move " + std::to_string(t.n.title) + ":0 to " + std::to_string(t.n.extra) + ":0",
                "moved", "move 0:0 to 0:2", "moved"}));

  // A drop on a sub block does nothing, silently.
  NodeId corner = ProjectTree::kNoNode;
  ASSERT_TRUE(s.Add(t.n.logo, SubBlockRecord("Corner", 0, 0, 8, 8), &corner));
  ASSERT_TRUE(s.SaveAs(s.Path()));
  EXPECT_EQ(s.Drop(t.n.stage, corner), DropAction::kIgnore);
  EXPECT_FALSE(s.IsModified());
}

TEST(ProjectSession, SavingClearsTheMarkAndRenamesTheRoot) {
  ProjectSession s;
  Notes notes;
  s.SetObserver(&notes);
  Build(s);
  notes.lines.clear();
  const std::string path = Temp("save.prg");
  ASSERT_TRUE(s.SaveAs(path));
  EXPECT_FALSE(s.IsModified());
  EXPECT_EQ(s.Path(), path);
  EXPECT_EQ(s.Tree().Node(s.Tree().Root()).label, path);
  EXPECT_EQ(notes.lines, std::vector<std::string>{"changed 0"});
  notes.lines.clear();
  ASSERT_TRUE(s.SaveAs(path));  // the same name: nothing to show
  EXPECT_TRUE(notes.lines.empty());

  // A load replaces the whole tree, unmodified.
  ASSERT_TRUE(s.Add(s.Tree().Root(), SectionRecord("Late", false)));
  ProjectSession other;
  ASSERT_TRUE(other.Load(path));
  EXPECT_EQ(other.Tree().NodeCount(), 6);
  notes.lines.clear();
  ASSERT_TRUE(s.Load(path));
  EXPECT_FALSE(s.IsModified());
  EXPECT_EQ(s.Tree().NodeCount(), 6);
  EXPECT_EQ(notes.lines, (std::vector<std::string>{"reset", "was reset"}));
}

TEST(ProjectSession, FailedLoadsAndSavesKeepTheProject) {
  ProjectSession session;
  EXPECT_FALSE(session.IsNamed());
  const std::string path = Temp("kept.prg");
  std::remove(path.c_str());
  ASSERT_TRUE(session.SaveAs(path).ok);
  EXPECT_TRUE(session.IsNamed());
  ASSERT_TRUE(session.Add(session.Tree().Root(), SectionRecord("Title", true)).ok);

  EXPECT_FALSE(session.Load(Temp("missing.prg")).ok);
  EXPECT_EQ(session.Path(), path);
  EXPECT_TRUE(session.IsModified());

  EXPECT_FALSE(session.SaveAs("/nonexistent-dir/x.prg").ok);
  EXPECT_EQ(session.Path(), path);
  EXPECT_EQ(session.Tree().Node(session.Tree().Root()).label, path);
  EXPECT_TRUE(session.IsModified());

  // A new project that cannot be written replaces nothing.
  EXPECT_FALSE(session.Create("/nonexistent-dir/new.prg").ok);
  EXPECT_EQ(session.Path(), path);
  EXPECT_EQ(session.Tree().NodeCount(), 2);
  EXPECT_TRUE(session.IsModified());
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The output comes from the tree in memory, nodes moved and deleted included, keeps every
// node's id, and writes what the same project read from its file writes.
TEST(ProjectSession, OutputWritesTheTreeAsItStandsAndKeepsIds) {
  namespace fs = std::filesystem;
  const fs::path dir = Temp("output");
  fs::remove_all(dir);
  fs::create_directories(dir / "file");
  const fs::path seeds = fs::path(TILVEX_PIC_SEEDS);
  fs::copy_file(seeds / "small.pic", dir / "logo.pic");
  fs::copy_file(seeds / "four16_c4_16x16.pic", dir / "stage.pic");

  ProjectSession s;
  Small n = Build(s);
  ASSERT_TRUE(s.Edit(n.logo, ItemRecord("logo", (dir / "logo.pic").string())));
  ASSERT_TRUE(s.Edit(n.stage, ItemRecord("stage", (dir / "stage.pic").string())));
  NodeId gone = ProjectTree::kNoNode;
  ASSERT_TRUE(s.Add(n.screens, ItemRecord("gone", "gone.pic"), &gone));
  ASSERT_TRUE(s.Delete(gone));
  ASSERT_TRUE(s.MoveDown(n.stage));  // logo first
  ASSERT_TRUE(s.SaveAs((dir / "game.prg").string()));

  Notes notes;
  s.SetObserver(&notes);
  std::vector<std::string> messages, names;
  ASSERT_TRUE(s.Output(messages, &names));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(notes.lines.empty());  // no renumbering for the view to follow
  EXPECT_EQ(names,
            (std::vector<std::string>{"VT03PGT.BIN", "VT03IRQ.ASM", "LOGO.ASM", "STAGE.ASM"}));
  EXPECT_EQ(s.Tree().Node(n.screens).children, (std::vector<NodeId>{n.logo, n.stage}));
  EXPECT_FALSE(s.IsModified());

  ProjectTree read;
  ASSERT_TRUE(ReadProjectFile((dir / "game.prg").string(), read));
  std::vector<std::string> fromFile;
  ASSERT_TRUE(OutputProject(read, (dir / "file").string(), fromFile));
  for (const std::string& name : names) {
    const std::string ours = FileText((dir / name).string());
    EXPECT_FALSE(ours.empty()) << name;
    EXPECT_EQ(ours, FileText((dir / "file" / name).string())) << name;
  }
  EXPECT_EQ(FileText((dir / "VT03IRQ.ASM").string()).find("LOGO"), 0u);
}

}  // namespace
}  // namespace tilvex
