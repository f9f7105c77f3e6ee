#include "sheet/batch.h"

#include "sheet/figure_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace orvandel::sheet {

struct result_column {
    enum class figure : unsigned char { count, money, one_more_day, error };
    column role;
    figure kind;
    calc::day_count calc::late_fee_result::*count = nullptr; // of counts
    calc::money calc::late_fee_result::*money = nullptr;     // of money
    // The row is read from this column too, so a row that fails keeps what it held.
    bool read = false;
};

namespace {

using figure = result_column::figure;
using result = calc::late_fee_result;

// The result columns, in the order they are appended to an input that lacks
// them; one_more_day, last, is filled in only where the input has it.
constexpr std::array<result_column, 9> result_columns{{
    {column::days_before, figure::count, &result::days_before, nullptr, true},
    {column::days_after, figure::count, &result::days_after, nullptr, true},
    {column::total_days, figure::count, &result::total_days},
    {column::fee_before, figure::money, nullptr, &result::fee_before},
    {column::fee_after, figure::money, nullptr, &result::fee_after},
    {column::total_fee, figure::money, nullptr, &result::total_fee},
    {column::tax_and_fee_total, figure::money, nullptr, &result::tax_and_fee_total},
    {column::note, figure::error},
    {column::one_more_day, figure::one_more_day},
}};
constexpr std::size_t appended_columns = 8;

// The columns a row is read from, and where evaluate_row takes each.
constexpr std::array<std::pair<column, std::string_view row_texts::*>, 7> input_columns{{
    {column::amount, &row_texts::amount},
    {column::due_date, &row_texts::due_date},
    {column::pay_date, &row_texts::pay_date},
    {column::start_date, &row_texts::start_date},
    {column::end_date, &row_texts::end_date},
    {column::days_before, &row_texts::days_before},
    {column::days_after, &row_texts::days_after},
}};

const result_column* result_column_of(column role) {
    const auto* found = std::find_if(result_columns.begin(), result_columns.end(),
                                     [&](const result_column& c) { return c.role == role; });
    return found == result_columns.end() ? nullptr : found;
}

// The language of the header's first amount column (English when it has
// none, which read_header refuses).
language header_language(const csv_record& header) {
    std::string scratch;
    for (const csv_cell& cell : header.cells) {
        const auto named = column_named(cell_text(cell, scratch));
        if (named && named->role == column::amount) {
            return named->lang;
        }
    }
    return language::english;
}

constexpr std::size_t slot(column role) {
    return static_cast<std::size_t>(role);
}

constexpr std::size_t flush_size = std::size_t{1} << 20;

} // namespace

batch_job::batch_job(std::istream& in, std::size_t block_size) : reader_(in, block_size) {
    index_.fill(-1);
    blank_.cells.push_back({std::string_view("", 0)}); // a view that points somewhere, for memcpy
}

