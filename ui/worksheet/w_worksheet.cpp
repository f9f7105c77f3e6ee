#include "ui/worksheet/w_worksheet.h"

#include "ui/worksheet/debt_panel_text.h"
#include "ui/worksheet/totals_model.h"
#include "ui/worksheet/worksheet_model.h"

#include "runtime/clock.h"
#include "runtime/date_field.h"
#include "runtime/edit_mask.h"
#include "runtime/engine_text.h"
#include "runtime/message_box.h"
#include "runtime/recovery_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace orvandel::ui::worksheet {

namespace {

const QString window_title = QStringLiteral("计算底稿");

// A typical widest cell of a column, which sets its width (or its title,
// where that is wider).
QString widest_cell(sheet::column c) {
    using sheet::column;
    switch (c) {
    case column::item:
        return QStringLiteral("增值税 2024年3月");
    case column::tax_period:
        return QStringLiteral("2024年12月");
    case column::due_date:
    case column::pay_date:
    case column::start_date:
    case column::end_date:
    case column::stop_date:
        return QStringLiteral("2024-03-15");
    case column::days_before:
    case column::days_after:
    case column::total_days:
        return QStringLiteral("999999");
    case column::one_more_day:
        return QStringLiteral("9,999.99");
    case column::item_id:
        return QStringLiteral("2024-0001");
    case column::apply_cap:
        return QStringLiteral("是");
    case column::error:
        return QStringLiteral("应缴税款金额：不是数字；缴款期限：未填写");
    case column::amount:
    case column::paid_amount:
    case column::tax_and_fee_total:
    case column::excess:
    case column::to_tax:
    case column::tax_outstanding:
        return QStringLiteral("999,999,999.99");
    case column::fee_before:
    case column::fee_after:
    case column::total_fee:
    case column::to_fee:
    case column::fee_outstanding:
    case column::fee_paid:
    case column::capped_total_fee:
        return QStringLiteral("99,999,999.99");
    }
    return {};
}

// What the panel says on a row of no debt.
const QString debt_panel_hint =
    QStringLiteral("选中有编号的行，这里列出这笔欠税的分段计算、每次缴款的分配和合计。");

} // namespace

worksheet_view::worksheet_view(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setCornerButtonEnabled(true);
    // Every row the same height: scrolling a million rows stays smooth.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setHighlightSections(true);
    horizontalHeader()->setStretchLastSection(true); // 备注 takes the room left
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

void worksheet_view::move_by(int rows, int columns) {
    const QModelIndex at = currentIndex();
    if (!at.isValid() || model() == nullptr) {
        return;
    }
    const int row = std::clamp(at.row() + rows, 0, model()->rowCount() - 1);
    // Hidden columns (a debt's figures on a sheet without debts) are passed over.
    int column = at.column() + columns;
    while (columns != 0 && column > 0 && column < model()->columnCount() - 1 &&
           isColumnHidden(column)) {
        column += columns > 0 ? 1 : -1;
    }
    column = std::clamp(column, 0, model()->columnCount() - 1);
    selectionModel()->setCurrentIndex(model()->index(row, column),
                                      QItemSelectionModel::ClearAndSelect);
}

void worksheet_view::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() == Qt::NoModifier) {
                if (currentIndex().isValid() && currentIndex().row() == model()->rowCount() - 1) {
                    emit row_wanted_below_last();
                }
                move_by(1, 0);
                return;
            }
            break;
        case Qt::Key_Delete:
            emit clear_requested();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void worksheet_view::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    switch (hint) {
    case QAbstractItemDelegate::SubmitModelCache: // Enter
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (currentIndex().isValid() && currentIndex().row() == model()->rowCount() - 1) {
            emit row_wanted_below_last();
        }
        move_by(1, 0);
        return;
    case QAbstractItemDelegate::EditNextItem: // Tab: move, do not edit
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        move_by(0, 1);
        return;
    case QAbstractItemDelegate::EditPreviousItem:
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        move_by(0, -1);
        return;
    default:
        QTableView::closeEditor(editor, hint);
    }
}

