// The entry mode follows what the user last edited, and it does so before
// Calculate reads it, however Calculate is started.

#include "opened_form.h"

#include <QApplication>

using namespace orvandel;
using test::opened_form;
using test::type_into;

class fields_test : public QObject {
    Q_OBJECT

private slots:
    void editing_sets_the_mode_data();
    void editing_sets_the_mode();
    void labels_and_radio_buttons();
};

void fields_test::editing_sets_the_mode_data() {
    QTest::addColumn<bool>("start_by_days");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");  // typed over the field's text; "<up>" steps it
    QTest::addColumn<QString>("leave"); // tab, click (Calculate), alt_s, enter
    QTest::addColumn<bool>("by_days");
    QTest::addColumn<QString>("total_days"); // after Calculate
    // The form holds 2001-04-21 .. 2001-05-10 (19 days) and the day counts 30 and 15.
    QTest::newRow("day count, Tab") << false << "em_znts3"
                                    << "40"
                                    << "tab" << true << "0";
    QTest::newRow("day count, click Calculate") << false << "em_znts4"
                                                << "5"
                                                << "click" << true << "35";
    QTest::newRow("day count, Alt+S") << false << "em_znts3"
                                      << "40"
                                      << "alt_s" << true << "55";
    QTest::newRow("day count, Enter") << false << "em_znts4"
                                      << "5"
                                      << "enter" << true << "35";
    QTest::newRow("day count stepped") << false << "em_znts4"
                                       << "<up>"
                                       << "click" << true << "46";
    QTest::newRow("start date, Alt+S") << true << "em_2"
                                       << "2001-04-20"
                                       << "alt_s" << false << "20";
    QTest::newRow("end date, click Calculate") << true << "em_3"
                                               << "2001-05-11"
                                               << "click" << false << "20";
    QTest::newRow("end date stepped, Tab") << true << "em_3"
                                           << "<up>"
                                           << "tab" << false << "0";
    QTest::newRow("day count while by days") << true << "em_znts4"
                                             << "5"
                                             << "tab" << true << "0";
    QTest::newRow("entered and left unchanged") << false << "em_znts3"
                                                << ""
                                                << "tab" << false << "0";
    QTest::newRow("entered and left unchanged, by days") << true << "em_2"
                                                         << ""
                                                         << "click" << true << "45";
}

void fields_test::editing_sets_the_mode() {
    QFETCH(bool, start_by_days);
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QString, leave);
    QFETCH(bool, by_days);
    QFETCH(QString, total_days);
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f->em_2->set_text(QStringLiteral("2001-04-21"));
    f->em_3->set_text(QStringLiteral("2001-05-10"));
    f->em_znts3->set_text(QStringLiteral("30"));
    f->em_znts4->set_text(QStringLiteral("15"));
    (start_by_days ? f->rb_2 : f->rb_1)->setChecked(true);

    auto* edited = f.window->findChild<runtime::edit_mask*>(field);
    QTest::mouseClick(edited, Qt::LeftButton);
    if (keys == QLatin1String("<up>")) {
        QTest::keyClick(edited, Qt::Key_End);
        QTest::keyClick(edited, Qt::Key_Up);
    } else if (!keys.isEmpty()) {
        type_into(edited, keys);
    }
    // A completed date has moved on by itself; the keys go where the focus is.
    QWidget* focused = QApplication::focusWidget();
    if (leave == QLatin1String("tab")) {
        QTest::keyClick(focused, Qt::Key_Tab);
    } else if (leave == QLatin1String("click")) {
        QTest::mouseClick(f->cb_js, Qt::LeftButton);
    } else if (leave == QLatin1String("alt_s")) {
        QTest::keyClick(focused, Qt::Key_S, Qt::AltModifier);
    } else {
        QTest::keyClick(focused, Qt::Key_Return);
    }

    QCOMPARE(f->rb_2->isChecked(), by_days);
    QCOMPARE(f->rb_1->isChecked(), !by_days);
    QCOMPARE(f->em_znts->text(), total_days); // Calculate used the mode the edit had set
}

void fields_test::labels_and_radio_buttons() {
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QVERIFY(f->em_yjsk->hasFocus());
    QTest::mouseClick(f->st_2, Qt::LeftButton);
    QTest::mouseClick(f->st_3, Qt::LeftButton);
    QVERIFY(f->em_yjsk->hasFocus()); // the date labels lead nowhere

    // An edit left by clicking a radio button reports first; the click decides.
    type_into(f->em_2, QStringLiteral("2001-04"));
    QTest::mouseClick(f->rb_2, Qt::LeftButton);
    QVERIFY(f->rb_2->isChecked());
    QTest::mouseClick(f->rb_1, Qt::LeftButton);
    QVERIFY(f->rb_1->isChecked());
    QVERIFY(!f->rb_2->isChecked());
}

QTEST_MAIN(fields_test)
#include "fields_test.moc"
