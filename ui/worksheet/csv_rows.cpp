#include "ui/worksheet/csv_rows.h"

#include "calc/date.h"
#include "sheet/columns.h"
#include "sheet/csv.h"

#include <array>
#include <istream>
#include <optional>
#include <streambuf>

namespace orvandel::ui::worksheet {

namespace {

using sheet::column;

// An input stream over text already in memory, without copying it.
class memory_buffer : public std::streambuf {
public:
    explicit memory_buffer(std::string_view text) {
        char* begin = const_cast<char*>(text.data()); // only ever read
        setg(begin, begin, begin + text.size());
    }
};

constexpr std::size_t no_cell = static_cast<std::size_t>(-1);

// Header position of each column the worksheet reads.
struct layout {
    std::array<std::size_t, sheet::column_count> at;
    std::size_t cells = 0;

    [[nodiscard]] std::size_t of(column c) const { return at[static_cast<std::size_t>(c)]; }
};

std::optional<layout> read_header(const sheet::csv_record& header, std::size_t& unknown) {
    layout l;
    l.at.fill(no_cell);
    l.cells = header.cells.size();
    std::string scratch;
    bool any = false;
    for (std::size_t i = 0; i < header.cells.size(); ++i) {
        const auto named = sheet::column_named(sheet::cell_text(header.cells[i], scratch));
        if (!named) {
            ++unknown;
            continue;
        }
        auto& place = l.at[static_cast<std::size_t>(named->role)];
        if (place == no_cell) {
            place = i;
        }
        any = true;
    }
    if (!any) {
        return std::nullopt;
    }
    return l;
}

} // namespace

std::string shift_date_text(std::string_view text, int days) {
    const auto day = calc::parse_date_text(text);
    if (!day) {
        return std::string(text);
    }
    const calc::date moved{std::chrono::sys_days{*day} + std::chrono::days{days}};
    return calc::format_date_text(moved).value_or(std::string(text));
}

csv_load read_csv_rows(std::string_view text, const load_progress& progress) {
    csv_load load;
    memory_buffer buffer(text);
    std::istream in(&buffer);
    sheet::csv_reader reader(in);
    sheet::csv_record record;
    if (!reader.next(record)) {
        load.problem = "文件是空的，没有标题行。";
        return load;
    }
    const auto columns = read_header(record, load.unknown_columns);
    if (!columns) {
        load.problem = "文件的第一行没有可识别的列名（如“应缴税款金额”或 amount）。";
        return load;
    }
    // About 60 bytes a row: room for the arena without growing it often.
    load.rows.reserve(text.size() / 40 + 16, text.size() + text.size() / 4);
    std::array<std::string, sheet::column_count> scratch;
    std::size_t done = 0;
    std::size_t pending_blank = 0; // blank lines at the very end are not rows
    const auto cell = [&](column c) -> std::string_view {
        const std::size_t at = columns->of(c);
        if (at == no_cell || at >= record.cells.size()) {
            return {};
        }
        return sheet::cell_text(record.cells[at], scratch[static_cast<std::size_t>(c)]);
    };
    while (reader.next(record)) {
        done += record.raw.size() + record.line_end.size();
        if (progress && (load.rows.size() & 0x3fffU) == 0 && !progress(done, text.size())) {
            load = csv_load{};
            load.cancelled = true;
            return load;
        }
        if (record.raw.empty()) {
            ++pending_blank;
            continue;
        }
        for (; pending_blank > 0; --pending_blank) {
            load.rows.append({});
        }
        if (record.cells.size() != columns->cells || record.open_quote) {
            ++load.irregular;
        }
        row_views texts{};
        std::string due(cell(column::due_date));
        std::string pay(cell(column::pay_date));
        const std::string_view start = cell(column::start_date);
        const std::string_view end = cell(column::end_date);
        if (!start.empty() || !end.empty()) {
            if (due.empty() && pay.empty()) {
                const auto first = calc::parse_date_text(start);
                const auto last = calc::parse_date_text(end);
                if (first && last && *last < *first) {
                    ++load.start_after_end;
                }
                due = start.empty() ? std::string() : shift_date_text(start, -1);
                pay = end.empty() ? std::string() : shift_date_text(end, -1);
            } else {
                ++load.conflicting;
            }
        }
        texts[static_cast<std::size_t>(input::item)] = cell(column::item);
        texts[static_cast<std::size_t>(input::amount)] = cell(column::amount);
        texts[static_cast<std::size_t>(input::due_date)] = due;
        texts[static_cast<std::size_t>(input::pay_date)] = pay;
        // A dated row that carries its 合计滞纳天数 was written with its
        // results: its day counts are figures, not typed counts.
        const bool dated = !due.empty() || !pay.empty();
        if (!(dated && !cell(column::total_days).empty())) {
            texts[static_cast<std::size_t>(input::days_before)] = cell(column::days_before);
            texts[static_cast<std::size_t>(input::days_after)] = cell(column::days_after);
        }
        load.rows.append(texts);
    }
    if (reader.failed()) {
        load = csv_load{};
        load.problem = "读取文件时出错。";
        return load;
    }
    load.ok = true;
    return load;
}

} // namespace orvandel::ui::worksheet
