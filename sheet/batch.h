// The batch calculator: a CSV file (or a workbook's worksheet) of amounts
// and periods in, the same rows with the figures of every row added out.
//
// The header and every row are read by the rules of reader.h, the one reader
// of sheets. Output: the input's columns in their order, then each of
// days_before, days_after, total_days, fee_before, fee_after, total_fee,
// tax_and_fee_total and error that the input lacks, named in the header's
// language. A figure whose column the input has (one_more_day included) is
// written into that column.
//
// Choices where the format leaves room:
// - records end in the line ending of the input's header (CRLF when the input
//   has no line break at all); a UTF-8 byte order mark is kept;
// - a blank row (every cell empty) is kept as a row of empty cells, with no
//   figures and no error; blank rows at the very end of the input are dropped;
// - a row with fewer or more cells than the header is an error row; its cells
//   are all kept, surplus cells after the error cell;
// - a bad row keeps every input cell, including days_before and days_after,
//   and has its other figure cells emptied;
// - an input that ends inside a quoted cell closes the quote, and that row is
//   an error row;
// - a row paid on or before its due date is no error; in Chinese its 备注
//   says "未逾期";
// - a sheet with a tax_period column (税款所属期) gets the 缴款期限 its rows
//   were computed with: a deadline filled from the filing calendar is written
//   into the row's empty due_date cell, or into a due_date column appended
//   before the figures when the input has none. A typed deadline is passed
//   through. So the output says which day each row used, and read again it
//   gives the same figures and notes (the written date is then typed and the
//   calendar's own, which the note cites the same way). The rows of a debt
//   paid in parts take their 缴款期限 as typed.
//
// Debts paid in parts: an input whose header has 编号 (item_id) is read whole
// before a row is written, since the rows of one debt may stand anywhere in
// it (debts.h); the output then also has the debts' columns (to_tax, to_fee,
// excess, tax_outstanding, fee_outstanding, fee_paid, capped_total_fee)
// before the error column. An input without 编号 streams one row at a time.
#pragma once

#include "sheet/columns.h"
#include "sheet/csv.h"
#include "sheet/debts.h"
#include "sheet/reader.h"
#include "sheet/row.h"
#include "sheet/stored_records.h"
#include "sheet/table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
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

// Where the batch writes a sheet of typed cells (a workbook): the header,
// every row, then the totals row. Each returns false, with problem(), when
// writing failed.
class typed_sink {
public:
    typed_sink() = default;
    typed_sink(const typed_sink&) = delete;
    typed_sink& operator=(const typed_sink&) = delete;
    virtual ~typed_sink() = default;
    virtual bool header(const std::vector<std::string>& names) = 0;
    virtual bool row(const std::vector<cell>& cells) = 0;
    virtual bool finish(const std::vector<cell>& totals) = 0;
    [[nodiscard]] virtual std::string problem() const = 0;
};

class batch_job {
public:
    // Reads CSV from `in`.
    explicit batch_job(std::istream& in, std::size_t block_size = std::size_t{1} << 20);
    // Reads the records `source` gives (a workbook's worksheet); it must
    // outlive the job.
    explicit batch_job(record_source& source);

    // Reads and checks the header row. On false, problem() says why.
    bool read_header();

    // The as-of day: rows without 实际缴款日期 are paid on it, and the tax a
    // debt still owes after its last payment accrues through it. None by
    // default: such rows and debts are then errors.
    void set_as_of(const std::optional<calc::date>& day) { as_of_ = day; }

    // Writes the header and every row to `out`. read_header() must have
    // succeeded.
    batch_status run(std::ostream& out);
    // The same as typed cells, then a totals row: in a computed row, amounts
    // and surcharges are numbers, day counts integers and dates dates; a row
    // left out for errors keeps every cell as text, so that no total counts
    // it; an unknown column keeps the cells of a workbook read as they were.
    batch_status run(typed_sink& out);

