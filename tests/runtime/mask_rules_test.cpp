// The input pictures as text rules: the final form a partial entry takes, and
// how digits and dates step. (Typing itself is driven through the widget in
// edit_mask_test.)

#include "runtime/mask_rules.h"

#include <QTest>

using namespace orvandel::runtime;
using mask::state;

Q_DECLARE_METATYPE(mask::state)

class mask_rules_test : public QObject {
    Q_OBJECT

private slots:
    void money_data();
    void money();
    void steps_data();
    void steps();
};

void mask_rules_test::money_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<state>("expected");
    QTest::addColumn<QString>("fixed"); // the final form on leaving the field
    // clang-format off
    QTest::newRow("empty reads zero") << "" << state::acceptable << "";
    QTest::newRow("final form") << "1234.50" << state::acceptable << "1234.50";
    QTest::newRow("zero") << ".00" << state::acceptable << ".00";
    QTest::newRow("whole number") << "12" << state::intermediate << "12.00";
    QTest::newRow("leading zero") << "0.5" << state::intermediate << ".50";
    QTest::newRow("leading zeros") << "007.1" << state::intermediate << "7.10";
    QTest::newRow("point only") << "." << state::intermediate << ".00";
    QTest::newRow("twelve digits") << "999999999999.99" << state::acceptable << "999999999999.99";
    QTest::newRow("thirteen digits") << "1234567890123" << state::invalid << "1234567890123";
    QTest::newRow("three decimals") << "1.005" << state::invalid << "1.005";
    QTest::newRow("minus sign") << "-5" << state::invalid << "-5";
    QTest::newRow("second point") << "1.2.3" << state::invalid << "1.2.3";
    QTest::newRow("full-width digit") << "１" << state::invalid << "１";
    // clang-format on
}

void mask_rules_test::money() {
    QFETCH(QString, text);
    QFETCH(state, expected);
    QFETCH(QString, fixed);
    QCOMPARE(mask::check_money(text), expected);
    QCOMPARE(mask::fix_money(text), fixed);
}

void mask_rules_test::steps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor"); // dates: the part under the cursor steps
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("digits keep width") << "000123" << 0 << 1 << "000124";
    QTest::newRow("digits carry within width") << "0009" << 0 << 1 << "0010";
    QTest::newRow("digits grow past width") << "9" << 0 << 1 << "10";
    QTest::newRow("digits clamped at zero") << "000" << 0 << -1 << "000";
    QTest::newRow("digits clamped at six nines") << "999999" << 0 << 10 << "999999";
    QTest::newRow("day rolls into next month") << "2001-04-30" << 10 << 1 << "2001-05-01";
    QTest::newRow("day rolls back a year") << "2001-01-01" << 9 << -1 << "2000-12-31";
    QTest::newRow("month keeps day") << "2001-04-21" << 6 << 1 << "2001-05-21";
    QTest::newRow("month takes last day") << "2001-01-31" << 5 << 1 << "2001-02-28";
    QTest::newRow("year from leap day") << "2000-02-29" << 2 << 1 << "2001-02-28";
    QTest::newRow("clamped at first day") << "0001-01-01" << 10 << -1 << "0001-01-01";
    QTest::newRow("clamped at last day") << "9999-12-31" << 0 << 1 << "9999-12-31";
    QTest::newRow("partial date not stepped") << "2001-04" << 7 << 1 << "2001-04";
    // clang-format on
}

void mask_rules_test::steps() {
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(int, steps);
    QFETCH(QString, expected);
    const bool is_date = text.contains(u'-');
    QCOMPARE(is_date ? mask::step_date(text, cursor, steps) : mask::step_digits(text, steps),
             expected);
}

QTEST_APPLESS_MAIN(mask_rules_test)
#include "mask_rules_test.moc"