bool batch_job::read_header() {
    csv_record header;
    if (!reader_.next(header)) {
        problem_ = reader_.failed() ? "cannot read the input"
                                    : "the input is empty; a header row is required";
        return false;
    }
    lang_ = header_language(header);
    std::string scratch;
    for (std::size_t i = 0; i < header.cells.size(); ++i) {
        const std::string_view name = cell_text(header.cells[i], scratch);
        const auto named = column_named(name);
        cell_run cell{i, i};
        // A name in the other language, like any name the sheet does not
        // know, is a column passed through; so is an item, which is text.
        if (!named || named->lang != lang_ || named->role == column::item) {
            cells_.push_back(cell);
            continue;
        }
        const column role = named->role;
        if (index_[slot(role)] >= 0) {
            problem_ = "the header names the column " + std::string(name) + " twice";
            return false;
        }
        index_[slot(role)] = static_cast<std::ptrdiff_t>(i);
        if (const result_column* shown = result_column_of(role)) {
            cell.kind = shown->read ? run_kind::figure_or_copy : run_kind::figure;
            cell.column = shown;
        }
        cells_.push_back(cell);
    }
    if (index_[slot(column::amount)] < 0) {
        problem_ = "the header has no amount column";
        return false;
    }
    texts_.offered = pair_bit(period_basis::start_and_end) | pair_bit(period_basis::day_counts);
    if (index_[slot(column::due_date)] >= 0 || index_[slot(column::pay_date)] >= 0) {
        texts_.offered |= pair_bit(period_basis::due_and_paid);
    }
    for (const auto& [role, text] : input_columns) {
        if (index_[slot(role)] >= 0) {
            inputs_.push_back({role, static_cast<std::size_t>(index_[slot(role)]), text});
        }
    }
    for (const cell_run& cell : cells_) {
        if (cell.kind == run_kind::copy && !runs_.empty() && runs_.back().kind == run_kind::copy) {
            runs_.back().last = cell.last;
        } else {
            runs_.push_back(cell);
        }
    }
    for (std::size_t k = 0; k < appended_columns; ++k) {
        const result_column& shown = result_columns[k];
        if (index_[slot(shown.role)] < 0) {
            appended_.push_back(&shown);
            runs_.push_back({cells_.size(), cells_.size(), run_kind::figure, &shown});
        }
    }
    line_end_ = header.line_end.empty() ? "\r\n" : std::string(header.line_end);
    bom_ = reader_.had_bom();
    write_header(header);
    return true;
}

void batch_job::write_header(const csv_record& header) {
    if (bom_) {
        append("\xEF\xBB\xBF");
    }
    append(header.raw);
    if (header.open_quote) {
        append("\"");
    }
    for (const result_column* shown : appended_) {
        append(",");
        append(column_name(shown->role, lang_));
    }
    append(line_end_);
}

char* batch_job::room(std::size_t size) {
    if (buffer_.size() - size_ < size) {
        buffer_.resize(std::max({buffer_.size() * 2, size_ + size, flush_size + 4096}));
    }
    return buffer_.data() + size_;
}

void batch_job::append(std::string_view text) {
    char* const at = room(text.size());
    std::memcpy(at, text.data(), text.size());
    commit(at + text.size());
}

batch_status batch_job::run(std::ostream& out) {
    out_ = &out;
    if (!flush(true)) {
        return batch_status::unusable;
    }
    while (reader_.next(record_)) {
        const bool blank = record_.raw.empty() && !record_.open_quote;
        if (blank) {
            ++pending_blanks_;
            continue;
        }
        for (; pending_blanks_ > 0; --pending_blanks_) {
            if (!process(blank_)) {
                return batch_status::unusable;
            }
        }
        if (!process(record_)) {
            return batch_status::unusable;
        }
    }
    if (reader_.failed()) {
        flush(true);
        problem_ = "cannot read the input";
        return batch_status::unusable;
    }
    if (!flush(true)) {
        return batch_status::unusable;
    }
    return failed_rows_ == 0 ? batch_status::all_rows_ok : batch_status::some_rows_failed;
}

bool batch_job::flush(bool force) {
    if (size_ < flush_size && !force) {
        return true;
    }
    out_->write(buffer_.data(), static_cast<std::streamsize>(size_));
    size_ = 0;
    if (force) {
        out_->flush();
    }
    if (!*out_) {
        problem_ = "cannot write the output";
        return false;
    }
    return true;
}

bool batch_job::process(const csv_record& record) {
    ++rows_;
    evaluate(record);
    if (!outcome_.ok) {
        ++failed_rows_;
    }
    write_row(record);
    return flush(false);
}

void batch_job::add_row_error(std::string_view english, std::string_view chinese) {
    error_ = lang_ == language::english ? "row: " : "行：";
    error_ += lang_ == language::english ? english : chinese;
}

