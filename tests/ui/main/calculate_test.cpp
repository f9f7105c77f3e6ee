// Calculate end to end through the widgets: typed amounts, dates and day
// counts; the entry mode as the last edit set it, whichever way Calculate is
// started; the nine results as shown, or one message box and nothing written.

#include "opened_form.h"

#include "runtime/static_text.h"

using namespace orvandel;
using namespace orvandel::test;

namespace {

QStringList shown_results(const opened_form& f) {
    return {f->em_znts1->text(), f->em_znts2->text(), f->em_znts->text(),
            f->em_znj->text(),   f->em_znj1->text(),  f->em_znj2->text(),
            f->st_znj1->text(),  f->st_znj2->text(),  f->em_hj->text()};
}

const QString worked_example =
    QStringLiteral("em_yjsk=12345.67 em_2=2001-04-21 em_3=2001-05-10 cb_js");

} // namespace

class calculate_test : public QObject {
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void refused_data();
    void refused();
    void editing_sets_the_mode_data();
    void editing_sets_the_mode();
};

void calculate_test::results_data() {
    QTest::addColumn<QString>("steps");
    // em_znts1 em_znts2 em_znts em_znj em_znj1 em_znj2, the figures of both formulas, em_hj
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("dates, worked example") << worked_example
        << "10 9 19 302.47 246.91 55.56 12345.67*10*0.002=246.91 12345.67*9*0.0005=55.56 12648.14";
    QTest::newRow("day counts, worked example, dates in the wrong order")
        << "em_yjsk=1234.56 em_2=2001-05-10 em_3=2001-04-21 em_znts3=30 em_znts4=15 Return"
        << "15 30 45 55.56 37.04 18.52 1234.56*15*0.002=37.04 1234.56*30*0.0005=18.52 1290.12";
    QTest::newRow("equal dates") << "em_yjsk=500 em_2=2001-06-01 em_3=2001-06-01 Alt+S"
        << "0 0 0 .00 .00 .00 500.00*0*0.002=0.00 500.00*0*0.0005=0.00 500.00";
    QTest::newRow("start on 2001-05-01") << "em_yjsk=10000 em_2=2001-05-01 em_3=2001-05-10 cb_js"
        << "0 9 9 45.00 .00 45.00 10000.00*0*0.002=0.00 10000.00*9*0.0005=45.00 10045.00";
    QTest::newRow("10000.00 across the change") << "em_yjsk=10000.00 em_2=2001-04-20 em_3=2001-05-10 Return"
        << "11 9 20 265.00 220.00 45.00 10000.00*11*0.002=220.00 10000.00*9*0.0005=45.00 10265.00";
    QTest::newRow("day counts with leading zeros") << "em_yjsk=100 em_znts3=030 em_znts4=000015 cb_js"
        << "15 30 45 4.50 3.00 1.50 100.00*15*0.002=3.00 100.00*30*0.0005=1.50 104.50";
    QTest::newRow("empty amount reads zero") << "em_2=2001-04-21 em_3=2001-05-10 Alt+S"
        << "10 9 19 .00 .00 .00 .00*10*0.002=0.00 .00*9*0.0005=0.00 .00";
    QTest::newRow("amounts below one") << "em_yjsk=0.5 em_2=2001-04-21 em_3=2001-05-10 Return"
        << "10 9 19 .01 .01 .00 .50*10*0.002=0.01 .50*9*0.0005=0.00 .51";
    QTest::newRow("longest figures") << "em_yjsk=999999999999.99 em_2=1999-01-01 em_3=2002-01-01 cb_js"
        << "851 245 1096 1824499999999.98 1701999999999.98 122500000000.00 999999999999.99*851*0.002="
           "1701999999999.98 999999999999.99*245*0.0005=122500000000.00 2824499999999.97";
    // clang-format on
}

