#pragma once
// Everything the window asks of Tilvex's logic goes through this one class: loading, saving,
// converting, palette files, outputs, information texts and the colour list. The window
// itself only draws a plain picture and forwards the user's choices.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "convert/block_picture.h"
#include "convert/conversion_settings.h"
#include "image/colour.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {
class Progress;
class VolumeLister;
struct PreviewFolders;
struct PreviewResult;
}  // namespace tilvex

namespace tilvex::ui {

// Right and bottom exclusive, in picture pixels.
struct AreaRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const AreaRect&) const = default;
};

// What an operation tells the window: success, or the message to show (may be empty).
struct Outcome {
  bool ok = true;
  std::string message;
};

// The cell a double click on a block picture edits.
struct CellInfo {
  int index = -1;
  uint16_t code = 0;
  uint8_t attribute = 0;
};

enum class Adaptation { kHsl4K, kRgb4K, kNes64 };

class DocumentBridge {
 public:
  DocumentBridge();
  ~DocumentBridge();
  DocumentBridge(const DocumentBridge&) = delete;
  DocumentBridge& operator=(const DocumentBridge&) = delete;

  // The picture as the view shows it; empty when there is none.
  const Picture& View() const;
  bool IsBlockPicture() const { return isBlockPicture_; }
  bool HasPicture() const { return hasPicture_; }
  int Kind() const;
  const PicHeader& Header() const;
  const std::string& InfoText() const { return info_; }
  // The colour list of the working area (at most 256 colours).
  const std::vector<Rgb>& Colours() const { return colours_; }

  // A blank white picture of the given size (0 x 0 leaves none).
  Outcome New(int width, int height);
  // A picture (any decoded format) or a .pic block picture.
  Outcome Open(const std::string& path);
  // By extension: "bmp" the picture, "pic" the block picture; others write nothing.
  Outcome Save(const std::string& path) const;

  // Drawing. Outside the picture nothing happens.
  bool SetPixel(int x, int y, Rgb rgb);

  AreaRect Area() const;
  // Makes the rectangle the working area and refills the colour list from it.
  void SetArea(const AreaRect& area);
  // Distinct console colour codes of the colour list in a colour space.
  int AvailableColourCount(int colourSpace) const;

  // Analysis, palette review, tiles; on success the picture becomes the block picture.
  // A cancelled review gives ok false and no message.
  Outcome Convert(const ConversionSettings& settings, const std::function<bool(SlotTable&)>& review,
                  Progress& progress);

  // The File Output dialog's numbers, remembered in the header.
  void SetOutputNumbers(int segment, int level);
  Outcome WriteOutput(const std::string& pgtPath, const std::string& pntPath, bool assembler,
                      bool sixteenBit, Progress& progress) const;

  // Palette files of "VT03 PAL Setup".
  static Outcome LoadPaletteInto(const std::string& path, SlotTable& table);
  static Outcome SavePalette(const std::string& path, const SlotTable& table);

  Outcome Adapt(Adaptation which);

  // Block picture cells.
  CellInfo CellAt(int x, int y) const;
  void SetCell(int index, uint16_t code, uint8_t attribute);

  // The palette bar's highlight: collect the pixels of colour-list entry i, paint them
  // inverted, paint them back; and recolour every pixel of entry i.
  void CollectColour(int index);
  void BlinkCollected();
  void RestoreCollected(int index);
  void Recolour(int index, Rgb rgb);

  // "PAL process": palette steps of the palette file towards target, written as
  // "PALStep.asm" into directory with the codes of the picture's colour space.
  Outcome WritePaletteSteps(const std::string& palPath, Rgb target, int levels,
                            const std::string& directory = ".") const;
  // "TV Effect": the device preview of the block picture, from "Rom.b00" in
  // folders.templateDir. A picture that is not a block picture gives ok and no result.
  Outcome BuildPreview(int configIndex, const PreviewFolders& folders, VolumeLister& volumes,
                       PreviewResult* result) const;

 private:
  struct Core;
  void RefillColours(const AreaRect& rect);
  void RefillColoursWhole();

  std::unique_ptr<Core> core_;
  std::vector<Rgb> colours_;
  std::string info_;
  bool isBlockPicture_ = false;
  bool hasPicture_ = false;
  std::vector<std::pair<int, int>> collected_;
  Rgb collectedColour_ = 0;
};

}  // namespace tilvex::ui
