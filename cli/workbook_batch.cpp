#include "workbook_batch.h"

#include "csv.h"

#include "sheet/columns.h"

#include "calc/date.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>

namespace orvandel::cli {
namespace {

using sheet::cell;
using sheet::column;

void append_csv_cell(std::string& out, std::string_view text) {
    std::string cell(cell_room(text), '\0');
    cell.resize(static_cast<std::size_t>(write_cell(cell.data(), text) - cell.data()));
    out += cell;
}

void append_csv_record(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        append_csv_cell(out, cells[i]);
    }
    out += "\r\n";
}

bool is_summed(column role) {
    switch (role) {
    case column::amount:
    case column::days_before:
    case column::days_after:
    case column::total_days:
    case column::fee_before:
    case column::fee_after:
    case column::total_fee:
    case column::tax_and_fee_total:
    case column::one_more_day:
        return true;
    default:
        return false;
    }
}

std::optional<std::int64_t> whole(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// The cell of a computed row's figure or input in column `role`.
cell typed_cell(column role, std::string text) {
    if (text.empty()) {
        return {};
    }
    switch (role) {
    case column::amount:
    case column::fee_before:
    case column::fee_after:
    case column::total_fee:
    case column::tax_and_fee_total:
    case column::one_more_day:
        return sheet::is_decimal_text(text) ? cell::of_number(std::move(text))
                                            : cell::of_text(std::move(text));
    case column::days_before:
    case column::days_after:
    case column::total_days:
        if (const auto value = whole(text)) {
            return cell::of_integer(*value);
        }
        break;
    case column::due_date:
    case column::pay_date:
    case column::start_date:
    case column::end_date:
        if (const auto day = calc::parse_date_text(text)) {
            return cell::of_date(*day);
        }
        break;
    default:
        break;
    }
    return cell::of_text(std::move(text));
}

struct header_plan {
    std::vector<std::optional<column>> roles;
    sheet::language lang = sheet::language::english;
    std::ptrdiff_t total_fee = -1;
    std::ptrdiff_t note = -1;
    std::ptrdiff_t item = -1;
};

header_plan plan_of(const std::vector<std::string>& header) {
    header_plan plan;
    bool lang_known = false;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const auto named = sheet::column_named(header[i]);
        plan.roles.push_back(named ? std::optional(named->role) : std::nullopt);
        if (!named) {
            continue;
        }
        if (!lang_known || named->role == column::amount) {
            plan.lang = named->lang;
            lang_known = true;
        }
        const auto at = static_cast<std::ptrdiff_t>(i);
        if (named->role == column::total_fee) {
            plan.total_fee = at;
        } else if (named->role == column::note) {
            plan.note = at;
        } else if (named->role == column::item) {
            plan.item = at;
        }
    }
    return plan;
}

std::vector<cell> totals_row(const header_plan& plan, std::size_t width, std::size_t failed) {
    std::vector<cell> totals(width);
    std::ptrdiff_t label = plan.item;
    for (std::size_t i = 0; i < width; ++i) {
        const bool summed = plan.roles[i] && is_summed(*plan.roles[i]);
        if (summed) {
            totals[i] = cell::of_sum();
        } else if (label < 0 && static_cast<std::ptrdiff_t>(i) != plan.note) {
            label = static_cast<std::ptrdiff_t>(i);
        }
    }
    const bool zh = plan.lang == sheet::language::chinese;
    if (label >= 0) {
        totals[static_cast<std::size_t>(label)] = cell::of_text(zh ? "合计" : "total");
    }
    if (plan.note >= 0 && failed > 0) {
        totals[static_cast<std::size_t>(plan.note)] =
            cell::of_text(zh ? "有误未计入：" + std::to_string(failed) + " 行"
                             : "left out for errors: " + std::to_string(failed));
    }
    return totals;
}

} // namespace

std::string table_as_csv(const sheet::table& sheet) {
    std::string out;
    const bool ascii = std::all_of(sheet.header.begin(), sheet.header.end(), [](const auto& t) {
        return std::all_of(t.begin(), t.end(),
                           [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    });
    if (!ascii) {
        out += "\xEF\xBB\xBF";
    }
    append_csv_record(out, sheet.header);
    std::vector<std::string> cells;
    for (const auto& row : sheet.rows) {
        cells.assign(std::max(row.size(), sheet.header.size()), std::string());
        for (std::size_t i = 0; i < row.size(); ++i) {
            cells[i] = sheet::cell_text(row[i]);
        }
        append_csv_record(out, cells);
    }
    return out;
}

sheet::table typed_results(std::string_view csv, const sheet::table* input) {
    std::istringstream in{std::string(csv)};
    csv_reader reader(in);
    csv_record record;
    sheet::table out;
    std::string scratch;
    if (!reader.next(record)) {
        return out;
    }
    for (const auto& c : record.cells) {
        out.header.emplace_back(cell_text(c, scratch));
    }
    const header_plan plan = plan_of(out.header);
    std::size_t failed = 0;
    while (reader.next(record)) {
        const std::size_t r = out.rows.size();
        const bool ok = plan.total_fee >= 0 &&
                        static_cast<std::size_t>(plan.total_fee) < record.cells.size() &&
                        !record.cells[static_cast<std::size_t>(plan.total_fee)].raw.empty();
        failed += ok ? 0 : 1;
        std::vector<cell> row;
        for (std::size_t i = 0; i < record.cells.size(); ++i) {
            std::string text(cell_text(record.cells[i], scratch));
            const auto role = i < plan.roles.size() ? plan.roles[i] : std::nullopt;
            if (!role && input != nullptr && r < input->rows.size() && i < input->header.size()) {
                row.push_back(i < input->rows[r].size() ? input->rows[r][i] : cell{});
            } else if (text.empty()) {
                row.emplace_back();
            } else if (role && ok) {
                row.push_back(typed_cell(*role, std::move(text)));
            } else {
                row.push_back(cell::of_text(std::move(text)));
            }
        }
        out.rows.push_back(std::move(row));
    }
    out.totals = totals_row(plan, out.header.size(), failed);
    return out;
}

bool is_workbook_path(std::string_view path) {
    constexpr std::string_view extension = ".xlsx";
    if (path.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

} // namespace orvandel::cli
