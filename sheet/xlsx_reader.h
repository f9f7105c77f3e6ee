// Reading one worksheet of an Excel workbook (.xlsx), a row at a time.
//
// The first row with any cell is the header; the rows below it are the rows,
// up to the last row with a cell. Cells:
// - shared and inline strings are text;
// - a number with a date format (Excel's built-in formats 14-17 and 22, the
//   Chinese built-in date formats 27-31, 36, 50-54, 57-58, and any format of
//   its own with y, d, or m not part of a time, outside quotes) is a date.
//   Both date systems are read: the 1900 system, whose day 60 is the
//   fictitious 1900-02-29 (read as the text "1900-02-29", which no row takes
//   as a date), and the 1904 system (workbook.xml's date1904). A time of day
//   alone ("h:mm", built-in 18-21) is a number;
// - any other number is an exact decimal, read through the shortest text that
//   gives back the same binary value, so 12345.67 stored as a double is
//   "12345.67" and never rounded to fewer or padded to more decimals than
//   that text has, except that a format of fixed decimals ("0.00") pads it to
//   those ("100" shown as "100.00" reads "100.00"). The cell also says how
//   many decimals its format shows (format_decimals), so that a caller can
//   tell 864.1969 shown as "864.20" from a typed 864.1969;
// - booleans read "TRUE"/"FALSE", error values as their text ("#N/A"), dates
//   stored as ISO text (t="d") as dates; a formula cell reads its stored
//   result.
// - a last row whose figures are all "=SUM(X2:Xn)" of the rows above in their
//   own column (the totals row the workbook writer writes) is the sheet's
//   totals, not a row.
//
// Nothing in the file is trusted. The archive's directory is bounded before
// it is read; each part is decompressed a chunk at a time and checked as it
// expands, not by the sizes the archive declares; the XML parser's own memory
// is bounded; the worksheet is parsed one row at a time. So memory is bounded
// by one row, the shared strings and the styles, whatever the number of rows,
// and a damaged, truncated or hostile file (a zip bomb, a huge shared-string
// table, XML entity tricks) gives an error within the limits below.
#pragma once

#include "sheet/columns.h"
#include "sheet/table.h"

#include "calc/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

struct xlsx_limits {
    // The list of parts that opening an archive reads whole: its size
    // bounds the memory the archive takes (a few times it).
    std::uint64_t directory_bytes = std::uint64_t{4} << 20;
    // Decompressed sizes: one part, and all the parts read. A part may also
    // expand to at most `expansion` times its compressed size, once past
    // its first MiB (a zip bomb expands a thousandfold; a worksheet about
    // tenfold).
    std::uint64_t part_bytes = std::uint64_t{4} << 30;
    std::uint64_t total_bytes = std::uint64_t{8} << 30;
    std::uint32_t expansion = 100;
    // Memory held: the table of shared strings, the texts of one row, the
    // XML parser of one part.
    std::size_t shared_text_bytes = std::size_t{256} << 20;
    std::size_t row_text_bytes = std::size_t{16} << 20;
    std::size_t xml_bytes = std::size_t{32} << 20;
    // A row's cells (Excel's 16,384 columns); its rows are Excel's 1,048,576.
    std::size_t columns = 16'384;
    // Only for a workbook handed over as bytes, held whole in memory
    // (open_bytes, read_xlsx, and what a caller reads from standard input).
    std::size_t file_bytes = std::size_t{1} << 30;
};

struct xlsx_read_options {
    std::string sheet; // the worksheet's name; empty for the first worksheet
    xlsx_limits limits;
};

