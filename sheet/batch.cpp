#include "sheet/batch.h"

#include "sheet/figure_text.h"
#include "sheet/result_cells.h"

#include "calc/number_text.h"
#include "calc/utf8.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace orvandel::sheet {

struct result_column {
    // debt: a column only the rows of a debt paid in parts fill (debts.h).
    enum class figure : unsigned char { count, money, one_more_day, debt, error, deadline };
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
// them: the first seven always, the debts' seven when the input has 编号,
// then the error; one_more_day, last, is filled in only where the input has it.
constexpr std::array<result_column, 16> result_columns{{
    {column::days_before, figure::count, &result::days_before, nullptr, true},
    {column::days_after, figure::count, &result::days_after, nullptr, true},
    {column::total_days, figure::count, &result::total_days},
    {column::fee_before, figure::money, nullptr, &result::fee_before},
    {column::fee_after, figure::money, nullptr, &result::fee_after},
    {column::total_fee, figure::money, nullptr, &result::total_fee},
    {column::tax_and_fee_total, figure::money, nullptr, &result::tax_and_fee_total},
    {column::to_tax, figure::debt},
    {column::to_fee, figure::debt},
    {column::excess, figure::debt},
    {column::tax_outstanding, figure::debt},
    {column::fee_outstanding, figure::debt},
    {column::fee_paid, figure::debt},
    {column::capped_total_fee, figure::debt},
    {column::error, figure::error},
    {column::one_more_day, figure::one_more_day},
}};
constexpr std::size_t appended_columns = 15;

// The 缴款期限 a row was computed with, in a sheet with a tax_period column.
constexpr result_column deadline_column{column::due_date, figure::deadline, nullptr, nullptr, true};

const result_column* result_column_of(column role) {
    const auto* found = std::find_if(result_columns.begin(), result_columns.end(),
                                     [&](const result_column& c) { return c.role == role; });
    return found == result_columns.end() ? nullptr : found;
}

constexpr std::size_t slot(column role) {
    return static_cast<std::size_t>(role);
}

constexpr std::size_t flush_size = std::size_t{1} << 20;

} // namespace

batch_job::batch_job(std::istream& in, std::size_t block_size)
    : own_source_(std::make_unique<csv_source>(in, block_size)), source_(own_source_.get()) {}

batch_job::batch_job(record_source& source) : source_(&source) {}

bool batch_job::read_header() {
    csv_record header;
    if (!source_->next(header)) {
        const std::string why = source_->problem(language::english);
        problem_ = why.empty() ? "the input is empty; a header row is required" : why;
        return false;
    }
    record_texts(header, scratch_, texts_);
    auto layout = sheet_layout::read(texts_);
    if (!layout) {
        problem_ = describe(layout.error(), language::english);
        return false;
    }
    layout_ = std::move(layout).value();
    lang_ = layout_->lang();
    std::vector<std::optional<column>> roles(header.cells.size());
    for (std::size_t c = 0; c < column_count; ++c) {
        if (const auto at = layout_->position(static_cast<column>(c))) {
            roles[*at] = static_cast<column>(c);
        }
    }
    // A sheet with periods has the 缴款期限 each row used written out.
    const bool fills_deadlines = layout_->has(column::tax_period);
    for (std::size_t i = 0; i < header.cells.size(); ++i) {
        cell_run cell{i, i};
        if (roles[i] == column::due_date && fills_deadlines) {
            cell.kind = run_kind::deadline;
            cell.column = &deadline_column;
        } else if (roles[i]) {
            if (const result_column* shown = result_column_of(*roles[i])) {
                cell.kind = shown->read ? run_kind::figure_or_copy : run_kind::figure;
                cell.column = shown;
            }
        }
        cells_.push_back(cell);
        output_names_.emplace_back(texts_[i]);
        output_roles_.push_back(roles[i]);
    }
    for (const cell_run& cell : cells_) {
        if (cell.kind == run_kind::copy && !runs_.empty() && runs_.back().kind == run_kind::copy) {
            runs_.back().last = cell.last;
        } else {
            runs_.push_back(cell);
        }
    }
    grouped_ = layout_->has(column::item_id);
    const auto append_column = [&](const result_column& shown, run_kind kind) {
        appended_.push_back(&shown);
        runs_.push_back({cells_.size(), cells_.size(), kind, &shown});
        output_names_.emplace_back(column_name(shown.role, lang_));
        output_roles_.emplace_back(shown.role);
    };
    if (fills_deadlines && !layout_->has(column::due_date)) {
        append_column(deadline_column, run_kind::deadline);
    }
    for (std::size_t k = 0; k < appended_columns; ++k) {
        const result_column& shown = result_columns[k];
        if (shown.kind == figure::debt && !grouped_) {
            continue;
        }
        if (!layout_->has(shown.role)) {
            append_column(shown, run_kind::figure);
        }
    }
    line_end_ = header.line_end.empty() ? "\r\n" : std::string(header.line_end);
    bom_ = source_->had_bom();
    typed_source_ = source_->typed_cells() != nullptr;
    scratch_.resize(std::max(scratch_.size(), header.cells.size()));
    write_header(header);
    return true;
}

