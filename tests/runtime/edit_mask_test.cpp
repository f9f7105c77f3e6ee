// The entry field driven as a person would: keys typed over a selection, Tab;
// what it shows and when it reports a change.

#include "runtime/edit_mask.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace orvandel::runtime;

namespace {

// A date, a digits and an amount field in tab order, and a line edit after them.
struct form {
    QWidget window;
    edit_mask* date = new edit_mask(mask_kind::date, &window);
    edit_mask* digits = new edit_mask(mask_kind::digits, &window);
    edit_mask* amount = new edit_mask(mask_kind::money, &window);
    QLineEdit* after = new QLineEdit(&window);

    form() {
        auto* layout = new QVBoxLayout(&window); // tab order: creation order
        for (QWidget* field : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            layout->addWidget(field);
        }
        for (edit_mask* field : {date, digits}) {
            field->set_spin_arrows(true);
            field->set_auto_skip(true);
        }
        date->set_text("2024-03-15");
        digits->set_text("0");
        window.show();
        window.activateWindow();
    }
};

void select_all_and_type(edit_mask* field, const QString& keys) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, keys);
}

} // namespace

class edit_mask_test : public QObject {
    Q_OBJECT

private slots:
    void typing_over_a_selection_data();
    void typing_over_a_selection();
    void modified_only_after_a_change_by_the_user();
};

void edit_mask_test::typing_over_a_selection_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");         // after leaving the field
    QTest::addColumn<bool>("skips_on_its_own"); // focus moved on when the picture was full
    // clang-format off
    QTest::newRow("date with separators") << "date" << "2001-04-21" << "2001-04-21" << true;
    QTest::newRow("date as digits") << "date" << "20010421" << "2001-04-21" << true;
    QTest::newRow("date with a stray letter") << "date" << "2001x0421" << "2001-04-21" << true;
    QTest::newRow("one-digit month padded") << "date" << "2001-4-21" << "2001-04-21" << false;
    QTest::newRow("no such day kept as typed") << "date" << "2001-02-30" << "2001-02-30" << false;
    QTest::newRow("month 13 kept, not read as another date") << "date" << "20011321" << "2001-13-21" << false;
    QTest::newRow("partial date stays partial") << "date" << "2001-04" << "2001-04" << false;
    QTest::newRow("ninth digit refused") << "date" << "200104211" << "2001-04-21" << true;
    QTest::newRow("no seventh digit") << "digits" << "1234567" << "123456" << true;
    QTest::newRow("fewer digits") << "digits" << "30" << "30" << false;
    QTest::newRow("emptied digits") << "digits" << "\b" << "0" << false;
    QTest::newRow("amount to final form") << "amount" << "1234.5" << "1234.50" << false;
    QTest::newRow("amount without leading zeros") << "amount" << "007.1" << "7.10" << false;
    QTest::newRow("amount refuses a sign") << "amount" << "-12" << "12.00" << false;
    QTest::newRow("amount refuses a second point") << "amount" << "1.2.3" << "1.23" << false;
    QTest::newRow("amount refuses a third decimal") << "amount" << "1.005" << "1.00" << false;
    QTest::newRow("amount refuses a thirteenth digit") << "amount" << "1234567890123" << "123456789012.00" << false;
    // clang-format on
}

void edit_mask_test::typing_over_a_selection() {
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(bool, skips_on_its_own);
    form f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    edit_mask* typed_into = field == "date" ? f.date : field == "digits" ? f.digits : f.amount;
    QSignalSpy modified(typed_into, &edit_mask::modified);

    select_all_and_type(typed_into, keys);
    QCOMPARE(typed_into->hasFocus(), !skips_on_its_own);
    if (typed_into->hasFocus()) {
        QTest::keyClick(typed_into, Qt::Key_Tab);
        QVERIFY(!typed_into->hasFocus()); // Tab leaves the field, whatever part the cursor is in
    }
    QCOMPARE(typed_into->text(), shown);
    QCOMPARE(modified.count(), 1);
}

void edit_mask_test::modified_only_after_a_change_by_the_user() {
    form f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QSignalSpy modified(f.digits, &edit_mask::modified);

    f.digits->setFocus();
    f.digits->set_text("15");
    f.after->setFocus();
    QCOMPARE(modified.count(), 0); // a change from code is not the user's

    select_all_and_type(f.digits, "45");
    commit_pending_edit(&f.window); // a command started without taking the focus
    QCOMPARE(modified.count(), 1);
    QVERIFY(f.digits->hasFocus());
}

QTEST_MAIN(edit_mask_test)
#include "edit_mask_test.moc"
