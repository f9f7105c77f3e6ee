// The worksheet's undoable changes: each command makes its change through the
// model's raw changes (put_cells, put_rows, take_rows, put_order), which keep
// the totals and tell the views, and undoes it the same way.
#pragma once

#include "ui/worksheet/worksheet_model.h"

#include <QUndoCommand>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvandel::ui::worksheet {

// Changes to cells: redo writes the new texts, undo the old.
class cells_command : public QUndoCommand {
public:
    cells_command(worksheet_model& model, std::vector<cell_edit> after, const QString& name,
                  QUndoCommand* parent = nullptr);
    void redo() override { model_.put_cells(after_); }
    void undo() override { model_.put_cells(before_); }

private:
    worksheet_model& model_;
    std::vector<cell_edit> after_;
    std::vector<cell_edit> before_;
};

class insert_command : public QUndoCommand {
public:
    insert_command(worksheet_model& model, std::size_t at, std::vector<row_cells> rows,
                   const QString& name, QUndoCommand* parent = nullptr)
        : QUndoCommand(name, parent), model_(model), at_(at), rows_(std::move(rows)) {}
    void redo() override { model_.put_rows(at_, rows_); }
    void undo() override { rows_ = model_.take_rows(at_, rows_.size()); }

private:
    worksheet_model& model_;
    std::size_t at_;
    std::vector<row_cells> rows_;
};

class remove_command : public QUndoCommand {
public:
    remove_command(worksheet_model& model, std::size_t at, std::size_t count)
        : QUndoCommand(QStringLiteral("删除行")), model_(model), at_(at), count_(count) {}
    void redo() override { removed_ = model_.take_rows(at_, count_); }
    void undo() override;

private:
    worksheet_model& model_;
    std::size_t at_;
    std::size_t count_;
    std::vector<row_cells> removed_;
};

// A new order of the rows (a sort): row i becomes the row that was order[i].
class order_command : public QUndoCommand {
public:
    order_command(worksheet_model& model, std::vector<std::uint32_t> order);
    void redo() override { model_.put_order(order_); }
    void undo() override { model_.put_order(inverse_); }

private:
    worksheet_model& model_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> inverse_;
};

} // namespace orvandel::ui::worksheet
