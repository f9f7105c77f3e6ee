// Reaching the worksheet: from the main window's context menu with its
// calculation as the first row, through the application object, after a
// crash with the recovered rows, and as the real program with --worksheet FILE.

#include "sheet_fixture.h"

#include "app/application.h"
#include "runtime/file_dialog.h"
#include "runtime/printing.h"
#include "runtime/recovery_file.h"
#include "runtime/state_dir.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

using namespace orvandel;
using namespace orvandel::test;

namespace {

ws::w_worksheet* worksheet_of(const app::application& application) {
    return qobject_cast<ws::w_worksheet*>(application.w_worksheet.data());
}

// The texts of the context menu that `open_menu` pops up, closed again with Esc.
QStringList menu_texts(const std::function<void()>& open_menu) {
    QStringList texts;
    // Looked for until it shows, inside the menu's own event loop: a menu
    // that shows after that loop's first turn is still read and closed.
    QTimer look;
    look.setInterval(10);
    QObject::connect(&look, &QTimer::timeout, [&texts, &look] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible()) {
            return;
        }
        look.stop();
        for (QAction* action : menu->actions()) {
            texts << action->text();
        }
        menu->close();
    });
    look.start();
    open_menu();
    return texts;
}

} // namespace

class reach_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase() { pin_environment(home); }
    void cleanup() {
        QDir(runtime::state_directory()).removeRecursively();
        (void)runtime::take_recorded_boxes();
    }

    // Right click, Shift+F10: the form's menu holds the one command.
    void form_context_menu_offers_the_worksheet() {
        app::application application;
        application.open({QStringLiteral("orvandel")});
        ui::w_dornik* form = application.w_dornik;
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QStringList by_mouse = menu_texts([form] {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    form->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(form, &event);
        });
        QVERIFY2(by_mouse.contains(QStringLiteral("打开计算底稿(&W)")),
                 qPrintable(by_mouse.join(u'|')));
        const QStringList by_keys =
            menu_texts([form] { QTest::keyClick(form->em_yjsk, Qt::Key_F10, Qt::ShiftModifier); });
        QCOMPARE(by_keys, by_mouse);
        QVERIFY(application.w_worksheet.isNull());
    }

    // The form's calculation arrives as row 1, its dates as 缴款期限 = start − 1
    // and 实际缴款日期 = end − 1, with the same figures; after Reset, nothing.
    void form_calculation_becomes_the_first_row_data() {
        QTest::addColumn<bool>("by_days");
        QTest::newRow("by_dates") << false;
        QTest::newRow("by_days") << true;
    }
    void form_calculation_becomes_the_first_row() {
        QFETCH(bool, by_days);
        app::application application;
        application.open({QStringLiteral("orvandel")});
        ui::w_dornik* form = application.w_dornik;
        form->em_yjsk->set_text(QStringLiteral("12345.67"));
        if (by_days) {
            form->em_znts4->set_text(QStringLiteral("15"));
            form->em_znts3->set_text(QStringLiteral("30"));
            form->rb_2->setChecked(true);
        } else {
            form->em_2->set_text(QStringLiteral("2001-04-21"));
            form->em_3->set_text(QStringLiteral("2001-05-10"));
        }
        form->cb_js->click();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        const QString total_fee = form->em_znj->text();
        QTest::keyClick(form, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        ws::w_worksheet* sheet = worksheet_of(application);
        QVERIFY(sheet != nullptr && sheet->isVisible());
        const QStringList first = shown_row(sheet->model(), 0).split(u'|');
        QCOMPARE(first[1], QStringLiteral("12,345.67"));
        if (by_days) {
            QCOMPARE(first.mid(2, 4).join(u'|'), QStringLiteral("||15|30"));
        } else {
            QCOMPARE(first.mid(2, 2).join(u'|'), QStringLiteral("2001-04-20|2001-05-09"));
        }
        QCOMPARE(first[ws::view_column(sheet::column::total_fee)], total_fee);
        QVERIFY(sheet->model().undo_stack().isClean());
        sheet->close();
        QTRY_VERIFY(application.w_worksheet.isNull());

        form->cb_fxjs->click();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(worksheet_of(application) != nullptr);
        QVERIFY(worksheet_of(application)->model().rows().blank(0));
    }

    // After a crash the next start offers the unsaved rows back, each lost
    // sheet in turn, the most recent first: taken into a window of its own,
    // or given up for good.
    void next_start_offers_the_recovered_rows_data() {
        QTest::addColumn<QList<int>>("answers");  // 1 是, 2 否; the newer sheet first
        QTest::addColumn<QStringList>("windows"); // the first cell of each window opened
        QTest::newRow("both back") << QList<int>{1, 1} << QStringList{"后未保存", "先未保存"};
        QTest::newRow("older only") << QList<int>{2, 1} << QStringList{"先未保存"};
        QTest::newRow("neither") << QList<int>{2, 2} << QStringList{""};
    }
    void next_start_offers_the_recovered_rows() {
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, windows);
        // Two sheets lost, the first written a minute before the second.
        for (const auto& [first_cell, age] : {std::pair{QStringLiteral("先未保存"), -60},
                                              std::pair{QStringLiteral("后未保存"), 0}}) {
            ws::w_worksheet lost;
            fill(lost.model(), {row("增值税", "100", "2024-03-01", "2024-03-11")});
            lost.model().setData(lost.model().index(0, 0), first_cell, Qt::EditRole);
            lost.write_recovery();
            QFile written(lost.recovery_path());
            QVERIFY(written.open(QIODevice::ReadWrite));
            QVERIFY(written.setFileTime(QDateTime::currentDateTime().addSecs(age),
                                        QFileDevice::FileModificationTime));
            lost.model().undo_stack().setClean(); // gone without closing
        }
        for (const int answer : answers) {
            runtime::push_answer(answer);
        }
        app::application application;
        application.open({QStringLiteral("orvandel"), QStringLiteral("--worksheet")});
        const auto boxes = runtime::take_recorded_boxes();
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(boxes[0].buttons, runtime::msg_buttons::yes_no);
        QVERIFY2(boxes[1].text.contains(QStringLiteral("共有2份，这是第2份")),
                 qPrintable(boxes[1].text));
        QVERIFY(application.w_dornik.isNull());
        ws::w_worksheet* sheet = worksheet_of(application);
        QVERIFY(sheet != nullptr);
        QList<ws::w_worksheet*> opened{sheet}; // w_worksheet first, then any others
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* other = qobject_cast<ws::w_worksheet*>(window);
            if (other != nullptr && other != sheet && other->isVisible()) {
                opened << other;
            }
        }
        QStringList shown;
        for (ws::w_worksheet* window : opened) {
            shown << runtime::qstring(window->model().shown_text(0, 0));
            QCOMPARE(window->model().undo_stack().isClean(), shown.back().isEmpty());
            window->model().undo_stack().setClean();
        }
        QCOMPARE(shown, windows);
        // What was given up is gone; what was taken back is held by its window.
        QVERIFY(runtime::recovery_file::claim_orphans().empty());
        const QStringList left =
            QDir(runtime::state_directory()).entryList({QStringLiteral("*.csv")}, QDir::Files);
        QCOMPARE(left.size(), windows.filter(QRegularExpression(QStringLiteral("."))).size());
    }

    // A sheet still open (here, or in another running program) is not
    // offered back: it is nobody's lost work.
    void next_start_leaves_an_open_sheet_alone() {
        ws::w_worksheet open_elsewhere;
        fill(open_elsewhere.model(), {row("增值税", "100", "2024-03-01", "2024-03-11")});
        open_elsewhere.model().setData(open_elsewhere.model().index(0, 0),
                                       QStringLiteral("正在编辑"), Qt::EditRole);
        open_elsewhere.write_recovery();
        app::application application;
        application.open({QStringLiteral("orvandel"), QStringLiteral("--worksheet")});
        QVERIFY(runtime::take_recorded_boxes().empty());
        ws::w_worksheet* sheet = worksheet_of(application);
        QVERIFY(sheet != nullptr && sheet->model().rows().blank(0));
        open_elsewhere.model().undo_stack().setClean();
    }

    // 导出PDF… writes the worksheet's rows as the audit sheet.
    void export_pdf_writes_the_audit_sheet() {
        app::application application;
        application.open_worksheet();
        ws::w_worksheet* sheet = worksheet_of(application);
        QVERIFY(sheet->act_export_pdf->isEnabled());
        fill(sheet->model(), {row("增值税", "100", "2024-03-01", "2024-03-11")});
        const QString path = home.filePath(QStringLiteral("audit.pdf"));
        runtime::push_file_name(path);
        sheet->act_export_pdf->trigger();
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(runtime::take_recorded_boxes().empty());
    }

    // 打印… shows the audit sheet in a print preview, one page for one item.
    void print_shows_the_audit_sheet_in_a_preview() {
        app::application application;
        application.open_worksheet();
        ws::w_worksheet* sheet = worksheet_of(application);
        QVERIFY(sheet->act_print->isEnabled());
        fill(sheet->model(), {row("增值税", "100", "2024-03-01", "2024-03-11")});
        int pages = -1;
        QTimer::singleShot(0, [&pages] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (preview == nullptr) {
                return;
            }
            if (auto* view = preview->findChild<QPrintPreviewWidget*>()) {
                pages = view->pageCount();
            }
            preview->reject();
        });
        sheet->act_print->trigger();
        QCOMPARE(pages, 1);
        // Answered in advance, the preview draws the same pages into a file.
        const QString path = home.filePath(QStringLiteral("preview.pdf"));
        runtime::push_preview_pdf(path);
        sheet->act_print->trigger();
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
        QVERIFY(runtime::take_recorded_boxes().empty());
    }

    // The real program: `orvandel --worksheet FILE` opens only the worksheet
    // with FILE, paints and (asked to for this test) ends with 0.
    void program_opens_a_file_in_the_worksheet() {
        const QString path = home.filePath(QStringLiteral("items.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "项目,应缴税款金额,缴款期限,实际缴款日期\r\n增值税,100,2024-03-01,2024-03-11\r\n");
        file.close();
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVANDEL_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ORVANDEL_PROGRAM), {QStringLiteral("--worksheet"), path});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(reach_test)
#include "reach_test.moc"
