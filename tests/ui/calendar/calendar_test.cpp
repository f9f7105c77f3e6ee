// The filing calendar window: each year's twelve deadlines with their
// sources and rules, a year without data, choosing the year by keys and
// buttons, and opening it from the worksheet by its shortcut.

#include "app/application.h"
#include "runtime/clock.h"
#include "runtime/state_dir.h"
#include "ui/calendar/w_calendar.h"
#include "ui/worksheet/w_worksheet.h"
#include "ui/worksheet/worksheet_model.h"

#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel;
using ui::calendar::w_calendar;

namespace {

// The row of a month: "deadline|weekday|rule|alternative|source".
QString month_row(const w_calendar& window, int month) {
    QStringList cells;
    for (int c = w_calendar::deadline_column; c < w_calendar::column_count; ++c) {
        cells << window.table->item(month - 1, c)->text();
    }
    return cells.join(u'|');
}

const QString notice_2024 =
    QStringLiteral("《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》");

} // namespace

class calendar_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        runtime::set_today_for_testing(QDate(2024, 3, 15));
        // On Windows the recovery folder is the user's own, not this test's:
        // what an earlier run left there, which the program would offer, goes.
        QDir(runtime::state_directory()).removeRecursively();
    }

    // Published months with their notice, a month a later notice moved, and
    // derived months by each rule with the other rule's day; a year with no
    // data shows no date at all.
    void shows_each_month_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("shown");
        QTest::newRow("published") << 2024 << 5 << "2024-05-22|星期三|申报日历||" + notice_2024;
        QTest::newRow("moved_by_a_later_notice")
            << 2020 << 2
            << QStringLiteral("2020-02-28|星期五|申报日历||税总函〔2020〕27号（湖北省除外）");
        QTest::newRow("working_day_rule")
            << 2019 << 2 << QStringLiteral("2019-02-26|星期二|按工作日顺延|2019-02-22|推算");
        QTest::newRow("calendar_rule_before_2018")
            << 2015 << 10 << QStringLiteral("2015-10-22|星期四|按日历日顺延|2015-10-26|推算");
        QTest::newRow("no_data") << 2027 << 1 << QStringLiteral("—||||没有数据，请填写");
    }
    void shows_each_month() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(QString, shown);
        w_calendar window(year);
        QCOMPARE(window.year(), year);
        QCOMPARE(month_row(window, month), shown);
    }

    // The periods due in each month, what the year rests on, and the working
    // of a derived day.
    void explains_the_year() {
        w_calendar window(2024);
        QCOMPARE(window.table->item(0, w_calendar::periods_column)->text(),
                 QStringLiteral("2023年12月、2023年第4季度"));
        QCOMPARE(window.table->item(4, w_calendar::periods_column)->text(),
                 QStringLiteral("2024年4月"));
        QVERIFY(window.year_summary->text().contains(notice_2024));
        QVERIFY(window.rules->text().contains(QStringLiteral("2018年、2020年至2026年")));
        window.show_year(2020);
        QVERIFY2(window.year_summary->text().contains(
                     QStringLiteral("2月按税总函〔2020〕27号（湖北省除外）")),
                 qPrintable(window.year_summary->text()));
        window.show_year(2019);
        QVERIFY(window.year_summary->text().contains(QStringLiteral("推算（按工作日顺延）")));
        QCOMPARE(window.table->item(1, w_calendar::deadline_column)->toolTip(),
                 QStringLiteral("基准日2019-02-15，1日至基准日之间连续3日以上的休息日7天；"
                                "按日历日顺延：2019-02-22；按工作日顺延：2019-02-26"));
        window.show_year(2003);
        QVERIFY(window.year_summary->text().contains(QStringLiteral("没有申报日历或节假日数据")));
    }

    // The year by the spin box's keys and by the buttons' access keys.
    void year_chosen_by_keys_and_buttons() {
        w_calendar window(2024);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.year_box);
        QTest::keyClick(window.year_box, Qt::Key_Up);
        QCOMPARE(window.year(), 2025);
        QCOMPARE(month_row(window, 5).section(u'|', 0, 0), QStringLiteral("2025-05-22"));
        // An access key clicks its button after a moment (animateClick).
        QTest::keyClick(window.year_box, Qt::Key_P, Qt::AltModifier); // 上一年(&P)
        QTRY_COMPARE(window.year(), 2024);
        QTest::keyClick(window.previous_year, Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(window.year(), 2023);
        QTest::mouseClick(window.next_year, Qt::LeftButton);
        QCOMPARE(window.year(), 2024);
        QTest::keyClick(window.year_box, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // From the worksheet: 工具 > 申报日历, Ctrl+Shift+L, at the year the
    // current row's period falls due in; a second press brings the same
    // window to that row's year.
    void opens_from_the_worksheet() {
        app::application program;
        program.open_worksheet();
        auto* sheet = qobject_cast<ui::worksheet::w_worksheet*>(program.w_worksheet.data());
        QVERIFY(sheet != nullptr);
        QVERIFY(sheet->act_calendar->isEnabled());
        QVERIFY(sheet->menuBar()->actions().size() >= 3);
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        QTest::keyClick(sheet->table, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        auto* calendar = qobject_cast<w_calendar*>(program.w_calendar.data());
        QVERIFY(calendar != nullptr);
        QCOMPARE(calendar->year(), 2024); // no period: this year
        const int period = ui::worksheet::view_column(sheet::column::tax_period);
        QVERIFY(sheet->model().setData(sheet->model().index(0, period), QStringLiteral("2018Q4"),
                                       Qt::EditRole));
        sheet->table->setCurrentIndex(sheet->model().index(0, period));
        sheet->act_calendar->trigger();
        QCOMPARE(program.w_calendar.data(), calendar);
        QCOMPARE(calendar->year(), 2019);
        sheet->model().undo_stack().setClean();
    }
};

QTEST_MAIN(calendar_test)
#include "calendar_test.moc"
