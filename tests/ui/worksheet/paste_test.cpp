// Paste and copy through the clipboard: blocks exactly as Excel, WPS and
// LibreOffice put them there, normalised cell by cell, never guessed; and the
// selection copied back as tab-separated text and an HTML table.

#include "sheet_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMimeData>

using namespace orvandel;
using namespace orvandel::test;

namespace {

void put_on_clipboard(const QByteArray& bytes) {
    auto* mime = new QMimeData();
    mime->setData(QStringLiteral("text/plain"), bytes);
    QApplication::clipboard()->setMimeData(mime);
}

// The stored texts of the worksheet's six input columns, joined by "|".
QString stored(const ws::worksheet_model& model, std::size_t r) {
    using sheet::column;
    QStringList cells;
    for (const column c : {column::item, column::amount, column::due_date, column::pay_date,
                           column::days_before, column::days_after}) {
        cells << runtime::qstring(model.rows().text(r, c));
    }
    return cells.join(u'|');
}

} // namespace

class paste_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase() { pin_environment(home); }

    // Pasted at 项目 of row 1 of an empty sheet: the rows are added, each
    // cell is stored in its column's form, and what cannot be read one way
    // only stays as it was and shows the error in 备注.
    void paste_blocks_from_spreadsheets_data() {
        QTest::addColumn<QByteArray>("clipboard");
        QTest::addColumn<QStringList>("rows"); // stored item|amount|due|pay|before|after
        QTest::addColumn<QStringList>("notes");
        QTest::newRow("excel_crlf_grouping_and_slashes")
            << QByteArray("增值税 2024年3月\t12,345.67\t2024/3/1\t2024/3/15\r\n"
                          "附加税\t¥1234.5\t2024年3月1日\t20240315\r\n")
            << QStringList{"增值税 2024年3月|12345.67|2024-03-01|2024-03-15||",
                           "附加税|1234.50|2024-03-01|2024-03-15||"}
            << QStringList{"", ""};
        QTest::newRow("wps_full_width_and_dots")
            << QByteArray("所得税\t￥１２，０００.00元\t2024.3.1\t\r\n")
            << QStringList{"所得税|12000.00|2024-03-01|||"} << QStringList{""};
        QTest::newRow("libreoffice_lf_quoted_item_with_line_break")
            << QByteArray("\"印花税\n（补）\"\t100\t2024-03-01\t2024-03-05\n")
            << QStringList{"印花税\n（补）|100.00|2024-03-01|2024-03-05||"} << QStringList{""};
        QTest::newRow("ambiguous_date_is_not_guessed")
            << QByteArray("消费税\t100\t3/1/2024\t2024-03-05\r\n")
            << QStringList{"消费税|100.00|3/1/2024|2024-03-05||"}
            << QStringList{"缴款期限：不是yyyy-mm-dd格式的日期"};
        QTest::newRow("negative_amount_kept_as_error")
            << QByteArray("退税\t-12.00\t2024-03-01\t2024-03-05\r\n")
            << QStringList{"退税|-12.00|2024-03-01|2024-03-05||"}
            << QStringList{"应缴税款金额：不是数字"};
        QTest::newRow("day_counts_and_quoted_quote")
            << QByteArray("\"房产税\"\"一\"\"\"\t1234.56\t\t\t015\t30\r\n")
            << QStringList{"房产税\"一\"|1234.56|||015|30"} << QStringList{""};
    }
    void paste_blocks_from_spreadsheets() {
        QFETCH(QByteArray, clipboard);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, notes);
        opened_sheet sheet;
        sheet->show();
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet.window.get()));
        sheet->table->setFocus();
        sheet->table->setCurrentIndex(sheet.model().index(0, 0));
        put_on_clipboard(clipboard);
        QTest::keyClick(sheet->table, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(sheet.model().rows().size(), static_cast<std::size_t>(rows.size()));
        for (std::size_t r = 0; r < static_cast<std::size_t>(rows.size()); ++r) {
            QCOMPARE(stored(sheet.model(), r), rows[static_cast<qsizetype>(r)]);
            QCOMPARE(runtime::qstring(
                         sheet.model().shown_text(r, ws::view_column(sheet::column::error))),
                     notes[static_cast<qsizetype>(r)]);
        }
        // One paste, one undo step, back to the one empty row.
        sheet.model().undo_stack().undo();
        QCOMPARE(sheet.model().rows().size(), std::size_t{1});
        QVERIFY(sheet.model().rows().blank(0));
    }

    // A block copied from the worksheet itself, results included, pastes back
    // to the same rows: its day counts in dated rows are figures, not input.
    void copy_and_paste_back_gives_the_same_rows() {
        opened_sheet sheet;
        fill(sheet.model(), {row("增值税", "12345.67", "2001-04-20", "2001-05-09"),
                             row("附加税", "1234.56", "", "", "15", "30")});
        sheet.model().set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        const QStringList before = snapshot(sheet.model());
        sheet->table->selectAll();
        sheet->copy_selection();
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(),
                 // 税款所属期 and the columns of debts paid in parts are there, empty.
                 QStringLiteral(
                     "增值税\t12,345.67\t2001-04-20\t2001-05-09\t10\t9\t\t19\t246.91\t55.56\t"
                     "302.47\t12,648.14\t6.17\t\t\t\t\t\t\t\t\t\t\t\t\r\n"
                     "附加税\t1,234.56\t\t\t15\t30\t\t45\t37.04\t18.52\t55.56\t1,290.12\t0.62\t"
                     "\t\t\t\t\t\t\t\t\t\t\t\r\n"));
        QVERIFY(copied->hasHtml());
        QVERIFY(copied->html().contains(QStringLiteral("<td align=\"right\">12,648.14</td>")));
        sheet->table->setCurrentIndex(sheet.model().index(2, 0));
        fill(sheet.model(), {});
        sheet.model().insert_rows(0, {sheet.model().blank_row()}, QStringLiteral("添加行"));
        sheet->table->setCurrentIndex(sheet.model().index(0, 0));
        sheet->paste_clipboard();
        QCOMPARE(snapshot(sheet.model()), before);
    }

    // Copy takes the selection's rectangle; cells outside the selection are empty.
    void copy_takes_the_selected_rectangle() {
        opened_sheet sheet;
        fill(sheet.model(), {row("a", "1", "", "", "1", "1"), row("b", "2", "", "", "1", "1")});
        QItemSelection selection;
        selection.select(sheet.model().index(0, 0), sheet.model().index(0, 1));
        selection.select(sheet.model().index(1, 1), sheet.model().index(1, 1));
        sheet->table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        sheet->copy_selection();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\t1.00\r\n\t2.00\r\n"));
    }
};

QTEST_MAIN(paste_test)
#include "paste_test.moc"
