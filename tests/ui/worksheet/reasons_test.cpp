// Why a row has no figures, seen without scrolling, on a 1600×1200 screen:
// 备注 in view at the window's opening size, and the current row's reason in
// the status bar whether the row was reached by the keyboard or the mouse.

#include "sheet_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>

using namespace orvandel;
using namespace orvandel::test;

namespace {

// Everything the status bar shows: its message and its labels.
QString status_texts(ws::w_worksheet& window) {
    QStringList texts{window.statusBar()->currentMessage()};
    for (const QLabel* label : window.statusBar()->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            texts << label->text();
        }
    }
    return texts.join(u'|');
}

} // namespace

class reasons_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    std::unique_ptr<opened_sheet> sheet;

private slots:
    void initTestCase() {
        pin_environment(home);
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(1600, 1200));
    }
    void init() {
        sheet = std::make_unique<opened_sheet>();
        fill(sheet->model(),
             {row("增值税", "100", "2024-03-01", "2024-03-11"),
              row("消费税", "12a", "2024-03-01", ""), row("房产税", "800", "", "")});
        (*sheet)->show();
        (*sheet)->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet->window.get()));
    }
    void cleanup() { sheet.reset(); }

    // At its opening size the window fits the screen and shows 备注 wide
    // enough for a usual reason, without scrolling.
    void note_column_shows_at_the_opening_size() {
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
            (*sheet)->frameGeometry()));
        QHeaderView* header = (*sheet)->table->horizontalHeader();
        const int note = ws::view_column(sheet::column::error);
        const int shown_from = header->sectionViewportPosition(note);
        const int room = (*sheet)->table->viewport()->width() - shown_from;
        const int reason = (*sheet)->table->fontMetrics().horizontalAdvance(
            QStringLiteral("应缴税款金额：不是数字；缴款期限：未填写"));
        QVERIFY2(shown_from >= 0 && room >= reason,
                 qPrintable(QStringLiteral("备注 from %1, room %2 of %3 needed")
                                .arg(shown_from)
                                .arg(room)
                                .arg(reason)));
    }

    // The current row's reason is in the status bar, reached by the keys or
    // by a click, and gone on a row without one.
    void current_rows_reason_in_the_status_bar() {
        ws::worksheet_view* table = (*sheet)->table;
        table->setFocus();
        table->setCurrentIndex(sheet->model().index(0, 1));
        QVERIFY(!status_texts(*sheet->window).contains(QStringLiteral("不是数字")));
        QTest::keyClick(table, Qt::Key_Down);
        QVERIFY2(
            status_texts(*sheet->window).contains(QStringLiteral("第2行：应缴税款金额：不是数字")),
            qPrintable(status_texts(*sheet->window)));
        const QRect third = table->visualRect(sheet->model().index(2, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, third.center());
        QVERIFY2(status_texts(*sheet->window).contains(QStringLiteral("第3行：")) &&
                     status_texts(*sheet->window).contains(QStringLiteral("未填写")),
                 qPrintable(status_texts(*sheet->window)));
        QTest::keyClick(table, Qt::Key_Up);
        QTest::keyClick(table, Qt::Key_Up);
        QVERIFY(!status_texts(*sheet->window).contains(QStringLiteral("第")));
        // A row mended while current loses its reason at once.
        table->setCurrentIndex(sheet->model().index(1, 1));
        QVERIFY(status_texts(*sheet->window).contains(QStringLiteral("第2行")));
        sheet->model().setData(sheet->model().index(1, 1), QStringLiteral("120"), Qt::EditRole);
        QVERIFY(!status_texts(*sheet->window).contains(QStringLiteral("第2行")));
    }
};

QTEST_MAIN(reasons_test)
#include "reasons_test.moc"