w_worksheet::w_worksheet(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(window_title);
    setAccessibleName(window_title);
    setObjectName(QStringLiteral("w_worksheet"));
    model_ = new worksheet_model(this);
    totals_model_ = new totals_model(*model_, this);
    model_->set_payment_date(runtime::to_calc_date(runtime::today()));
    build_layout();
    build_actions();
    build_menus();
    size_columns();
    keep_totals_aligned();
    show_debts();

    recovery_timer_.setSingleShot(true);
    recovery_timer_.setInterval(2000);
    connect(&recovery_timer_, &QTimer::timeout, this, &w_worksheet::write_recovery);
    connect(&model_->undo_stack(), &QUndoStack::indexChanged, this, &w_worksheet::sheet_changed);
    connect(&model_->undo_stack(), &QUndoStack::cleanChanged, this, &w_worksheet::update_title);
    update_title();
    // Wide enough for every column, 备注 included, where the screen allows:
    // at 1600 pixels every column shows and 备注 has room for a reason of
    // two parts. On a narrower screen the reason is still in the bad cells'
    // tooltips and, for the current row, in the status bar.
    int width = table->verticalHeader()->sizeHint().width() + 40;
    for (int c = 0; c < shown_column_count; ++c) {
        width += table->columnWidth(c);
    }
    const QScreen* shown_on = screen();
    const int room = shown_on != nullptr ? shown_on->availableGeometry().width() - 40 : width;
    resize(std::min(width, std::max(room, 800)), 640);
}

w_worksheet::~w_worksheet() {
    // The children (views, models) outlive this object's members while
    // QWidget deletes them, and signal as they go: cut them off first, then
    // delete the views while everything they show is still there.
    disconnect(&model_->undo_stack(), nullptr, this, nullptr);
    disconnect(model_, nullptr, this, nullptr);
    disconnect(table->horizontalHeader(), nullptr, this, nullptr);
    disconnect(table->verticalHeader(), nullptr, this, nullptr);
    disconnect(table, nullptr, this, nullptr);
    disconnect(table->selectionModel(), nullptr, this, nullptr);
    delete takeCentralWidget();
}

