#include "app/document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/picture_files.h"
#include "app/slot_edits.h"
#include "common/file_io.h"
#include "convert/progress.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"

namespace tilvex {
namespace {

std::string TempPath(const std::string& name) {
  const std::string path = ::testing::TempDir() + "/document_" + name;
  std::remove(path.c_str());
  return path;
}

// Four colour bands of 8 pixels, so a 16-colour conversion takes it as it is.
Picture Bands(int width, int height) {
  Picture picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  const Rgb bands[4] = {0xCC2222, 0x22AA44, 0x2244CC, 0xEECC44};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.Set(x, y, bands[(x / 8) % 4]);
  }
  return picture;
}

std::string WriteBands(const std::string& name, int width, int height) {
  const std::string path = TempPath(name);
  EXPECT_TRUE(common::WriteFileReplacing(path, BmpFileBytes(Bands(width, height))).ok);
  return path;
}

struct Recorder : DocumentObserver {
  unsigned changes = 0;
  int calls = 0;
  void DocumentChanged(unsigned c) override {
    changes |= c;
    ++calls;
  }
};

ConversionSettings RgbSettings(const Picture& picture) {
  ConversionSettings settings = DefaultSettings(picture);
  settings.colourSpace = 1;  // needs no colour tables
  return settings;
}

void Stroke(Document& doc, std::initializer_list<std::pair<int, int>> points, Rgb rgb) {
  doc.BeginStroke();
  for (auto [x, y] : points) doc.StrokePixel(x, y, rgb);
  doc.EndStroke();
}

TEST(DocumentHistory, EditsAreUndoneRedoneAndTheSavedStateIsRemembered) {
  Document doc;
  Recorder seen;
  doc.SetObserver(&seen);
  ASSERT_TRUE(doc.New(16, 8).ok);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.DisplayName(), "Untitled");
  EXPECT_EQ(seen.changes, unsigned(kPictureChanged | kStateChanged));

  Stroke(doc, {{1, 1}, {2, 1}}, 0x000000);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.UndoName(), "Pen");
  EXPECT_EQ(doc.Colours().size(), 2u);  // the list follows the stroke

  const std::string png = TempPath("saved.png");
  ASSERT_TRUE(doc.SaveAs(png).ok);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.Path(), png);

  Stroke(doc, {{5, 5}}, 0x123456);
  doc.Undo();
  EXPECT_FALSE(doc.IsModified());  // back at the saved state
  EXPECT_EQ(doc.View().At(5, 5), 0xFFFFFFu);
  doc.Undo();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.View().At(1, 1), 0xFFFFFFu);
  EXPECT_FALSE(doc.CanUndo());
  doc.Redo();
  EXPECT_EQ(doc.View().At(2, 1), 0x000000u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.RedoName(), "Pen");

  // A new edit drops what could be redone; the saved state is then out of reach. A stroke
  // of another tool goes by that tool's name both ways.
  doc.Undo();
  doc.BeginStroke("Fill");
  doc.StrokePixel(0, 0, 0x00FF00);
  doc.EndStroke();
  EXPECT_TRUE(doc.IsModified());  // as many steps as the saved state, but not the same ones
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_EQ(doc.UndoName(), "Fill");
  doc.Undo();
  EXPECT_EQ(doc.RedoName(), "Fill");
  doc.Redo();
  EXPECT_TRUE(doc.IsModified());
  doc.Undo();
  EXPECT_TRUE(doc.IsModified());

  // Save writes the file Save As chose.
  Stroke(doc, {{3, 3}}, 0x0000FF);
  ASSERT_TRUE(doc.Save().ok);
  Picture read;
  ASSERT_TRUE(DecodePictureFile(png, read).ok);
  EXPECT_EQ(read.pixels, doc.View().pixels);
  doc.SetObserver(nullptr);
}

