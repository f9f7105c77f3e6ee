#include "batch.h"

#include "field_text.h"

#include <algorithm>
#include <cstring>

namespace orvandel::cli {
namespace {

using column = batch_job::column;

constexpr std::array<std::string_view, batch_job::column_count> column_names{
    "",           "amount",     "start_date", "end_date",  "days_before",       "days_after",
    "total_days", "fee_before", "fee_after",  "total_fee", "tax_and_fee_total", "error",
};

// The columns every output row has, in the order they are appended.
constexpr std::array<column, 8> output_columns{
    column::days_before, column::days_after, column::total_days,        column::fee_before,
    column::fee_after,   column::total_fee,  column::tax_and_fee_total, column::error,
};

constexpr std::size_t slot(column role) {
    return static_cast<std::size_t>(role);
}

column role_of(std::string_view name) {
    const auto* found = std::find(column_names.begin() + 1, column_names.end(), name);
    return found == column_names.end() ? column::other
                                       : static_cast<column>(found - column_names.begin());
}

bool is_output(column role) {
    return std::find(output_columns.begin(), output_columns.end(), role) != output_columns.end();
}

// Day counts are input as well as output: a bad row keeps what was typed there.
bool is_day_count(column role) {
    return role == column::days_before || role == column::days_after;
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
        const column role = role_of(name);
        roles_.push_back(role);
        if (role == column::other) {
            continue;
        }
        if (index_[slot(role)] >= 0) {
            problem_ = "the header names the column " + std::string(name) + " twice";
            return false;
        }
        index_[slot(role)] = static_cast<std::ptrdiff_t>(i);
    }
    for (std::size_t i = 0; i < roles_.size(); ++i) {
        const column role = roles_[i];
        const cell_use use = !is_output(role)     ? cell_use::copy
                             : is_day_count(role) ? cell_use::figure_or_copy
                                                  : cell_use::figure;
        uses_.push_back(use);
        if (use != cell_use::copy) {
            runs_.push_back(figure_run(i, use, role));
        } else if (!runs_.empty() && runs_.back().kind == run_kind::copy) {
            runs_.back().last = i;
        } else {
            runs_.push_back({i, i});
        }
    }
    if (index_[slot(column::amount)] < 0) {
        problem_ = "the header has no amount column";
        return false;
    }
    for (const column role : output_columns) {
        if (index_[slot(role)] < 0) {
            appended_.push_back(role);
            runs_.push_back(figure_run(roles_.size(), cell_use::figure, role));
        }
    }
    line_end_ = header.line_end.empty() ? "\r\n" : std::string(header.line_end);
    bom_ = reader_.had_bom();
    write_header(header);
    return true;
}

batch_job::cell_run batch_job::figure_run(std::size_t at, cell_use use, column role) {
    cell_run run{at, at, run_kind::money};
    using figures = calc::late_fee_result;
    const run_kind count =
        use == cell_use::figure_or_copy ? run_kind::count_or_copy : run_kind::count;
    switch (role) {
    case column::days_before:
        run.kind = count;
        run.count = &figures::days_before;
        break;
    case column::days_after:
        run.kind = count;
        run.count = &figures::days_after;
        break;
    case column::total_days:
        run.kind = count;
        run.count = &figures::total_days;
        break;
    case column::fee_before:
        run.money = &figures::fee_before;
        break;
    case column::fee_after:
        run.money = &figures::fee_after;
        break;
    case column::total_fee:
        run.money = &figures::total_fee;
        break;
    case column::tax_and_fee_total:
        run.money = &figures::tax_and_fee_total;
        break;
    default:
        run.kind = run_kind::error;
        break;
    }
    return run;
}

void batch_job::write_header(const csv_record& header) {
    if (bom_) {
        append("\xEF\xBB\xBF");
    }
    append(header.raw);
    if (header.open_quote) {
        append("\"");
    }
    for (const column role : appended_) {
        append(",");
        append(column_names[slot(role)]);
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
    if (record.cells.size() != roles_.size()) {
        const std::size_t cells = record.cells.size();
        add_error("row", std::to_string(cells) + (cells == 1 ? " cell" : " cells") +
                             " but the header has " + std::to_string(roles_.size()));
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

// The text of an output column for the row just evaluated.
char* batch_job::put_output(char* at, column role) {
    if (role == column::error) {
        return write_cell(at, outcome_.error);
    }
    if (!outcome_.ok) {
        return at;
    }
    const calc::late_fee_result& r = outcome_.figures;
    switch (role) {
    case column::days_before:
        return write_count(at, r.days_before);
    case column::days_after:
        return write_count(at, r.days_after);
    case column::total_days:
        return write_count(at, r.total_days);
    case column::fee_before:
        return put_money(at, r.fee_before);
    case column::fee_after:
        return put_money(at, r.fee_after);
    case column::total_fee:
        return put_money(at, r.total_fee);
    case column::tax_and_fee_total:
        return put_money(at, r.tax_and_fee_total);
    default:
        return at;
    }
}

inline char* batch_job::put_money(char* at, const calc::money& value) {
    if (value.scale == calc::money_places) {
        return write_cents(at, value); // every figure of the engine
    }
    return put_other_money(at, value);
}

char* batch_job::put_other_money(char* at, const calc::money& value) {
    commit(at);
    std::string text;
    append_money(text, value);
    append(text);
    return room(row_room_);
}

bool batch_job::keeps_input(cell_use use) const {
    return use == cell_use::copy || (use == cell_use::figure_or_copy && !outcome_.ok);
}

void batch_job::write_row(const csv_record& record) {
    // Each output cell is an input cell, at most figure_room bytes or the
    // error cell, and there is at most one comma per header or appended
    // column besides those of the input.
    row_room_ = record.raw.size() + 1 + roles_.size() + appended_.size() +
                output_columns.size() * figure_room + cell_room(outcome_.error) + 2;
    char* at = room(row_room_);
    if (record.cells.size() != roles_.size() || record.open_quote) {
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
            switch (run->kind) {
            case run_kind::count_or_copy:
                if (ok) {
                    at = write_count(at, outcome_.figures.*(run->count));
                    break;
                }
                [[fallthrough]];
            case run_kind::copy: {
                // A run of passed-through cells is one stretch of the record,
                // commas included, so it is copied at once.
                const char* const from = cells[run->first].raw.data();
                const std::string_view end = cells[run->last].raw;
                const auto size = static_cast<std::size_t>(end.data() + end.size() - from);
                std::memcpy(at, from, size);
                at += size;
                break;
            }
            case run_kind::count:
                if (ok) {
                    at = write_count(at, outcome_.figures.*(run->count));
                }
                break;
            case run_kind::money:
                if (ok) {
                    at = put_money(at, outcome_.figures.*(run->money));
                }
                break;
            case run_kind::error:
                if (!outcome_.error.empty()) {
                    at = write_cell(at, outcome_.error);
                }
                break;
            }
        }
    }
    // Two bytes are stored (of "\n" its terminating zero as well); only the
    // line ending's own count is kept.
    std::memcpy(at, line_end_.data(), 2);
    commit(at + line_end_.size());
}

// A row whose cells do not match the header (always an error row): every
// cell is kept, short rows are padded to the header's width and surplus cells
// follow the appended columns.
char* batch_job::put_irregular_row(char* at, const csv_record& record) {
    const std::size_t width = roles_.size();
    const std::vector<csv_cell>& cells = record.cells;
    const std::size_t count = std::max(width, cells.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            *at++ = ',';
        }
        if (i < width && !keeps_input(uses_[i])) {
            at = put_output(at, roles_[i]);
        } else if (i < cells.size()) {
            const std::string_view raw = cells[i].raw;
            std::memcpy(at, raw.data(), raw.size());
            at += raw.size();
            if (record.open_quote && i + 1 == cells.size()) {
                *at++ = '"';
            }
        }
        if (i + 1 == width) {
            at = put_missing_columns(at);
        }
    }
    return at;
}

char* batch_job::put_missing_columns(char* at) {
    for (const column role : appended_) {
        *at++ = ',';
        at = put_output(at, role);
    }
    return at;
}

} // namespace orvandel::cli
