// Calculate end to end through the widgets: typed amounts, dates and day
// counts; Calculate by mouse, Enter and Alt+S; the nine results as shown.

#include "opened_form.h"

#include <QApplication>

using namespace orvandel;
using test::opened_form;
using test::type_into;

namespace {

const QString before_head =
    QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=");
const QString after_head =
    QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=");

QStringList shown_results(const opened_form& f) {
    return {f->em_znts1->text(), f->em_znts2->text(), f->em_znts->text(),
            f->em_znj->text(),   f->em_znj1->text(),  f->em_znj2->text(),
            f->st_znj1->text(),  f->st_znj2->text(),  f->em_hj->text()};
}

void calculate(const QString& how, opened_form& f) {
    QWidget* focused = QApplication::focusWidget();
    if (how == QLatin1String("click")) {
        QTest::mouseClick(f->cb_js, Qt::LeftButton);
    } else if (how == QLatin1String("enter")) {
        QTest::keyClick(focused, Qt::Key_Return);
    } else {
        QTest::keyClick(focused, Qt::Key_S, Qt::AltModifier);
    }
}

} // namespace

class calculate_test : public QObject {
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void dates_in_the_wrong_order_change_nothing();
    void unreadable_input_is_named_data();
    void unreadable_input_is_named();
};

void calculate_test::results_data() {
    QTest::addColumn<QString>("amount"); // typed; empty: left empty
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("days_after");  // typed into em_znts3 after the dates, if any
    QTest::addColumn<QString>("days_before"); // typed into em_znts4
    QTest::addColumn<QString>("how");
    // em_znts1 em_znts2 em_znts em_znj em_znj1 em_znj2, the figures of both formulas, em_hj
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("dates, worked example") << "12345.67" << "2001-04-21" << "2001-05-10" << "" << "" << "click"
        << "10 9 19 302.47 246.91 55.56 12345.67*10*0.002=246.91 12345.67*9*0.0005=55.56 12648.14";
    QTest::newRow("day counts, worked example, dates in the wrong order")
        << "1234.56" << "2001-05-10" << "2001-04-21" << "30" << "15" << "enter"
        << "15 30 45 55.56 37.04 18.52 1234.56*15*0.002=37.04 1234.56*30*0.0005=18.52 1290.12";
    QTest::newRow("equal dates") << "500" << "2001-06-01" << "2001-06-01" << "" << "" << "alt_s"
        << "0 0 0 .00 .00 .00 500.00*0*0.002=0.00 500.00*0*0.0005=0.00 500.00";
    QTest::newRow("start on 2001-05-01") << "10000" << "2001-05-01" << "2001-05-10" << "" << "" << "click"
        << "0 9 9 45.00 .00 45.00 10000.00*0*0.002=0.00 10000.00*9*0.0005=45.00 10045.00";
    QTest::newRow("10000.00 across the change") << "10000.00" << "2001-04-20" << "2001-05-10" << "" << "" << "enter"
        << "11 9 20 265.00 220.00 45.00 10000.00*11*0.002=220.00 10000.00*9*0.0005=45.00 10265.00";
    QTest::newRow("day counts of zero") << "1234.56" << "" << "" << "0" << "0" << "alt_s"
        << "0 0 0 .00 .00 .00 1234.56*0*0.002=0.00 1234.56*0*0.0005=0.00 1234.56";
    QTest::newRow("day counts with leading zeros") << "100" << "" << "" << "030" << "000015" << "click"
        << "15 30 45 4.50 3.00 1.50 100.00*15*0.002=3.00 100.00*30*0.0005=1.50 104.50";
    QTest::newRow("empty amount reads zero") << "" << "2001-04-21" << "2001-05-10" << "" << "" << "enter"
        << "10 9 19 .00 .00 .00 .00*10*0.002=0.00 .00*9*0.0005=0.00 .00";
    QTest::newRow("amounts below one") << "0.5" << "2001-04-21" << "2001-05-10" << "" << "" << "alt_s"
        << "10 9 19 .01 .01 .00 .50*10*0.002=0.01 .50*9*0.0005=0.00 .51";
    // clang-format on
}

