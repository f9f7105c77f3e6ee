#include "ui/worksheet/debt_index.h"

#include <algorithm>

namespace orvandel::ui::worksheet {

void debt_index::rebuild(const row_store& rows) {
    // What was computed stays with its debt: adding, removing or moving other
    // rows changes no debt.
    for (auto& [id, debt] : debts_) {
        debt.rows.clear();
    }
    const std::size_t slot = slot_of(sheet::column::item_id);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string_view id = rows.text(r, slot);
        if (!id.empty()) {
            debts_[std::string(id)].rows.push_back(r);
        }
    }
    std::erase_if(debts_, [](const auto& entry) { return entry.second.rows.empty(); });
}

void debt_index::move_row(std::size_t row, std::string_view before, std::string_view id) {
    if (before == id) {
        return;
    }
    if (!before.empty()) {
        if (const auto at = debts_.find(std::string(before)); at != debts_.end()) {
            std::erase(at->second.rows, row);
            if (at->second.rows.empty()) {
                debts_.erase(at);
            }
        }
    }
    if (!id.empty()) {
        std::vector<std::size_t>& rows = debts_[std::string(id)].rows;
        rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
    }
}

const debt_entry* debt_index::find(std::string_view id) const {
    const auto at = debts_.find(std::string(id));
    return at == debts_.end() ? nullptr : &at->second;
}

const sheet::debt_outcome& debt_index::outcome(const debt_entry& debt, const row_store& rows,
                                               const std::optional<calc::date>& as_of) const {
    if (!debt.outcome) {
        debt.members.clear();
        for (const std::size_t r : debt.rows) {
            debt.members.push_back(sheet::read_member(rows.row_texts(r, sheet::every_pair), r));
        }
        debt.outcome =
            std::make_unique<sheet::debt_outcome>(sheet::evaluate_debt(debt.members, as_of));
    }
    return *debt.outcome;
}

std::optional<debt_place> debt_index::place(const row_store& rows, std::size_t row,
                                            const std::optional<calc::date>& as_of) const {
    const std::string_view id = rows.text(row, slot_of(sheet::column::item_id));
    if (id.empty()) {
        return std::nullopt;
    }
    const auto at = debts_.find(std::string(id));
    if (at == debts_.end()) {
        return std::nullopt;
    }
    const debt_entry& debt = at->second;
    const auto member = std::lower_bound(debt.rows.begin(), debt.rows.end(), row);
    if (member == debt.rows.end() || *member != row) {
        return std::nullopt;
    }
    (void)outcome(debt, rows, as_of);
    return debt_place{&at->first, &debt, static_cast<std::size_t>(member - debt.rows.begin())};
}

void debt_index::forget(std::string_view id) {
    if (const auto at = debts_.find(std::string(id)); at != debts_.end()) {
        at->second.outcome.reset();
    }
}

void debt_index::forget_all() {
    for (auto& [id, debt] : debts_) {
        debt.outcome.reset();
    }
}

} // namespace orvandel::ui::worksheet