TEST(DocumentHistory, OldStepsGoPastTheBudgetAndTheNewestStays) {
  EditHistory history;
  for (int i = 0; i < int(EditHistory::kMaxSteps) + 5; ++i)
    history.Push(Edit{"Pen", {{}}, {}, false, {}, {}});
  int undone = 0;
  while (history.CanUndo()) {
    history.StepBack();
    ++undone;
  }
  EXPECT_EQ(undone, int(EditHistory::kMaxSteps));
  EXPECT_FALSE(history.IsClean());  // the saved state was dropped with the oldest steps

  // A step larger than the whole budget is still kept while it is the newest, and goes as
  // soon as another one comes.
  EditHistory single;
  auto whole = std::make_unique<DocumentState>();
  whole->picture.pixels.resize(EditHistory::kByteBudget + 1);
  single.Push(Edit{"Conversion", {}, std::move(whole), false, {}, {}});
  EXPECT_TRUE(single.CanUndo());
  EXPECT_EQ(single.UndoName(), "Conversion");
  single.Push(Edit{"Pen", {{}}, {}, false, {}, {}});
  EXPECT_EQ(single.UndoName(), "Pen");

  // Steps that together pass the budget push the older ones out.
  EditHistory big;
  auto huge = [] {
    auto state = std::make_unique<DocumentState>();
    state->picture.pixels.resize(EditHistory::kByteBudget / 2 + 1);
    return Edit{"Conversion", {}, std::move(state), false, {}, {}};
  };
  big.Push(huge());
  big.Push(huge());
  big.Push(huge());
  big.StepBack();
  EXPECT_FALSE(big.CanUndo());  // only the newest step fits
}

TEST(DocumentFiles, SaveAsWritesTheFormatItsExtensionNames) {
  Document doc;
  ASSERT_TRUE(doc.Open(WriteBands("source.bmp", 32, 8)).ok);
  const Picture original = doc.View();

  for (const char* name : {"out.bmp", "out.png"}) {
    const std::string path = TempPath(name);
    ASSERT_TRUE(doc.SaveAs(path).ok) << name;
    Picture read;
    ASSERT_TRUE(DecodePictureFile(path, read).ok) << name;
    EXPECT_EQ(read.pixels, original.pixels) << name;
  }

  // Types with no writer are refused by name and nothing is written.
  for (const char* name : {"out.jpg", "out.gif", "out.pic", "noextension"}) {
    const std::string path = TempPath(name);
    const Result refused = doc.SaveAs(path);
    EXPECT_FALSE(refused.ok) << name;
    EXPECT_FALSE(refused.message.empty()) << name;
    EXPECT_FALSE(std::filesystem::exists(path)) << name;
  }
  EXPECT_EQ(doc.DisplayName(), "document_out.png");

  // A picture of a type the document cannot write has nowhere to save in place.
  EXPECT_FALSE(doc.CanSaveAs("x.gif"));
  EXPECT_FALSE(doc.CanSaveAs("x.JPG"));
  EXPECT_TRUE(doc.CanSaveAs("x.PNG"));

  // New sizes stay within the limits and a refused size keeps the picture.
  EXPECT_FALSE(doc.New(20000, 1).ok);
  EXPECT_EQ(doc.View().width, 32);
  EXPECT_TRUE(doc.New(0, 0).ok);
  EXPECT_FALSE(doc.HasPicture());
  EXPECT_FALSE(doc.SaveAs(TempPath("empty.bmp")).ok);
}