void batch_job::evaluate(const csv_record& record) {
    error_.clear();
    outcome_.ok = false;
    if (record.cells.size() != cells_.size()) {
        const std::string cells = std::to_string(record.cells.size());
        const std::string width = std::to_string(cells_.size());
        add_row_error(cells + (record.cells.size() == 1 ? " cell" : " cells") +
                          " but the header has " + width,
                      "有" + cells + "格，表头有" + width + "格");
        return;
    }
    if (record.open_quote) {
        add_row_error("the input ends inside a quoted cell", "文件在引号内结束");
        return;
    }
    // The texts of the columns the header lacks stay empty.
    for (const input_cell& cell : inputs_) {
        texts_.*cell.text = cell_text(record.cells[cell.at], scratch_[slot(cell.role)]);
    }
    evaluate_row_into(texts_, outcome_);
    if (!outcome_.ok || outcome_.not_overdue) {
        append_description(error_, outcome_, lang_);
    }
}

// The text of a result column for the row just evaluated: its figure, none
// when the row failed, or the row's error.
inline char* batch_job::put_figure(char* at, const result_column& shown) {
    if (!outcome_.ok || shown.kind >= figure::one_more_day) {
        return put_other(at, shown);
    }
    if (shown.kind == figure::count) {
        return write_count(at, outcome_.figures.*shown.count);
    }
    return write_cents(at, outcome_.figures.*shown.money); // the engine's figures have two places
}

// The text of the error and one_more_day columns, and of every result column
// of a row that failed: the error in the error column, what a day more adds
// for a computed row, nothing in the others.
char* batch_job::put_other(char* at, const result_column& shown) {
    if (shown.kind == figure::error) {
        return error_.empty() ? at : write_cell(at, error_);
    }
    if (shown.kind == figure::one_more_day && outcome_.ok) {
        const auto more = one_more_day(outcome_);
        return more ? write_cents(at, *more) : at;
    }
    return at;
}

void batch_job::write_row(const csv_record& record) {
    // Each output cell is an input cell, at most figure_room bytes or the
    // error cell, and there is at most one comma per header or appended
    // column besides those of the input.
    char* at = room(record.raw.size() + 1 + cells_.size() + appended_.size() +
                    result_columns.size() * figure_room + cell_room(error_) + 2);
    if (record.cells.size() != cells_.size() || record.open_quote) {
        at = put_irregular_row(at, record);
    } else {
        // Every byte written goes through a char pointer, which may alias
        // anything, so what the loop reads is held in locals.
        const bool ok = outcome_.ok;
        const csv_cell* const cells = record.cells.data();
        const cell_run* const first = runs_.data();
        const cell_run* const last = first + runs_.size();
        for (const cell_run* run = first; run != last; ++run) {
            if (run != first) {
                *at++ = ',';
            }
            if (run->kind == run_kind::figure || (run->kind == run_kind::figure_or_copy && ok)) {
                at = put_figure(at, *run->column);
                continue;
            }
            // A run of passed-through cells is one stretch of the record,
            // commas included, so it is copied at once.
            const char* const from = cells[run->first].raw.data();
            const std::string_view end = cells[run->last].raw;
            const auto size = static_cast<std::size_t>(end.data() + end.size() - from);
            std::memcpy(at, from, size);
            at += size;
        }
    }
    // Two bytes are stored (of "\n" its terminating zero as well); only the
    // line ending's own count is kept.
    std::memcpy(at, line_end_.data(), 2);
    commit(at + line_end_.size());
}

// A row whose cells do not match the header: an error row, so its only figure
// is the error. Every cell is kept, short rows are padded to the header's width
// and surplus cells follow the appended columns.
char* batch_job::put_irregular_row(char* at, const csv_record& record) {
    const std::size_t width = cells_.size();
    const std::vector<csv_cell>& cells = record.cells;
    const std::size_t count = std::max(width, cells.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            *at++ = ',';
        }
        if (i < width && cells_[i].kind == run_kind::figure) {
            at = put_other(at, *cells_[i].column);
        } else if (i < cells.size()) {
            const std::string_view raw = cells[i].raw;
            std::memcpy(at, raw.data(), raw.size());
            at += raw.size();
            if (record.open_quote && i + 1 == cells.size()) {
                *at++ = '"';
            }
        }
        if (i + 1 == width) {
            for (const result_column* shown : appended_) {
                *at++ = ',';
                at = put_other(at, *shown);
            }
        }
    }
    return at;
}

} // namespace orvandel::sheet
