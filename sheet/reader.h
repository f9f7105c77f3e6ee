// Reading a sheet of many items: its header, then each row as the texts of
// its input columns. This is the one place that says which header text names
// which column, which rows are blank, when a dated row's day counts are its
// results rather than counts given, and how a cell a spreadsheet formula
// computed is read. The batch, the worksheet, the audit sheet's export and
// the benchmarks read every file through here, so a file any of them writes
// opens in all of them.
//
// The rules:
// - The header is the first record. Each cell names a column (columns.h) in
//   English or Chinese; the language of the amount column, which is
//   required, is the sheet's. A name in the other language, like any name
//   the sheet does not know, is an unknown column: kept by whoever writes
//   the sheet back, read by no rule. A column named twice is refused.
// - A row whose cells are all empty is blank: no item, no error. Blank rows
//   at the very end of a file are not rows at all.
// - A row by dates (any date cell given) whose 合计滞纳天数 is filled was
//   written with its results, by the batch or the worksheet: its day counts
//   are results and are not read. Without a 合计滞纳天数, day counts beside
//   dates are a second pair, which the row rules refuse.
// - A number cell of a workbook whose format shows two decimals ("#,##0.00")
//   but which holds more (a formula's =B2*0.07, 864.1969) is read as it
//   shows, half up (864.20), and its note says so. Any other amount of more
//   than two decimals is refused, as typed ones are.
// - A row as wide as the header reads its cells; a shorter or longer row, or
//   one the file ends inside of (an open quote), is read no further: its note
//   says why and it has no figures.
//
// Everything but the header-language rule is the same for every reader of a
// sheet; what differs is an explicit option (reader_options) or is done after
// reading (the worksheet's 缴款日期 for rows without 实际缴款日期 is
// evaluate_row's payment date).
#pragma once

#include "sheet/columns.h"
#include "sheet/csv.h"
#include "sheet/row.h"
#include "sheet/table.h"

#include "calc/number_text.h"
#include "calc/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

// ---- the header -------------------------------------------------------------

enum class header_error : unsigned char {
    empty,       // no record at all
    no_amount,   // no cell names the amount column
    named_twice, // a column is named twice (detail: the name)
    cannot_read, // the file could not be read (detail: why)
};

struct header_problem {
    header_error what = header_error::empty;
    std::string detail;
};

// "the header has no amount column" / "标题行没有“应缴税款金额”（或 amount）列".
[[nodiscard]] std::string describe(const header_problem& problem, language lang);

class sheet_layout {
public:
    [[nodiscard]] static calc::result<sheet_layout, header_problem>
    read(std::span<const std::string_view> header);

    [[nodiscard]] language lang() const { return lang_; }
    // Cells in the header.
    [[nodiscard]] std::size_t width() const { return width_; }
    // Where the header names `c`, or nothing.
    [[nodiscard]] std::optional<std::size_t> position(column c) const {
        const std::ptrdiff_t at = at_[static_cast<std::size_t>(c)];
        return at < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(at));
    }
    [[nodiscard]] bool has(column c) const { return at_[static_cast<std::size_t>(c)] >= 0; }
    // The pairs the header has a column of (every pair when none).
    [[nodiscard]] pair_set offered() const { return offered_; }
    // The positions of the cells that name no column of the sheet, in order.
    [[nodiscard]] const std::vector<std::size_t>& unknown() const { return unknown_; }
    // The header's texts, as read.
    [[nodiscard]] const std::vector<std::string>& names() const { return names_; }

    // The input columns the header has: where each stands and where
    // evaluate_row takes its text.
    struct read_cell {
        std::size_t at;
        std::string_view row_texts::*text;
    };
    [[nodiscard]] const std::vector<read_cell>& reads() const { return reads_; }
    // Where 合计滞纳天数 and the amount stand, or past the header's end.
    [[nodiscard]] std::size_t total_days_at() const { return total_days_at_; }
    [[nodiscard]] std::size_t amount_at() const { return amount_at_; }