TEST(DocumentConversion, IsUnsavedWorkThatUndoes) {
  Document doc;
  const std::string source = WriteBands("bands.bmp", 32, 16);
  ASSERT_TRUE(doc.Open(source).ok);
  const Picture plain = doc.View();
  ASSERT_TRUE(doc.Convert(RgbSettings(plain), nullptr, NoProgress()).ok);
  EXPECT_TRUE(doc.IsBlockPicture());
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.UndoName(), "Conversion");
  EXPECT_EQ(doc.Path(), source.substr(0, source.size() - 3) + "pic");
  const Picture converted = doc.View();
  EXPECT_EQ(converted.width, plain.width);

  // A block picture is changed through its source: the pen and recolouring refuse.
  EXPECT_FALSE(doc.CanPaint().ok);
  EXPECT_FALSE(doc.CanPaint().message.empty());
  Stroke(doc, {{0, 0}}, 0x000000);
  EXPECT_EQ(doc.View().pixels, converted.pixels);
  EXPECT_FALSE(doc.Recolour(0, 0x000000).ok);
  EXPECT_EQ(doc.UndoName(), "Conversion");

  // A cell edit is a step of its own, and writes the name table as the .pic holds it: the
  // code low byte first, the attribute in the block after all the codes.
  const CellInfo cell = doc.CellAt(9, 2);
  ASSERT_GE(cell.index, 0);
  std::vector<uint8_t> expected = doc.State().block.blocks.pnt;
  const size_t at = size_t(cell.index), cells = expected.size() / 3;
  expected[2 * at] = 0x02;
  expected[2 * at + 1] = 0x01;
  expected[2 * cells + at] = uint8_t(cell.attribute ^ 1);
  doc.SetCell(cell.index, 0x0102, uint8_t(cell.attribute ^ 1));
  EXPECT_EQ(doc.UndoName(), "Cell Edit");
  EXPECT_EQ(doc.State().block.blocks.pnt, expected);
  EXPECT_EQ(doc.CellAt(9, 2).attribute, cell.attribute ^ 1);
  EXPECT_EQ(doc.CellAt(9, 2).code, 0x0102);
  doc.Undo();
  EXPECT_EQ(doc.CellAt(9, 2).attribute, cell.attribute);

  ASSERT_TRUE(doc.Save().ok);
  PicLoad load;
  ASSERT_TRUE(ReadPicFile(doc.Path(), load).ok);
  EXPECT_EQ(load.picture.blocks.pnt, doc.State().block.blocks.pnt);

  doc.Undo();
  EXPECT_FALSE(doc.IsBlockPicture());
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(doc.CanPaint().ok);
  EXPECT_EQ(doc.Path(), source);  // the source has its name back
  doc.Redo();
  EXPECT_EQ(doc.Path(), source.substr(0, source.size() - 3) + "pic");
  EXPECT_FALSE(doc.IsModified());
}

TEST(DocumentCells, SwitchBitsAreNotEditedInAddressModeTwo) {
  Document doc;
  ASSERT_TRUE(doc.Open(WriteBands("cells.bmp", 32, 8)).ok);
  ASSERT_TRUE(doc.Convert(RgbSettings(doc.View()), nullptr, NoProgress()).ok);
  EXPECT_TRUE(doc.CellAt(0, 0).switchesEditable);
  const std::string path = TempPath("cells.pic");
  ASSERT_TRUE(doc.SaveAs(path).ok);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(common::ReadFileBytes(path, 1 << 20, bytes).ok);
  bytes.at(23) = 2;  // the header's address byte
  ASSERT_TRUE(common::WriteFileReplacing(path, bytes).ok);
  ASSERT_TRUE(doc.Open(path).ok);
  EXPECT_GE(doc.CellAt(0, 0).index, 0);
  EXPECT_FALSE(doc.CellAt(0, 0).switchesEditable);
}

TEST(DocumentConversion, PaletteReviewEditsReachTheTiles) {
  Document doc;
  ASSERT_TRUE(doc.Open(WriteBands("review.bmp", 32, 8)).ok);
  const ConversionSettings settings = RgbSettings(doc.View());
  ASSERT_TRUE(doc.Convert(settings, nullptr, NoProgress()).ok);
  const BlockData plain = doc.State().block.blocks;
  doc.Undo();

  auto swapFirstTwo = [](SlotTable& table) {
    SwapSlots(table, 1, 2);
    return true;
  };
  ASSERT_TRUE(doc.Convert(settings, swapFirstTwo, NoProgress()).ok);
  const BlockData reviewed = doc.State().block.blocks;
  EXPECT_NE(reviewed.pal, plain.pal);
  EXPECT_NE(reviewed.pgt, plain.pgt);
  EXPECT_EQ(reviewed.PaletteEntry(1), plain.PaletteEntry(2));
  // The picture shown is the same either way: the tiles follow the palette.
  const Picture swapped = doc.View();
  doc.Undo();
  ASSERT_TRUE(doc.Convert(settings, nullptr, NoProgress()).ok);
  EXPECT_EQ(doc.View().pixels, swapped.pixels);
  doc.Undo();

  const Result cancelled = doc.Convert(
      settings, [](SlotTable&) { return false; }, NoProgress());
  EXPECT_FALSE(cancelled.ok);
  EXPECT_FALSE(doc.IsBlockPicture());
}