void calculate_test::results() {
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    opened_form f;
    perform(f, steps);

    QCOMPARE(runtime::take_recorded_boxes().size(), std::size_t{0});
    QStringList figures = expected.split(u' ');
    figures[6].prepend(formula_before + u'=');
    figures[7].prepend(formula_after + u'=');
    QCOMPARE(shown_results(f), figures);
    for (const auto* label : f.window->findChildren<runtime::static_text*>()) {
        QVERIFY2(label->text_height() <= label->height(), qPrintable(label->objectName()));
    }
    save_screenshot(*f.window, QStringLiteral("w_dornik-calculated"));
}

void calculate_test::refused_data() {
    QTest::addColumn<QString>("steps");   // after the worked example, before Calculate
    QTest::addColumn<QString>("message"); // how the box's text begins
    QTest::addColumn<QString>("focus");   // afterwards: the field that cannot be read
    // clang-format off
    QTest::newRow("dates in the wrong order") << "em_2=2001-05-11" << "起始日期应该小于终止日期！" << "cb_js";
    QTest::newRow("partial start date") << "em_2=2001-04 Tab" << "“滞纳金计算起始日期”" << "em_2";
    QTest::newRow("impossible end date") << "em_3=2001-02-30 Tab" << "“终止日期”" << "em_3";
    QTest::newRow("amount") << "em_yjsk:=12a" << "“应缴税款金额”" << "em_yjsk";
    QTest::newRow("day count") << "rb_2 em_znts3:=1x" << "“或2001年05月01日后滞纳天数”" << "em_znts3";
    // clang-format on
}

void calculate_test::refused() {
    QFETCH(QString, steps);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    opened_form f;
    perform(f, worked_example + u' ' + steps);
    const QStringList before = controls(*f.window);

    runtime::push_answer(1);
    perform(f, QStringLiteral("cb_js"));
    const auto boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(boxes[0].title, QStringLiteral("提示信息"));
    QVERIFY2(boxes[0].text.startsWith(message), qPrintable(boxes[0].text));
    QVERIFY(boxes[0].buttons == runtime::msg_buttons::ok);
    QCOMPARE(controls(*f.window), before); // results and entries as they were
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
}

void calculate_test::editing_sets_the_mode_data() {
    QTest::addColumn<QString>("steps"); // "rb_2" first: the form starts by day counts
    QTest::addColumn<bool>("by_days");
    QTest::addColumn<QString>("total_days"); // em_znts afterwards; "0" unless Calculate ran
    // The form holds 2001-04-21 .. 2001-05-10 (19 days) and the day counts 30 and 15.
    // clang-format off
    QTest::newRow("day count, Tab") << "em_znts3=40 Tab" << true << "0";
    QTest::newRow("day count, click Calculate") << "em_znts4=5 cb_js" << true << "35";
    QTest::newRow("day count, Alt+S") << "em_znts3=40 Alt+S" << true << "55";
    QTest::newRow("day count, Enter") << "em_znts4=5 Return" << true << "35";
    QTest::newRow("day count stepped") << "em_znts4 End Up cb_js" << true << "46";
    QTest::newRow("start date, Alt+S") << "rb_2 em_2=2001-04-20 Alt+S" << false << "20";
    QTest::newRow("end date, click Calculate") << "rb_2 em_3=2001-05-11 cb_js" << false << "20";
    QTest::newRow("end date stepped, Tab") << "rb_2 em_3 End Up Tab" << false << "0";
    QTest::newRow("date left by a click on rb_2: the click decides") << "em_2=2001-04 rb_2" << true << "0";
    QTest::newRow("entered and left unchanged") << "em_znts3 Tab" << false << "0";
    QTest::newRow("entered and left unchanged, by days") << "rb_2 em_2 cb_js" << true << "45";
    // clang-format on
}

void calculate_test::editing_sets_the_mode() {
    QFETCH(QString, steps);
    QFETCH(bool, by_days);
    QFETCH(QString, total_days);
    opened_form f;
    perform(f, "em_2:=2001-04-21 em_3:=2001-05-10 em_znts3:=30 em_znts4:=15 " + steps);
    QCOMPARE(f->rb_2->isChecked(), by_days);
    QCOMPARE(f->em_znts->text(), total_days); // Calculate used the mode the edit had set
}

QTEST_MAIN(calculate_test)
#include "calculate_test.moc"