void calculate_test::results() {
    QFETCH(QString, amount);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, days_after);
    QFETCH(QString, days_before);
    QFETCH(QString, how);
    QFETCH(QString, expected);
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));

    if (!amount.isEmpty()) {
        type_into(f->em_yjsk, amount);
    }
    if (!start.isEmpty()) {
        type_into(f->em_2, start);
        type_into(f->em_3, end);
    }
    if (!days_after.isEmpty()) {
        type_into(f->em_znts3, days_after);
        type_into(f->em_znts4, days_before);
    }
    calculate(how, f);

    QCOMPARE(runtime::take_recorded_boxes().size(), std::size_t{0});
    QStringList figures = expected.split(u' ');
    figures[6].prepend(before_head);
    figures[7].prepend(after_head);
    QCOMPARE(shown_results(f), figures);
    test::save_screenshot(*f.window, QStringLiteral("w_dornik-calculated"));
}

void calculate_test::dates_in_the_wrong_order_change_nothing() {
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    type_into(f->em_yjsk, QStringLiteral("12345.67"));
    type_into(f->em_2, QStringLiteral("2001-04-21"));
    type_into(f->em_3, QStringLiteral("2001-05-10"));
    QTest::mouseClick(f->cb_js, Qt::LeftButton);
    const QStringList earlier = shown_results(f);

    type_into(f->em_2, QStringLiteral("2001-05-11"));
    runtime::push_answer(1);
    QTest::mouseClick(f->cb_js, Qt::LeftButton);
    const auto boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(boxes[0].title, QStringLiteral("提示信息"));
    QCOMPARE(boxes[0].text, QStringLiteral("起始日期应该小于终止日期！"));
    QVERIFY(boxes[0].buttons == runtime::msg_buttons::ok);
    QCOMPARE(shown_results(f), earlier);
    QCOMPARE(f->em_2->text(), QStringLiteral("2001-05-11"));
    QCOMPARE(f->em_yjsk->text(), QStringLiteral("12345.67"));

    type_into(f->em_2, QStringLiteral("2001-05-01")); // corrected: 0 before, 9 after
    QTest::mouseClick(f->cb_js, Qt::LeftButton);
    QCOMPARE(f->em_znts->text(), QStringLiteral("9"));
    QCOMPARE(f->em_hj->text(), QStringLiteral("12401.23"));
}

void calculate_test::unreadable_input_is_named_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typed"); // or set from code, where typing cannot get it
    QTest::addColumn<bool>("by_days");
    QTest::addColumn<QString>("named");
    // clang-format off
    QTest::newRow("partial start date") << "em_2" << "2001-04" << true << false << "滞纳金计算起始日期";
    QTest::newRow("impossible end date") << "em_3" << "2001-02-30" << true << false << "终止日期";
    QTest::newRow("amount") << "em_yjsk" << "12a" << false << false << "应缴税款金额";
    QTest::newRow("day count") << "em_znts3" << "1x" << false << true << "或2001年05月01日后滞纳天数";
    // clang-format on
}

void calculate_test::unreadable_input_is_named() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, typed);
    QFETCH(bool, by_days);
    QFETCH(QString, named);
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    auto* wrong = f.window->findChild<runtime::edit_mask*>(field);
    QVERIFY(wrong != nullptr);
    if (typed) {
        type_into(wrong, text);
        QTest::keyClick(wrong, Qt::Key_Tab);
    } else {
        wrong->set_text(text); // not reachable by typing
    }
    (by_days ? f->rb_2 : f->rb_1)->setChecked(true);
    const QStringList before = shown_results(f);

    runtime::push_answer(1);
    QTest::mouseClick(f->cb_js, Qt::LeftButton);
    const auto boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(boxes[0].title, QStringLiteral("提示信息"));
    QVERIFY2(boxes[0].text.contains(QStringLiteral("“") + named + QStringLiteral("”")),
             qPrintable(boxes[0].text));
    QCOMPARE(shown_results(f), before);
    QCOMPARE(wrong->text(), text);
    QVERIFY(wrong->hasFocus());
}

QTEST_MAIN(calculate_test)
#include "calculate_test.moc"
