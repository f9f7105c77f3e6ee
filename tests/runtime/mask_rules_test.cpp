// The input pictures as text rules: which keystrokes are refused, which
// partial entries are kept, and the final form a partial entry takes.

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
    void digits_data();
    void digits();
    void digit_steps_data();
    void digit_steps();
    void typed_date_data();
    void typed_date();
    void date_fixup_data();
    void date_fixup();
    void date_steps_data();
    void date_steps();
};

void mask_rules_test::money_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<state>("expected");
    QTest::addColumn<QString>("fixed"); // the final form on leaving the field
    QTest::newRow("empty reads zero") << "" << state::acceptable << "";
    QTest::newRow("final form") << "1234.50" << state::acceptable << "1234.50";
    QTest::newRow("zero") << ".00" << state::acceptable << ".00";
    QTest::newRow("whole number") << "12" << state::intermediate << "12.00";
    QTest::newRow("one decimal") << "1234.5" << state::intermediate << "1234.50";
    QTest::newRow("leading zero") << "0.5" << state::intermediate << ".50";
    QTest::newRow("leading zeros") << "007.1" << state::intermediate << "7.10";
    QTest::newRow("point only") << "." << state::intermediate << ".00";
    QTest::newRow("twelve digits") << "999999999999.99" << state::acceptable << "999999999999.99";
    QTest::newRow("thirteen digits") << "1234567890123" << state::invalid << "1234567890123";
    QTest::newRow("three decimals") << "1.005" << state::invalid << "1.005";
    QTest::newRow("minus sign") << "-5" << state::invalid << "-5";
    QTest::newRow("second point") << "1.2.3" << state::invalid << "1.2.3";
    QTest::newRow("blank") << "1 2" << state::invalid << "1 2";
    QTest::newRow("full-width digit") << "１" << state::invalid << "１";
}

void mask_rules_test::money() {
    QFETCH(QString, text);
    QFETCH(state, expected);
    QFETCH(QString, fixed);
    QCOMPARE(mask::check_money(text), expected);
    QCOMPARE(mask::fix_money(text), fixed);
}

void mask_rules_test::digits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<state>("expected");
    QTest::addColumn<QString>("fixed");
    QTest::newRow("one digit") << "0" << state::acceptable << "0";
    QTest::newRow("leading zeros kept") << "000123" << state::acceptable << "000123";
    QTest::newRow("seventh digit") << "1234567" << state::invalid << "1234567";
    QTest::newRow("letter") << "12a" << state::invalid << "12a";
    QTest::newRow("emptied") << "" << state::intermediate << "0";
}

void mask_rules_test::digits() {
    QFETCH(QString, text);
    QFETCH(state, expected);
    QFETCH(QString, fixed);
    QCOMPARE(mask::check_digits(text), expected);
    QCOMPARE(mask::fix_digits(text), fixed);
}

void mask_rules_test::digit_steps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("keeps width") << "000123" << 1 << "000124";
    QTest::newRow("carries within width") << "0009" << 1 << "0010";
    QTest::newRow("grows past width") << "9" << 1 << "10";
    QTest::newRow("down") << "30" << -1 << "29";
    QTest::newRow("clamped at zero") << "000" << -1 << "000";
    QTest::newRow("clamped at six nines") << "999999" << 10 << "999999";
    QTest::newRow("empty counts as zero") << "" << 1 << "1";
}

void mask_rules_test::digit_steps() {
    QFETCH(QString, text);
    QFETCH(int, steps);
    QFETCH(QString, expected);
    QCOMPARE(mask::step_digits(text, steps), expected);
}