void batch_job::write_header(const csv_record& header) {
    if (bom_) {
        append(calc::utf8_bom);
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

// The next row into record_ (blank_ when it is a blank row); blank rows are
// held back until a row that is not blank follows, so that those at the end
// of the input are dropped.
bool batch_job::next_row() {
    for (;;) {
        if (have_record_) {
            blank_ = pending_blanks_ > 0;
            if (blank_) {
                --pending_blanks_;
            } else {
                have_record_ = false;
            }
            return true;
        }
        if (!source_->next(record_)) {
            return false;
        }
        if (is_blank(record_)) {
            ++pending_blanks_;
            continue;
        }
        have_record_ = true;
    }
}

bool batch_job::finish_reading() {
    const std::string why = source_->problem(language::english);
    if (!why.empty()) {
        problem_ = why;
        return false;
    }
    return true;
}

batch_status batch_job::run(std::ostream& out) {
    out_ = &out;
    if (!flush(true)) {
        return batch_status::unusable;
    }
    if (grouped_ && !gather()) {
        flush(true);
        return batch_status::unusable;
    }
    while (next_row()) {
        if (!process(record_)) {
            return batch_status::unusable;
        }
    }
    if (!finish_reading()) {
        flush(true);
        return batch_status::unusable;
    }
    if (!flush(true)) {
        return batch_status::unusable;
    }
    return failed_rows_ == 0 ? batch_status::all_rows_ok : batch_status::some_rows_failed;
}

batch_status batch_job::run(typed_sink& out) {
    if (!out.header(output_names_)) {
        problem_ = out.problem();
        return batch_status::unusable;
    }
    if (grouped_ && !gather()) {
        return batch_status::unusable;
    }
    std::vector<cell> cells;
    while (next_row()) {
        ++rows_;
        if (!blank_) {
            evaluate(record_);
            failed_rows_ += row_ok() ? 0U : 1U;
        }
        typed_row(record_, cells);
        if (!out.row(cells)) {
            problem_ = out.problem();
            return batch_status::unusable;
        }
    }
    if (!finish_reading()) {
        return batch_status::unusable;
    }
    if (!out.finish(totals_row(output_roles_, lang_, failed_rows_))) {
        problem_ = out.problem();
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
    if (blank_) {
        // As wide as a regular row, every cell empty.
        const std::size_t commas = cells_.size() + appended_.size() - 1;
        char* at = room(commas + 2);
        std::memset(at, ',', commas);
        at += commas;
        std::memcpy(at, line_end_.data(), 2);
        commit(at + line_end_.size());
        return flush(false);
    }
    evaluate(record);
    if (!row_ok()) {
        ++failed_rows_;
    }
    write_row(record);
    return size_ < flush_size || flush(false);
}

void batch_job::read_record(const csv_record& record) {
    if (typed_source_) {
        shown_.clear();
        for (const cell& c : *source_->typed_cells()) {
            shown_.push_back(c.format_decimals);
        }
    }
    // Only the cells the rules read are unquoted (scratch_ has room for a
    // row as wide as the header, and no rule reads past it).
    const csv_cell* const cells = record.cells.data();
    read_row(
        *layout_, record.cells.size(),
        [&](std::size_t i) { return cell_text(cells[i], scratch_[i]); }, shown_, record.open_quote,
        row_texts_, note_, amount_scratch_);
}

void batch_job::evaluate(const csv_record& record) {
    error_.clear();
    debt_row_ = nullptr;
    if (grouped_) {
        const std::size_t index = stored_.index();
        if (debt_rows_[index].state != in_debt::no) {
            // Its debt is computed already, its note written.
            debt_row_ = &debt_rows_[index];
            if (debt_row_->noted) {
                error_ = debt_notes_.find(index)->second;
            }
            return;
        }
    }
    read_record(record);
    if (note_.kind == reading_note_kind::none) {
        note_text_.clear();
    } else {
        note_text_ = describe(note_, lang_);
    }
    row_texts_.reading_note = note_text_;
    row_texts_.reading_note_blocks = note_.blocks();
    evaluate_row_into(row_texts_, outcome_, as_of_);
    if (!outcome_.ok || outcome_.not_overdue || !outcome_.reading_note.empty() ||
        has_deadline_note(outcome_.deadline)) {
        append_description(error_, outcome_, lang_);
    }
}

// A row of a debt paid in parts keeps its 缴款期限 as typed.
bool batch_job::deadline_filled() const {
    return debt_row_ == nullptr && outcome_.deadline.origin == deadline_origin::filled;
}

// The filled deadline ("2024-05-22"), else the input's cell as it was (none
// for an appended column).
char* batch_job::put_deadline(char* at, const csv_record& record, std::size_t input_cell) {
    if (deadline_filled()) {
        const std::string text =
            calc::format_date_text(outcome_.deadline.calendar.deadline).value_or(std::string());
        std::memcpy(at, text.data(), text.size());
        return at + text.size();
    }
    if (input_cell < cells_.size() && input_cell < record.cells.size()) {
        const std::string_view raw = record.cells[input_cell].raw;
        std::memcpy(at, raw.data(), raw.size());
        return at + raw.size();
    }
    return at;
}

// The text of a result column for the row just evaluated: its figure, none
// when the row failed, or the row's error.
inline char* batch_job::put_figure(char* at, const result_column& shown) {
    if (debt_row_ != nullptr) {
        return put_debt_figure(at, shown);
    }
    if (!outcome_.ok || shown.kind >= figure::one_more_day) {
        return put_other(at, shown);
    }
    if (shown.kind == figure::count) {
        return write_count(at, outcome_.figures.*shown.count);
    }
    return write_cents(at, outcome_.figures.*shown.money); // the engine's figures have two places
}

// A result column of a row of a debt: what debts.h says it shows. Most are
// empty in any one row, which is told here, where the call is inlined.
inline char* batch_job::put_debt_figure(char* at, const result_column& shown) {
    if (shown.kind == figure::error) {
        return error_.empty() ? at : write_cell(at, error_);
    }
    if ((debt_row_->columns >> static_cast<unsigned>(shown.role) & 1U) == 0) {
        return at;
    }
    return put_debt_value(at, shown);
}

char* batch_job::put_debt_value(char* at, const result_column& shown) {
    const std::int64_t value = debt_value_of(shown.role);
    return shown.kind == figure::count ? write_count(at, value)
                                       : write_cents(at, {value, calc::money_places});
}

std::int64_t batch_job::debt_value_of(column role) const {
    // The values of the row's columns before `role` come first. Counted by
    // halves and quarters: the machine the batch is built for need have no
    // instruction that counts bits.
    std::uint32_t x = debt_row_->columns & ((std::uint32_t{1} << static_cast<unsigned>(role)) - 1U);
    x -= (x >> 1U) & 0x55555555U;
    x = (x & 0x33333333U) + ((x >> 2U) & 0x33333333U);
    x = (((x + (x >> 4U)) & 0x0F0F0F0FU) * 0x01010101U) >> 24U;
    return debt_values_[debt_row_->first_value + x];
}

// The text of the error and one_more_day columns, and of every result column
// of a row that failed: the error in the error column, what a day more adds
// for a computed row, nothing in the others (nor in a debt's columns).
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
                    (result_columns.size() + 1) * figure_room + cell_room(error_) + 2);
    if (record.cells.size() != cells_.size() || record.open_quote) {
        at = put_irregular_row(at, record);
    } else {
        // Every byte written goes through a char pointer, which may alias
        // anything, so what the loop reads is held in locals.
        const bool ok = row_ok();
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
            if (run->kind == run_kind::deadline) {
                at = put_deadline(at, record, run->first);
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
            at = debt_row_ != nullptr ? put_debt_figure(at, *cells_[i].column)
                                      : put_other(at, *cells_[i].column);
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
                at = debt_row_ != nullptr ? put_debt_figure(at, *shown) : put_other(at, *shown);
            }
        }
    }
    return at;
}

