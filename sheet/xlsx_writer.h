// Writing a table as an Excel workbook (.xlsx) of one worksheet.
//
// - number cells are numeric, shown "0.00" when they have at most two
//   decimals (amounts and surcharges) and as Excel's General otherwise;
//   integer cells are numeric, shown "0"; date cells are real dates shown
//   "yyyy-mm-dd" (a day before 1900, which Excel cannot hold, is written as
//   its text); text cells are text. A number of more than 15 significant
//   digits, more than a double holds and Excel shows, is written as its text.
// - the header row is bold and stays in view when scrolling (frozen), and each
//   column is wide enough for its title and cells (a Chinese character counts
//   two places).
// - the totals row, when the table has one, follows the rows in bold: each sum
//   cell is a formula "=SUM(X2:Xn)" over the cells above, stored with its
//   result computed exactly here, so the file shows the right total before any
//   recalculation and stays live when the cells above are edited. A column
//   with a figure written as text, or whose total has more than 15 digits,
//   gets its exact total as text instead.
//
// Text must be UTF-8 and at most 32,767 characters a cell (Excel's own limit);
// anything else is refused rather than written into a file Excel would reject.
#pragma once

#include "sheet/columns.h"
#include "sheet/table.h"

#include "calc/result.h"

#include <cstddef>
#include <string>

namespace orvandel::sheet {

enum class xlsx_write_error : unsigned char {
    not_utf8,      // a text is not valid UTF-8 (row, column tell where)
    text_too_long, // a text of more than 32,767 characters (row, column tell where)
    no_temporary,  // no private temporary folder could be made to build the file in
    failed,        // the workbook library failed (detail: its words)
};

struct xlsx_write_problem {
    xlsx_write_error what = xlsx_write_error::failed;
    std::size_t row = 0;    // 0 the header, 1 the first row, rows + 1 the totals
    std::size_t column = 0; // 0 the first column
    std::string detail;
};

struct xlsx_write_options {
    std::string sheet_name = "Sheet1";
};

// The bytes of the .xlsx file, or what kept it from being written.
[[nodiscard]] calc::result<std::string, xlsx_write_problem>
write_xlsx(const table& sheet, const xlsx_write_options& options = {});

// "row 3, column B: the text is not UTF-8" / "第3行B列：文字不是UTF-8编码".
[[nodiscard]] std::string describe(const xlsx_write_problem& problem, language lang);

// The column letters of a 0-based column: 0 "A", 25 "Z", 26 "AA".
[[nodiscard]] std::string column_letters(std::size_t column);

} // namespace orvandel::sheet