private:
    language lang_ = language::english;
    std::size_t width_ = 0;
    std::array<std::ptrdiff_t, column_count> at_{};
    pair_set offered_ = every_pair;
    std::vector<std::size_t> unknown_;
    std::vector<std::string> names_;
    std::vector<read_cell> reads_;
    std::size_t total_days_at_ = static_cast<std::size_t>(-1);
    std::size_t amount_at_ = static_cast<std::size_t>(-1);
};

// ---- one row --------------------------------------------------------------------

// What reading found about a row beyond its cells (see row_texts).
enum class reading_note_kind : unsigned char {
    none,
    wrong_width,     // cells: how many the row has; width: the header's
    cut_short,       // the file ends inside a quoted cell of the row
    amount_as_shown, // shown: the amount as the cell shows it; stored: what it holds
};

struct reading_note {
    reading_note_kind kind = reading_note_kind::none;
    std::size_t cells = 0, width = 0;
    std::string shown, stored;
    [[nodiscard]] bool blocks() const {
        return kind == reading_note_kind::wrong_width || kind == reading_note_kind::cut_short;
    }
};

// "row: 5 cells but the header has 15" / "行：有5格，表头有15格";
// "按单元格显示值864.20计算（存储值864.1969）".
[[nodiscard]] std::string describe(const reading_note& note, language lang);

// The cells of one record as the rules read them: the text of each, and for a
// number cell of a workbook the decimals its format shows (-1 when it shows
// no fixed number, or for CSV).
struct record_cells {
    std::span<const std::string_view> texts;
    std::span<const std::int8_t> shown_decimals; // empty, or one per text
    bool cut_short = false;                      // the file ended inside the last cell
};

// A dated row (a date cell given) beside whose dates the 合计滞纳天数 is
// filled was written with its results: its day counts are results, not counts
// given. The one test of it, for files and pasted blocks alike.
[[nodiscard]] constexpr bool day_counts_are_results(bool dated, std::string_view total_days) {
    return dated && !total_days.empty();
}

// The amount as a cell whose format shows two decimals shows it: `text`
// read exactly and rounded half up to the cent ("864.1969" → "864.20");
// nothing when it is no amount of more than two decimals.
[[nodiscard]] std::optional<std::string> amount_as_shown(std::string_view text);

// Reads one row that is not blank (is_blank): its input texts into `texts`
// (views of the cells or of `scratch`; texts of columns the header lacks are
// left as they are), what reading found into `note`.
// `text_at(i)` gives the text of the row's cell i < `cells`; `shown` the
// decimals each cell's format shows, when the file says (a workbook).
template <class TextAt>
void read_row(const sheet_layout& layout, std::size_t cells, const TextAt& text_at,
              std::span<const std::int8_t> shown, bool cut_short, row_texts& texts,
              reading_note& note, std::string& scratch) {
    // Only the columns the header has are read; the others keep what they
    // hold, which is nothing for a row_texts that never read another sheet.
    texts.offered = layout.offered();
    note.kind = reading_note_kind::none;
    // The cells there are, by their places, so that a row of the wrong width
    // keeps them for whoever shows it; its note keeps it from being computed.
    for (const sheet_layout::read_cell& read : layout.reads()) {
        texts.*read.text = read.at < cells ? text_at(read.at) : std::string_view{};
    }
    // Day counts beside a dated row's dates and its 合计滞纳天数 are its results.
    const std::size_t total_days_at = layout.total_days_at();
    if (total_days_at < cells) {
        const bool dated = !texts.due_date.empty() || !texts.pay_date.empty() ||
                           !texts.start_date.empty() || !texts.end_date.empty();
        if (day_counts_are_results(dated, text_at(total_days_at))) {
            texts.days_before = {};
            texts.days_after = {};
        }
    }
    // An amount a formula computed, read as its cell shows it.
    const std::size_t amount_at = layout.amount_at();
    if (amount_at < shown.size() && shown[amount_at] == calc::amount_decimals) {
        if (auto as_shown = amount_as_shown(texts.amount)) {
            note = {reading_note_kind::amount_as_shown, 0, 0, *as_shown, std::string(texts.amount)};
            scratch = std::move(*as_shown);
            texts.amount = scratch;
        }
    }
    if (cells != layout.width()) {
        note = {reading_note_kind::wrong_width, cells, layout.width(), {}, {}};
    } else if (cut_short) {
        note = {reading_note_kind::cut_short, 0, 0, {}, {}};
    }
}

