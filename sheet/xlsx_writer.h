// Writing an Excel workbook (.xlsx) of one worksheet, a row at a time.
//
// - number cells are numeric, shown "0.00" when they have at most two
//   decimals (amounts and surcharges) and as Excel's General otherwise;
//   integer cells are numeric, shown "0"; date cells are real dates shown
//   "yyyy-mm-dd" (a day before 1900, which Excel cannot hold, is written as
//   its text); text cells are text. A number of more than 15 significant
//   digits, more than a double holds and Excel shows, is written as its text.
// - the header row is bold and stays in view when scrolling (frozen), and each
//   column is wide enough for its title and cells (a Chinese character counts
//   two places): the widths are set once every row has been seen.
// - the totals row, when the table has one, follows the rows in bold: each sum
//   cell is a formula "=SUM(X2:Xn)" over the cells above, stored with its
//   result computed exactly here, so the file shows the right total before any
//   recalculation and stays live when the cells above are edited. A column
//   with a figure written as text, or whose total has more than 15 digits,
//   gets its exact total as text instead.
//
// Text must be UTF-8 and at most 32,767 characters a cell (Excel's own limit);
// anything else is refused rather than written into a file Excel would reject.
//
// Rows go straight to a file in a private temporary folder (libxlsxwriter's
// constant-memory mode, strings inline), so memory does not grow with the
// rows; the finished workbook is then copied to the output, and the folder
// is removed whatever happens.
#pragma once

#include "sheet/columns.h"
#include "sheet/table.h"

#include "calc/result.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orvandel::sheet {

enum class xlsx_write_error : unsigned char {
    not_utf8,       // a text is not valid UTF-8 (row, column tell where)
    text_too_long,  // a text of more than 32,767 characters (row, column tell where)
    no_temporary,   // no private temporary folder could be made to build the file in
    failed,         // the workbook library failed (detail: its words)
    cannot_write,   // the finished workbook could not be copied to the output
    past_the_sheet, // a cell past Excel's 1,048,576 rows or 16,384 columns (row, column)
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

// A workbook written a row at a time. After a problem, every later call
// returns it again and nothing is written.
class xlsx_sheet_writer {
public:
    [[nodiscard]] static calc::result<xlsx_sheet_writer, xlsx_write_problem>
    start(const std::vector<std::string>& header, const xlsx_write_options& options = {});

    xlsx_sheet_writer(xlsx_sheet_writer&&) noexcept;
    xlsx_sheet_writer& operator=(xlsx_sheet_writer&&) noexcept;
    ~xlsx_sheet_writer();

    // The next row, below the header and the rows before it.
    [[nodiscard]] std::optional<xlsx_write_problem> add_row(const std::vector<cell>& row);

    // The totals row, when there is one and at least one row above it (its
    // `sum` cells become "=SUM(X2:Xn)" stored with the exact total of the
    // rows added), then the whole file, built in the private folder.
    [[nodiscard]] std::optional<xlsx_write_problem>
    build(const std::optional<std::vector<cell>>& totals);
    // The built file's bytes to `out`, which can be opened only now, once
    // nothing but writing it can fail.
    [[nodiscard]] std::optional<xlsx_write_problem> write_to(std::ostream& out);

    // build(), then write_to().
    [[nodiscard]] std::optional<xlsx_write_problem>
    finish(const std::optional<std::vector<cell>>& totals, std::ostream& out);

private:
    struct state;
    explicit xlsx_sheet_writer(std::unique_ptr<state> s);
    std::unique_ptr<state> state_;
};

// The bytes of the .xlsx file of a whole table, or what kept it from being
// written.
[[nodiscard]] calc::result<std::string, xlsx_write_problem>
write_xlsx(const table& sheet, const xlsx_write_options& options = {});

// "row 3, column B: the text is not UTF-8" / "第3行B列：文字不是UTF-8编码".
[[nodiscard]] std::string describe(const xlsx_write_problem& problem, language lang);

// The column letters of a 0-based column: 0 "A", 25 "Z", 26 "AA".
[[nodiscard]] std::string column_letters(std::size_t column);

} // namespace orvandel::sheet
