// The batch on Excel workbooks: an .xlsx input is turned into the CSV the
// batch reads, and the batch's CSV output into a workbook of typed cells, so
// that every row is read, computed and described by the very code of the CSV
// batch and the same row gives the same cells in every format. The workbook
// path holds the whole sheet in memory (within the reader's limits); the CSV
// path streams as before.
#pragma once

#include "sheet/table.h"

#include <string>
#include <string_view>

namespace orvandel::cli {

// The table as CSV with CRLF line ends: the header, then every row as wide as
// the header (or wider), cells quoted where they need it; a UTF-8 byte order
// mark first when a header text is not ASCII, so that spreadsheets read the
// Chinese titles right.
[[nodiscard]] std::string table_as_csv(const sheet::table& sheet);

// The batch's CSV output as a workbook's table: in a computed row, amounts
// and surcharges are numbers, day counts integers and dates dates; a row left
// out for errors keeps every cell of its input as text, so that no total
// counts it; other columns are text, or, when `input` is the table the batch
// read, its cells as they were typed there. Then a totals row: "合计"/"total"
// (in 项目/item, or the first column that is not summed), a sum for each
// figure column, and in 备注/error how many rows were left out.
[[nodiscard]] sheet::table typed_results(std::string_view csv, const sheet::table* input);

// The path names an Excel workbook: it ends in ".xlsx", in any case.
[[nodiscard]] bool is_workbook_path(std::string_view path);

} // namespace orvandel::cli