// The same over the texts of the row's cells.
inline void read_row(const sheet_layout& layout, const record_cells& cells, row_texts& texts,
                     reading_note& note, std::string& scratch) {
    read_row(
        layout, cells.texts.size(), [&](std::size_t i) { return cells.texts[i]; },
        cells.shown_decimals, cells.cut_short, texts, note, scratch);
}

// ---- whole files ---------------------------------------------------------------

// The records of a file: CSV, or a workbook's worksheet as CSV records.
class record_source {
public:
    record_source() = default;
    record_source(const record_source&) = delete;
    record_source& operator=(const record_source&) = delete;
    virtual ~record_source() = default;

    // The next record, whose views stay valid until the next call. False at
    // the end or when reading failed (problem()).
    virtual bool next(csv_record& record) = 0;
    // The record's cells as typed in a workbook; nullptr for CSV.
    [[nodiscard]] virtual const std::vector<cell>* typed_cells() const { return nullptr; }
    // The file began with a UTF-8 byte order mark.
    [[nodiscard]] virtual bool had_bom() const { return false; }
    // Why reading stopped early, in words; empty when it did not.
    [[nodiscard]] virtual std::string problem(language lang) const = 0;
};

// CSV (RFC 4180, see csv.h) from a stream of UTF-8.
class csv_source final : public record_source {
public:
    explicit csv_source(std::istream& in, std::size_t block_size = std::size_t{1} << 20)
        : reader_(in, block_size) {}
    bool next(csv_record& record) override { return reader_.next(record); }
    [[nodiscard]] bool had_bom() const override { return reader_.had_bom(); }
    [[nodiscard]] std::string problem(language lang) const override;

private:
    csv_reader reader_;
};

struct reader_options {
    // Read and compute each row (evaluate_row), with this day for a row's
    // empty 实际缴款日期; the worksheet keeps texts only and computes later.
    bool evaluate = true;
    std::optional<calc::date> payment_date;
    // The language of the notes in sheet_row::note_text; the sheet's own
    // when nothing.
    std::optional<language> note_language;
};

struct sheet_row {
    bool blank = false;
    row_texts texts;                     // views into the row's cells and note_text
    std::vector<std::string_view> cells; // every cell's text, in the record's order
    reading_note note;
    std::string note_text; // the note in words
    row_outcome outcome;   // when reader_options::evaluate
};

class sheet_reader {
public:
    explicit sheet_reader(record_source& source, reader_options options = {});

    // Reads the header. False, with problem(), when there is none or it
    // names no amount column or a column twice.
    bool read_header();
    [[nodiscard]] const sheet_layout& layout() const { return *layout_; }
    // The day for rows without 实际缴款日期 from here on (reader_options).
    void set_payment_date(const std::optional<calc::date>& day) { options_.payment_date = day; }

    // The next row. False at the end, or when reading failed (problem()).
    bool next(sheet_row& row);
    [[nodiscard]] const std::optional<header_problem>& problem() const { return problem_; }

private:
    void take(const csv_record& record, sheet_row& row);

    record_source& source_;
    reader_options options_;
    std::optional<sheet_layout> layout_;
    std::optional<header_problem> problem_;
    csv_record record_;
    bool have_record_ = false; // record_ is a row not yet given
    std::size_t pending_blanks_ = 0;
    std::vector<std::string> scratch_;
    std::vector<std::int8_t> shown_;
    std::string amount_scratch_;
};

// Every cell of `record` is empty ("" counts as empty).
[[nodiscard]] inline bool is_blank(const csv_record& record) {
    if (record.open_quote) {
        return false;
    }
    for (const csv_cell& c : record.cells) {
        if (!c.raw.empty() && c.raw != "\"\"") {
            return false;
        }
    }
    return true;
}

// The text of each cell of `record`, unquoted; `scratch` holds those that lose
// their quotes.
void record_texts(const csv_record& record, std::vector<std::string>& scratch,
                  std::vector<std::string_view>& texts);

} // namespace orvandel::sheet
