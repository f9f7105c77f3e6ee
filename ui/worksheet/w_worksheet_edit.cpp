// The worksheet's editing commands: copy, paste, clear, insert and delete
// rows, and a row for one more payment of a debt.

#include "ui/worksheet/w_worksheet.h"

#include "ui/worksheet/worksheet_model.h"

#include "runtime/engine_text.h"
#include "sheet/tsv.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QStatusBar>

#include <algorithm>
#include <set>

namespace orvandel::ui::worksheet {

namespace {

// The selected rows, or the current row when nothing is selected.
std::set<int> chosen_rows(const QTableView& table) {
    std::set<int> rows;
    for (const QModelIndex& index : table.selectionModel()->selectedIndexes()) {
        rows.insert(index.row());
    }
    if (rows.empty() && table.currentIndex().isValid()) {
        rows.insert(table.currentIndex().row());
    }
    return rows;
}

} // namespace

void w_worksheet::copy_selection() {
    QModelIndexList cells = table->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && table->currentIndex().isValid()) {
        cells.push_back(table->currentIndex());
    }
    if (cells.isEmpty()) {
        return;
    }
    int top = cells.front().row();
    int bottom = top;
    int left = cells.front().column();
    int right = left;
    for (const QModelIndex& index : cells) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    sheet::text_grid grid(static_cast<std::size_t>(bottom - top + 1),
                          sheet::text_row(static_cast<std::size_t>(right - left + 1)));
    for (const QModelIndex& index : cells) {
        grid[static_cast<std::size_t>(index.row() - top)]
            [static_cast<std::size_t>(index.column() - left)] =
                model_->shown_text(static_cast<std::size_t>(index.row()), index.column());
    }
    std::vector<bool> right_aligned;
    for (int c = left; c <= right; ++c) {
        const auto role = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole);
        const auto align = model_->index(0, c).data(Qt::TextAlignmentRole).toInt();
        right_aligned.push_back(role.isValid() && (align & Qt::AlignRight) != 0);
    }
    auto* mime = new QMimeData();
    mime->setText(runtime::qstring(sheet::write_tsv(grid)));
    mime->setHtml(runtime::qstring(sheet::write_html_table(grid, right_aligned)));
    QApplication::clipboard()->setMimeData(mime);
    statusBar()->showMessage(
        QStringLiteral("已复制 %1 行 %2 列").arg(grid.size()).arg(right - left + 1));
}

void w_worksheet::paste_clipboard() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (mime == nullptr || !mime->hasText()) {
        return;
    }
    const sheet::text_grid block = sheet::parse_tsv(runtime::utf8(mime->text()));
    if (block.empty()) {
        return;
    }
    QModelIndex at = table->currentIndex();
    if (!at.isValid()) {
        at = model_->index(0, 0);
    }
    const std::size_t row = at.isValid() ? static_cast<std::size_t>(at.row()) : 0;
    const int column = at.isValid() ? at.column() : 0;
    const QSize covered = model_->paste(row, column, block);
    if (covered.isEmpty()) {
        return;
    }
    const QModelIndex first = model_->index(static_cast<int>(row), column);
    const QModelIndex last =
        model_->index(static_cast<int>(row) + covered.height() - 1,
                      std::min(column + covered.width(), model_->columnCount()) - 1);
    table->selectionModel()->select(QItemSelection(first, last),
                                    QItemSelectionModel::ClearAndSelect);
    table->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    statusBar()->showMessage(QStringLiteral("已粘贴 %1 行").arg(covered.height()));
}

void w_worksheet::clear_selection_cells() {
    QModelIndexList cells = table->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && table->currentIndex().isValid()) {
        cells.push_back(table->currentIndex());
    }
    model_->clear_cells(cells);
}

void w_worksheet::insert_rows() {
    const std::set<int> rows = chosen_rows(*table);
    const std::size_t at =
        rows.empty() ? model_->rows().size() : static_cast<std::size_t>(*rows.begin());
    const std::size_t count = std::max<std::size_t>(rows.size(), 1);
    model_->insert_rows(at, std::vector<row_cells>(count, model_->blank_row()),
                        QStringLiteral("插入行"));
    table->selectionModel()->setCurrentIndex(
        model_->index(static_cast<int>(at), std::max(table->currentIndex().column(), 0)),
        QItemSelectionModel::ClearAndSelect);
}

void w_worksheet::add_payment() {
    const QModelIndex at = table->currentIndex();
    if (!at.isValid()) {
        return;
    }
    const auto row = static_cast<std::size_t>(at.row());
    const row_store& rows = model_->rows();
    std::string id(rows.text(row, sheet::column::item_id));
    const bool new_debt = id.empty();
    if (new_debt) {
        if (rows.text(row, sheet::column::amount).empty()) {
            statusBar()->showMessage(
                QStringLiteral("请在填写了应缴税款金额的行上添加缴款，或先给这一行填写编号。"));
            return;
        }
        // The first number no debt has.
        for (std::size_t n = 1;; ++n) {
            id = std::to_string(n);
            if (model_->debts().find(id) == nullptr) {
                break;
            }
        }
    }
    const debt_entry* debt = model_->debts().find(id);
    const std::size_t below = (debt != nullptr ? std::max(debt->rows.back(), row) : row) + 1;
    row_cells payment = model_->blank_row();
    payment[slot_of(sheet::column::item_id)] = id;
    model_->undo_stack().beginMacro(QStringLiteral("添加缴款"));
    if (new_debt) {
        model_->edit_cells({{row, slot_of(sheet::column::item_id), id}}, QStringLiteral("编号"));
    }
    model_->insert_rows(below, {payment}, QStringLiteral("添加缴款"));
    model_->undo_stack().endMacro();
    table->selectionModel()->setCurrentIndex(
        model_->index(static_cast<int>(below), view_column(sheet::column::pay_date)),
        QItemSelectionModel::ClearAndSelect);
    statusBar()->showMessage(
        QStringLiteral("已为编号“%1”添加一行缴款：填写实际缴款日期和本次缴款金额。")
            .arg(runtime::qstring(id)));
}

void w_worksheet::delete_rows() {
    const std::set<int> rows = chosen_rows(*table);
    if (rows.empty()) {
        return;
    }
    // Runs of neighbouring rows, from the bottom up so that the places above stay.
    model_->undo_stack().beginMacro(QStringLiteral("删除行"));
    auto it = rows.rbegin();
    while (it != rows.rend()) {
        const int last = *it;
        int first = last;
        ++it;
        while (it != rows.rend() && *it == first - 1) {
            first = *it;
            ++it;
        }
        model_->remove_rows(static_cast<std::size_t>(first),
                            static_cast<std::size_t>(last - first + 1));
    }
    model_->undo_stack().endMacro();
    if (model_->rowCount() > 0) {
        table->selectionModel()->setCurrentIndex(
            model_->index(std::min(*rows.begin(), model_->rowCount() - 1),
                          std::max(table->currentIndex().column(), 0)),
            QItemSelectionModel::ClearAndSelect);
    }
}

} // namespace orvandel::ui::worksheet
