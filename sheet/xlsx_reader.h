// Reading one worksheet of an Excel workbook (.xlsx) into a table.
//
// The first row with any cell is the header; the rows below it are the rows,
// up to the last row with a cell. Cells:
// - shared and inline strings are text;
// - a number with a date format (Excel's built-in formats 14-22, the Chinese
//   built-in date formats 27-31, 36, 50-54, 57-58, and any format of its own
//   with y, m or d outside quotes) is a date. Both date systems are read: the
//   1900 system, whose day 60 is the fictitious 1900-02-29 (read as the text
//   "1900-02-29", which no row takes as a date), and the 1904 system
//   (workbook.xml's date1904);
// - any other number is an exact decimal, read through the shortest text that
//   gives back the same binary value, so 12345.67 stored as a double is
//   "12345.67" and never rounded to fewer or padded to more decimals than
//   that text has, except that a format of fixed decimals ("0.00") pads it to
//   those ("100" shown as "100.00" reads "100.00");
// - booleans read "TRUE"/"FALSE", error values as their text ("#N/A"), dates
//   stored as ISO text (t="d") as dates; a formula cell reads its stored
//   result.
// - a last row whose figures are all "=SUM(X2:Xn)" of the rows above in their
//   own column (the totals row write_xlsx writes) becomes the table's totals,
//   not a row.
//
// Nothing in the file is trusted: every size is checked while reading, not
// taken from the archive's directory, so a damaged, truncated or hostile file
// (a zip bomb, a shared-string table far larger than the sheet needs, XML
// entity tricks) gives an error and never more memory than the limits allow.
#pragma once

#include "sheet/columns.h"
#include "sheet/table.h"

#include "calc/result.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

struct xlsx_limits {
    std::size_t file_bytes = std::size_t{64} << 20;   // the .xlsx file itself
    std::size_t part_bytes = std::size_t{256} << 20;  // one part, decompressed
    std::size_t total_bytes = std::size_t{512} << 20; // all parts read, decompressed
    std::size_t cells = 2'000'000;                    // cells held: each row up to its last cell
    std::size_t text_bytes = std::size_t{64} << 20;   // all texts held, shared ones once per cell
};

struct xlsx_read_options {
    std::string sheet; // the worksheet's name; empty for the first worksheet
    xlsx_limits limits;
};

enum class xlsx_read_error : unsigned char {
    file_too_large, // larger than limits.file_bytes
    not_a_workbook, // not a zip archive, or one damaged beyond reading (detail: why)
    missing_part,   // a part the workbook needs is absent (detail: its name)
    damaged_part,   // a part cannot be decompressed or is shorter or longer than declared
    part_too_large, // a part expands past limits.part_bytes or all of them past total_bytes
    bad_xml,        // a part is not well-formed XML, or declares entities (detail: where)
    no_worksheet,   // the workbook holds no worksheet
    no_such_sheet,  // no worksheet has the name asked for (detail: the names there are)
    bad_cell,       // a cell reference, number or shared-string index that makes no sense
    too_many_cells, // more than limits.cells
    too_much_text,  // more than limits.text_bytes of text
    no_header,      // the worksheet has no cell at all
    cannot_open,    // read_xlsx_file: the file cannot be opened or read (detail: why)
};

struct xlsx_read_problem {
    xlsx_read_error what = xlsx_read_error::not_a_workbook;
    std::string detail;
};

// The worksheet of the workbook whose bytes are `file`.
[[nodiscard]] calc::result<table, xlsx_read_problem>
read_xlsx(std::string_view file, const xlsx_read_options& options = {});

// The same for the file at `path`, which is refused before it is read when it
// is larger than options.limits.file_bytes.
[[nodiscard]] calc::result<table, xlsx_read_problem>
read_xlsx_file(const std::filesystem::path& path, const xlsx_read_options& options = {});

// The names of the workbook's worksheets, in tab order.
[[nodiscard]] calc::result<std::vector<std::string>, xlsx_read_problem>
xlsx_sheet_names(std::string_view file, const xlsx_limits& limits = {});

// "the workbook is damaged: …" / "工作簿已损坏：…".
[[nodiscard]] std::string describe(const xlsx_read_problem& problem, language lang);

} // namespace orvandel::sheet
