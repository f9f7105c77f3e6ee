// The entry field driven as a person would: keys typed over a selection, Tab,
// Enter, Up/Down; what it shows and when it reports a change.

#include "runtime/edit_mask.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace orvandel::runtime;

namespace {

// A window with the field kinds in tab order: date, digits, amount, a
// display-only amount and a plain line edit after them.
struct form {
    QWidget window;
    edit_mask* date = new edit_mask(mask_kind::date, &window);
    edit_mask* digits = new edit_mask(mask_kind::digits, &window);
    edit_mask* amount = new edit_mask(mask_kind::money, &window);
    edit_mask* shown = new edit_mask(mask_kind::money, &window);
    QLineEdit* after = new QLineEdit(&window);

    form() {
        for (edit_mask* field : {date, digits}) {
            field->set_spin_arrows(true);
            field->set_auto_skip(true);
        }
        shown->set_display_only(true);
        date->set_text(QStringLiteral("2024-03-15"));
        digits->set_text(QStringLiteral("0"));
        int y = 0;
        for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            w->setGeometry(0, y, 200, 24);
            y += 30;
        }
        window.resize(200, y);
        window.show();
        window.activateWindow();
    }
};

edit_mask* field_named(form& f, const QString& name) {
    if (name == QLatin1String("date")) {
        return f.date;
    }
    return name == QLatin1String("digits") ? f.digits : f.amount;
}

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
    void display_only_refuses_typing();
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
    QTest::newRow("six digits") << "digits" << "000123" << "000123" << true;
    QTest::newRow("no seventh digit") << "digits" << "1234567" << "123456" << true;
    QTest::newRow("fewer digits") << "digits" << "30" << "30" << false;
    QTest::newRow("emptied digits") << "digits" << "\b" << "0" << false;
    QTest::newRow("amount to final form") << "amount" << "1234.5" << "1234.50" << false;
    QTest::newRow("amount below one") << "amount" << "0.5" << ".50" << false;
    QTest::newRow("amount refuses a sign") << "amount" << "-12" << "12.00" << false;
    // clang-format on
}

void edit_mask_test::typing_over_a_selection() {
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(bool, skips_on_its_own);
    form f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    edit_mask* typed_into = field_named(f, field);
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

void edit_mask_test::display_only_refuses_typing() {
    form f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.shown->set_text(QStringLiteral("246.91"));
    QSignalSpy modified(f.shown, &edit_mask::modified);

    f.amount->setFocus();
    QTest::keyClick(f.amount, Qt::Key_Tab);
    QVERIFY(f.shown->hasFocus()); // still a tab stop
    QTest::keyClick(f.shown, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(f.shown, QStringLiteral("9"));
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Up, Qt::Key_Down}) {
        QTest::keyClick(f.shown, key);
    }
    QTest::keyClick(f.shown, Qt::Key_Tab);
    QCOMPARE(f.shown->text(), QStringLiteral("246.91"));
    QCOMPARE(modified.count(), 0);
}

void edit_mask_test::modified_only_after_a_change_by_the_user() {
    form f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QSignalSpy modified(f.digits, &edit_mask::modified);

    f.digits->setFocus();
    f.after->setFocus();
    QCOMPARE(modified.count(), 0); // entered and left unchanged

    f.digits->setFocus();
    f.digits->set_text(QStringLiteral("15"));
    f.after->setFocus();
    QCOMPARE(modified.count(), 0); // a change from code is not the user's

    select_all_and_type(f.digits, QStringLiteral("30"));
    QTest::keyClick(f.digits, Qt::Key_Return);
    QCOMPARE(modified.count(), 1); // Enter after a change
    f.after->setFocus();
    QCOMPARE(modified.count(), 1); // nothing new since

    select_all_and_type(f.digits, QStringLiteral("45"));
    commit_pending_edit(&f.window); // a command started without taking the focus
    QCOMPARE(modified.count(), 2);
    QVERIFY(f.digits->hasFocus());
}

QTEST_MAIN(edit_mask_test)
#include "edit_mask_test.moc"