enum class xlsx_read_error : unsigned char {
    file_too_large,      // bytes handed over: more than limits.file_bytes
    not_a_workbook,      // not a zip archive, or one damaged beyond reading (detail: why)
    directory_too_large, // the archive's list of parts is larger than limits.directory_bytes
    missing_part,        // a part the workbook needs is absent (detail: its name)
    damaged_part,        // a part cannot be decompressed or is shorter or longer than declared
    part_too_large,      // a part expands past limits.part_bytes (detail: its name), or all
                         // the parts read past limits.total_bytes (detail empty)
    expands_too_much,    // a part expands more than limits.expansion times (detail: its name)
    bad_xml,             // a part is not well-formed XML, declares entities, or needs more
                         // than limits.xml_bytes (detail: where)
    no_worksheet,        // the workbook holds no worksheet
    no_such_sheet,       // no worksheet has the name asked for (detail: the names there are)
    bad_cell,            // a cell reference, number or shared-string index that makes no
                         // sense, or a row out of order (detail: where)
    row_too_wide,        // a cell past limits.columns (detail: the cell)
    too_much_text,       // the shared strings past limits.shared_text_bytes (detail empty),
                         // or one row's texts past limits.row_text_bytes (detail: the row)
    no_header,           // the worksheet has no cell at all
    cannot_open,         // a file that cannot be opened or read (detail: why)
};

struct xlsx_read_problem {
    xlsx_read_error what = xlsx_read_error::not_a_workbook;
    std::string detail;
    std::uint64_t limit = 0; // for an error of a limit: the limit's value
};

// One worksheet of a workbook, read a row at a time.
class xlsx_rows {
public:
    [[nodiscard]] static calc::result<xlsx_rows, xlsx_read_problem>
    open(const std::filesystem::path& path, const xlsx_read_options& options = {});
    // The bytes must outlive the reader (tests, fuzzing, standard input).
    [[nodiscard]] static calc::result<xlsx_rows, xlsx_read_problem>
    open_bytes(std::string_view file, const xlsx_read_options& options = {});

    xlsx_rows(xlsx_rows&&) noexcept;
    xlsx_rows& operator=(xlsx_rows&&) noexcept;
    ~xlsx_rows();

    // The header first, then each row: a blank row between rows is an empty
    // row, trailing blank rows are not rows. False at the end or on an error
    // (then problem() says which); `row` is then empty.
    bool next(std::vector<cell>& row);
    [[nodiscard]] const std::optional<xlsx_read_problem>& problem() const;
    // Once next() has returned false without a problem: the totals row the
    // sheet ended with, which next() did not return as a row. Its totals are
    // `sum` cells, its other cells labels.
    [[nodiscard]] const std::optional<std::vector<cell>>& totals() const;
    // Decompressed bytes of the worksheet part parsed so far, and in all as
    // the archive declares it (reading stops with an error if it is not).
    [[nodiscard]] std::uint64_t done() const;
    [[nodiscard]] std::uint64_t total() const;

private:
    struct state;
    explicit xlsx_rows(std::unique_ptr<state> s);
    // A reader over the archive `open_archive` opens within the options' limits.
    template <typename OpenArchive>
    static calc::result<xlsx_rows, xlsx_read_problem> open_with(const xlsx_read_options& options,
                                                                const OpenArchive& open_archive);
    std::unique_ptr<state> state_;
};

// The whole worksheet as a table, for small files and tests.
[[nodiscard]] calc::result<table, xlsx_read_problem>
read_xlsx(std::string_view file, const xlsx_read_options& options = {});
[[nodiscard]] calc::result<table, xlsx_read_problem>
read_xlsx_file(const std::filesystem::path& path, const xlsx_read_options& options = {});

// The names of the workbook's worksheets, in tab order.
[[nodiscard]] calc::result<std::vector<std::string>, xlsx_read_problem>
xlsx_sheet_names(std::string_view file, const xlsx_limits& limits = {});

// "the workbook is damaged: …" / "工作簿已损坏：…".
[[nodiscard]] std::string describe(const xlsx_read_problem& problem, language lang);

// The limits in words, for help texts and the manual: "Workbooks are read a
// row at a time, …" / "工作簿逐行读取，…".
[[nodiscard]] std::string limits_text(const xlsx_limits& limits, language lang);

} // namespace orvandel::sheet
