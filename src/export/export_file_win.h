// The export on Windows: real files, and the page's charset from the ANSI
// code page in use. What the main window's ExportCSV / ExportHTM call.
#pragma once
#include <type_traits>

#include "export/table_export.h"

namespace velt {

// Creates or truncates the file (CreateFileA, no sharing); EInOutError with
// the system's code when that fails.
std::unique_ptr<ExportFile> OpenExportFile(const std::string& fileName);

// Both return the name actually written (with the appended extension).
std::string ExportCSV(const ExportTable& table, const std::string& fileName);
std::string ExportHTM(const ExportTable& table, const std::string& fileName);  // charset from GetACP

// The same for the grid's cell store or any table with RowCount(),
// ColCount() and Cell(col, row).
template <typename Table, typename = std::enable_if_t<!std::is_base_of_v<ExportTable, Table>>>
std::string ExportCSV(const Table& table, const std::string& fileName) {
    return ExportCSV(ExportTableOf<Table>(table), fileName);
}
template <typename Table, typename = std::enable_if_t<!std::is_base_of_v<ExportTable, Table>>>
std::string ExportHTM(const Table& table, const std::string& fileName) {
    return ExportHTM(ExportTableOf<Table>(table), fileName);
}

} // namespace velt
