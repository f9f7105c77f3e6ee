// The worksheet window driven from the keyboard as a person would: typing
// replaces a cell, F2 edits it, Enter moves down, Tab right, Delete clears,
// Ctrl+Z and Ctrl+Y undo and redo, the payment date recomputes, a header
// click sorts.

#include "sheet_fixture.h"

#include "runtime/date_field.h"
#include "runtime/edit_mask.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolTip>

using namespace orvandel;
using namespace orvandel::test;

namespace {

QString cell(const opened_sheet& sheet, int r, int c) {
    return runtime::qstring(sheet.model().shown_text(static_cast<std::size_t>(r), c));
}

// Types `text` into the widget with the focus, one character a key, as a
// keyboard or an input method delivers it (QTest::keyClicks takes Latin-1 only).
void type_text(const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    }
}

QPoint current(const opened_sheet& sheet) {
    const QModelIndex at = sheet->table->currentIndex();
    return {at.column(), at.row()};
}

} // namespace

class window_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    std::unique_ptr<opened_sheet> sheet;

private slots:
    void initTestCase() { pin_environment(home); }
    void init() {
        sheet = std::make_unique<opened_sheet>();
        fill(sheet->model(), {row("增值税", "100", "2024-03-01", "2024-03-11"),
                              row("附加税", "200", "2024-03-01", "")});
        (*sheet)->show();
        (*sheet)->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet->window.get()));
        (*sheet)->table->setFocus();
        (*sheet)->table->setCurrentIndex(sheet->model().index(0, 1));
    }
    void cleanup() { sheet.reset(); }

    void window_is_named_for_screen_readers() {
        QCOMPARE((*sheet)->accessibleName(), QStringLiteral("计算底稿"));
        QCOMPARE((*sheet)->payment_date->date(), QDate(2024, 3, 15));
        QCOMPARE(
            (*sheet)->table->model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString(),
            QStringLiteral("缴款期限是不加收滞纳金的最后一天，滞纳天数从其次日起算"
                           "（《税收征收管理法实施细则》第七十五条）；空着时按税款所属期从申报日历"
                           "填入。"));
    }

    // Typing replaces the cell; Enter keeps it and moves down.
    void typing_replaces_and_enter_moves_down() {
        QTest::keyClicks((*sheet)->table, "2"); // opens the editor with "2"
        QTest::keyClicks(QApplication::focusWidget(), "50");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor commits on the next turn
        QCOMPARE(cell(*sheet, 0, 1), QStringLiteral("250.00"));
        QCOMPARE(cell(*sheet, 0, 10), QStringLiteral("1.25"));
        QCOMPARE(current(*sheet), QPoint(1, 1));
        QCOMPARE(QApplication::focusWidget(), (*sheet)->table); // not editing
    }

    // F2 edits the text as it is; Tab commits and moves right without editing.
    void f2_edits_and_tab_moves_right() {
        QTest::keyClick((*sheet)->table, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClicks(editor, "0");
        QTest::keyClick(editor, Qt::Key_Tab);
        QCOMPARE(cell(*sheet, 0, 1), QStringLiteral("1,000.00"));
        QCOMPARE(current(*sheet), QPoint(2, 0));
        QCOMPARE(QApplication::focusWidget(), (*sheet)->table); // not editing
        QTest::keyClick((*sheet)->table, Qt::Key_Tab);
        QCOMPARE(current(*sheet), QPoint(3, 0));
    }

    // Delete clears the selected cells; Ctrl+Z brings them back, Ctrl+Y
    // clears them again.
    void delete_clears_and_undo_redo() {
        (*sheet)->table->selectionModel()->select(
            QItemSelection(sheet->model().index(0, 1), sheet->model().index(1, 2)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick((*sheet)->table, Qt::Key_Delete);
        QCOMPARE(cell(*sheet, 0, 1), QString());
        QCOMPARE(cell(*sheet, 1, 2), QString());
        QCOMPARE(cell(*sheet, 0, ws::view_column(sheet::column::error)),
                 QStringLiteral("应缴税款金额：未填写；缴款期限：未填写"));
        QTest::keyClick((*sheet)->table, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cell(*sheet, 0, 1), QStringLiteral("100.00"));
        QCOMPARE(cell(*sheet, 1, 2), QStringLiteral("2024-03-01"));
        QTest::keyClick((*sheet)->table, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(cell(*sheet, 0, 1), QString());
    }

    // Enter on the last row adds one below it; inserting and deleting rows
    // from the keyboard.
    void rows_are_added_inserted_and_deleted() {
        (*sheet)->table->setCurrentIndex(sheet->model().index(1, 0));
        QTest::keyClick((*sheet)->table, Qt::Key_Return);
        QCOMPARE(sheet->model().rowCount(), 3);
        QCOMPARE(current(*sheet), QPoint(0, 2));
        (*sheet)->table->setCurrentIndex(sheet->model().index(0, 0));
        QTest::keyClick((*sheet)->table, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(sheet->model().rowCount(), 4);
        QCOMPARE(cell(*sheet, 1, 0), QStringLiteral("增值税"));
        QTest::keyClick((*sheet)->table, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(sheet->model().rowCount(), 3);
        QCOMPARE(cell(*sheet, 0, 0), QStringLiteral("增值税"));
    }

    // The what-if: a later payment date recomputes the rows that have no pay date.
    void payment_date_field_recomputes() {
        QCOMPARE(cell(*sheet, 1, 7), QStringLiteral("14"));
        (*sheet)->payment_date->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "2024-03-20");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(cell(*sheet, 1, 7), QStringLiteral("19"));
        QCOMPARE(cell(*sheet, 0, 7), QStringLiteral("10"));
        QCOMPARE((*sheet)->totals->model()->index(0, 10).data().toString(), QStringLiteral("2.40"));
    }

    // 缴款日期 typed whole over what it shows, in each form a pasted date may
    // take, arrives whole at Tab; a text that names no day is refused where
    // the user sees it, and the rows keep the date they had.
    void payment_date_typed_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("taken"); // null: refused
        QTest::addColumn<QString>("tip");
        const QDate day(2024, 3, 20);
        QTest::newRow("dashes") << QStringLiteral("2024-03-20") << day << QString();
        QTest::newRow("one-digit month") << QStringLiteral("2024-3-20") << day << QString();
        QTest::newRow("eight digits") << QStringLiteral("20240320") << day << QString();
        QTest::newRow("slashes") << QStringLiteral("2024/3/20") << day << QString();
        QTest::newRow("dots") << QStringLiteral("2024.3.20") << day << QString();
        QTest::newRow("chinese") << QStringLiteral("2024年3月20日") << day << QString();
        QTest::newRow("full width") << QStringLiteral("２０２４－０３－２０") << day << QString();
        QTest::newRow("another year")
            << QStringLiteral("2019-12-31") << QDate(2019, 12, 31) << QString();
        QTest::newRow("no such day")
            << QStringLiteral("2024-02-30") << QDate() << QStringLiteral("没有这一天");
        QTest::newRow("mixed separators")
            << QStringLiteral("2024/3-20") << QDate() << QStringLiteral("分隔符");
        QTest::newRow("unfinished")
            << QStringLiteral("2024-3") << QDate() << QStringLiteral("无法识别的日期");
        // Pasted (Ctrl+V) in place of what the field shows.
        QTest::newRow("pasted cell") << QStringLiteral("\t2024年3月20日\r\n") << day << QString();
        QTest::newRow("pasted no such day") << QStringLiteral("\t2024/2/30\r\n") << QDate()
                                            << QStringLiteral("未能粘贴：没有这一天");
    }
    void payment_date_typed() {
        QFETCH(QString, typed);
        QFETCH(QDate, taken);
        QFETCH(QString, tip);
        QWidget* field = (*sheet)->payment_date;
        field->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        const bool pasted = typed.startsWith(u'\t');
        if (pasted) {
            QApplication::clipboard()->setText(typed.mid(1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
            // A paste is refused at once (Tab then hides the tip).
            QCOMPARE(QToolTip::isVisible(), !taken.isValid());
            QVERIFY2(QToolTip::text().contains(tip), qPrintable(QToolTip::text()));
        } else {
            type_text(typed);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), (*sheet)->table); // Tab leaves the field at once
        const QDate expected = taken.isValid() ? taken : QDate(2024, 3, 15);
        QCOMPARE(runtime::to_qdate(*sheet->model().payment_date()), expected);
        QCOMPARE(cell(*sheet, 1, 7),
                 QString::number(std::max<qint64>(0, QDate(2024, 3, 1).daysTo(expected))));
        if (taken.isValid()) {
            return;
        }
        // Refused: the field shows the date the rows use, and the tip says why.
        QVERIFY(field->findChild<QLineEdit*>()->text() == QStringLiteral("2024-03-15"));
        QTRY_VERIFY((*sheet)->statusBar()->currentMessage().contains(tip));
        if (!pasted) {
            QTRY_VERIFY(QToolTip::isVisible()); // shown once the focus has moved on
            QVERIFY2(QToolTip::text().contains(tip), qPrintable(QToolTip::text()));
        }
    }

    // The arrows step the part under the cursor and recompute at once; the
    // calendar (Alt+Down) takes a day chosen with the keys.
    void payment_date_by_arrows_and_calendar() {
        QTest::keyClick((*sheet)->table, Qt::Key_D, Qt::AltModifier); // the label's access key
        QWidget* line = QApplication::focusWidget();
        QCOMPARE(line, (*sheet)->payment_date->edit());
        QTest::keyClick(line, Qt::Key_End);
        QTest::keyClick(line, Qt::Key_Up);
        QCOMPARE(runtime::to_qdate(*sheet->model().payment_date()), QDate(2024, 3, 16));
        QTest::keyClick(line, Qt::Key_Home);
        QTest::keyClick(line, Qt::Key_Down);
        QCOMPARE(runtime::to_qdate(*sheet->model().payment_date()), QDate(2023, 3, 16));
        QTest::keyClick(line, Qt::Key_Down, Qt::AltModifier);
        QWidget* calendar = QApplication::activePopupWidget();
        QVERIFY(calendar != nullptr);
        QTest::keyClick(calendar->focusWidget(), Qt::Key_Right);
        QTest::keyClick(calendar->focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QCOMPARE(runtime::to_qdate(*sheet->model().payment_date()), QDate(2023, 3, 17));
        QCOMPARE(line->property("text").toString(), QStringLiteral("2023-03-17"));
        // F4 opens it too; Esc closes it with the date as it was.
        QTest::keyClick(line, Qt::Key_F4);
        QVERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget()->focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::activePopupWidget()->focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QCOMPARE(runtime::to_qdate(*sheet->model().payment_date()), QDate(2023, 3, 17));
    }

    // A click on a header sorts; a second click sorts the other way; undo
    // restores the order.
    void header_click_sorts() {
        QHeaderView* header = (*sheet)->table->horizontalHeader();
        const QPoint on_item(header->sectionViewportPosition(0) + 5, 5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, on_item);
        QCOMPARE(cell(*sheet, 0, 0), QStringLiteral("增值税"));
        QTest::qWait(QApplication::doubleClickInterval() + 50); // two clicks, not a double click
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, on_item);
        QCOMPARE(cell(*sheet, 0, 0), QStringLiteral("附加税"));
        sheet->model().undo_stack().undo();
        QCOMPARE(cell(*sheet, 0, 0), QStringLiteral("增值税"));
    }

    // The totals row stays under the table, its columns as wide as the table's.
    void totals_follow_the_columns() {
        QCOMPARE((*sheet)->totals->model()->index(0, 0).data().toString(),
                 QStringLiteral("合计（2行）"));
        (*sheet)->table->setColumnWidth(1, 222);
        QCOMPARE((*sheet)->totals->columnWidth(1), 222);
        (*sheet)->table->setColumnWidth(1, (*sheet)->table->columnWidth(7));
        // A picture of the window with rows of each kind, to look at.
        sheet->model().paste(2, 0,
                             {{"企业所得税 2023年度", "1,234,567.89", "2001-03-31", "2001-06-30"},
                              {"印花税", "¥500", "", "", "15", "30"},
                              {"房产税（按期）", "800", "2024-03-20", "2024-03-18"},
                              {"消费税", "12a", "3/1/2024", ""}});
        const QString png = QDir(QCoreApplication::applicationDirPath())
                                .filePath(QStringLiteral("worksheet_window.png"));
        (*sheet)->resize(1820, 420);
        QVERIFY((*sheet)->grab().save(png));
    }
};

QTEST_MAIN(window_test)
#include "window_test.moc"
