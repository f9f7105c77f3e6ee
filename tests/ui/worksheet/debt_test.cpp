// Debts paid in parts on the worksheet: rows that share an 编号 show their
// debt's division, every change keeps the totals what the rows add up to and
// undoes whole, the cap and 添加缴款 act on the rows, the panel shows the
// current row's debt, and files and the recovery file keep all of it.

#include "sheet_fixture.h"

#include "runtime/recovery_file.h"
#include "sheet/batch.h"
#include "sheet/debts.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>

#include <sstream>

using namespace orvandel;
using namespace orvandel::test;

Q_DECLARE_METATYPE(std::function<void(ws::worksheet_model&)>)

namespace {

using sheet::column;
using change = std::function<void(ws::worksheet_model&)>;

// A row of a debt: 编号, 项目, 应缴税款金额, 缴款期限, 实际缴款日期, 本次缴款金额.
ws::row_cells debt_row(const char* id, const char* item, const char* amount, const char* due,
                       const char* pay, const char* paid) {
    ws::row_cells cells = row(item, amount, due, pay);
    cells[ws::slot_of(column::item_id)] = id;
    cells[ws::slot_of(column::paid_amount)] = paid;
    return cells;
}

// The worked example of two payments either side of 2020-03-01, its rows
// apart and out of date order, a row without 编号 between them, and a
// second debt still owing at the payment date.
std::vector<ws::row_cells> example() {
    return {
        debt_row("A1", "银行回单", "", "", "2020-05-01", "75000"),
        debt_row("A1", "增值税 2019年5月", "100000", "2019-06-15", "", ""),
        row("一次缴清", "12345.67", "2001-04-20", "2001-05-09"),
        debt_row("A1", "银行回单", "", "", "2019-08-01", "30000"),
        debt_row("B2", "企业所得税", "2000", "2024-01-15", "", ""),
        debt_row("B2", "", "", "", "2024-02-01", "500"),
    };
}

QString shown(const ws::worksheet_model& model, std::size_t row, column c) {
    return runtime::qstring(model.shown_text(row, ws::view_column(c)));
}

QString total(const ws::worksheet_model& model, column c) {
    return ws::totals_model(model).text(ws::view_column(c));
}

// The totals as kept through the changes, and as added up from scratch.
QStringList kept_and_fresh(const ws::worksheet_model& model) {
    QStringList kept;
    QStringList fresh;
    const ws::sheet_totals from_scratch = model.total();
    for (std::size_t s = 0; s < ws::summed_count; ++s) {
        const auto value = [](const calc::money_total& t) {
            const auto v = t.value();
            return v ? runtime::qstring(calc::default_text(*v)) : QStringLiteral("out of range");
        };
        kept << value(model.totals().sums[s]);
        fresh << value(from_scratch.sums[s]);
    }
    kept << QString::number(model.totals().computed) << QString::number(model.totals().left_out)
         << QString::number(model.totals().capped_debts);
    fresh << QString::number(from_scratch.computed) << QString::number(from_scratch.left_out)
          << QString::number(from_scratch.capped_debts);
    return kept << QStringLiteral("|") << fresh;
}

} // namespace

