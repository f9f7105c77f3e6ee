#include "sheet/reader.h"

#include "calc/money.h"
#include "calc/number_text.h"

#include <algorithm>

namespace orvandel::sheet {

std::optional<std::string> amount_as_shown(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || text.size() - point - 1 <= calc::amount_decimals) {
        return std::nullopt;
    }
    const auto exact =
        calc::parse_decimal_text(text, calc::amount_integer_digits, calc::max_money_scale);
    if (!exact) {
        return std::nullopt;
    }
    const auto rounded = calc::round_money(*exact);
    if (!rounded) {
        return std::nullopt;
    }
    return calc::default_text(*rounded);
}

std::string describe(const header_problem& problem, language lang) {
    const bool zh = lang == language::chinese;
    switch (problem.what) {
    case header_error::empty:
        return zh ? "文件是空的，没有标题行" : "the input is empty; a header row is required";
    case header_error::no_amount:
        return zh ? "标题行没有“应缴税款金额”（或 amount）列" : "the header has no amount column";
    case header_error::named_twice:
        return zh ? "标题行两次列出“" + problem.detail + "”列"
                  : "the header names the column " + problem.detail + " twice";
    case header_error::cannot_read:
        return (zh ? "无法读取：" : "cannot read the input: ") + problem.detail;
    }
    return {};
}

calc::result<sheet_layout, header_problem>
sheet_layout::read(std::span<const std::string_view> header) {
    sheet_layout layout;
    layout.at_.fill(-1);
    layout.width_ = header.size();
    layout.names_.assign(header.begin(), header.end());
    // The language of the first amount column is the sheet's.
    bool amount_found = false;
    for (const std::string_view name : header) {
        const auto named = column_named(name);
        if (named && named->role == column::amount) {
            layout.lang_ = named->lang;
            amount_found = true;
            break;
        }
    }
    if (!amount_found) {
        return header_problem{header_error::no_amount, {}};
    }
    for (std::size_t i = 0; i < header.size(); ++i) {
        const auto named = column_named(header[i]);
        if (!named || named->lang != layout.lang_) {
            layout.unknown_.push_back(i);
            continue;
        }
        std::ptrdiff_t& at = layout.at_[static_cast<std::size_t>(named->role)];
        if (at >= 0) {
            return header_problem{header_error::named_twice, std::string(header[i])};
        }
        at = static_cast<std::ptrdiff_t>(i);
    }
    pair_set offered = 0;
    const auto offer = [&](column a, column b, period_basis basis) {
        if (layout.has(a) || layout.has(b)) {
            offered |= pair_bit(basis);
        }
    };
    offer(column::due_date, column::pay_date, period_basis::due_and_paid);
    offer(column::start_date, column::end_date, period_basis::start_and_end);
    offer(column::days_before, column::days_after, period_basis::day_counts);
    layout.offered_ = offered == 0 ? every_pair : offered;
    for (const column c : input_columns) {
        if (const auto text = text_of(c); text != nullptr && layout.has(c)) {
            layout.reads_.push_back({*layout.position(c), text});
        }
    }
    layout.total_days_at_ = layout.position(column::total_days).value_or(layout.total_days_at_);
    layout.amount_at_ = layout.position(column::amount).value_or(layout.amount_at_);
    return layout;
}

std::string describe(const reading_note& note, language lang) {
    const bool zh = lang == language::chinese;
    switch (note.kind) {
    case reading_note_kind::none:
        return {};
    case reading_note_kind::wrong_width: {
        const std::string cells = std::to_string(note.cells);
        const std::string width = std::to_string(note.width);
        return zh ? "行：有" + cells + "格，表头有" + width + "格"
                  : "row: " + cells + (note.cells == 1 ? " cell" : " cells") +
                        " but the header has " + width;
    }
    case reading_note_kind::cut_short:
        return zh ? "行：文件在引号内结束" : "row: the input ends inside a quoted cell";
    case reading_note_kind::amount_as_shown:
        return zh ? "按单元格显示值" + note.shown + "计算（存储值" + note.stored + "）"
                  : "amount: read as the cell shows it, " + note.shown + " (stored " + note.stored +
                        ")";
    }
    return {};
}

std::string csv_source::problem(language lang) const {
    if (!reader_.failed()) {
        return {};
    }
    return lang == language::chinese ? "读取文件时出错" : "cannot read the input";
}

void record_texts(const csv_record& record, std::vector<std::string>& scratch,
                  std::vector<std::string_view>& texts) {
    scratch.resize(std::max(scratch.size(), record.cells.size()));
    texts.clear();
    for (std::size_t i = 0; i < record.cells.size(); ++i) {
        texts.push_back(cell_text(record.cells[i], scratch[i]));
    }
}

sheet_reader::sheet_reader(record_source& source, reader_options options)
    : source_(source), options_(options) {}

bool sheet_reader::read_header() {
    if (!source_.next(record_)) {
        const std::string why = source_.problem(language::english);
        problem_ = why.empty() ? header_problem{header_error::empty, {}}
                               : header_problem{header_error::cannot_read, why};
        return false;
    }
    std::vector<std::string_view> names;
    record_texts(record_, scratch_, names);
    auto layout = sheet_layout::read(names);
    if (!layout) {
        problem_ = layout.error();
        return false;
    }
    layout_ = std::move(layout).value();
    return true;
}

void sheet_reader::take(const csv_record& record, sheet_row& row) {
    record_texts(record, scratch_, row.cells);
    shown_.clear();
    if (const std::vector<cell>* typed = source_.typed_cells()) {
        for (const cell& c : *typed) {
            shown_.push_back(c.format_decimals);
        }
    }
    row.blank = false;
    read_row(*layout_, {row.cells, shown_, record.open_quote}, row.texts, row.note,
             amount_scratch_);
    const language lang = options_.note_language.value_or(layout_->lang());
    row.note_text = describe(row.note, lang);
    row.texts.reading_note = row.note_text;
    row.texts.reading_note_blocks = row.note.blocks();
    if (options_.evaluate) {
        evaluate_row_into(row.texts, row.outcome, options_.payment_date);
    }
}

bool sheet_reader::next(sheet_row& row) {
    // Blank rows are held back until a row that is not blank follows: at the
    // end of the file they are no rows.
    for (;;) {
        if (have_record_) {
            if (pending_blanks_ > 0) {
                --pending_blanks_;
                row.blank = true;
                row.cells.clear();
                row.texts = row_texts{};
                row.note = reading_note{};
                row.note_text.clear();
                row.outcome = row_outcome{};
                return true;
            }
            have_record_ = false;
            take(record_, row);
            return true;
        }
        if (!source_.next(record_)) {
            const std::string why = source_.problem(language::english);
            if (!why.empty()) {
                problem_ = header_problem{header_error::cannot_read, why};
            }
            return false;
        }
        if (is_blank(record_)) {
            ++pending_blanks_;
            continue;
        }
        have_record_ = true;
    }
}

} // namespace orvandel::sheet
