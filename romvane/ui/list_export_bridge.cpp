#include "list_export_bridge.h"

// Stands in until the workbook writer joins the program.
std::string ExportListWorkbook(const romvane::GameList&, const std::string&) {
  return "导出列表功能暂不可用!";
}
