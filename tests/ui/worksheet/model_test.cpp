// The worksheet's model: the row rules as the columns show them, the totals,
// 每多滞纳一日增加, the payment date, and undo and redo of every change.

#include "sheet_fixture.h"

#include <QApplication>
#include <QBrush>
#include <QSignalSpy>

using namespace orvandel;
using namespace orvandel::test;

Q_DECLARE_METATYPE(orvandel::ui::worksheet::row_cells)

class model_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase() { pin_environment(home); }

    // What each row shows, from 2001年04月30日前滞纳天数 through 备注, with
    // the payment date 2024-03-15 for an empty 实际缴款日期.
    void rows_show_their_figures_data() {
        QTest::addColumn<ws::row_cells>("cells");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("bad_columns");
        // 19 days from 2001-04-21 through 2001-05-09: 10 before, 9 from 05-01.
        QTest::newRow("due_paid_across_the_change")
            << row("增值税", "12345.67", "2001-04-20", "2001-05-09")
            << "10|9|19|246.91|55.56|302.47|12,648.14|6.17|"
            << "";
        QTest::newRow("paid_on_the_due_date") << row("", "1000", "2024-03-01", "2024-03-01")
                                              << "0|0|0|0.00|0.00|0.00|1,000.00|0.50|未逾期"
                                              << "";
        QTest::newRow("paid_before_the_due_date") << row("", "1000", "2024-03-10", "2024-03-01")
                                                  << "0|0|0|0.00|0.00|0.00|1,000.00|0.00|未逾期"
                                                  << ""; // a day later is still in time
        QTest::newRow("no_pay_date_takes_the_payment_date")
            << row("", "1000.00", "2024-03-01", "") << "0|14|14|0.00|7.00|7.00|1,007.00|0.50|"
            << "";
        QTest::newRow("day_counts")
            << row("", "1234.56", "", "", "15", "30") << "15|30|45|37.04|18.52|55.56|1,290.12|0.62|"
            << "";
        // One more day of a period wholly before 2001-05-01 falls on 05-01.
        QTest::newRow("one_more_day_across_the_change")
            << row("", "10000", "2001-04-01", "2001-04-29")
            << "28|0|28|560.00|0.00|560.00|10,560.00|20.00|"
            << "";
        QTest::newRow("bad_amount")
            << row("", "12a", "2024-03-01", "2024-03-10") << "||||||||应缴税款金额：不是数字"
            << "1";
        QTest::newRow("no_such_day")
            << row("", "100", "2023-02-29", "2024-03-10") << "||||||||缴款期限：没有这一天"
            << "2";
        // Without any period the reason shows at 缴款期限, the first cell of one.
        QTest::newRow("no_period") << row("", "100", "", "") << "||||||||PERIOD_MISSING"
                                   << "2";
        QTest::newRow("bad_day_count") << row("", "100", "", "", "5天", "3")
                                       << "5天|3|||||||2001年04月30日前滞纳天数：不是整数"
                                       << "4";
        QTest::newRow("dates_and_day_counts")
            << row("", "100", "2024-03-01", "", "5", "") << "5|||||||||"
            << "";
        QTest::newRow("blank_row") << row("", "", "", "") << "||||||||"
                                   << "";
    }
    void rows_show_their_figures() {
        QFETCH(ws::row_cells, cells);
        QFETCH(QString, shown);
        QFETCH(QString, bad_columns);
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, {cells});
        QStringList all = shown_row(model, 0).split(u'|');
        QCOMPARE(all.takeAt(ws::view_column(sheet::column::tax_period)), QString());
        // From the day counts through 备注; a row without 编号 leaves the
        // debts' columns after them empty.
        QVERIFY(all.mid(13).join(QString()).isEmpty());
        all = all.mid(0, 13);
        const QString figures = all.mid(4).join(u'|');
        if (QString(QTest::currentDataTag()) == QLatin1String("dates_and_day_counts")) {
            // Two pairs: no figure, and the note says which pairs.
            QVERIFY2(all.mid(6, 6).join(QString()).isEmpty(), qPrintable(figures));
            QVERIFY2(all.last().contains(QStringLiteral("只能填写其中一组")),
                     qPrintable(all.last()));
            return;
        }
        if (shown.endsWith(QStringLiteral("PERIOD_MISSING"))) {
            QVERIFY2(all.last().endsWith(QStringLiteral("未填写")), qPrintable(all.last()));
            shown.replace(QStringLiteral("PERIOD_MISSING"), all.last());
        }
        QCOMPARE(figures, shown);
        // Bad cells are red and say why in their tooltip; the others are not.
        for (int c = 0; c < 6; ++c) {
            const QModelIndex at = model.index(0, c);
            const bool bad = bad_columns.contains(QString::number(c));
            QCOMPARE(at.data(Qt::BackgroundRole).isValid(), bad);
            QCOMPARE(at.data(Qt::ToolTipRole).toString(), bad ? all.last() : QString());
        }
    }

    // Typed text goes through the normaliser pasted text goes through: the
    // cell keeps the normal form, and what the normaliser refuses stays as
    // typed, with the row's reason.
    void typing_takes_what_pasting_takes_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("computed");
        QTest::newRow("grouped_amount") << 1 << "1,234.50"
                                        << "1234.50"
                                        << "1,234.50" << true;
        QTest::newRow("yen_and_full_width") << 1 << "￥１２３４元"
                                            << "1234.00"
                                            << "1,234.00" << true;
        QTest::newRow("slashed_date") << 2 << "2024/3/1"
                                      << "2024-03-01"
                                      << "2024-03-01" << true;
        QTest::newRow("chinese_date") << 3 << "2024年3月20日"
                                      << "2024-03-20"
                                      << "2024-03-20" << true;
        QTest::newRow("eight_digits") << 3 << "20240320"
                                      << "2024-03-20"
                                      << "2024-03-20" << true;
        QTest::newRow("day_first_refused") << 2 << "1/3/2024"
                                           << "1/3/2024"
                                           << "1/3/2024" << false;
        QTest::newRow("words_refused") << 1 << "一千"
                                       << "一千"
                                       << "一千" << false;
    }
    void typing_takes_what_pasting_takes() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(bool, computed);
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, {row("", "100", "2024-03-01", "2024-03-10")});
        QVERIFY(model.setData(model.index(0, column), typed, Qt::EditRole));
        QCOMPARE(runtime::qstring(model.rows().text(0, *model.slot_at(column))), stored);
        QCOMPARE(runtime::qstring(model.shown_text(0, column)), shown);
        QCOMPARE(model.outcome(0).ok, computed);
    }

    // The totals are the sums of the rounded row figures: three rows of
    // 0.004995 each show 0.00, and so does their total (not 0.01).
    void totals_sum_what_the_rows_show() {
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, {row("a", "9.99", "", "", "0", "1"), row("b", "9.99", "", "", "0", "1"),
                     row("c", "9.99", "", "", "0", "1"), row("d", "1,000", "", "", "0", "1"),
                     row("", "", "", ""), row("e", "100", "2024-03-01", "2024-03-11")});
        ws::totals_model totals(model);
        QCOMPARE(totals.text(0), QStringLiteral("合计（4行）"));
        QCOMPARE(totals.text(1), QStringLiteral("129.97")); // 3 × 9.99 + 100
        QCOMPARE(totals.text(9), QStringLiteral("0.50"));   // 0.00 × 3 + 0.50
        QCOMPARE(totals.text(10), QStringLiteral("0.50"));
        QCOMPARE(totals.text(11), QStringLiteral("130.47"));
        QCOMPARE(totals.text(12), QStringLiteral("0.08")); // 0.01 × 3 + 0.05
        QCOMPARE(totals.text(ws::view_column(sheet::column::error)),
                 QStringLiteral("另有1行有误，未计入合计"));
        // Fixing the bad row takes it into the sums at once.
        QVERIFY(model.setData(model.index(3, 1), QStringLiteral("1000"), Qt::EditRole));
        QCOMPARE(totals.text(0), QStringLiteral("合计（5行）"));
        QCOMPARE(totals.text(1), QStringLiteral("1,129.97"));
        QCOMPARE(totals.text(ws::view_column(sheet::column::error)), QString());
    }

    // Changing 缴款日期 recomputes every row without a pay date, and the totals.
    void payment_date_recomputes_every_row() {
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, {row("", "1000", "2024-03-01", ""), row("", "1000", "2024-03-01", "2024-03-02"),
                     row("", "2000", "2024-03-01", "")});
        ws::totals_model totals(model);
        QCOMPARE(totals.text(10), QStringLiteral("21.50")); // 7.00 + 0.50 + 14.00
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 21)));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(shown_row(model, 0).split(u'|')[7], QStringLiteral("20"));
        QCOMPARE(shown_row(model, 1).split(u'|')[7], QStringLiteral("1"));
        QCOMPARE(totals.text(10), QStringLiteral("30.50")); // 10.00 + 0.50 + 20.00
        // Not a change to the sheet: nothing to undo.
        QCOMPARE(model.undo_stack().count(), 0);
    }

    // Each kind of change is undone and redone exactly, rows and totals.
    void undo_and_redo_every_change_data() {
        QTest::addColumn<QString>("change");
        for (const char* change :
             {"edit", "paste_adding_rows", "insert", "delete", "sort", "clear"}) {
            QTest::newRow(change) << QString::fromLatin1(change);
        }
    }
    void undo_and_redo_every_change() {
        QFETCH(QString, change);
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model, {row("b", "300", "2024-03-01", ""), row("a", "100", "", "", "1", "2"),
                     row("c", "bad", "2024-03-01", "")});
        const QStringList before = snapshot(model);
        if (change == QLatin1String("edit")) {
            model.setData(model.index(0, 1), QStringLiteral("400"), Qt::EditRole);
        } else if (change == QLatin1String("paste_adding_rows")) {
            model.paste(2, 1, {{"1,000.00", "2024/3/1"}, {"¥50", "2024年3月2日"}});
        } else if (change == QLatin1String("insert")) {
            model.insert_rows(1, {row("new", "5", "2024-03-01", "")}, QStringLiteral("插入行"));
        } else if (change == QLatin1String("delete")) {
            model.remove_rows(0, 2);
        } else if (change == QLatin1String("sort")) {
            model.sort(0, Qt::AscendingOrder);
        } else {
            model.clear_cells({model.index(0, 1), model.index(1, 4), model.index(1, 12)});
        }
        const QStringList after = snapshot(model);
        QVERIFY(after != before);
        QCOMPARE(model.undo_stack().count(), 1);
        model.undo_stack().undo();
        QCOMPARE(snapshot(model), before);
        model.undo_stack().redo();
        QCOMPARE(snapshot(model), after);
    }

    // Sorting by a figure puts rows without one last, and the row order
    // follows the figure, not its text.
    void sort_by_figure() {
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 3, 15)));
        fill(model,
             {row("nine", "9", "", "", "0", "1"), row("bad", "x", "", "", "0", "1"),
              row("thousand", "1000", "", "", "0", "1"), row("hundred", "100", "", "", "0", "1")});
        model.sort(10, Qt::DescendingOrder); // 合计应加征滞纳金
        QStringList items;
        for (std::size_t r = 0; r < 4; ++r) {
            items << runtime::qstring(model.shown_text(r, 0));
        }
        QCOMPARE(items, QStringList({"thousand", "hundred", "nine", "bad"}));
    }

    // A cell holds at most 65535 bytes, cut at a character boundary.
    void long_text_is_cut_at_a_character() {
        ws::row_store store;
        const std::string long_text(70000, 'a');
        const std::string chinese = std::string(65534, 'b') + "税";
        const ws::row_views texts{long_text, chinese};
        store.append(texts);
        QCOMPARE(store.text(0, sheet::column::item).size(), std::size_t{65535});
        QCOMPARE(store.text(0, sheet::column::amount).size(), std::size_t{65534});
    }

    // A 税款所属期 fills an empty 缴款期限 in another colour, its source in
    // the tooltip; a date typed over it stays as typed and is checked; a
    // filled date clears to nothing and changes with its period.
    void deadline_from_the_tax_period() {
        const auto with_period = [](const char* period, const char* due, const char* pay) {
            ws::row_cells cells = row("", "1000", due, pay);
            cells[ws::slot_of(sheet::column::tax_period)] = period;
            return cells;
        };
        ws::worksheet_model model;
        model.set_payment_date(runtime::to_calc_date(QDate(2024, 6, 3)));
        fill(model, {with_period("2024Q1", "", ""), with_period("2024-04", "2024-05-20", ""),
                     with_period("2026-12", "", "")});
        const int due = ws::view_column(sheet::column::due_date);
        const int note = ws::view_column(sheet::column::error);
        const int days = ws::view_column(sheet::column::total_days);
        const QString notice =
            QStringLiteral("《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》");
        const auto shown = [&](std::size_t r, int c) {
            return runtime::qstring(model.shown_text(r, c));
        };
        const auto colour = [&](int r) {
            return model.index(r, due).data(Qt::ForegroundRole).value<QBrush>().color();
        };

        // A quarter: due in April, filled from the published calendar.
        QCOMPARE(shown(0, due), QStringLiteral("2024-04-18"));
        QCOMPARE(shown(0, days), QStringLiteral("46"));
        QCOMPARE(shown(0, note), QStringLiteral("缴款期限：") + notice);
        const QString tip = model.index(0, due).data(Qt::ToolTipRole).toString();
        QVERIFY2(
            tip.startsWith(QStringLiteral("按税款所属期2024年第1季度填入；缴款期限：") + notice),
            qPrintable(tip));
        QVERIFY(model.index(0, due).data(Qt::BackgroundRole).isNull());
        const QColor filled = colour(0);

        // A typed deadline that differs stands, in a colour of its own.
        QCOMPARE(shown(1, days), QStringLiteral("14"));
        QCOMPARE(shown(1, note), QStringLiteral("缴款期限2024-05-20与申报日历的2024-05-22不同（") +
                                     notice + QStringLiteral("），按填写的日期计算"));
        QVERIFY(colour(1) != filled && colour(1).isValid() && filled.isValid());

        // No data: the period is the bad cell and the row has no figures.
        QVERIFY(!model.index(2, ws::view_column(sheet::column::tax_period))
                     .data(Qt::BackgroundRole)
                     .isNull());
        QCOMPARE(shown(2, note),
                 QStringLiteral(
                     "税款所属期：缴款期限在2027年，没有申报日历或节假日数据，请填写缴款期限"));

        // Clearing a filled date changes nothing; a new period fills anew.
        model.clear_cells({model.index(0, due)});
        QCOMPARE(model.undo_stack().count(), 0);
        QVERIFY(model.setData(model.index(0, ws::view_column(sheet::column::tax_period)),
                              QStringLiteral("2024-05"), Qt::EditRole));
        QCOMPARE(shown(0, due), QStringLiteral("2024-06-19"));

        // Typed over, the date stays as typed and the note names both.
        QVERIFY(model.setData(model.index(0, due), QStringLiteral("2024/5/31"), Qt::EditRole));
        QCOMPARE(runtime::qstring(model.rows().text(0, sheet::column::due_date)),
                 QStringLiteral("2024-05-31"));
        QCOMPARE(model.outcome(0).deadline.origin, sheet::deadline_origin::differs);
        QVERIFY(shown(0, note).startsWith(
            QStringLiteral("缴款期限2024-05-31与申报日历的2024-06-19不同")));
        model.undo_stack().undo();
        QCOMPARE(model.outcome(0).deadline.origin, sheet::deadline_origin::filled);
        QCOMPARE(colour(0), filled);
    }
};

QTEST_MAIN(model_test)
#include "model_test.moc"
