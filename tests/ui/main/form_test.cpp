// The form as it opens: its 36 controls, focus, dates, the settings entry;
// its geometry, tab order and access keys; Reset and Exit.

#include "opened_form.h"

#include "runtime/settings_file.h"
#include "runtime/static_text.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>

using namespace orvandel;
using test::opened_form;
using test::type_into;

namespace {

const QString legal_text =
    QStringLiteral("按照中华人民共和国税收征收管理法第三十二条规定，纳税人未按照规定期限缴纳税款的"
                   "，扣缴义务人未按照"
                   "规定期限解缴税款的，税务机关除责令限期缴纳外，从滞纳税款之日起，按日加收滞纳税"
                   "款万分之五的滞纳金,"
                   "2001年5月1日起执行，2001年5月1日以前滞纳金按照千分之二按日加收。");
const QString formula_before =
    QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)");
const QString formula_after =
    QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)");

QString text_of(const QObject* control) {
    if (const auto* field = qobject_cast<const runtime::edit_mask*>(control)) {
        return field->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    return qobject_cast<const QLabel*>(control)->text();
}

// name=text of every control, in the order the window holds them.
QStringList controls(const ui::w_dornik& window) {
    QStringList shown;
    for (const QObject* child : window.children()) {
        if (child->isWidgetType()) {
            shown << child->objectName() + u'=' + text_of(child);
        }
    }
    return shown;
}

QStringList reset_form() {
    // clang-format off
    return {"em_yjsk=.00", "em_2=2024-03-15", "em_3=2024-03-15", "em_znts3=0", "em_znts4=0",
            "em_znts=0", "em_znts1=0", "em_znts2=0", "em_znj=.00", "em_znj1=.00", "em_znj2=.00",
            "em_hj=.00", "st_znj1=" + formula_before, "st_znj2=" + formula_after};
    // clang-format on
}

QStringList entry_and_results(const ui::w_dornik& window) {
    QStringList shown;
    for (const QString& line : reset_form()) {
        const QString name = line.section(u'=', 0, 0);
        shown << name + u'=' + text_of(window.findChild<QObject*>(name));
    }
    return shown;
}

} // namespace

class form_test : public QObject {
    Q_OBJECT

private slots:
    void opens_with_its_controls_and_defaults();
    void opens_when_the_settings_cannot_be_written();
    void geometry_in_layout_units_data();
    void geometry_in_layout_units();
    void no_label_cuts_off_its_text();
    void tab_order_and_access_keys();
    void display_only_fields_refuse_typing();
    void screen_reader_names();
    void reset_gives_the_starting_form_data();
    void reset_gives_the_starting_form();
};

void form_test::opens_with_its_controls_and_defaults() {
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    test::save_screenshot(*f.window, QStringLiteral("w_dornik-opened"));
    // clang-format off
    const QStringList expected{
        "cb_4=调用系统计算器(&J)", "rb_2=", "rb_1=", "em_znts4=0", "em_znts3=0",
        "st_12=2001年04月30日前滞纳天数：", "st_11=或2001年05月01日后滞纳天数：", "cb_3=退出(&X)",
        "cb_2=关于(&A)", "em_hj=", "st_10=税款与滞纳金合计=", "st_znj2=" + formula_after,
        "st_znj1=" + formula_before, "em_znj2=", "em_znj1=", "em_znj=", "em_znts2=0", "em_znts1=0",
        "em_znts=0", "st_16=" + legal_text, "st_9=2001年05月01日后应加征滞纳金=",
        "st_8=其中:2001年04月30日前应加征滞纳金=", "st_7=合计应加征滞纳金=",
        "st_6=2001年05月01日后滞纳天数=", "st_5=其中：2001年04月30日前滞纳天数=", "st_4=合计滞纳天数=",
        "em_3=2024-03-15", "st_3=终止日期=", "em_2=2024-03-15", "st_2=滞纳金计算起始日期=",
        "st_0=Orvandel", "cb_1=打印(&D)", "cb_fxjs=重置(&C)", "cb_js=计算(&S)", "em_yjsk=",
        "st_1=应缴税款金额="};
    // clang-format on
    QCOMPARE(controls(*f.window), expected);
    QCOMPARE(f->windowTitle(), QStringLiteral("OrvandelV2.0"));
    QVERIFY(f->rb_1->isChecked());
    QVERIFY(!f->rb_2->isChecked());
    QCOMPARE(f.gs_path, QDir::toNativeSeparators(QDir::currentPath()));

    QCOMPARE(QApplication::focusWidget(), f->em_yjsk);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
    QCOMPARE(f->em_yjsk->text(), QStringLiteral("12"));

    QFile settings(f.config_home.filePath(QStringLiteral("orvandel/config.ini")));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), QByteArray("[grsds]\ndqck=w_dornik\n"));
}

