// The main window's context menu as the program wires it: "导出计算底稿(PDF)…"
// and "复制计算过程" give the form's calculation as a sheet, in the same words
// the form shows, and leave the form's 36 controls as they were.

#include "../ui/audit/audit_items_for_tests.h"
#include "../ui/main/opened_form.h"
#include "app/application.h"
#include "runtime/clock.h"
#include "runtime/file_dialog.h"
#include "runtime/message_box.h"
#include "runtime/state_dir.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace orvandel;

namespace {

// Opens the context menu with a right click on the form (beside its fields),
// and runs `in_menu` on it once it is open.
void with_context_menu(QWidget& window, const std::function<void(QMenu&)>& in_menu) {
    bool ran = false;
    // Looked for until it shows, inside the menu's own event loop: a menu
    // that shows after that loop's first turn is still used and closed.
    QTimer look;
    look.setInterval(10);
    QObject::connect(&look, &QTimer::timeout, &window, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible()) {
            return;
        }
        look.stop();
        in_menu(*menu);
        if (menu->isVisible()) {
            menu->close();
        }
        ran = true;
    });
    look.start();
    const QPoint beside_fields(4, window.height() - 4);
    QContextMenuEvent event(QContextMenuEvent::Mouse, beside_fields,
                            window.mapToGlobal(beside_fields));
    QApplication::sendEvent(&window, &event);
    look.stop();
    QVERIFY(ran);
    // The window is active again once the menu has closed (the offscreen
    // platform does not hand activation back by itself).
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

class audit_commands_test : public QObject {
    Q_OBJECT

    QTemporaryDir config_home_;
    QTemporaryDir out_;
    std::unique_ptr<app::application> application_;
    ui::w_dornik* window_ = nullptr;

    void calculate(const QString& amount, const QString& start, const QString& end) {
        window_->em_yjsk->set_text(amount);
        window_->em_2->set_text(start);
        window_->em_3->set_text(end);
        QTest::mouseClick(window_->cb_js, Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        // On Windows the recovery folder is the user's own, not this test's:
        // what an earlier run left there, which the program would offer, goes.
        QDir(runtime::state_directory()).removeRecursively();
    }
    void init() {
        qputenv("XDG_CONFIG_HOME", config_home_.path().toLocal8Bit());
        runtime::set_today_for_testing(QDate(2024, 3, 15));
        application_ = std::make_unique<app::application>();
        application_->open(QCoreApplication::arguments());
        window_ = application_->w_dornik;
        QVERIFY(window_ != nullptr);
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        (void)runtime::take_recorded_boxes();
    }
    void cleanup() {
        application_.reset();
        (void)runtime::take_recorded_boxes();
    }

    void menu_offers_both_commands_with_shortcuts() {
        QStringList offered;
        with_context_menu(*window_, [&](QMenu& menu) {
            for (const QAction* action : menu.actions()) {
                offered << action->text() + u'|' + action->shortcut().toString();
            }
        });
        QCOMPARE(offered,
                 (QStringList{QStringLiteral("导出计算底稿(PDF)…|Ctrl+Shift+P"),
                              QStringLiteral("复制计算过程|Ctrl+Shift+C"), QStringLiteral("|"),
                              QStringLiteral("打开计算底稿(&W)|Ctrl+Shift+W")}));
    }

    // Before any calculation, and after Reset, both commands ask for one first.
    void nothing_calculated_asks_to_calculate() {
        runtime::push_answer(1);
        runtime::push_answer(1);
        QTest::keyClick(window_->em_yjsk, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        calculate(QStringLiteral("100.00"), QStringLiteral("2024-03-01"),
                  QStringLiteral("2024-03-11"));
        QTest::mouseClick(window_->cb_fxjs, Qt::LeftButton);
        QTest::keyClick(window_->em_yjsk, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        const auto boxes = runtime::take_recorded_boxes();
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(boxes[0].text, QStringLiteral("还没有计算结果。请先计算，然后再复制计算过程。"));
        QCOMPARE(boxes[1].text, QStringLiteral("还没有计算结果。请先计算，然后再导出计算底稿。"));
    }

    // The sheet quotes the form's own formula texts and figures, and neither
    // command changes a control or moves the focus.
    void export_and_copy_show_what_the_form_shows() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
        calculate(QStringLiteral("12345.67"), QStringLiteral("2001-04-21"),
                  QStringLiteral("2001-05-10"));
        window_->em_yjsk->setFocus();
        const QStringList before = test::controls(*window_);
        const QString formula_before = window_->st_znj1->text();
        const QString formula_after = window_->st_znj2->text();
        QCOMPARE(formula_before,
                 QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)"
                                "=12345.67*10*0.002=246.91"));

        const QString path = out_.filePath(QStringLiteral("form")); // ".pdf" is added
        runtime::push_file_name(path);
        with_context_menu(*window_, [](QMenu& menu) {
            QTest::keyClick(&menu, Qt::Key_Down);
            QTest::keyClick(&menu, Qt::Key_Return);
        });
        const QString text =
            test::pdf_pages(path + QStringLiteral(".pdf")).join(u'\f').remove(u'\n');
        for (const QString& wanted :
             {formula_before, formula_after, QStringLiteral("滞纳金计算起始日期=2001-04-21"),
              QStringLiteral("税款与滞纳金合计=12648.14"),
              QStringLiteral("计算日期：2024-03-15")}) {
            QVERIFY2(text.contains(wanted.normalized(QString::NormalizationForm_KC)),
                     qPrintable(wanted + u'\n' + text));
        }

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(window_->em_yjsk, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.contains(formula_before + u'\n'), qPrintable(copied));
        QVERIFY(copied.contains(formula_after + u'\n'));

        QCOMPARE(test::controls(*window_), before);
        QCOMPARE(QApplication::focusWidget(), window_->em_yjsk);
        QVERIFY(runtime::take_recorded_boxes().empty());
    }

    // A file that cannot be written is reported; a cancelled dialog does nothing.
    void unwritable_file_is_reported() {
        calculate(QStringLiteral("100.00"), QStringLiteral("2024-03-01"),
                  QStringLiteral("2024-03-11"));
        const auto export_pdf = [this] {
            QTest::keyClick(window_->em_yjsk, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        };
        runtime::push_file_name(QString());
        export_pdf();
        QVERIFY(runtime::take_recorded_boxes().empty());
        runtime::push_file_name(out_.filePath(QStringLiteral("no/such/folder/a.pdf")));
        runtime::push_answer(1);
        export_pdf();
        const auto boxes = runtime::take_recorded_boxes();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(boxes[0].text.startsWith(QStringLiteral("无法写入文件")),
                 qPrintable(boxes[0].text));
    }
};

QTEST_MAIN(audit_commands_test)
#include "audit_commands_test.moc"
