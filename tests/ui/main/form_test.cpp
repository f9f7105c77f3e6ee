// The form as it opens: its 36 controls, focus, dates, the settings entry;
// its geometry, tab order, access keys and screen-reader names; Reset.

#include "opened_form.h"

#include <QRegularExpression>
#include <QSignalSpy>

using namespace orvandel;
using namespace orvandel::test;

namespace {

// clang-format off
const QStringList opening_form{
    "cb_4=调用系统计算器(&J)", "rb_2=", "rb_1=", "em_znts4=0", "em_znts3=0",
    "st_12=2001年04月30日前滞纳天数：", "st_11=或2001年05月01日后滞纳天数：", "cb_3=退出(&X)",
    "cb_2=关于(&A)", "em_hj=", "st_10=税款与滞纳金合计=", "st_znj2=" + formula_after,
    "st_znj1=" + formula_before, "em_znj2=", "em_znj1=", "em_znj=", "em_znts2=0", "em_znts1=0",
    "em_znts=0", "st_16=按照中华人民共和国税收征收管理法第三十二条规定，纳税人未按照规定期限缴纳税款的"
    "，扣缴义务人未按照规定期限解缴税款的，税务机关除责令限期缴纳外，从滞纳税款之日起，"
    "按日加收滞纳税款万分之五的滞纳金,2001年5月1日起执行，2001年5月1日以前滞纳金按照千分之二按日加收。",
    "st_9=2001年05月01日后应加征滞纳金=", "st_8=其中:2001年04月30日前应加征滞纳金=",
    "st_7=合计应加征滞纳金=", "st_6=2001年05月01日后滞纳天数=", "st_5=其中：2001年04月30日前滞纳天数=",
    "st_4=合计滞纳天数=", "em_3=2024-03-15", "st_3=终止日期=", "em_2=2024-03-15",
    "st_2=滞纳金计算起始日期=", "st_0=Orvandel", "cb_1=打印(&D)", "cb_fxjs=重置(&C)", "cb_js=计算(&S)",
    "em_yjsk=", "st_1=应缴税款金额="};
// clang-format on

} // namespace

class form_test : public QObject {
    Q_OBJECT

private slots:
    void opens_data();
    void opens();
    void layout_keys_and_names();
    void reset_gives_the_starting_form_data();
    void reset_gives_the_starting_form();
};

void form_test::opens_data() {
    QTest::addColumn<bool>("blocked");
    QTest::newRow("settings written") << false;
    QTest::newRow("a file where the settings folder should be") << true;
}

void form_test::opens() {
    QFETCH(bool, blocked);
    opened_form f(blocked);
    save_screenshot(*f.window, QStringLiteral("w_dornik-opened"));
    QCOMPARE(controls(*f.window), opening_form);
    QCOMPARE(f->windowTitle(), QStringLiteral("OrvandelV2.0"));
    QVERIFY(f->rb_1->isChecked() && !f->rb_2->isChecked());
    QCOMPARE(f.gs_path, QDir::toNativeSeparators(QDir::currentPath()));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
    QCOMPARE(f->em_yjsk->text(), QStringLiteral("12")); // the focus is on the amount

    if (blocked) { // what blocked the settings is as it was
        const QFileInfo blocker(f.blocker);
        QVERIFY(blocker.isDir() ? QDir(f.blocker).isEmpty() : blocker.size() == 0);
    } else {
        QFile settings(f.settings_path);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), QByteArray("[grsds]\ndqck=w_dornik\n"));
    }
}

