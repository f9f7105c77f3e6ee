#pragma once
// A worksheet window as the program opens it, on a fixed day, with state and
// settings folders of its own; and helpers that read what it shows.

#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "runtime/message_box.h"
#include "runtime/state_dir.h"
#include "ui/worksheet/totals_model.h"
#include "ui/worksheet/w_worksheet.h"
#include "ui/worksheet/worksheet_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace orvandel::test {

namespace ws = ui::worksheet;

// Every test program pins these before any window exists.
inline void pin_environment(const QTemporaryDir& home) {
    QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    runtime::set_today_for_testing(QDate(2024, 3, 15));
    // On Windows the recovery folder is the user's own, not this test's:
    // what an earlier run left there, which the program would offer, goes.
    QDir(runtime::state_directory()).removeRecursively();
}

struct opened_sheet {
    std::unique_ptr<ws::w_worksheet> window = std::make_unique<ws::w_worksheet>();
    opened_sheet() { window->set_first_row({}); }
    ~opened_sheet() {
        (void)runtime::take_recorded_boxes();
        // Closing would ask about unsaved rows: the tests close windows
        // themselves where that matters.
        window->model().undo_stack().setClean();
    }
    ws::w_worksheet* operator->() const { return window.get(); }
    [[nodiscard]] ws::worksheet_model& model() const { return window->model(); }
};

// A row of the worksheet by the texts of its six columns that take input.
inline ws::row_cells row(const char* item, const char* amount, const char* due, const char* pay,
                         const char* before = "", const char* after = "") {
    using sheet::column;
    ws::row_cells cells(ws::fixed_slots);
    cells[ws::slot_of(column::item)] = item;
    cells[ws::slot_of(column::amount)] = amount;
    cells[ws::slot_of(column::due_date)] = due;
    cells[ws::slot_of(column::pay_date)] = pay;
    cells[ws::slot_of(column::days_before)] = before;
    cells[ws::slot_of(column::days_after)] = after;
    return cells;
}

// The cells a row shows, joined by "|": without the columns of debts paid in
// parts unless asked (a row of no debt leaves them empty).
inline QString shown_row(const ws::worksheet_model& model, std::size_t r, bool debts = false) {
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c) {
        const auto col = model.column_at(c);
        if (debts || !col || !ws::is_debt_column(*col)) {
            cells << runtime::qstring(model.shown_text(r, c));
        }
    }
    return cells.join(u'|');
}

// Every row and the totals, for comparing before and after a change.
inline QStringList snapshot(const ws::worksheet_model& model) {
    QStringList lines;
    for (std::size_t r = 0; r < model.rows().size(); ++r) {
        lines << shown_row(model, r, true);
    }
    ws::totals_model totals(model);
    QStringList sums;
    for (int c = 0; c < model.columnCount(); ++c) {
        sums << totals.text(c);
    }
    lines << sums.join(u'|');
    return lines;
}

inline void fill(ws::worksheet_model& model, const std::vector<ws::row_cells>& rows) {
    ws::row_store store;
    for (const ws::row_cells& cells : rows) {
        const ws::row_views views(cells.begin(), cells.end());
        store.append(views);
    }
    model.replace_all(std::move(store));
}

} // namespace orvandel::test