void w_worksheet::build_layout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->setSpacing(6);

    auto* date_row = new QHBoxLayout();
    auto* date_label = new QLabel(QStringLiteral("缴款日期(&D)："), central);
    payment_date = new runtime::date_field(central);
    payment_date->setObjectName(QStringLiteral("payment_date"));
    payment_date->set_date(runtime::today());
    for (QWidget* named :
         {static_cast<QWidget*>(payment_date), static_cast<QWidget*>(payment_date->edit())}) {
        named->setAccessibleName(QStringLiteral("缴款日期"));
        named->setToolTip(QStringLiteral("没有填写实际缴款日期的行按这一天缴款计算；"
                                         "改动后所有行立即重新计算。"));
    }
    date_label->setBuddy(payment_date);
    auto* date_hint = new QLabel(QStringLiteral("没有填写实际缴款日期的行按这一天缴款计算；"
                                                "有编号的欠税，仍欠的税款计算到这一天。"),
                                 central);
    date_hint->setForegroundRole(QPalette::PlaceholderText);
    cap_debts = new QCheckBox(QStringLiteral("欠税合计按行政强制法第四十五条封顶(&L)"), central);
    cap_debts->setObjectName(QStringLiteral("cap_debts"));
    cap_debts->setAccessibleName(QStringLiteral("欠税合计按行政强制法第四十五条封顶"));
    cap_debts->setToolTip(QStringLiteral(
        "勾选后，有编号的欠税在合计和计算底稿中按封顶后的金额（滞纳金不超过税款）计入，"
        "即各笔欠税的“适用封顶”填“是”。税务机关认为该条不适用于税收滞纳金，默认不封顶。"));
    date_row->addWidget(date_label);
    date_row->addWidget(payment_date);
    date_row->addSpacing(12);
    date_row->addWidget(date_hint);
    date_row->addStretch(1);
    date_row->addWidget(cap_debts);
    // A click caps every debt unless all are capped; the box then shows the
    // rows as they are (some capped: partly checked).
    connect(cap_debts, &QCheckBox::clicked, this, [this] {
        model_->set_debts_capped(model_->debts_capped() != std::optional<bool>(true));
    });
    layout->addLayout(date_row);
    connect(payment_date, &runtime::date_field::date_changed, this,
            &w_worksheet::payment_date_changed);
    connect(payment_date, &runtime::date_field::refused, this,
            [this](const QString& message) { statusBar()->showMessage(message); });

    table = new worksheet_view(central);
    table->setObjectName(QStringLiteral("table"));
    table->setAccessibleName(QStringLiteral("计算底稿表格"));
    table->setModel(model_);
    layout->addWidget(table, 1);
    connect(table, &worksheet_view::clear_requested, this, &w_worksheet::clear_selection_cells);
    connect(table, &worksheet_view::row_wanted_below_last, this, [this] {
        model_->insert_rows(model_->rows().size(), {model_->blank_row()}, QStringLiteral("添加行"));
    });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        // Once the indicator shows, the header itself turns it on each click
        // (the other way on the same column) before telling us.
        QHeaderView* header = table->horizontalHeader();
        if (!header->isSortIndicatorShown()) {
            header->setSortIndicatorShown(true);
            header->setSortIndicator(column, Qt::AscendingOrder);
        }
        model_->sort(column, header->sortIndicatorOrder());
    });

    totals = new QTableView(central);
    totals->setObjectName(QStringLiteral("totals"));
    totals->setAccessibleName(QStringLiteral("合计"));
    totals->setModel(totals_model_);
    totals->horizontalHeader()->hide();
    totals->horizontalHeader()->setStretchLastSection(true);
    totals->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    totals->verticalHeader()->setDefaultSectionSize(table->verticalHeader()->defaultSectionSize() +
                                                    4);
    totals->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    totals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    totals->setFocusPolicy(Qt::NoFocus);
    totals->setSelectionMode(QAbstractItemView::NoSelection);
    totals->setStyleSheet(QStringLiteral("QTableView { background: #eef2f7; }"));
    totals->setFixedHeight(totals->verticalHeader()->defaultSectionSize() +
                           2 * totals->frameWidth());
    layout->addWidget(totals);

    debt_panel = new QPlainTextEdit(central);
    debt_panel->setObjectName(QStringLiteral("debt_panel"));
    debt_panel->setAccessibleName(QStringLiteral("欠税计算过程"));
    debt_panel->setReadOnly(true);
    debt_panel->setLineWrapMode(QPlainTextEdit::NoWrap);
    debt_panel->setFixedHeight(debt_panel->fontMetrics().lineSpacing() * 9 +
                               2 * debt_panel->frameWidth() + 8);
    layout->addWidget(debt_panel);
    connect(model_, &worksheet_model::totals_changed, this, &w_worksheet::show_debts);
    connect(model_, &QAbstractItemModel::modelReset, this, &w_worksheet::show_debts);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &w_worksheet::show_debts);

    setCentralWidget(central);
    statusBar()->showMessage(QStringLiteral("就绪"));
    // The current row's reason, beside whatever the status bar says.
    row_note = new QLabel(this);
    row_note->setObjectName(QStringLiteral("row_note"));
    row_note->setStyleSheet(QStringLiteral("QLabel { color: #b00020; }"));
    statusBar()->addPermanentWidget(row_note);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &w_worksheet::show_row_note);
    connect(model_, &QAbstractItemModel::dataChanged, this, &w_worksheet::show_row_note);
    connect(model_, &QAbstractItemModel::modelReset, this, &w_worksheet::show_row_note);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &w_worksheet::show_row_note);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &w_worksheet::show_row_note);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &w_worksheet::show_row_note);
}

