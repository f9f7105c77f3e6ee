#include "batch.h"

#include "field_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace orvandel::cli {

struct result_column {
    enum class figure : unsigned char { count, money, error };
    batch_job::column role;
    std::string_view name;
    figure kind;
    calc::day_count calc::late_fee_result::*count = nullptr; // of counts
    calc::money calc::late_fee_result::*money = nullptr;     // of money
    // The row is read from this column too, so a row that fails keeps what it held.
    bool read = false;
};

namespace {

using column = batch_job::column;
using figure = result_column::figure;
using result = calc::late_fee_result;

// The result columns, in the order they are appended to an input that lacks them.
constexpr std::array<result_column, 8> result_columns{{
    {column::days_before, "days_before", figure::count, &result::days_before, nullptr, true},
    {column::days_after, "days_after", figure::count, &result::days_after, nullptr, true},
    {column::total_days, "total_days", figure::count, &result::total_days},
    {column::fee_before, "fee_before", figure::money, nullptr, &result::fee_before},
    {column::fee_after, "fee_after", figure::money, nullptr, &result::fee_after},
    {column::total_fee, "total_fee", figure::money, nullptr, &result::total_fee},
    {column::tax_and_fee_total, "tax_and_fee_total", figure::money, nullptr,
     &result::tax_and_fee_total},
    {column::error, "error", figure::error},
}};

// The columns that are only read.
constexpr std::array<std::pair<column, std::string_view>, 3> input_columns{{
    {column::amount, "amount"},
    {column::start_date, "start_date"},
    {column::end_date, "end_date"},
}};

const result_column* result_column_named(std::string_view name) {
    const auto* found = std::find_if(result_columns.begin(), result_columns.end(),
                                     [&](const result_column& c) { return c.name == name; });
    return found == result_columns.end() ? nullptr : found;
}

column input_role(std::string_view name) {
    const auto* found = std::find_if(input_columns.begin(), input_columns.end(),
                                     [&](const auto& c) { return c.second == name; });
    return found == input_columns.end() ? column::other : found->first;
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
    std::string scratch;
    for (std::size_t i = 0; i < header.cells.size(); ++i) {
        const std::string_view name = cell_text(header.cells[i], scratch);
        const result_column* const shown = result_column_named(name);
        cell_run cell{i, i};
        if (shown != nullptr) {
            cell.kind = shown->read ? run_kind::figure_or_copy : run_kind::figure;
            cell.column = shown;
        }
        cells_.push_back(cell);
        const column role = shown != nullptr ? shown->role : input_role(name);
        if (role == column::other) {
            continue;
        }
        if (index_[slot(role)] >= 0) {
            problem_ = "the header names the column " + std::string(name) + " twice";
            return false;
        }
        index_[slot(role)] = static_cast<std::ptrdiff_t>(i);
    }
    if (index_[slot(column::amount)] < 0) {
        problem_ = "the header has no amount column";
        return false;
    }
    for (const cell_run& cell : cells_) {
        if (cell.kind == run_kind::copy && !runs_.empty() && runs_.back().kind == run_kind::copy) {
            runs_.back().last = cell.last;
        } else {
            runs_.push_back(cell);
        }
    }
    for (const result_column& shown : result_columns) {
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
        append(shown->name);
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

std::string_view batch_job::input_text(const csv_record& record, column role) {
    const std::ptrdiff_t at = index_[slot(role)];
    if (at < 0) {
        return {};
    }
    return cell_text(record.cells[static_cast<std::size_t>(at)], scratch_[slot(role)]);
}

void batch_job::add_error(std::string_view field, std::string_view problem) {
    std::string& error = outcome_.error;
    if (!error.empty()) {
        error += "; ";
    }
    error.append(field).append(": ").append(problem);
}

void batch_job::evaluate(const csv_record& record) {
    outcome_.ok = false;
    outcome_.error.clear();
    if (record.cells.size() != cells_.size()) {
        const std::size_t cells = record.cells.size();
        add_error("row", std::to_string(cells) + (cells == 1 ? " cell" : " cells") +
                             " but the header has " + std::to_string(cells_.size()));
        return;
    }
    if (record.open_quote) {
        add_error("row", "the input ends inside a quoted cell");
        return;
    }
    const row_fields fields{
        input_text(record, column::amount),     input_text(record, column::start_date),
        input_text(record, column::end_date),   input_text(record, column::days_before),
        input_text(record, column::days_after),
    };
    calc::late_fee_input input;
    const auto amount = read_amount(fields.amount);
    if (amount) {
        input.amount_due = *amount;
    } else {
        add_error("amount", amount.error());
    }
    const bool dates_given = !fields.start_date.empty() || !fields.end_date.empty();
    const bool days_given = !fields.days_before.empty() || !fields.days_after.empty();
    if (dates_given && days_given) {
        add_error("start_date/end_date and days_before/days_after",
                  "give only one of the two pairs");
    } else if (!dates_given && !days_given) {
        add_error("start_date/end_date or days_before/days_after", "missing");
    } else {
        input.mode = dates_given ? calc::entry_mode::by_dates : calc::entry_mode::by_days;
        evaluate_period(fields, input);
    }
    if (!outcome_.error.empty()) {
        return;
    }
    const auto figures = calc::compute_late_fee(input);
    if (!figures) {
        const fee_problem problem = describe(figures.error());
        add_error(problem.field, problem.problem);
        return;
    }
    outcome_.figures = *figures;
    outcome_.ok = true;
}

void batch_job::evaluate_period(const row_fields& fields, calc::late_fee_input& input) {
    if (input.mode == calc::entry_mode::by_dates) {
        const auto start = read_date(fields.start_date);
        const auto end = read_date(fields.end_date);
        if (start) {
            input.start_date = *start;
        } else {
            add_error("start_date", start.error());
        }
        if (end) {
            input.end_date = *end;
        } else {
            add_error("end_date", end.error());
        }
        if (start && end && input.start_date > input.end_date) {
            const fee_problem problem = describe(calc::fee_error::start_after_end);
            add_error(problem.field, problem.problem);
        }
        return;
    }
    const auto before = read_day_count(fields.days_before);
    const auto after = read_day_count(fields.days_after);
    if (before) {
        input.days_before = *before;
    } else {
        add_error("days_before", before.error());
    }
    if (after) {
        input.days_after = *after;
    } else {
        add_error("days_after", after.error());
    }
}

// The text of a result column for the row just evaluated: its figure, none
// when the row failed, or the row's error.
inline char* batch_job::put_figure(char* at, const result_column& shown) {
    if (!outcome_.ok || shown.kind == figure::error) {
        return put_error(at, shown);
    }
    if (shown.kind == figure::count) {
        return write_count(at, outcome_.figures.*shown.count);
    }
    return write_cents(at, outcome_.figures.*shown.money); // the engine's figures have two places
}

// The text of a result column for a row that failed: the error in the error
// column, nothing in the others.
char* batch_job::put_error(char* at, const result_column& shown) {
    return shown.kind == figure::error && !outcome_.error.empty() ? write_cell(at, outcome_.error)
                                                                  : at;
}

void batch_job::write_row(const csv_record& record) {
    // Each output cell is an input cell, at most figure_room bytes or the
    // error cell, and there is at most one comma per header or appended
    // column besides those of the input.
    char* at = room(record.raw.size() + 1 + cells_.size() + appended_.size() +
                    result_columns.size() * figure_room + cell_room(outcome_.error) + 2);
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
            at = put_error(at, *cells_[i].column);
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
                at = put_error(at, *shown);
            }
        }
    }
    return at;
}

} // namespace orvandel::cli
