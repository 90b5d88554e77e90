// Writes workbooks and compound files into a folder, each with a list (.expect) of what an
// independent reader must find in it. check_readback.py reads them back.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/utf16.h"
#include "xls/compound_file.h"
#include "xls/list_export.h"
#include "xls/spreadsheet_book.h"
#include "xls_test_util.h"

using common::Utf8ToUtf16;

namespace fs = std::filesystem;
using namespace romvane;

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char pair[3];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    out += pair;
  }
  return out;
}

// The items a reader must find, a line each, fields apart by TABs: "stream PATH",
// "storage PATH", "content PATH HEX", "sheet NAME", then that sheet's cells as
// "text ROW COL TEXT" and "number ROW COL VALUE", or "generated ROWS COLS ADD" for
// cells r * COLS + c + ADD.
struct Expected {
  std::string lines;
  void Line(const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) lines += (i ? "\t" : "") + fields[i];
    lines += "\n";
  }
  void Text(int r, int c, const std::string& text) {
    Line({"text", std::to_string(r), std::to_string(c), text});
  }
  void Value(int r, int c, double value) {
    std::ostringstream number;
    number.precision(17);
    number << value;
    Line({"number", std::to_string(r), std::to_string(c), number.str()});
  }
  void Write(const fs::path& folder, const std::string& file) const {
    std::ofstream(folder / (file + ".expect")) << lines;
  }
};

// The items of a workbook: its one stream, then each sheet's name and cells.
Expected Workbook(const std::vector<std::pair<std::string, Expected>>& sheets) {
  Expected book;
  book.Line({"stream", "Workbook"});
  for (const auto& [name, cells] : sheets) {
    book.Line({"sheet", name});
    book.lines += cells.lines;
  }
  return book;
}

bool ExportList(const fs::path& folder, const std::string& file,
                const std::vector<GameEntry>& games) {
  const ExportResult result = WriteListWorkbook(games, (folder / file).string());
  if (!result.ok) {
    std::fprintf(stderr, "%s: %s", file.c_str(), result.message.c_str());
    return false;
  }
  Expected sheet;
  const char* headers[] = {"Number",       "Title",    "PromSize-Hex", "PromSize",
                           "VromSize-Hex", "VromSize", "Attribute"};
  for (int c = 0; c < 7; ++c) sheet.Text(0, c, headers[c]);
  for (size_t i = 0; i < games.size(); ++i) {
    const GameEntry& game = games[i];
    const int r = static_cast<int>(i) + 1;
    sheet.Value(r, 0, game.Number());
    if (!game.title.empty()) sheet.Text(r, 1, game.title);
    if (!game.hasRecord) {
      sheet.Value(r, 3, 0);
      sheet.Value(r, 5, 0);
      continue;
    }
    sheet.Text(r, 2, HexText(game.PrgSize()));
    sheet.Value(r, 3, game.PrgSize());
    sheet.Text(r, 4, HexText(game.ChrSize()));
    sheet.Value(r, 5, game.ChrSize());
    sheet.Text(r, 6, AttributeText(game.header));
  }
  Workbook({{"Files List", sheet}}).Write(folder, file);
  return true;
}

std::string ChineseText(size_t length, size_t seed) {
  static const char* kChars[] = {"超", "级", "马", "里", "奥", "兄", "弟", "魂", "斗", "罗",
                                 "坦", "克", "大", "战", "游", "戏", "冒", "险", "岛", "忍"};
  std::string text;
  for (size_t i = 0; i < length; ++i) text += kChars[(seed * 7 + i * 3 + i / 5) % 20];
  return text;
}

bool WriteLists(const fs::path& folder) {
  bool ok = ExportList(
      folder, "three_games.xls",
      {testing::ListedGame(1, "Alpha", 2, 1), testing::ListedGame(2, "Beta", 8, 16, 0x43),
       testing::ListedGame(3, "Gamma", 2, 0, 0x21)});
  ok = ExportList(folder, "empty.xls", {}) && ok;

  // 512 games with long Chinese titles: the string table runs through many CONTINUE records.
  // Every 17th game has no record: number, title and zero sizes only.
  std::vector<GameEntry> games;
  for (size_t i = 0; i < 512; ++i) {
    const int number = static_cast<int>(i) + 1;
    std::string title = ChineseText(40 + (i * 37) % 160, i) + " " + std::to_string(i % 200);
    if (i == 7) title.clear();  // an empty title leaves its cell empty
    if (i % 17 == 5) {
      games.push_back(testing::UnreadGame(number, title));
      continue;
    }
    const auto flags = static_cast<uint8_t>((i % 7) << 4 | (i % 2) | (i % 3 == 0 ? 2 : 0) |
                                            (i % 5 == 0 ? 4 : 0) | (i % 11 == 0 ? 8 : 0));
    games.push_back(testing::ListedGame(number, title, static_cast<uint8_t>(1u << (i % 6)),
                                        static_cast<uint8_t>(i % 4 == 0 ? 0 : 1u << (i % 5)), flags,
                                        static_cast<uint8_t>(i % 3 << 4)));
  }
  return ExportList(folder, "chinese_512.xls", games) && ok;
}