void form_test::layout_keys_and_names() {
    opened_form f;
    // Pixels at 96 dpi: 0.22 per horizontal and 0.25 per vertical layout unit.
    QCOMPARE(f->screen()->logicalDotsPerInch(), 96.0);
    QCOMPARE(f->size(), QSize(395, 579)); // 1833 × 2440 units less frame and title bar
    f->resize(700, 900);
    QTest::qWait(0);
    // clang-format off
    const std::vector<std::pair<QWidget*, QRect>> placed{ // where resizing leaves them
        {f->cb_4, {230, 6, 161, 22}},     // (1047, 24, 731, 88) units
        {f->st_16, {12, 33, 368, 75}},    // (55, 132, 1673, 300)
        {f->cb_js, {4, 262, 67, 22}},     // (18, 1048, 306, 88)
        {f->em_hj, {193, 550, 185, 22}}}; // (878, 2200, 841, 88)
    // clang-format on
    for (const auto& [control, pixels] : placed) {
        QCOMPARE(control->geometry(), pixels);
    }

    QStringList visited;
    for (int i = 0; i < 18; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    // Equal tab values (140, 150) keep the creation order: cb_2 before cb_fxjs, cb_3 before cb_1.
    QCOMPARE(visited, (QStringList{"em_2", "em_3", "em_znts3", "em_znts4", "cb_js", "cb_2",
                                   "cb_fxjs", "cb_3", "cb_1", "em_znts", "em_znts1", "em_znts2",
                                   "em_znj", "em_znj1", "em_znj2", "em_hj", "cb_4", "em_yjsk"}));
    const std::vector<std::pair<Qt::Key, QPushButton*>> keys{
        {Qt::Key_J, f->cb_4}, {Qt::Key_X, f->cb_3},    {Qt::Key_A, f->cb_2},
        {Qt::Key_D, f->cb_1}, {Qt::Key_C, f->cb_fxjs}, {Qt::Key_S, f->cb_js}};
    for (const auto& [key, button] : keys) {
        disconnect(button, nullptr, f.window.get(), nullptr); // the key, not the command
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(f->em_yjsk, key, Qt::AltModifier);
        QVERIFY2(clicked.count() == 1, qPrintable(button->objectName()));
    }

    const QStringList before_typing = controls(*f.window); // results are shown, not typed
    perform(f, "em_znts=9 em_znts1=9 em_znts2=9 em_znj=9 em_znj1=9 em_znj2=9 em_hj=9");
    QCOMPARE(controls(*f.window), before_typing);

    QSet<QString> names{f->rb_1->accessibleName(), f->rb_2->accessibleName()};
    for (const auto* field : f.window->findChildren<runtime::edit_mask*>()) {
        names.insert(field->accessibleName());
    }
    QCOMPARE(names.size(), 14); // twelve fields and two radio buttons, none nameless or alike
    QVERIFY(!names.contains(QString()));
    QCOMPARE(f->em_yjsk->accessibleName(), QStringLiteral("应缴税款金额"));
    QCOMPARE(f->em_znts3->accessibleName(), QStringLiteral("或2001年05月01日后滞纳天数"));
    QCOMPARE(f->rb_2->accessibleName(), QStringLiteral("按滞纳天数计算"));
}

void form_test::reset_gives_the_starting_form_data() {
    QTest::addColumn<QString>("steps");
    QTest::newRow("after start-up") << "";
    QTest::newRow("after a calculation")
        << "em_yjsk=12345.67 em_2=2001-04-21 em_3=2001-05-10 cb_js";
    QTest::newRow("after switching to day entry") << "em_znts4=15 Tab";
    QTest::newRow("twice in a row") << "Alt+C";
}

void form_test::reset_gives_the_starting_form() {
    QFETCH(QString, steps);
    opened_form f;
    perform(f, steps);
    QWidget* focused = QApplication::focusWidget();
    perform(f, QStringLiteral("Alt+C"));
    QStringList expected = opening_form; // with the amounts that open empty showing zero
    expected.replaceInStrings(QRegularExpression(QStringLiteral("^(em_\\w+)=$")), "\\1=.00");
    QCOMPARE(controls(*f.window), expected);
    QVERIFY(f->rb_1->isChecked());
    QCOMPARE(QApplication::focusWidget(), focused); // no focus move
    QCOMPARE(runtime::take_recorded_boxes().size(), std::size_t{0});
}

QTEST_MAIN(form_test)
#include "form_test.moc"