void w_worksheet::build_actions() {
    const auto make = [this](const QString& text, const QKeySequence& keys, auto slot) {
        auto* action = new QAction(text, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        return action;
    };
    act_new = make(QStringLiteral("新建(&N)"), QKeySequence::New, &w_worksheet::new_sheet);
    act_open =
        make(QStringLiteral("打开(&O)…"), QKeySequence::Open, &w_worksheet::open_with_dialog);
    act_save = make(QStringLiteral("保存(&S)"), QKeySequence::Save, [this] { save(); });
    act_save_as = make(QStringLiteral("另存为(&A)…"), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                       [this] { save_as(); });
    act_print = make(QStringLiteral("打印(&P)…"), QKeySequence::Print, [] {});
    act_export_pdf = make(QStringLiteral("导出PDF(&E)…"), QKeySequence(), [] {});
    act_print->setEnabled(false);
    act_export_pdf->setEnabled(false);
    act_close = make(QStringLiteral("关闭(&C)"), QKeySequence(QStringLiteral("Ctrl+W")),
                     [this] { close(); });

    act_undo = model_->undo_stack().createUndoAction(this, QStringLiteral("撤销"));
    act_undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    act_redo = model_->undo_stack().createRedoAction(this, QStringLiteral("重做"));
    act_redo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    addAction(act_undo);
    addAction(act_redo);
    act_copy = make(QStringLiteral("复制(&C)"), QKeySequence::Copy, &w_worksheet::copy_selection);
    act_paste =
        make(QStringLiteral("粘贴(&P)"), QKeySequence::Paste, &w_worksheet::paste_clipboard);
    act_clear = make(QStringLiteral("清除内容(&L)"), QKeySequence(Qt::Key_Delete),
                     &w_worksheet::clear_selection_cells);
    // Delete is the table's own key while it has the focus; the shortcut
    // would take it from the cell editors.
    act_clear->setShortcutContext(Qt::WidgetShortcut);
    act_insert_rows = make(QStringLiteral("插入行(&I)"), QKeySequence(QStringLiteral("Ctrl+I")),
                           &w_worksheet::insert_rows);
    act_delete_rows = make(QStringLiteral("删除行(&D)"), QKeySequence(QStringLiteral("Ctrl+-")),
                           &w_worksheet::delete_rows);
    act_calendar =
        make(QStringLiteral("申报日历(&L)…"), QKeySequence(QStringLiteral("Ctrl+Shift+L")), [] {});
    act_calendar->setEnabled(false);
    act_add_payment = make(QStringLiteral("添加缴款(&J)"), QKeySequence(QStringLiteral("Ctrl+J")),
                           &w_worksheet::add_payment);
}

void w_worksheet::build_menus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->addAction(act_new);
    file->addAction(act_open);
    file->addAction(act_save);
    file->addAction(act_save_as);
    file->addSeparator();
    file->addAction(act_print);
    file->addAction(act_export_pdf);
    file->addSeparator();
    file->addAction(act_close);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    edit->addAction(act_undo);
    edit->addAction(act_redo);
    edit->addSeparator();
    edit->addAction(act_copy);
    edit->addAction(act_paste);
    edit->addAction(act_clear);
    edit->addSeparator();
    edit->addAction(act_insert_rows);
    edit->addAction(act_delete_rows);
    edit->addAction(act_add_payment);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
    tools->addAction(act_calendar);

    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    table->addActions(
        {act_copy, act_paste, act_clear, act_insert_rows, act_delete_rows, act_add_payment});
}

void w_worksheet::size_columns() {
    const QFontMetrics cells = table->fontMetrics();
    const QFontMetrics titles = table->horizontalHeader()->fontMetrics();
    const int padding = 2 * cells.averageCharWidth();
    for (int c = 0; c < model_->columnCount(); ++c) {
        // A column of the file that the sheet does not know: as wide as its title.
        int width =
            c < shown_column_count
                ? cells.horizontalAdvance(widest_cell(shown_columns[static_cast<std::size_t>(c)]))
                : 0;
        const QString title = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        for (const QString& line : title.split(QLatin1Char('\n'))) {
            width = std::max(width, titles.horizontalAdvance(line));
        }
        table->setColumnWidth(c, width + padding);
    }
    // Room for the longest titles on two lines.
    table->horizontalHeader()->setMinimumHeight(2 * table->fontMetrics().height() + 10);
}

void w_worksheet::keep_totals_aligned() {
    const auto copy_widths = [this] {
        for (int c = 0; c < model_->columnCount(); ++c) {
            totals->setColumnWidth(c, table->columnWidth(c));
        }
    };
    copy_widths();
    connect(model_, &QAbstractItemModel::modelReset, this, copy_widths);
    connect(table->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int c, int, int width) { totals->setColumnWidth(c, width); });
    connect(table->horizontalScrollBar(), &QScrollBar::valueChanged, totals->horizontalScrollBar(),
            &QScrollBar::setValue);
    const auto align_headers = [this] {
        totals->verticalHeader()->setFixedWidth(table->verticalHeader()->width());
    };
    connect(table->verticalHeader(), &QHeaderView::geometriesChanged, this, align_headers);
    connect(model_, &QAbstractItemModel::rowsInserted, this, align_headers);
    connect(model_, &QAbstractItemModel::modelReset, this, align_headers);
}