    [[nodiscard]] const std::string& problem() const { return problem_; }
    [[nodiscard]] std::size_t rows() const { return rows_; }
    [[nodiscard]] std::size_t failed_rows() const { return failed_rows_; }

private:
    void write_header(const csv_record& header);
    // Reads every record into stored_, then computes every debt into
    // debt_rows_; false when reading failed.
    bool gather();
    void compute_debts(const std::unordered_map<std::size_t, std::string>& reading_notes);
    char* put_debt_figure(char* at, const result_column& shown);
    char* put_debt_value(char* at, const result_column& shown);
    // The value of a column a row of a debt shows (debt_row_->columns has it).
    [[nodiscard]] std::int64_t debt_value_of(column role) const;
    bool next_row();
    // Computes and writes one row; false when the output failed.
    bool process(const csv_record& record);
    // Reads a record's cells into texts_ and row_texts_, what reading found into note_.
    void read_record(const csv_record& record);
    void evaluate(const csv_record& record);
    // Writers of the output: each writes at `at` and returns the end of what
    // it wrote. Room for the whole row is made once, before the row.
    char* put_figure(char* at, const result_column& shown);
    char* put_other(char* at, const result_column& shown);
    // The due_date cell of a sheet with a tax_period column: the input's cell
    // `input_cell`, or one appended when that is past the header's.
    char* put_deadline(char* at, const csv_record& record, std::size_t input_cell);
    [[nodiscard]] bool deadline_filled() const;
    void write_row(const csv_record& record);
    char* put_irregular_row(char* at, const csv_record& record);
    // The typed cells of the row just evaluated.
    void typed_row(const csv_record& record, std::vector<cell>& out);
    [[nodiscard]] cell typed_figure(const result_column& shown);
    // The row just evaluated has its figures (or, in a debt, its debt has).
    [[nodiscard]] bool row_ok() const {
        return debt_row_ != nullptr ? debt_row_->state == in_debt::computed : outcome_.ok;
    }
    // At least `size` bytes free after the output so far; returns where they start.
    char* room(std::size_t size);
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - buffer_.data()); }
    void append(std::string_view text);
    bool flush(bool force);
    bool finish_reading();

    std::unique_ptr<csv_source> own_source_;
    record_source* source_;
    std::optional<sheet_layout> layout_;
    csv_record record_;
    bool blank_ = false; // the row just evaluated is blank
    bool have_record_ = false;
    std::size_t pending_blanks_ = 0;
    // Cells of the output, each passed through or written from a result column.
    enum class run_kind : unsigned char {
        copy,           // input cells passed through
        figure,         // the column's figure (none when the row failed), or the error
        figure_or_copy, // the figure when the row was computed, the input cell otherwise
        deadline,       // the deadline filled from the calendar, the input cell otherwise
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
    std::vector<const result_column*> appended_; // result columns the input lacks
    std::vector<std::string> output_names_;      // the output's header
    std::vector<std::optional<column>> output_roles_;
    language lang_ = language::english;
    std::vector<std::string> scratch_; // unquoted texts of the row's cells
    std::vector<std::string_view> texts_;
    std::vector<std::int8_t> shown_; // the decimals the source's cells show, when it says
    bool typed_source_ = false;
    std::string amount_scratch_;
    row_texts row_texts_;
    reading_note note_;
    std::string note_text_;
    std::string line_end_;
    bool bom_ = false;
    row_outcome outcome_;
    std::string error_; // the error cell of the row just evaluated
    std::optional<calc::date> as_of_;
    // Debts paid in parts, when the header has 编号: every debt is computed
    // once the whole input is read, and each of its rows keeps what it shows
    // (debt_figure: day counts or cents, in column order), so that rows are
    // then written in the input's order as fast as the debts lie.
    enum class in_debt : unsigned char { no, computed, failed };
    struct debt_row {
        std::size_t first_value = 0; // in debt_values_
        std::uint32_t columns = 0;   // debt_columns
        in_debt state = in_debt::no;
        bool noted = false; // debt_notes_ holds its 备注
    };
    bool grouped_ = false;
    stored_records stored_;
    debt_book debts_;
    std::vector<debt_row> debt_rows_; // of each stored record
    std::vector<std::int64_t> debt_values_;
    std::unordered_map<std::size_t, std::string> debt_notes_; // 备注 of rows of debts, where any
    const debt_row* debt_row_ = nullptr; // of the row just evaluated, when it is in a debt
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
