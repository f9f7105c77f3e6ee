#pragma once
// The worksheet window (计算底稿): many tax items at once, typed or pasted
// from a spreadsheet, each with its surcharge, a what-if payment date and the
// totals, kept safe in a recovery file of its own until it is saved or closed.

#include "ui/worksheet/row_store.h"

#include <QMainWindow>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;

namespace orvandel::runtime {
class date_field;
class recovery_file;
} // namespace orvandel::runtime

namespace orvandel::ui::worksheet {

class worksheet_model;
class totals_model;

// The table with a spreadsheet's keys: typing replaces the cell, F2 edits
// it, Enter moves down (adding a row below the last), Tab right, Delete clears.
class worksheet_view : public QTableView {
    Q_OBJECT
public:
    explicit worksheet_view(QWidget* parent = nullptr);

signals:
    void clear_requested();
    void row_wanted_below_last();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void move_by(int rows, int columns);
};

class w_worksheet : public QMainWindow {
    Q_OBJECT
public:
    explicit w_worksheet(QWidget* parent = nullptr);
    ~w_worksheet() override;

    // Starts the sheet with this row (the main window's calculation); not an
    // undoable change, and the sheet counts as unchanged.
    void set_first_row(const row_cells& row);
    // Opens a CSV file in place of the rows; on failure says why and keeps
    // the rows as they were. False when nothing was opened.
    bool open_file(const QString& path);
    // Saves the rows to `path`; on failure says why. False when not saved.
    bool save_file(const QString& path);
    // Takes the rows of a recovery file left by a sheet that is gone, as
    // unsaved changes, and keeps the file as this sheet's own from then on.
    // On failure says why and leaves the file where it is.
    bool restore_recovery(std::unique_ptr<runtime::recovery_file> file);
    // Writes this sheet's recovery file now (the timer does it within 2 s of
    // a change). Each sheet has its own, held for as long as it is open.
    void write_recovery();
    // The path of this sheet's recovery file; empty before it has one.
    [[nodiscard]] QString recovery_path() const;

    [[nodiscard]] worksheet_model& model() { return *model_; }
    [[nodiscard]] const QString& file_path() const { return file_path_; }

    // The commands, for the keyboard, the menus and tests.
    void copy_selection();
    void paste_clipboard();
    void insert_rows();
    void delete_rows();
    void add_payment();
    void clear_selection_cells();
    bool ask_save_and_save(); // false when the user cancelled or saving failed
    void open_with_dialog();
    bool save();
    bool save_as();

    worksheet_view* table = nullptr;
    QTableView* totals = nullptr;
    runtime::date_field* payment_date = nullptr;
    // In the status bar: why the current row has no figures, if it has none.
    QLabel* row_note = nullptr;
    // Debts paid in parts: whether their totals carry the capped surcharge,
    // and the working of the current row's debt under the totals.
    QCheckBox* cap_debts = nullptr;
    QPlainTextEdit* debt_panel = nullptr;
    QAction* act_new = nullptr;
    QAction* act_open = nullptr;
    QAction* act_save = nullptr;
    QAction* act_save_as = nullptr;
    // The audit sheet: printing with a preview and PDF export, enabled when
    // the application wires them in.
    QAction* act_print = nullptr;
    QAction* act_export_pdf = nullptr;
    QAction* act_close = nullptr;
    QAction* act_undo = nullptr;
    QAction* act_redo = nullptr;
    QAction* act_copy = nullptr;
    QAction* act_paste = nullptr;
    QAction* act_clear = nullptr;
    QAction* act_insert_rows = nullptr;
    QAction* act_delete_rows = nullptr;
    // The filing calendar window, enabled when the application wires it in.
    QAction* act_calendar = nullptr;
    // A row for one more payment of the current row's debt, below its rows.
    QAction* act_add_payment = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build_actions();
    void build_menus();
    void build_layout();
    void size_columns();
    void keep_totals_aligned();
    void update_title();
    void payment_date_changed();
    void show_row_note();
    // The debts' columns, the cap box and the panel as the rows now are.
    void show_debts();
    void sheet_changed();
    void forget_recovery();
    void new_sheet();
    // The CSV text of the rows: Chinese headers, UTF-8 with a byte order mark, CRLF.
    [[nodiscard]] std::string csv_text() const;
    // The rows, their figures and a totals row as an Excel workbook, written
    // as the batch writes one; empty with `problem` set when it cannot be.
    [[nodiscard]] std::string workbook_bytes(QString& problem) const;

    worksheet_model* model_ = nullptr;
    totals_model* totals_model_ = nullptr;
    QString file_path_;
    QTimer recovery_timer_;
    std::unique_ptr<runtime::recovery_file> recovery_;
};

} // namespace orvandel::ui::worksheet