void w_worksheet::update_title() {
    const QString name =
        file_path_.isEmpty() ? QStringLiteral("未命名") : QFileInfo(file_path_).fileName();
    setWindowTitle(QStringLiteral("%1 - %2[*]").arg(name, window_title));
    setWindowModified(!model_->undo_stack().isClean());
}

void w_worksheet::payment_date_changed() {
    const QDate day = payment_date->date();
    model_->set_payment_date(day.isValid() ? std::optional(runtime::to_calc_date(day))
                                           : std::nullopt);
    statusBar()->showMessage(
        QStringLiteral("已按缴款日期 %1 重新计算").arg(runtime::date_text(day)));
}

void w_worksheet::show_debts() {
    const bool debts = !model_->debts().empty();
    for (int c = 0; c < shown_column_count; ++c) {
        const sheet::column col = shown_columns[static_cast<std::size_t>(c)];
        const bool result =
            is_debt_column(col) && sheet::facts(col).use == sheet::column_use::result;
        table->setColumnHidden(c, result && !debts);
        totals->setColumnHidden(c, result && !debts);
    }
    cap_debts->setEnabled(debts);
    const std::optional<bool> capped = model_->debts_capped();
    const QSignalBlocker quiet(cap_debts);
    const Qt::CheckState state = !capped   ? (debts ? Qt::PartiallyChecked : Qt::Unchecked)
                                 : *capped ? Qt::Checked
                                           : Qt::Unchecked;
    cap_debts->setTristate(state == Qt::PartiallyChecked);
    cap_debts->setCheckState(state);
    debt_panel->setVisible(debts);
    if (!debts) {
        return;
    }
    const QModelIndex at = table->currentIndex();
    const auto place =
        at.isValid() ? model_->debt_at(static_cast<std::size_t>(at.row())) : std::nullopt;
    const QString text =
        place ? runtime::qstring(debt_panel_text(*place, model_->rows())) : debt_panel_hint;
    if (debt_panel->toPlainText() != text) {
        debt_panel->setPlainText(text);
    }
}

void w_worksheet::show_row_note() {
    const QModelIndex at = table->currentIndex();
    QString note;
    if (at.isValid()) {
        const auto row = static_cast<std::size_t>(at.row());
        // A row of a debt has its debt's figures, or its debt's note.
        if (row < model_->rows().size() && !model_->rows().blank(row) &&
            !model_->row_computed(row)) {
            note = QStringLiteral("第%1行：%2")
                       .arg(at.row() + 1)
                       .arg(runtime::qstring(
                           model_->shown_text(row, view_column(sheet::column::error))));
        }
    }
    row_note->setText(note);
}

void w_worksheet::sheet_changed() {
    if (!recovery_timer_.isActive()) {
        recovery_timer_.start();
    }
}

void w_worksheet::set_first_row(const row_cells& row) {
    row_store rows;
    const row_views texts(row.begin(), row.end());
    rows.append(texts);
    model_->replace_all(std::move(rows));
    table->setCurrentIndex(model_->index(0, 0));
}

void w_worksheet::new_sheet() {
    if (!ask_save_and_save()) {
        return;
    }
    model_->replace_all(row_store{});
    model_->insert_rows(0, {model_->blank_row()}, QStringLiteral("添加行"));
    size_columns();
    model_->undo_stack().clear();
    file_path_.clear();
    forget_recovery();
    update_title();
}

void w_worksheet::closeEvent(QCloseEvent* event) {
    if (!ask_save_and_save()) {
        event->ignore();
        return;
    }
    recovery_timer_.stop();
    forget_recovery();
    event->accept();
}

bool w_worksheet::ask_save_and_save() {
    if (model_->undo_stack().isClean()) {
        return true;
    }
    const int answer = runtime::message_box(
        this, window_title, QStringLiteral("计算底稿有未保存的改动。要保存吗？"),
        runtime::msg_icon::question, runtime::msg_buttons::save_discard_cancel);
    switch (answer) {
    case 1:
        return save();
    case 2:
        return true;
    default:
        return false;
    }
}

} // namespace orvandel::ui::worksheet