void form_test::opens_when_the_settings_cannot_be_written() {
    // A file where the configuration folder should be.
    opened_form f([](const QString& config_home) {
        QFile blocker(config_home + QStringLiteral("/orvandel"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    });
    QVERIFY(QFileInfo(f.config_home.filePath(QStringLiteral("orvandel"))).isFile());
    QCOMPARE(f->em_2->text(), QStringLiteral("2024-03-15"));
    QCOMPARE(f->em_3->text(), QStringLiteral("2024-03-15"));
    QCOMPARE(f->st_16->text(), legal_text);
    QVERIFY(f->isVisible());
}

void form_test::geometry_in_layout_units_data() {
    // Pixels at 96 dpi: 0.22 per horizontal and 0.25 per vertical unit.
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("pixels");
    // clang-format off
    QTest::newRow("cb_4 (1047, 24, 731, 88)") << "cb_4" << QRect(230, 6, 161, 22);
    QTest::newRow("st_16 (55, 132, 1673, 272)") << "st_16" << QRect(12, 33, 368, 68);
    QTest::newRow("cb_js (18, 1048, 306, 88)") << "cb_js" << QRect(4, 262, 67, 22);
    QTest::newRow("em_hj (878, 2200, 841, 88)") << "em_hj" << QRect(193, 550, 185, 22);
    // clang-format on
}

void form_test::geometry_in_layout_units() {
    QFETCH(QString, control);
    QFETCH(QRect, pixels);
    opened_form f;
    QCOMPARE(f->screen()->logicalDotsPerInch(), 96.0);
    QCOMPARE(f->size(), QSize(395, 579)); // 1833 × 2440 units less frame and title bar
    auto* widget = f.window->findChild<QWidget*>(control);
    QCOMPARE(widget->geometry(), pixels);
    f->resize(700, 900);
    QTest::qWait(0);
    QCOMPARE(widget->geometry(), pixels); // resizing moves nothing
}

void form_test::no_label_cuts_off_its_text() {
    opened_form f;
    // The longest formulas the form can show: twelve-digit amount, thousands of days.
    f->em_yjsk->set_text(QStringLiteral("999999999999.99"));
    f->em_2->set_text(QStringLiteral("1999-01-01"));
    f->em_3->set_text(QStringLiteral("2002-01-01"));
    f->cb_js->click();
    QVERIFY(f->st_znj1->text().endsWith(QStringLiteral("=1701999999999.98")));
    for (const auto* label : f.window->findChildren<runtime::static_text*>()) {
        QVERIFY2(label->text_height() <= label->height(),
                 qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                                .arg(label->objectName())
                                .arg(label->text_height())
                                .arg(label->height())));
    }
}

void form_test::tab_order_and_access_keys() {
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
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
        disconnect(button, &QPushButton::clicked, f.window.get(),
                   nullptr); // the key, not the command
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(f->em_yjsk, key, Qt::AltModifier);
        QVERIFY2(clicked.count() == 1, qPrintable(button->objectName()));
    }
}

void form_test::display_only_fields_refuse_typing() {
    opened_form f;
    for (runtime::edit_mask* shown :
         {f->em_znts, f->em_znts1, f->em_znts2, f->em_znj, f->em_znj1, f->em_znj2, f->em_hj}) {
        QVERIFY2(shown->isReadOnly() && shown->focusPolicy() & Qt::TabFocus,
                 qPrintable(shown->objectName()));
    }
    QVERIFY(!f->em_yjsk->isReadOnly());
}

void form_test::screen_reader_names() {
    opened_form f;
    QSet<QString> names;
    for (const auto* field : f.window->findChildren<runtime::edit_mask*>()) {
        names.insert(field->accessibleName());
    }
    names.insert(f->rb_1->accessibleName());
    names.insert(f->rb_2->accessibleName());
    QCOMPARE(names.size(), 14); // twelve fields and two radio buttons, none nameless or alike
    QVERIFY(!names.contains(QString()));
    QCOMPARE(f->em_yjsk->accessibleName(), QStringLiteral("应缴税款金额"));
    QCOMPARE(f->em_znts3->accessibleName(), QStringLiteral("或2001年05月01日后滞纳天数"));
    QCOMPARE(f->rb_2->accessibleName(), QStringLiteral("按滞纳天数计算"));
}

void form_test::reset_gives_the_starting_form_data() {
    QTest::addColumn<QString>("before");
    QTest::newRow("after start-up") << "";
    QTest::newRow("after a calculation") << "calculate";
    QTest::newRow("after switching to day entry") << "days";
    QTest::newRow("twice in a row") << "twice";
}

void form_test::reset_gives_the_starting_form() {
    QFETCH(QString, before);
    opened_form f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    if (before == QLatin1String("calculate")) {
        type_into(f->em_yjsk, QStringLiteral("12345.67"));
        type_into(f->em_2, QStringLiteral("2001-04-21"));
        type_into(f->em_3, QStringLiteral("2001-05-10"));
        QTest::mouseClick(f->cb_js, Qt::LeftButton);
        QCOMPARE(f->em_znts->text(), QStringLiteral("19"));
    } else if (before == QLatin1String("days")) {
        type_into(f->em_znts4, QStringLiteral("15"));
        QTest::keyClick(f->em_znts4, Qt::Key_Tab);
        QVERIFY(f->rb_2->isChecked());
    }
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused, Qt::Key_C, Qt::AltModifier);
    if (before == QLatin1String("twice")) {
        QTest::keyClick(focused, Qt::Key_C, Qt::AltModifier);
    }
    QCOMPARE(entry_and_results(*f.window), reset_form());
    QVERIFY(f->rb_1->isChecked());
    QCOMPARE(QApplication::focusWidget(), focused); // no focus move
    QCOMPARE(runtime::take_recorded_boxes().size(), std::size_t{0});
}

QTEST_MAIN(form_test)
#include "form_test.moc"
