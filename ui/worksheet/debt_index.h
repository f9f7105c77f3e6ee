// The worksheet's debts paid in parts: which rows share each 编号, and each
// debt computed (sheet/debts.h) when it is first shown and kept until a row
// of it, or the payment date it accrues through, changes. Standard library
// only; the model keeps it up to date as rows change.
#pragma once

#include "ui/worksheet/row_store.h"

#include "sheet/debts.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvandel::ui::worksheet {

struct debt_entry {
    std::vector<std::size_t> rows; // in the sheet's order
    // Computed when first asked for.
    mutable std::vector<sheet::debt_member> members;
    mutable std::unique_ptr<sheet::debt_outcome> outcome;
};

// A row of a debt: the debt and the row's place among its rows.
struct debt_place {
    const std::string* id = nullptr;
    const debt_entry* debt = nullptr;
    std::size_t member = 0;
};

class debt_index {
public:
    // The 编号 of every row of `rows` anew (rows were added, removed or moved).
    void rebuild(const row_store& rows);
    // A row's 编号 is now `id` where it was `before` (empty: none).
    void move_row(std::size_t row, std::string_view before, std::string_view id);

    [[nodiscard]] bool empty() const { return debts_.empty(); }
    [[nodiscard]] std::size_t size() const { return debts_.size(); }
    [[nodiscard]] const debt_entry* find(std::string_view id) const;
    // The debt of `row`, computed through `as_of` (the sheet's payment date)
    // if it was not; nothing for a row without 编号.
    [[nodiscard]] std::optional<debt_place> place(const row_store& rows, std::size_t row,
                                                  const std::optional<calc::date>& as_of) const;
    // The outcome of a debt, computed if it was not.
    const sheet::debt_outcome& outcome(const debt_entry& debt, const row_store& rows,
                                       const std::optional<calc::date>& as_of) const;

    // Forgets what was computed of one debt, or of all.
    void forget(std::string_view id);
    void forget_all();

    // Every debt, for sums over all of them.
    [[nodiscard]] const std::unordered_map<std::string, debt_entry>& debts() const {
        return debts_;
    }

private:
    std::unordered_map<std::string, debt_entry> debts_;
};

} // namespace orvandel::ui::worksheet
