// The worksheet model's debts paid in parts: which rows give one, the cap box
// over all of them, the totals kept as debts change, and a debt's cells as a
// file holds them.
#include "ui/worksheet/worksheet_model.h"

#include "ui/worksheet/worksheet_commands.h"

#include "calc/number_text.h"
#include "runtime/engine_text.h"

#include <algorithm>
#include <utility>

namespace orvandel::ui::worksheet {

using sheet::column;

bool worksheet_model::uses_debt_columns() const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const column c :
             {column::item_id, column::paid_amount, column::stop_date, column::apply_cap}) {
            if (!rows_.text(r, c).empty()) {
                return true;
            }
        }
    }
    return false;
}

std::optional<bool> worksheet_model::debts_capped() const {
    std::size_t capped = 0;
    std::size_t debts = 0;
    for (const auto& [id, debt] : debts_.debts()) {
        const sheet::debt_outcome& o = debts_.outcome(debt, rows_, payment_);
        if (o.debt_member == sheet::no_member) {
            continue;
        }
        ++debts;
        const std::size_t row = debt.rows[o.debt_member];
        const auto cap = sheet::read_yes_no(rows_.text(row, column::apply_cap));
        capped += cap && *cap ? 1U : 0U;
    }
    if (debts == 0 || (capped > 0 && capped < debts)) {
        return std::nullopt;
    }
    return capped == debts;
}

void worksheet_model::set_debts_capped(bool capped) {
    std::vector<cell_edit> edits;
    const std::string text = capped ? "是" : "";
    for (const auto& [id, debt] : debts_.debts()) {
        const sheet::debt_outcome& o = debts_.outcome(debt, rows_, payment_);
        if (o.debt_member == sheet::no_member) {
            continue;
        }
        const std::size_t row = debt.rows[o.debt_member];
        if (rows_.text(row, column::apply_cap) != text) {
            edits.push_back({row, slot_of(column::apply_cap), text});
        }
    }
    std::sort(edits.begin(), edits.end(),
              [](const cell_edit& a, const cell_edit& b) { return a.row < b.row; });
    edit_cells(std::move(edits), capped ? QStringLiteral("封顶") : QStringLiteral("不封顶"));
}

std::vector<std::string> worksheet_model::debt_ids(const std::vector<std::size_t>& rows) const {
    std::vector<std::string> ids;
    for (const std::size_t r : rows) {
        if (r < rows_.size()) {
            if (const std::string_view id = rows_.text(r, column::item_id); !id.empty()) {
                ids.emplace_back(id);
            }
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

void worksheet_model::add_debts(const std::vector<std::string>& ids, bool take_away) {
    for (const std::string& id : ids) {
        if (const debt_entry* debt = debts_.find(id)) {
            const sheet::debt_outcome& o = debts_.outcome(*debt, rows_, payment_);
            for (std::size_t m = 0; m < debt->rows.size(); ++m) {
                const row_share share =
                    rows_.blank(debt->rows[m]) ? row_share{} : share_of_debt_row(o, m);
                take_away ? subtract(totals_, share) : add(totals_, share);
            }
        }
    }
}

void worksheet_model::show_debts_changed(const std::vector<std::string>& ids) {
    for (const std::string& id : ids) {
        if (const debt_entry* debt = debts_.find(id)) {
            emit dataChanged(index(static_cast<int>(debt->rows.front()), 0),
                             index(static_cast<int>(debt->rows.back()), columnCount() - 1));
        }
    }
}

std::string worksheet_model::debt_file_text(const debt_place& place, std::size_t row,
                                            sheet::column c) const {
    const sheet::debt_outcome& o = *place.debt->outcome;
    const sheet::column_facts& f = sheet::facts(c);
    const bool result = f.use == sheet::column_use::result ||
                        (f.use == sheet::column_use::input_or_result && o.ok());
    if (!result) {
        return std::string(rows_.text(row, c));
    }
    if (c == column::error) {
        std::string note;
        sheet::append_debt_note(note, o, place.debt->members, place.member, *place.id,
                                rows_.text(row, note_slot), sheet::language::chinese);
        return note;
    }
    const auto value = sheet::debt_figure(o, place.member, c);
    if (!value) {
        return {};
    }
    return value->is_count ? calc::default_text(value->days) : calc::default_text(value->amount);
}

} // namespace orvandel::ui::worksheet