cell batch_job::typed_figure(const result_column& shown) {
    if (shown.kind == figure::error) {
        return error_.empty() ? cell{} : cell::of_text(error_);
    }
    if (shown.kind == figure::deadline) {
        // Filled, or else nothing: an input's own due_date cell is copied.
        return deadline_filled()
                   ? result_cell(column::due_date,
                                 calc::format_date_text(outcome_.deadline.calendar.deadline)
                                     .value_or(std::string()),
                                 outcome_.ok)
                   : cell{};
    }
    if (!row_ok()) {
        return {};
    }
    std::string text;
    if (debt_row_ != nullptr) {
        if ((debt_row_->columns >> static_cast<unsigned>(shown.role) & 1U) != 0) {
            const std::int64_t value = debt_value_of(shown.role);
            text = shown.kind == figure::count
                       ? calc::default_text(value)
                       : calc::default_text(calc::money{value, calc::money_places});
        }
    } else if (shown.kind == figure::debt) {
        return {};
    } else if (shown.kind == figure::count) {
        text = calc::default_text(outcome_.figures.*shown.count);
    } else if (shown.kind == figure::money) {
        text = calc::default_text(outcome_.figures.*shown.money);
    } else if (const auto more = one_more_day(outcome_)) {
        text = calc::default_text(*more);
    }
    return result_cell(shown.role, std::move(text), true);
}

