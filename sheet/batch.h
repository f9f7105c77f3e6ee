// The batch calculator: a CSV file of amounts and periods in, the same file
// with the figures of every row added out.
//
// The header row names the columns, in English or in Chinese (columns.h), in
// any order: the language of its amount column, which is required. Names in
// the other language are passed through like any other column, so a file of
// English columns with a "备注" column of its own reads as it always has. Each
// row gives its period by one pair: due_date/pay_date, start_date/end_date or
// days_before/days_after (row.h). Output: the input's columns in their order,
// then each of days_before, days_after, total_days, fee_before, fee_after,
// total_fee, tax_and_fee_total and error that the input lacks, named in the
// header's language. A figure whose column the input has (one_more_day
// included) is written into that column.
//
// Choices where the format leaves room:
// - records end in the line ending of the input's header (CRLF when the input
//   has no line break at all); a UTF-8 byte order mark is kept;
// - blank lines at the very end of the input are dropped; a blank line before
//   another row is a row (and an error row, as it has no amount);
// - a row with fewer or more cells than the header is an error row; its cells
//   are all kept, surplus cells after the error cell;
// - a bad row keeps every input cell, including days_before and days_after,
//   and has its other figure cells emptied;
// - an input that ends inside a quoted cell closes the quote, and that row is
//   an error row;
// - a row paid on or before its due date is no error; in Chinese its 备注
//   says "未逾期".
#pragma once

#include "sheet/columns.h"
#include "sheet/csv.h"
#include "sheet/row.h"

#include <array>
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

// A result column: its role, its kind of figure and the member of the result
// it shows. batch.cpp lists them.
struct result_column;

enum class batch_status {
    all_rows_ok = 0,      // every row was computed
    some_rows_failed = 1, // the output is complete, some rows carry an error
    unusable = 2,         // no usable header, or the input or output failed; see problem()
};

class batch_job {
public:
    explicit batch_job(std::istream& in, std::size_t block_size = std::size_t{1} << 20);

    // Reads and checks the header row. On false, problem() says why.
    bool read_header();

    // Writes the header and every row to `out`. read_header() must have
    // succeeded.
    batch_status run(std::ostream& out);

    [[nodiscard]] const std::string& problem() const { return problem_; }
    [[nodiscard]] std::size_t rows() const { return rows_; }
    [[nodiscard]] std::size_t failed_rows() const { return failed_rows_; }
    // The language of the header, in which results are named and errors
    // written. Valid after read_header().
    [[nodiscard]] language output_language() const { return lang_; }

private:
    void write_header(const csv_record& header);
    // Computes and writes one row; false when the output failed.
    bool process(const csv_record& record);
    void evaluate(const csv_record& record);
    void add_row_error(std::string_view english, std::string_view chinese);
    // Writers of the output: each writes at `at` and returns the end of what
    // it wrote. Room for the whole row is made once, before the row.
    char* put_figure(char* at, const result_column& shown);
    char* put_other(char* at, const result_column& shown);
    void write_row(const csv_record& record);
    char* put_irregular_row(char* at, const csv_record& record);
    // At least `size` bytes free after the output so far; returns where they start.
    char* room(std::size_t size);
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - buffer_.data()); }
    void append(std::string_view text);
    bool flush(bool force);

    csv_reader reader_;
    csv_record record_;
    csv_record blank_; // a blank line, kept back until a row follows it
    std::size_t pending_blanks_ = 0;
    // Cells of the output, each passed through or written from a result column.
    enum class run_kind : unsigned char {
        copy,           // input cells passed through
        figure,         // the column's figure (none when the row failed), or the error
        figure_or_copy, // the figure when the row was computed, the input cell otherwise
    };
    struct cell_run {
        std::size_t first = 0;
        std::size_t last = 0;
        run_kind kind = run_kind::copy;
        const result_column* column = nullptr; // of figure runs
    };
    std::vector<cell_run> cells_; // one per header cell
    // The cells of a regular output row, in order: the header's cells with
    // neighbouring passed-through cells joined into one run, then one run for
    // each appended column.
    std::vector<cell_run> runs_;
    std::vector<const result_column*> appended_;       // result columns the input lacks
    std::array<std::ptrdiff_t, column_count> index_{}; // header position of each column, or -1
    language lang_ = language::english;
    // The header's columns a row is read from, and the texts read from the
    // row just evaluated (empty where the header lacks the column).
    struct input_cell {
        column role;
        std::size_t at;
        std::string_view row_texts::*text;
    };
    std::vector<input_cell> inputs_;
    row_texts texts_;
    std::string line_end_;
    bool bom_ = false;
    std::array<std::string, column_count> scratch_; // unquoted texts of input cells
    row_outcome outcome_;
    std::string error_; // the error cell of the row just evaluated
    // Output waiting to be written: the first size_ bytes of buffer_, which
    // only ever grows, so that rows are written through a plain pointer.
    std::string buffer_;
    std::size_t size_ = 0;
    std::ostream* out_ = nullptr;
    std::string problem_;
    std::size_t rows_ = 0;
    std::size_t failed_rows_ = 0;
};

} // namespace orvandel::sheet
