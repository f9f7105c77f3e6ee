#include "workbook_batch.h"

#include "sheet/columns.h"
#include "sheet/csv.h"
#include "sheet/result_cells.h"

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
    std::string cell(sheet::cell_room(text), '\0');
    cell.resize(static_cast<std::size_t>(sheet::write_cell(cell.data(), text) - cell.data()));
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

struct header_plan {
    std::vector<std::optional<column>> roles;
    sheet::language lang = sheet::language::english;
    std::ptrdiff_t total_fee = -1;
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
        if (named->role == column::total_fee) {
            plan.total_fee = static_cast<std::ptrdiff_t>(i);
        }
    }
    return plan;
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
    sheet::csv_reader reader(in);
    sheet::csv_record record;
    sheet::table out;
    std::string scratch;
    if (!reader.next(record)) {
        return out;
    }
    for (const auto& c : record.cells) {
        out.header.emplace_back(sheet::cell_text(c, scratch));
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
            std::string text(sheet::cell_text(record.cells[i], scratch));
            const auto role = i < plan.roles.size() ? plan.roles[i] : std::nullopt;
            if (!role && input != nullptr && r < input->rows.size() && i < input->header.size()) {
                row.push_back(i < input->rows[r].size() ? input->rows[r][i] : cell{});
            } else {
                row.push_back(sheet::result_cell(role, std::move(text), ok));
            }
        }
        out.rows.push_back(std::move(row));
    }
    out.totals = sheet::totals_row(plan.roles, plan.lang, failed);
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