bool SaveBook(SpreadsheetBook& book, const fs::path& folder, const std::string& file,
              const Expected& expected) {
  if (!book.SaveAs((folder / file).string())) {
    std::fprintf(stderr, "%s: %s", file.c_str(), book.ErrorText().c_str());
    return false;
  }
  expected.Write(folder, file);
  return true;
}

bool WriteBooks(const fs::path& folder) {
  // Texts of every width around record boundaries, numbers in every record form.
  SpreadsheetBook book;
  book.NewBook(3);
  book.RenameSheet("Sheet2", "数据");
  std::vector<std::pair<std::string, Expected>> sheets{
      {"Sheet1", {}}, {"数据", {}}, {"Sheet3", {}}};
  for (int r = 0; r < 60; ++r) {
    const std::string narrow = std::string(97 + r * 331 % 9000, static_cast<char>('A' + r % 26));
    const std::string wide = ChineseText(50 + r * 277 % 5000, static_cast<size_t>(r));
    const std::string latin = "caf\xC3\xA9 " + std::to_string(r);
    book.Sheet(0)->Cell(r, 0)->SetText(narrow);
    book.Sheet(0)->Cell(r, 1)->SetWideText(Utf8ToUtf16(wide));
    book.Sheet(0)->Cell(r, 3)->SetText(latin);
    sheets[0].second.Text(r, 0, narrow);
    sheets[0].second.Text(r, 1, wide);
    sheets[0].second.Text(r, 3, latin);
  }
  const std::string longest = ChineseText(65535, 3);
  book.Sheet(0)->Cell(70, 2)->SetWideText(Utf8ToUtf16(longest));
  sheets[0].second.Text(70, 2, longest);
  const double numbers[] = {1, 2.5, 0.07, 524289, 123456.5, -3, 1e300, 0.001, 1 << 20, -0.25};
  for (int c = 0; c < 10; ++c) {
    book.Sheet(1)->Cell(0, c)->SetNumber(numbers[c]);
    sheets[1].second.Value(0, c, numbers[c]);
    const int32_t integers[] = {5, 6, 1 << 29, -(1 << 29), 7, 2147483647, -1, 0, 8, 9};
    book.Sheet(1)->Cell(1, c)->SetInteger(integers[c]);
    sheets[1].second.Value(1, c, integers[c]);
  }
  for (int r = 2; r < 100; ++r) {
    book.Sheet(1)->Cell(r, 255)->SetNumber(r * 1.5);
    sheets[1].second.Value(r, 255, r * 1.5);
  }
  bool ok = SaveBook(book, folder, "strings_book.xls", Workbook(sheets));

  // Enough cells for a stream beyond 109 FAT sectors, which needs a DIFAT sector.
  SpreadsheetBook many;
  many.NewBook(1);
  constexpr int kRows = 65536, kCols = 7;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kCols; ++c) many.Sheet(0)->Cell(r, c)->SetNumber(r * kCols + c + 0.123);
  }
  Expected generated;
  generated.Line({"generated", std::to_string(kRows), std::to_string(kCols), "0.123"});
  return SaveBook(many, folder, "difat_book.xls", Workbook({{"Sheet1", generated}})) && ok;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + seed + i / 509);
  return bytes;
}

bool WriteContainers(const fs::path& folder) {
  bool ok = true;
  for (size_t size : {4095u, 4096u, 4097u, 130u * 512}) {
    const std::string file = "stream_" + std::to_string(size) + ".cfb";
    CompoundFile cfb;
    cfb.Create((folder / file).string());
    const std::vector<uint8_t> content = Pattern(size, static_cast<uint8_t>(size));
    ok = cfb.MakeStream("Workbook") == kCfbOk &&
         cfb.WriteStream("Workbook", content.data(), content.size()) == kCfbOk && cfb.Commit() &&
         ok;
    Expected expected;
    expected.Line({"stream", "Workbook"});
    expected.Line({"content", "Workbook", Hex(content)});
    expected.Write(folder, file);
  }
  // Storages, many small streams (a second mini FAT sector) and streams rewritten across the
  // mini stream cutoff.
  const std::string file = "storages.cfb";
  CompoundFile cfb;
  cfb.Create((folder / file).string());
  Expected expected;
  expected.Line({"storage", "Dir"});
  expected.Line({"storage", "Dir/Sub"});
  for (int i = 0; i < 12; ++i) {
    const std::string name = (i % 3 == 0   ? "\\Dir\\"
                              : i % 3 == 1 ? "\\Dir\\Sub\\"
                                           : "\\") +
                             std::string("S") + std::to_string(i);
    ok = cfb.MakeStream(name) == kCfbOk && ok;
    std::vector<uint8_t> content;
    for (size_t size : {3000u + 500 * i, 9000u - 700 * i, 1200u + 37 * i}) {
      content = Pattern(size, static_cast<uint8_t>(i));
      ok = cfb.WriteStream(name, content.data(), content.size()) == kCfbOk && ok;
    }
    std::string path = name.substr(1);
    for (char& ch : path) ch = ch == '\\' ? '/' : ch;
    expected.Line({"stream", path});
    expected.Line({"content", path, Hex(content)});
  }
  ok = cfb.Commit() && ok;
  expected.Write(folder, file);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path folder = argv[1];
  fs::remove_all(folder);
  fs::create_directories(folder);
  const bool ok = WriteLists(folder) && WriteBooks(folder) && WriteContainers(folder);
  return ok ? 0 : 1;
}
