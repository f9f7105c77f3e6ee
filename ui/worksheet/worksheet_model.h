// The worksheet's table model: the rows' texts and, computed from them as
// they are shown, each row's figures and note; the totals; and every change
// as an undoable command on the model's QUndoStack.
//
// Columns, in order: 项目, 应缴税款金额, 缴款期限, 实际缴款日期, the two day
// counts (typed for a row without dates, results otherwise), 合计滞纳天数, the
// three surcharges, 税款与滞纳金合计, 每多滞纳一日增加 and 备注.
#pragma once

#include "ui/worksheet/row_store.h"
#include "ui/worksheet/sheet_totals.h"

#include "sheet/columns.h"
#include "sheet/row.h"
#include "sheet/tsv.h"

#include <QAbstractTableModel>
#include <QUndoStack>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvandel::ui::worksheet {

inline constexpr int shown_column_count = 13;

// The row-contract column shown in `column` (0..shown_column_count-1).
[[nodiscard]] sheet::column shown_column(int column);
// The input cell a column holds, or nothing for a result column.
[[nodiscard]] std::optional<input> input_of(int column);
// The Chinese title of a column and the one-sentence rule in its tooltip.
[[nodiscard]] QString column_title(int column);
[[nodiscard]] QString column_rule(int column);
// Figures: "12,345.67" (grouped, two decimals) and day counts as digits.
[[nodiscard]] QString money_text(std::int64_t cents);

struct cell_edit {
    std::size_t row = 0;
    input cell = input::item;
    std::string text;
};

class worksheet_model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit worksheet_model(QObject* parent = nullptr);
    ~worksheet_model() override;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edit in the view: one undoable change.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // A header click: one undoable change.
    void sort(int column, Qt::SortOrder order) override;

    [[nodiscard]] QUndoStack& undo_stack() { return undo_; }
    [[nodiscard]] const row_store& rows() const { return rows_; }
    [[nodiscard]] const sheet_totals& totals() const { return totals_; }
    // The row's outcome under the current payment date (cached for one row).
    [[nodiscard]] const sheet::row_outcome& outcome(std::size_t row) const;
    // The text of a cell: as shown and copied to the clipboard (figures
    // grouped, "12,345.67"), or as saved in files (plain, "12345.67").
    enum class figures { grouped, plain };
    [[nodiscard]] std::string shown_text(std::size_t row, int column,
                                         figures style = figures::grouped) const;

    // 缴款日期: the day used for rows without an 实际缴款日期. Changing it
    // recomputes every row and the totals (not an undoable change: it is the
    // what-if, not part of the sheet).
    [[nodiscard]] const std::optional<calc::date>& payment_date() const { return payment_; }
    void set_payment_date(const std::optional<calc::date>& day);

    // Undoable changes.
    void edit_cells(std::vector<cell_edit> edits, const QString& name);
    void insert_rows(std::size_t at, std::vector<row_cells> rows, const QString& name);
    void remove_rows(std::size_t at, std::size_t count);
    void clear_cells(const QModelIndexList& cells);
    // Pastes a block at (row, column): each cell normalised the way the
    // fields read pasted text, rows added below the last as needed; text
    // that cannot be read in only one way is kept as it is, so that the
    // row shows the error. Returns the rows and columns covered.
    QSize paste(std::size_t row, int column, const sheet::text_grid& block);

    // Replaces every row (opening a file): clears the undo history.
    void replace_all(row_store rows);
    // The totals of `rows` under `payment_date`, from scratch.
    [[nodiscard]] static sheet_totals total(const row_store& rows,
                                            const std::optional<calc::date>& payment_date);

    // The raw changes the undo commands make; each keeps the totals and
    // tells the views.
    void put_cells(const std::vector<cell_edit>& edits);
    void put_rows(std::size_t at, const std::vector<row_cells>& rows);
    std::vector<row_cells> take_rows(std::size_t at, std::size_t count);
    void put_order(const std::vector<std::uint32_t>& order);

signals:
    void totals_changed();

private:
    void forget_cached_row() const { cached_row_ = static_cast<std::size_t>(-1); }
    [[nodiscard]] QVariant display(std::size_t row, int column) const;
    [[nodiscard]] bool bad_cell(const sheet::row_outcome& outcome, int column) const;

    row_store rows_;
    sheet_totals totals_;
    std::optional<calc::date> payment_;
    QUndoStack undo_;
    mutable std::size_t cached_row_ = static_cast<std::size_t>(-1);
    mutable sheet::row_outcome cached_;
};

// The totals row under the table: the sums of the rounded row figures, and in
// 备注 how many rows were left out.
class totals_model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit totals_model(const worksheet_model& rows, QObject* parent = nullptr);
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] QString text(int column) const;

private:
    const worksheet_model& rows_;
};

} // namespace orvandel::ui::worksheet