void mask_rules_test::typed_date_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<state>("expected");
    QTest::addColumn<QString>("shown"); // not checked for refused input
    QTest::addColumn<int>("cursor");
    QTest::newRow("with separators") << "2001-04-21" << state::acceptable << "2001-04-21" << 10;
    QTest::newRow("digits only") << "20010421" << state::acceptable << "2001-04-21" << 10;
    QTest::newRow("year then digit") << "20010" << state::intermediate << "2001-0" << 6;
    QTest::newRow("month overflow") << "2001-042" << state::intermediate << "2001-04-2" << 9;
    QTest::newRow("year with separator") << "2001-" << state::intermediate << "2001-" << 5;
    QTest::newRow("one-digit month") << "2001-4-21" << state::intermediate << "2001-4-21" << 9;
    QTest::newRow("part cleared while editing")
        << "2001--21" << state::intermediate << "2001--21" << 8;
    QTest::newRow("leap day") << "2000-02-29" << state::acceptable << "2000-02-29" << 10;
    // Impossible dates are kept as typed, visibly unfinished, never refused digit by digit.
    QTest::newRow("no leap day") << "2001-02-29" << state::intermediate << "2001-02-29" << 10;
    QTest::newRow("month 13") << "20011301" << state::intermediate << "2001-13-01" << 10;
    QTest::newRow("day 32") << "2001-01-32" << state::intermediate << "2001-01-32" << 10;
    QTest::newRow("year zero") << "0000-01-01" << state::intermediate << "0000-01-01" << 10;
    QTest::newRow("five-digit year") << "20011-04" << state::invalid << "" << 0;
    QTest::newRow("ninth digit") << "200104211" << state::invalid << "200104211" << 9;
    QTest::newRow("slash") << "2001/04" << state::invalid << "2001/04" << 7;
    QTest::newRow("fourth part") << "2001-04-21-" << state::invalid << "2001-04-21-" << 11;
}

void mask_rules_test::typed_date() {
    QFETCH(QString, typed);
    QFETCH(state, expected);
    QFETCH(QString, shown);
    QFETCH(int, cursor);
    QString text = typed;
    int at = static_cast<int>(typed.size());
    const state got = mask::check_date(text, at);
    QCOMPARE(got, expected);
    if (got != state::invalid) {
        QCOMPARE(text, shown);
        QCOMPARE(at, cursor);
    }
}

void mask_rules_test::date_fixup_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fixed");
    QTest::newRow("pads month and day") << "2001-4-1"
                                        << "2001-04-01";
    QTest::newRow("finished date unchanged") << "2001-04-21"
                                             << "2001-04-21";
    QTest::newRow("partial date stays partial") << "2001-04"
                                                << "2001-04";
    QTest::newRow("month zero stays") << "2001-0-21"
                                      << "2001-0-21";
    QTest::newRow("padded day that does not exist") << "2001-2-30"
                                                    << "2001-2-30";
}

void mask_rules_test::date_fixup() {
    QFETCH(QString, text);
    QFETCH(QString, fixed);
    QCOMPARE(mask::fix_date(text), fixed);
}

void mask_rules_test::date_steps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("day rolls into next month") << "2001-04-30" << 10 << 1 << "2001-05-01";
    QTest::newRow("day rolls back a year") << "2001-01-01" << 9 << -1 << "2000-12-31";
    QTest::newRow("month keeps day") << "2001-04-21" << 6 << 1 << "2001-05-21";
    QTest::newRow("month takes last day") << "2001-01-31" << 5 << 1 << "2001-02-28";
    QTest::newRow("year from leap day") << "2000-02-29" << 2 << 1 << "2001-02-28";
    QTest::newRow("clamped at first day") << "0001-01-01" << 10 << -1 << "0001-01-01";
    QTest::newRow("clamped at last day") << "9999-12-31" << 0 << 1 << "9999-12-31";
    QTest::newRow("partial date not stepped") << "2001-04" << 7 << 1 << "2001-04";
}

void mask_rules_test::date_steps() {
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(int, steps);
    QFETCH(QString, expected);
    QCOMPARE(mask::step_date(text, cursor, steps), expected);
}

QTEST_APPLESS_MAIN(mask_rules_test)
#include "mask_rules_test.moc"
