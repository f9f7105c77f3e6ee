// How the spin arrows step digits and dates. (What typing does, amounts
// included, is driven through the widget in edit_mask_test.)

#include "runtime/mask_rules.h"

#include <QTest>

#include <tuple>

using namespace orvandel::runtime::mask;

class mask_rules_test : public QObject {
    Q_OBJECT

private slots:
    void steps();
};

void mask_rules_test::steps() {
    // The text, the cursor (a date steps the part under it), the steps, the result.
    // clang-format off
    const std::tuple<const char*, int, int, const char*> rows[] = {
        {"0009", 0, 1, "0010"},             // digits keep their width,
        {"9", 0, 1, "10"},                  // grow past it,
        {"000", 0, -1, "000"},              // and stay within 0..999999
        {"999999", 0, 10, "999999"},
        {"2001-04-30", 10, 1, "2001-05-01"}, // the cursor in the day,
        {"2001-01-31", 5, 1, "2001-02-28"},  // in the month,
        {"2000-02-29", 2, 1, "2001-02-28"},  // in the year
        {"0001-01-01", 10, -1, "0001-01-01"}, // within 0001-01-01..9999-12-31
        {"9999-12-31", 0, 1, "9999-12-31"},
        {"2001-04", 7, 1, "2001-04"},        // a partial date is not stepped
    };
    // clang-format on
    for (const auto& [text, cursor, steps, expected] : rows) {
        const QString before = QString::fromUtf8(text);
        QCOMPARE(before.contains(u'-') ? step_date(before, cursor, steps)
                                       : step_digits(before, steps),
                 QString::fromUtf8(expected));
    }
}

QTEST_APPLESS_MAIN(mask_rules_test)
#include "mask_rules_test.moc"