void batch_job::typed_row(const csv_record& record, std::vector<cell>& out) {
    out.clear();
    record_texts(record, scratch_, texts_);
    const std::size_t width = cells_.size();
    if (blank_) {
        out.resize(width + appended_.size());
        return;
    }
    const bool irregular = record.cells.size() != width || record.open_quote;
    const std::vector<cell>* typed = source_->typed_cells();
    const std::size_t count = irregular ? std::max(width, record.cells.size()) : width;
    for (std::size_t i = 0; i < count; ++i) {
        const cell_run* run = i < width ? &cells_[i] : nullptr;
        if (run != nullptr && run->column != nullptr &&
            (run->kind == run_kind::figure || (run->kind == run_kind::figure_or_copy && row_ok()) ||
             (run->kind == run_kind::deadline && deadline_filled()))) {
            out.push_back(typed_figure(*run->column));
        } else if (i >= texts_.size()) {
            out.emplace_back();
        } else if (irregular) {
            // A row left out keeps every cell as text, so that no total counts it.
            out.push_back(result_cell(std::nullopt, std::string(texts_[i]), false));
        } else if (!output_roles_[i] && typed != nullptr && i < typed->size()) {
            out.push_back((*typed)[i]); // a workbook's own cell, as it was
        } else {
            out.push_back(result_cell(output_roles_[i], std::string(texts_[i]), row_ok()));
        }
        if (i + 1 == width) {
            for (const result_column* shown : appended_) {
                out.push_back(typed_figure(*shown));
            }
        }
    }
}

} // namespace orvandel::sheet
