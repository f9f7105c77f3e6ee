#include "ui/worksheet/debt_panel_text.h"

#include "sheet/debt_working.h"

#include <algorithm>

namespace orvandel::ui::worksheet {

std::string debt_panel_text(const debt_place& place, const row_store& rows) {
    const sheet::debt_outcome& debt = *place.debt->outcome;
    std::string out = "编号“" + *place.id + "”";
    if (debt.debt_member != sheet::no_member) {
        const std::size_t row = place.debt->rows[debt.debt_member];
        if (const std::string_view item = rows.text(row, sheet::column::item); !item.empty()) {
            out.append("　").append(item);
        }
    }
    if (debt.ok()) {
        out.append("　应缴税款金额=").append(calc::default_text(debt.figures.tax)).append("\n");
        for (const sheet::working_line& line : sheet::debt_working(debt)) {
            const char* indent = line.what == sheet::working_line::kind::heading   ? ""
                                 : line.what == sheet::working_line::kind::figures ? "  "
                                                                                   : "      ";
            out.append(indent).append(line.text).append("\n");
        }
        return out;
    }
    out.append("：").append(sheet::debt_status_text(debt.status, sheet::language::chinese));
    out.append("，这笔欠税没有计算。\n");
    for (std::size_t m = 0; m < place.debt->rows.size(); ++m) {
        const bool differs = std::any_of(debt.differing.begin(), debt.differing.end(),
                                         [m](const auto& d) { return d.first == m; });
        if (place.debt->members[m].ok() && !differs) {
            continue;
        }
        const std::size_t row = place.debt->rows[m];
        std::string note;
        sheet::append_debt_note(note, debt, place.debt->members, m, *place.id,
                                rows.text(row, note_slot), sheet::language::chinese);
        out.append("  第").append(std::to_string(row + 1)).append("行：").append(note);
        out.append("\n");
    }
    return out;
}

} // namespace orvandel::ui::worksheet