class debt_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase() { pin_environment(home); }

    // Each row shows its part: the debt's row its totals, each payment row
    // its division; the totals add the debts up with the other rows.
    void rows_show_their_debts_division() {
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, example());
        QCOMPARE(shown(model, 1, column::total_fee), QStringLiteral("12,034.37"));
        QCOMPARE(shown(model, 1, column::fee_paid), QStringLiteral("5,000.00"));
        QCOMPARE(shown(model, 1, column::fee_outstanding), QStringLiteral("7,034.37"));
        QCOMPARE(shown(model, 1, column::days_after), QStringLiteral("321"));
        QCOMPARE(shown(model, 3, column::to_tax), QStringLiteral("29,311.19"));
        QCOMPARE(shown(model, 3, column::to_fee), QStringLiteral("688.81"));
        QCOMPARE(shown(model, 0, column::to_fee), QStringLiteral("4,311.19"));
        QCOMPARE(shown(model, 0, column::total_fee), QString());
        // B2 owes 1,500.00 from 2024-02-02 through the payment date 2024-03-15.
        QCOMPARE(shown(model, 4, column::tax_outstanding), QStringLiteral("1,500.00"));
        QCOMPARE(shown(model, 4, column::one_more_day), QStringLiteral("0.75"));
        // 302.47 + 12,034.37 + 17 days on 2,000.00 and 43 on 1,500.00 (49.25).
        QCOMPARE(total(model, column::total_fee), QStringLiteral("12,386.09"));
        QCOMPARE(total(model, column::fee_paid), QStringLiteral("5,000.00"));
        QCOMPARE(total(model, column::fee_outstanding), QStringLiteral("7,083.62"));
        QCOMPARE(total(model, column::paid_amount), QStringLiteral("105,500.00"));
        QCOMPARE(total(model, column::item), QStringLiteral("合计（6行）"));
    }

    // Every change keeps the totals equal to the rows added up from scratch,
    // and undo puts every row and total back as it was.
    void changes_keep_the_debts_and_undo_whole_data() {
        QTest::addColumn<change>("act");
        const auto edit = [](std::size_t r, column c, const char* text) {
            return change([=](ws::worksheet_model& m) {
                m.edit_cells({{r, ws::slot_of(c), text}}, QStringLiteral("编辑"));
            });
        };
        QTest::newRow("a_payment_amount") << edit(3, column::paid_amount, "40000");
        QTest::newRow("a_payment_moved_to_another_debt") << edit(3, column::item_id, "B2");
        QTest::newRow("a_payment_taken_out_of_its_debt") << edit(0, column::item_id, "");
        QTest::newRow("a_plain_row_made_a_debt") << edit(2, column::item_id, "C3");
        QTest::newRow("a_second_row_with_the_amount") << edit(5, column::amount, "1");
        QTest::newRow("the_debts_due_date") << edit(1, column::due_date, "2019-12-31");
        QTest::newRow("a_stop_date") << edit(4, column::stop_date, "2024-02-29");
        QTest::newRow("rows_inserted") << change([](ws::worksheet_model& m) {
            m.insert_rows(2, {debt_row("A1", "", "", "", "2019-09-01", "100"), row("", "", "", "")},
                          QStringLiteral("插入行"));
        });
        QTest::newRow("rows_removed")
            << change([](ws::worksheet_model& m) { m.remove_rows(2, 2); });
        QTest::newRow("rows_sorted") << change([](ws::worksheet_model& m) {
            m.sort(ws::view_column(column::paid_amount), Qt::DescendingOrder);
        });
        QTest::newRow("all_capped")
            << change([](ws::worksheet_model& m) { m.set_debts_capped(true); });
        QTest::newRow("pasted") << change([](ws::worksheet_model& m) {
            m.paste(5, ws::view_column(column::item_id), {{"A1", "1,000.00"}, {"B2", "3"}});
        });
    }
    void changes_keep_the_debts_and_undo_whole() {
        QFETCH(change, act);
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, example());
        const QStringList before = snapshot(model);
        act(model);
        const QStringList kept = kept_and_fresh(model);
        const qsizetype half = kept.indexOf(QStringLiteral("|"));
        QCOMPARE(kept.mid(0, half), kept.mid(half + 1));
        QVERIFY(snapshot(model) != before);
        model.undo_stack().undo();
        QCOMPARE(snapshot(model), before);
        const QStringList back = kept_and_fresh(model);
        QCOMPARE(back.mid(0, half), back.mid(half + 1));
        model.undo_stack().redo();
        const QStringList again = kept_and_fresh(model);
        QCOMPARE(again.mid(0, half), again.mid(half + 1));
    }

    // The cap is one undoable change of every debt's 适用封顶; the totals
    // then carry the capped surcharge and say so.
    void the_cap_is_the_users_choice() {
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        // 1,000.00 due 1995-01-01, unpaid to the stop date 1997-01-01: 731 days
        // at 0.002 is 1,462.00.
        fill(model, {[] {
                 ws::row_cells r = debt_row("X", "", "1000", "1995-01-01", "", "");
                 r[ws::slot_of(column::stop_date)] = "1997-01-01";
                 return r;
             }()});
        QCOMPARE(model.debts_capped(), std::optional<bool>(false));
        QCOMPARE(total(model, column::total_fee), QStringLiteral("1,462.00"));
        model.set_debts_capped(true);
        QCOMPARE(model.debts_capped(), std::optional<bool>(true));
        QCOMPARE(runtime::qstring(model.rows().text(0, column::apply_cap)), QStringLiteral("是"));
        QCOMPARE(total(model, column::total_fee), QStringLiteral("1,000.00"));
        QCOMPARE(shown(model, 0, column::total_fee), QStringLiteral("1,462.00"));
        QVERIFY(total(model, column::error).contains(QStringLiteral("封顶")));
        model.undo_stack().undo();
        QCOMPARE(total(model, column::total_fee), QStringLiteral("1,462.00"));
        QCOMPARE(model.debts_capped(), std::optional<bool>(false));
    }

    // 添加缴款 puts a row of the current debt below its last row, ready for
    // the day and the amount; on a row with an amount and no 编号 it gives
    // that row the first free number.
    void add_payment_adds_a_row_of_the_debt() {
        opened_sheet sheet;
        sheet.model().replace_all(ws::row_store{});
        std::vector<ws::row_cells> rows = example();
        rows.push_back(row("新的欠税", "800", "2024-01-15", ""));
        sheet.model().insert_rows(0, rows, QStringLiteral("添加行"));
        sheet->table->setCurrentIndex(sheet.model().index(1, 0));
        sheet->act_add_payment->trigger();
        QCOMPARE(sheet.model().rows().size(), std::size_t{8});
        QCOMPARE(sheet->table->currentIndex().row(), 4);
        QCOMPARE(sheet->table->currentIndex().column(), ws::view_column(column::pay_date));
        QCOMPARE(runtime::qstring(sheet.model().rows().text(4, column::item_id)),
                 QStringLiteral("A1"));
        sheet->table->setCurrentIndex(sheet.model().index(7, 0));
        sheet->act_add_payment->trigger();
        QCOMPARE(runtime::qstring(sheet.model().rows().text(7, column::item_id)),
                 QStringLiteral("1"));
        QCOMPARE(runtime::qstring(sheet.model().rows().text(8, column::item_id)),
                 QStringLiteral("1"));
        // One undo step takes the row and the number away.
        sheet.model().undo_stack().undo();
        QCOMPARE(sheet.model().rows().size(), std::size_t{8});
        QVERIFY(sheet.model().rows().text(7, column::item_id).empty());
    }

    // The panel shows the working of the current row's debt; the cap box
    // shows and sets the debts' cap.
    void the_panel_and_the_cap_box_follow_the_rows() {
        opened_sheet sheet;
        QVERIFY(!sheet->debt_panel->isVisibleTo(sheet.window.get()));
        sheet.model().insert_rows(0, example(), QStringLiteral("添加行"));
        QVERIFY(sheet->debt_panel->isVisibleTo(sheet.window.get()));
        sheet->table->setCurrentIndex(sheet.model().index(3, 0));
        const QString text = sheet->debt_panel->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("100000.00*47*0.0005=2350.00")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("配比（国税发〔2004〕66号）")), qPrintable(text));
        QVERIFY2(text.contains(
                     QStringLiteral("抵缴税款=30000.00*100000.00/(100000.00+2350.00)=29311.19")),
                 qPrintable(text));
        sheet->table->setCurrentIndex(sheet.model().index(2, 0));
        QVERIFY(!sheet->debt_panel->toPlainText().contains(QStringLiteral("2350.00")));
        QCOMPARE(sheet->cap_debts->checkState(), Qt::Unchecked);
        sheet->cap_debts->click();
        QCOMPARE(sheet.model().debts_capped(), std::optional<bool>(true));
        sheet.model().edit_cells({{4, ws::slot_of(column::apply_cap), ""}}, QStringLiteral("编辑"));
        QCOMPARE(sheet->cap_debts->checkState(), Qt::PartiallyChecked);
        // Some capped: a click caps all, the next none.
        sheet->cap_debts->click();
        QCOMPARE(sheet->cap_debts->checkState(), Qt::Checked);
        sheet->cap_debts->click();
        QCOMPARE(sheet->cap_debts->checkState(), Qt::Unchecked);
        QCOMPARE(sheet.model().debts_capped(), std::optional<bool>(false));
    }

    // What the worksheet saves reads back in the worksheet and the batch with
    // the same figures, and what the batch writes opens with them.
    void files_keep_the_debts() {
        opened_sheet sheet;
        sheet.model().insert_rows(0, example(), QStringLiteral("添加行"));
        sheet.model().remove_rows(6, 1); // the empty row the window starts with
        sheet.model().set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        const QStringList shown_before = snapshot(sheet.model());
        for (const char* name : {"debts.csv", "debts.xlsx"}) {
            const QString path = home.filePath(QString::fromLatin1(name));
            QVERIFY(sheet->save_file(path));
            opened_sheet again;
            QVERIFY(again->open_file(path));
            again.model().set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
            QCOMPARE(snapshot(again.model()), shown_before);
        }
        // The batch on the saved file, through the same day: its every figure
        // is what the worksheet shows, as plain text.
        QFile saved(home.filePath(QStringLiteral("debts.csv")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        std::istringstream in(saved.readAll().toStdString());
        std::ostringstream out;
        sheet::batch_job job(in);
        job.set_as_of(runtime::to_calc_date(QDate(2024, 3, 15)));
        QVERIFY(job.read_header());
        QCOMPARE(job.run(out), sheet::batch_status::all_rows_ok);
        QFile written(home.filePath(QStringLiteral("batch.csv")));
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write(QByteArray::fromStdString(out.str()));
        written.close();
        opened_sheet from_batch;
        QVERIFY(from_batch->open_file(written.fileName()));
        from_batch.model().set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        QCOMPARE(snapshot(from_batch.model()), shown_before);
    }

    // The recovery file keeps the debts' rows as the sheet holds them.
    void recovery_keeps_the_debts() {
        QStringList shown;
        {
            opened_sheet sheet;
            sheet.model().insert_rows(0, example(), QStringLiteral("添加行"));
            sheet.model().remove_rows(6, 1); // the empty row the window starts with
            sheet.model().set_debts_capped(true);
            sheet->write_recovery();
            shown = snapshot(sheet.model());
            // The window goes away without closing, as in a crash.
        }
        auto orphans = runtime::recovery_file::claim_orphans();
        QCOMPARE(orphans.size(), std::size_t{1});
        opened_sheet recovered;
        QVERIFY(recovered->restore_recovery(std::move(orphans.front())));
        QCOMPARE(snapshot(recovered.model()), shown);
        QCOMPARE(recovered.model().debts_capped(), std::optional<bool>(true));
        QVERIFY(!recovered.model().undo_stack().isClean());
    }
};

QTEST_MAIN(debt_test)
#include "debt_test.moc"
