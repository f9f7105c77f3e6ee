// The worksheet model's rows changed in place: the steps the undoable
// commands (worksheet_commands.h) take and give back, each telling the views
// and keeping the totals and debts in step.
#include "ui/worksheet/worksheet_model.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace orvandel::ui::worksheet {

using sheet::column;

void worksheet_model::put_cells(const std::vector<cell_edit>& edits) {
    if (edits.empty()) {
        return;
    }
    // Each row's share is taken out once before its first change and put
    // back once after its last.
    std::vector<std::size_t> touched;
    touched.reserve(edits.size());
    for (const cell_edit& e : edits) {
        touched.push_back(e.row);
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    // A row of a debt is in the totals with its debt, whose every row may
    // change with it: the debts the rows belong to, before and after, are
    // taken out whole and put back whole.
    std::vector<std::string> ids = debt_ids(touched);
    for (const cell_edit& e : edits) {
        if (e.slot == slot_of(column::item_id) && !e.text.empty()) {
            ids.push_back(e.text);
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<std::string> ids_before(touched.size());
    for (std::size_t i = 0; i < touched.size(); ++i) {
        ids_before[i] = rows_.text(touched[i], column::item_id);
        if (ids_before[i].empty()) {
            subtract(totals_, share_of_row(touched[i]));
        }
    }
    add_debts(ids, true);
    for (const cell_edit& e : edits) {
        rows_.set_text(e.row, e.slot, e.text);
    }
    forget_cached_row();
    for (std::size_t i = 0; i < touched.size(); ++i) {
        debts_.move_row(touched[i], ids_before[i], rows_.text(touched[i], column::item_id));
    }
    for (const std::string& id : ids) {
        debts_.forget(id);
    }
    for (const std::size_t r : touched) {
        if (rows_.text(r, column::item_id).empty()) {
            add(totals_, share_of_row(r));
        }
    }
    add_debts(ids, false);
    emit dataChanged(index(static_cast<int>(touched.front()), 0),
                     index(static_cast<int>(touched.back()), columnCount() - 1));
    show_debts_changed(ids);
    emit totals_changed();
}

void worksheet_model::put_rows(std::size_t at, const std::vector<row_cells>& rows) {
    const auto first = static_cast<int>(at);
    std::vector<std::string> ids;
    for (const row_cells& r : rows) {
        if (const std::string& id = r[slot_of(column::item_id)]; !id.empty()) {
            ids.push_back(id);
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    add_debts(ids, true);
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(at, rows);
    forget_cached_row();
    if (!debts_.empty() || !ids.empty()) {
        debts_.rebuild(rows_);
    }
    for (const std::string& id : ids) {
        debts_.forget(id);
    }
    for (std::size_t r = at; r < at + rows.size(); ++r) {
        if (rows_.text(r, column::item_id).empty()) {
            add(totals_, share_of_row(r));
        }
    }
    add_debts(ids, false);
    endInsertRows();
    show_debts_changed(ids);
    emit totals_changed();
}

std::vector<row_cells> worksheet_model::take_rows(std::size_t at, std::size_t count) {
    const auto first = static_cast<int>(at);
    std::vector<std::size_t> taken(count);
    std::iota(taken.begin(), taken.end(), at);
    const std::vector<std::string> ids = debt_ids(taken);
    beginRemoveRows({}, first, first + static_cast<int>(count) - 1);
    for (std::size_t r = at; r < at + count; ++r) {
        if (rows_.text(r, column::item_id).empty()) {
            subtract(totals_, share_of_row(r));
        }
    }
    add_debts(ids, true);
    std::vector<row_cells> removed = rows_.erase(at, count);
    forget_cached_row();
    if (!debts_.empty()) {
        debts_.rebuild(rows_);
    }
    for (const std::string& id : ids) {
        debts_.forget(id);
    }
    add_debts(ids, false);
    endRemoveRows();
    show_debts_changed(ids);
    emit totals_changed();
    return removed;
}

void worksheet_model::put_order(const std::vector<std::uint32_t>& order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Persistent indexes (the current cell, the selection) follow their rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> new_place(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        new_place[order[i]] = static_cast<std::uint32_t>(i);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(this->index(
            static_cast<int>(new_place[static_cast<std::size_t>(index.row())]), index.column()));
    }
    // Only payments of one day divide in the order of their rows: the debts
    // are computed again, and the totals with them.
    std::vector<std::string> ids;
    for (const auto& [id, debt] : debts_.debts()) {
        ids.push_back(id);
    }
    add_debts(ids, true);
    rows_.reorder(order);
    forget_cached_row();
    if (!debts_.empty()) {
        debts_.rebuild(rows_);
        debts_.forget_all();
    }
    add_debts(ids, false);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    if (!ids.empty()) {
        emit totals_changed();
    }
}

} // namespace orvandel::ui::worksheet