TEST(DocumentEdits, RecolourAndAdaptationAreSteps) {
  Document doc;
  ASSERT_TRUE(doc.Open(WriteBands("recolour.bmp", 32, 8)).ok);
  ASSERT_EQ(doc.Colours().size(), 4u);
  const Rgb first = doc.Colours()[0];
  ASSERT_TRUE(doc.Recolour(0, 0x010203).ok);
  EXPECT_EQ(doc.View().At(0, 0), 0x010203u);
  EXPECT_EQ(doc.View().At(7, 7), 0x010203u);
  EXPECT_EQ(doc.UndoName(), "Recolour");
  doc.Undo();
  EXPECT_EQ(doc.View().At(0, 0), first);
  EXPECT_FALSE(doc.IsModified());

  Stroke(doc, {{3, 3}}, 0x123457);  // a colour the console cannot show
  const Picture before = doc.View();
  ASSERT_TRUE(doc.Adapt(Adaptation::kRgb4K).ok);
  EXPECT_EQ(doc.UndoName(), "Adaptation");
  EXPECT_TRUE(doc.IsModified());
  EXPECT_NE(doc.View().pixels, before.pixels);
  doc.Undo();
  EXPECT_EQ(doc.View().pixels, before.pixels);
}

// A fill or recolour of a whole large picture, or a stroke over most of it, keeps a step no
// larger than the picture, and each still undoes and redoes exactly.
TEST(DocumentHistory, LargeStepsStayWithinThePicturesSize) {
  Document doc;
  ASSERT_TRUE(doc.New(300, 200).ok);
  const size_t pictureBytes = doc.View().pixels.size();
  const Picture white = doc.View();
  ASSERT_TRUE(doc.Fill(5, 5, 0x102030).ok);
  EXPECT_EQ(doc.View().At(299, 199), 0x102030u);
  EXPECT_LT(doc.HistoryBytes(), pictureBytes / 4);
  ASSERT_TRUE(doc.Recolour(0, 0x405060).ok);
  EXPECT_EQ(doc.View().At(0, 0), 0x405060u);
  EXPECT_LT(doc.HistoryBytes(), pictureBytes / 2);
  doc.BeginStroke("Eraser");
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) doc.StrokePixel(x, y, Rgb(x ^ y));
  }
  doc.EndStroke();
  EXPECT_LT(doc.HistoryBytes(), pictureBytes * 3 / 2);
  const Picture stroked = doc.View();
  doc.Undo();
  EXPECT_EQ(doc.View().At(7, 7), 0x405060u);
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(doc.View().pixels, white.pixels);
  EXPECT_FALSE(doc.IsModified());
  doc.Redo();
  doc.Redo();
  doc.Redo();
  EXPECT_EQ(doc.View().pixels, stroked.pixels);
}

// Past a small budget the oldest steps go and the newest stays, however large it is.
TEST(DocumentHistory, AStepLargerThanTheBudgetClearsTheOlderOnes) {
  EditHistory history(1000);
  auto step = [](size_t pixels) {
    Edit edit{"Pen", {}, nullptr, false, {}, {}};
    edit.pixels.resize(pixels);
    return edit;
  };
  history.Push(step(10));
  history.Push(step(10));
  EXPECT_EQ(history.Steps(), 2u);
  history.Push(step(1000));
  EXPECT_EQ(history.Steps(), 1u);
  EXPECT_TRUE(history.CanUndo());
}

