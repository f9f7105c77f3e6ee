// The worksheet's table model: the rows' texts and, computed from them as
// they are shown, each row's figures and note; every change goes through the
// undoable commands of worksheet_commands.h on the model's QUndoStack.
//
// Columns, in order: 项目, 应缴税款金额, 缴款期限, 实际缴款日期, the two day
// counts (given for a row without dates, results otherwise), 税款所属期,
// 合计滞纳天数, the three surcharges, 税款与滞纳金合计, 每多滞纳一日增加 and
// 备注; then the columns of the opened file that the sheet does not know,
// kept as text. 税款所属期 follows the columns that were there before it, so
// that blocks pasted in their order still land where they did.
//
// Debts paid in parts (sheet/debts.h): before 备注 come 编号, 本次缴款金额,
// 停止计算日期 and 适用封顶, then what the rows of a debt show (抵缴税款 …
// 按行政强制法第四十五条封顶). Rows that share an 编号 are computed together;
// a change to one row of a debt recomputes the debt, its rows and the totals.
//
// A row opened from a file by 起始日期/终止日期 (the form's meaning) keeps
// those two dates and is computed by them; its 缴款期限 and 实际缴款日期 show
// the same period in the law's terms (one day earlier each). Editing either
// date turns the row into one by 缴款期限/实际缴款日期.
//
// A row with a 税款所属期 and an empty 缴款期限 shows the filing calendar's
// date there, in another colour, with its source as the tooltip; a date typed
// over it is kept as typed (sheet/row_deadline.h). Files hold the date shown.
#pragma once

#include "ui/worksheet/debt_index.h"
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

// The sheet's columns the worksheet shows, in order; those of a debt's
// figures only while a row gives a debt.
inline constexpr std::array<sheet::column, 25> shown_columns{
    sheet::column::item,
    sheet::column::amount,
    sheet::column::due_date,
    sheet::column::pay_date,
    sheet::column::days_before,
    sheet::column::days_after,
    sheet::column::tax_period,
    sheet::column::total_days,
    sheet::column::fee_before,
    sheet::column::fee_after,
    sheet::column::total_fee,
    sheet::column::tax_and_fee_total,
    sheet::column::one_more_day,
    sheet::column::error,
    sheet::column::item_id,
    sheet::column::paid_amount,
    sheet::column::stop_date,
    sheet::column::apply_cap,
    sheet::column::to_tax,
    sheet::column::to_fee,
    sheet::column::excess,
    sheet::column::tax_outstanding,
    sheet::column::fee_outstanding,
    sheet::column::fee_paid,
    sheet::column::capped_total_fee,
};
inline constexpr int shown_column_count = static_cast<int>(shown_columns.size());

// The view column of `c`, which the worksheet shows.
[[nodiscard]] int view_column(sheet::column c);

// A column of debts paid in parts, from 编号 through 按行政强制法第四十五条封顶.
[[nodiscard]] constexpr bool is_debt_column(sheet::column c) {
    return c >= sheet::column::item_id && c <= sheet::column::capped_total_fee;
}

