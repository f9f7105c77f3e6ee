// How the spin arrows step digits and dates, and which typed dates a field
// that reads every pasted form lets through. (What typing does, amounts
// included, is driven through the widget in edit_mask_test.)

#include "runtime/mask_rules.h"

#include <QTest>

#include <tuple>

using namespace orvandel::runtime::mask;

class mask_rules_test : public QObject {
    Q_OBJECT

private slots:
    void steps();
    void dates_in_any_form();
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

void mask_rules_test::dates_in_any_form() {
    // The text typed, the state, the text the field then holds.
    // clang-format off
    const std::tuple<const char16_t*, state, const char16_t*> rows[] = {
        {u"2024-03-20", state::acceptable, u"2024-03-20"},
        {u"20240320", state::acceptable, u"2024-03-20"},   // the picture's own rules first
        {u"2024-03-200", state::invalid, u"2024-03-200"},  // including its refusals
        {u"2024/3/20", state::intermediate, u"2024/3/20"}, // other forms wait for leaving
        {u"2024.3.", state::intermediate, u"2024.3."},
        {u"2024年3月20日", state::intermediate, u"2024年3月20日"},
        {u"２０２４－０３－２０", state::intermediate, u"２０２４－０３－２０"},
        {u" 2024-3-20\u3000", state::intermediate, u" 2024-3-20\u3000"},
        {u"2024x", state::invalid, u"2024x"},              // no letters,
        {u"3/1/2024 0:00", state::invalid, u"3/1/2024 0:00"}, // no times,
        {u"2024/03/20/2024/03/20/2024", state::invalid, u"2024/03/20/2024/03/20/2024"}, // no essays
    };
    // clang-format on
    for (const auto& [typed, expected_state, expected_text] : rows) {
        QString text = QString::fromUtf16(typed);
        int cursor = static_cast<int>(text.size());
        QCOMPARE(check_date_any_form(text, cursor), expected_state);
        QCOMPARE(text, QString::fromUtf16(expected_text));
    }
}

QTEST_APPLESS_MAIN(mask_rules_test)
#include "mask_rules_test.moc"