struct CancelledProgress : Progress {
  bool Cancelled() override { return true; }
};

// Work runs on a copy: while it is out the document refuses every edit, a cancelled result
// changes nothing, and a result made from an older version is never adopted.
TEST(DocumentWork, TheDocumentHoldsStillWhileWorkRunsOnItsCopy) {
  Document doc;
  ASSERT_TRUE(doc.Open(WriteBands("work.bmp", 32, 8)).ok);
  Stroke(doc, {{1, 1}}, 0x000000);
  const Picture before = doc.View();

  WorkSnapshot snapshot = doc.BeginWork();
  EXPECT_TRUE(doc.Working());
  doc.Undo();
  Stroke(doc, {{2, 2}}, 0x000000);
  EXPECT_FALSE(doc.Recolour(0, 0x010203).ok);
  EXPECT_FALSE(doc.Fill(3, 3, 0x010203).ok);
  EXPECT_FALSE(doc.New(4, 4).ok);
  EXPECT_FALSE(doc.Open(WriteBands("other.bmp", 8, 8)).ok);
  EXPECT_EQ(doc.View().pixels, before.pixels);
  PreparedEdit adapted =
      Document::PrepareAdaptation(std::move(snapshot), Adaptation::kRgb4K, NoProgress());
  ASSERT_TRUE(doc.Adopt(std::move(adapted)).ok);
  EXPECT_FALSE(doc.Working());
  EXPECT_EQ(doc.UndoName(), "Adaptation");

  CancelledProgress cancel;
  PreparedEdit stopped = Document::PrepareAdaptation(doc.BeginWork(), Adaptation::kHsl4K, cancel);
  EXPECT_TRUE(stopped.Cancelled());
  EXPECT_FALSE(doc.Adopt(std::move(stopped)).ok);
  PreparedEdit open =
      Document::PrepareOpen(WriteBands("open.bmp", 8, 8), doc.BeginWork(false), cancel);
  EXPECT_TRUE(open.Cancelled());
  doc.Adopt(std::move(open));
  EXPECT_EQ(doc.UndoName(), "Adaptation");

  PreparedEdit stale = Document::PrepareFill(doc.BeginWork(), 0, 0, 0x00FF00, "Fill");
  doc.Adopt(PreparedEdit{});  // the work is given up
  Stroke(doc, {{4, 4}}, 0x0000FF);
  const Picture edited = doc.View();
  EXPECT_FALSE(doc.Adopt(std::move(stale)).ok);
  EXPECT_EQ(doc.View().pixels, edited.pixels);
  EXPECT_EQ(doc.UndoName(), "Pen");
}

// A damaged or empty .pic file leaves the picture, its name and its history as they were.
TEST(DocumentFiles, AnUnreadablePicFileKeepsTheCurrentPicture) {
  Document doc;
  ASSERT_TRUE(doc.Open(WriteBands("kept.bmp", 16, 8)).ok);
  Stroke(doc, {{1, 1}}, 0x000000);
  const std::string path = doc.Path();
  const std::string shortPic = TempPath("short.pic");
  ASSERT_TRUE(common::WriteFileReplacing(shortPic, std::vector<uint8_t>(600, 0x11)).ok);
  const std::string longPic = TempPath("long.pic");
  ASSERT_TRUE(common::WriteFileReplacing(longPic, std::vector<uint8_t>(5000, 0xEE)).ok);
  for (const std::string& damaged : {shortPic, longPic}) {
    const Result opened = doc.Open(damaged);
    EXPECT_FALSE(opened.ok) << damaged;
    EXPECT_FALSE(opened.message.empty()) << damaged;
    EXPECT_EQ(doc.Path(), path);
    EXPECT_EQ(doc.View().width, 16);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoName(), "Pen");
  }
}

}  // namespace
}  // namespace tilvex