struct cell_edit {
    std::size_t row = 0;
    std::size_t slot = 0;
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
    [[nodiscard]] const sheet_shape& shape() const { return shape_; }
    [[nodiscard]] const sheet_totals& totals() const { return totals_; }
    // The sheet column a view column shows; nothing for a column of the file
    // the sheet does not know.
    [[nodiscard]] std::optional<sheet::column> column_at(int column) const;
    // The slot a view column edits, or nothing for a result column.
    [[nodiscard]] std::optional<std::size_t> slot_at(int column) const;
    // The title of a view column.
    [[nodiscard]] std::string column_title(int column) const;
    // The row's outcome under the current payment date (cached for one row).
    // A row with 编号 has its debt's figures instead (debt_at).
    [[nodiscard]] const sheet::row_outcome& outcome(std::size_t row) const;
    // The debt a row with 编号 belongs to, computed through the payment date.
    [[nodiscard]] std::optional<debt_place> debt_at(std::size_t row) const {
        return debts_.place(rows_, row, payment_);
    }
    [[nodiscard]] const debt_index& debts() const { return debts_; }
    // The row has its figures: computed alone, or its debt is.
    [[nodiscard]] bool row_computed(std::size_t row) const;
    // Some row gives 编号, 本次缴款金额, 停止计算日期 or 适用封顶: a file of
    // the sheet keeps those columns.
    [[nodiscard]] bool uses_debt_columns() const;
    // Whether the debts' totals carry their capped surcharge: all do, none
    // does, or nothing when some do (or there is no debt).
    [[nodiscard]] std::optional<bool> debts_capped() const;
    // Caps every debt, or none, as one undoable change of their 适用封顶.
    void set_debts_capped(bool capped);
    // The text of a cell as shown and copied to the clipboard: figures
    // grouped ("12,345.67"), a row by 起始日期/终止日期 with its dates as
    // 缴款期限/实际缴款日期.
    [[nodiscard]] std::string shown_text(std::size_t row, int column) const;
    // The text of a sheet column as a file keeps it: what was typed for the
    // inputs (for an empty 缴款期限, the date its 税款所属期 filled in), plain
    // figures ("12345.67") for the results.
    [[nodiscard]] std::string file_text(std::size_t row, sheet::column c) const;

    // 缴款日期: the day used for rows without an 实际缴款日期. Changing it
    // recomputes every row and the totals (not an undoable change: it is the
    // what-if, not part of the sheet).
    [[nodiscard]] const std::optional<calc::date>& payment_date() const { return payment_; }
    void set_payment_date(const std::optional<calc::date>& day);

    // Undoable changes. An edit of a row also drops the note reading its
    // file gave it: the note spoke of the cells as they were.
    void edit_cells(std::vector<cell_edit> edits, const QString& name);
    void insert_rows(std::size_t at, std::vector<row_cells> rows, const QString& name);
    void remove_rows(std::size_t at, std::size_t count);
    void clear_cells(const QModelIndexList& cells);
    // Pastes a block at (row, column): each cell normalised the way the
    // fields read pasted text, rows added below the last as needed; text
    // that cannot be read in only one way is kept as it is, so that the
    // row shows the error. Returns the rows and columns covered.
    QSize paste(std::size_t row, int column, const sheet::text_grid& block);
    // A blank row as wide as the sheet's rows.
    [[nodiscard]] row_cells blank_row() const { return row_cells(rows_.slot_count()); }

    // Replaces every row (opening a file): clears the undo history.
    void replace_all(row_store rows, sheet_shape shape = {});
    // The totals of the rows from scratch.
    [[nodiscard]] sheet_totals total() const;

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
    [[nodiscard]] sheet::row_outcome evaluate(std::size_t row) const;
    [[nodiscard]] row_share share_of_row(std::size_t row) const;
    [[nodiscard]] bool bad_cell(const sheet::row_outcome& outcome, int column) const;
    [[nodiscard]] bool bad_debt_cell(const debt_place& place, int column) const;
    [[nodiscard]] std::string debt_file_text(const debt_place& place, std::size_t row,
                                             sheet::column c) const;
    // The 编号 of rows, each once, without the empty one.
    [[nodiscard]] std::vector<std::string> debt_ids(const std::vector<std::size_t>& rows) const;
    // Adds (takes away) the shares of every row of these debts to the totals.
    void add_debts(const std::vector<std::string>& ids, bool take_away);
    // Tells the views that every row of these debts changed.
    void show_debts_changed(const std::vector<std::string>& ids);
    // A row by 起始日期/终止日期: their texts, else nothing.
    [[nodiscard]] bool by_start_and_end(std::size_t row) const;
    // The edits that set `slot` of `row` to `text`, the row's other date
    // brought along when it was by 起始日期/终止日期.
    void add_edit(std::vector<cell_edit>& edits, std::size_t row, std::size_t slot,
                  std::string text) const;

    row_store rows_{};
    sheet_shape shape_{};
    sheet_totals totals_;
    std::optional<calc::date> payment_;
    debt_index debts_;
    QUndoStack undo_;
    mutable std::size_t cached_row_ = static_cast<std::size_t>(-1);
    mutable sheet::row_outcome cached_;
};

} // namespace orvandel::ui::worksheet
